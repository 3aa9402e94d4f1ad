# Helpers shared by every target of the project: warnings, sanitizers, tests.

set(ORVIX_WARNING_FLAGS -Wall -Wextra -Wpedantic -Wshadow -Woverloaded-virtual -Werror)
set(ORVIX_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

# Applies the project's compile options to one of our own targets.
function(orvix_target_defaults target)
    target_compile_options(${target} PRIVATE ${ORVIX_WARNING_FLAGS})
    target_compile_definitions(${target} PRIVATE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII
        QT_NO_URL_CAST_FROM_STRING QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
    if(ORVIX_SANITIZE)
        target_compile_options(${target} PRIVATE ${ORVIX_SANITIZER_FLAGS})
        target_link_options(${target} PRIVATE ${ORVIX_SANITIZER_FLAGS})
    endif()
endfunction()

# orvix_add_library(name SOURCES ... LIBS ...): one static library per subsystem.
function(orvix_add_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
    orvix_target_defaults(${name})
endfunction()

# The environment every test runs in: headless, no real home, sanitizer options.
set(ORVIX_TEST_ENVIRONMENT
    "QT_QPA_PLATFORM=offscreen"
    "QTWEBENGINE_DISABLE_SANDBOX=1"
    "QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu"
    "ASAN_OPTIONS=new_delete_type_mismatch=0:detect_leaks=1"
    "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0"
    "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
    "QT_LOGGING_RULES=qt.qpa.*=false")

# orvix_add_test(name SOURCES ... LIBS ... [TIMEOUT s] [LABELS ...]): a Qt Test executable
# registered with CTest.
function(orvix_add_test name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    orvix_target_defaults(${name})
    add_test(NAME ${name} COMMAND ${name})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${ORVIX_TEST_ENVIRONMENT}"
        TIMEOUT ${ARG_TIMEOUT} LABELS "${ARG_LABELS}")
endfunction()
