# Blocking download of an address into a file.
orvix_add_library(orvix_download
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/url_download.h
        ${CMAKE_CURRENT_LIST_DIR}/url_download.cpp
    LIBS Qt6::Core Qt6::Network)
