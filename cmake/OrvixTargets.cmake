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

# orvix_add_library(name SOURCES ... LIBS ... [FOLDER folder]): one static library per subsystem.
#
# The headers among the sources are the library's public interface, and the only headers other
# targets can reach: each is linked into an include root of the library's own as
# "<folder>/<path>.h", where <folder> is the source folder below src/ (FOLDER overrides it; an
# empty folder puts the headers at the root). Only the library and what links it see that root,
# so a file that includes a header of a library it may not use fails to compile. src/ itself is
# no include path.
function(orvix_add_library name)
    cmake_parse_arguments(ARG "" "FOLDER" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
    orvix_target_defaults(${name})
    if(NOT DEFINED ARG_FOLDER)
        string(FIND "${CMAKE_CURRENT_SOURCE_DIR}/" "${PROJECT_SOURCE_DIR}/src/" at)
        if(NOT at EQUAL 0)
            return() # outside src/ (test helpers): users reach its headers their own way
        endif()
        file(RELATIVE_PATH ARG_FOLDER ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
    endif()
    set(root ${PROJECT_BINARY_DIR}/include-roots/${name})
    file(REMOVE_RECURSE ${root})
    foreach(source IN LISTS ARG_SOURCES)
        if(NOT source MATCHES "\\.h$")
            continue()
        endif()
        get_filename_component(source ${source} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
        file(RELATIVE_PATH header ${CMAKE_CURRENT_SOURCE_DIR} ${source})
        if(NOT ARG_FOLDER STREQUAL "")
            set(header ${ARG_FOLDER}/${header})
        endif()
        get_filename_component(folder ${root}/${header} DIRECTORY)
        file(MAKE_DIRECTORY ${folder})
        file(CREATE_LINK ${source} ${root}/${header} SYMBOLIC)
    endforeach()
    file(MAKE_DIRECTORY ${root})
    target_include_directories(${name} PUBLIC ${root})
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
    if(ORVIX_SANITIZE)
        # At exit the leak checker walks each thread's dynamic TLS and can crash on the block of
        # a library that a plugin loaded later: libjpeg, through Qt's JPEG plugin, which decodes
        # photos in many tests. Linked in from the start, its TLS is static and never walked so.
        find_library(ORVIX_LIBJPEG NAMES jpeg libjpeg.so.62)
        if(ORVIX_LIBJPEG)
            target_link_libraries(${name} PRIVATE
                "-Wl,--push-state,--no-as-needed" ${ORVIX_LIBJPEG} "-Wl,--pop-state")
        endif()
    endif()
    add_test(NAME ${name} COMMAND ${name})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${ORVIX_TEST_ENVIRONMENT}"
        TIMEOUT ${ARG_TIMEOUT} LABELS "${ARG_LABELS}")
endfunction()
