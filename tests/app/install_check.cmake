# Installs the build into a scratch prefix and checks that the ".sml" content files are
# registered with the desktop: the desktop entry names the type, and the shared-mime-info
# database built from our package maps *.sml to it.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
    RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "install failed: ${result}")
endif()

foreach(path bin/orvixwin share/applications/orvixwin.desktop
        share/mime/packages/orvixwin-document.xml share/icons/hicolor/scalable/apps/orvixwin.svg)
    if(NOT EXISTS "${PREFIX}/${path}")
        message(FATAL_ERROR "not installed: ${path}")
    endif()
endforeach()

file(READ "${PREFIX}/share/applications/orvixwin.desktop" desktop)
if(NOT desktop MATCHES "MimeType=application/x-orvixwin-document;")
    message(FATAL_ERROR "the desktop entry does not open content files")
endif()
file(READ "${PREFIX}/share/mime/packages/orvixwin-document.xml" package)
if(NOT package MATCHES "Orvix Files \\(\\*\\.sml\\)" OR NOT package MATCHES "OrvixWin\\.Document")
    message(FATAL_ERROR "the mime package lacks the filter or the file type id")
endif()

find_program(UPDATE_MIME update-mime-database)
if(UPDATE_MIME)
    file(READ "${PREFIX}/share/mime/globs2" globs)
    if(NOT globs MATCHES "application/x-orvixwin-document:\\*\\.sml")
        message(FATAL_ERROR "the mime database does not map *.sml: ${globs}")
    endif()
endif()
