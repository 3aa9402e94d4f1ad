# Tests of the blocking URL download.
orvix_add_test(tst_url_download SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_url_download.cpp
    LIBS orvix_download orvix_test_support)
