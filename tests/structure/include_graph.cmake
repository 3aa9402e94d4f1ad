# Checks that the sources below SOURCE_DIR (the src folder) include only what the library graph
# allows, and fails naming every include that breaks it:
#
#   platform, imaging -> net -> app -> features -> the program (files directly in src/)
#   between features only chat -> editor, editor -> docs, board -> editor and board -> docs;
#   store and docs use app alone.
#
# A folder includes its own headers and those of the folders it may use, as "<folder>/<file>".
# A feature may use every layer below app, but of the other features only the ones it has an
# edge to. Relative includes that climb out of a folder ("../") are refused everywhere, the test
# doubles of the platform ("platform/doubles/") outside their own folder, and the real browser
# ("platform/web_engine_browser.h") outside the platform and the program. A folder that is not in the graph is
# refused too, so a new library has to be placed here first.
#
#   cmake -DSOURCE_DIR=<src> -P include_graph.cmake

cmake_minimum_required(VERSION 3.25)

if(NOT IS_DIRECTORY "${SOURCE_DIR}")
    message(FATAL_ERROR "SOURCE_DIR is not a folder: '${SOURCE_DIR}'")
endif()

set(libraries platform imaging net app docs store editor chat board)
set(below_features app net platform imaging)
set(uses_platform)
set(uses_imaging)
set(uses_net platform imaging)
set(uses_app net platform imaging)
set(uses_docs ${below_features})
set(uses_store ${below_features})
set(uses_editor docs ${below_features})
set(uses_chat editor ${below_features})
set(uses_board editor docs ${below_features})
set(uses_program chat editor board store docs ${below_features})

file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
list(SORT sources)
set(faults)
foreach(source IN LISTS sources)
    if(source MATCHES "^([^/]+)/")
        set(folder "${CMAKE_MATCH_1}")
        if(NOT folder IN_LIST libraries)
            list(APPEND faults "${source}: the folder '${folder}' is not in the library graph")
            continue()
        endif()
    else()
        set(folder program)
    endif()

    file(STRINGS "${SOURCE_DIR}/${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line IN LISTS lines)
        if(NOT line MATCHES "#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"]")
            continue()
        endif()
        set(included "${CMAKE_MATCH_1}")
        set(fault)
        if(included MATCHES "(^|/)\\.\\.(/|$)")
            set(fault "climbs out of its folder")
        elseif(included MATCHES "^platform/doubles/" AND NOT source MATCHES "^platform/doubles/")
            set(fault "the test doubles are for tests only")
        elseif(included STREQUAL "platform/web_engine_browser.h"
                AND NOT folder MATCHES "^(program|platform)$")
            set(fault "only the program chooses the real browser")
        elseif(included MATCHES "^([^/]+)/")
            set(target "${CMAKE_MATCH_1}")
            if(target IN_LIST libraries AND NOT target STREQUAL folder
                    AND NOT target IN_LIST uses_${folder})
                set(fault "${folder} may not use ${target}")
            endif()
        endif()
        if(fault)
            list(APPEND faults "${source}: includes \"${included}\": ${fault}")
        endif()
    endforeach()
endforeach()

if(faults)
    list(LENGTH faults count)
    list(JOIN faults "\n  " listed)
    message(FATAL_ERROR "${count} include(s) break the library graph:\n  ${listed}")
endif()
list(LENGTH sources count)
message(STATUS "include graph: ${count} files checked")
