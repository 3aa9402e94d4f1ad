# Plants includes in a scratch source tree and runs the include graph check on it: each allowed
# include must pass, each forbidden one must fail with its reason.
#
#   cmake -DCHECK=<include_graph.cmake> -DWORK_DIR=<scratch folder> -P planted_includes.cmake

cmake_minimum_required(VERSION 3.25)

# file | its content | expected fault ("" when the include is allowed)
set(cases
    "chat/a.cpp|#include \"editor/x.h\"\n#include \"app/y.h\"\n#include <QString>|"
    "board/a.h|#include \"docs/x.h\"\n#include \"editor/y.h\"|"
    "a.cpp|#include \"board/x.h\"\n#include \"platform/web_engine_browser.h\"|"
    "chat/a.cpp|#include \"board/x.h\"|chat may not use board"
    "chat/a.cpp|  #  include <docs/x.h>|chat may not use docs"
    "store/a.cpp|#include \"docs/x.h\"|store may not use docs"
    "docs/a.cpp|#include \"editor/x.h\"|docs may not use editor"
    "editor/a.cpp|#include \"chat/x.h\"|editor may not use chat"
    "net/a.cpp|#include \"app/x.h\"|net may not use app"
    "platform/a.cpp|#include \"imaging/x.h\"|platform may not use imaging"
    "editor/a.cpp|#include \"../board/x.h\"|climbs out of its folder"
    "app/a.cpp|#include \"platform/doubles/x.h\"|the test doubles are for tests only"
    "app/a.cpp|#include \"platform/web_engine_browser.h\"|only the program chooses the real"
    "widgets/a.cpp|#include \"app/x.h\"|the folder 'widgets' is not in the library graph")

set(failures)
set(index 0)
foreach(case IN LISTS cases)
    string(REPLACE "|" ";" parts "${case}")
    list(GET parts 0 file)
    list(GET parts 1 content)
    list(LENGTH parts length)
    set(expected "")
    if(length GREATER 2)
        list(GET parts 2 expected)
    endif()
    string(REPLACE "\\n" "\n" content "${content}")

    math(EXPR index "${index} + 1")
    set(tree "${WORK_DIR}/case${index}")
    file(REMOVE_RECURSE "${tree}")
    file(WRITE "${tree}/${file}" "${content}\n")
    execute_process(COMMAND "${CMAKE_COMMAND}" -DSOURCE_DIR=${tree} -P "${CHECK}"
        RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(expected STREQUAL "")
        if(NOT result EQUAL 0)
            list(APPEND failures "${file} (${content}) was refused:\n${output}")
        endif()
    elseif(result EQUAL 0)
        list(APPEND failures "${file} (${content}) passed; expected: ${expected}")
    else()
        string(FIND "${output}" "${expected}" at)
        if(at LESS 0)
            list(APPEND failures "${file} (${content}) failed without '${expected}':\n${output}")
        endif()
    endif()
endforeach()
file(REMOVE_RECURSE "${WORK_DIR}")

if(failures)
    list(JOIN failures "\n" listed)
    message(FATAL_ERROR "${listed}")
endif()
message(STATUS "${index} planted cases judged as expected")
