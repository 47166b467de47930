# The platform seam's tests, the same on Linux and (under Wine) on Windows.
orvix_add_test(platform_tests ${CMAKE_CURRENT_LIST_DIR}/platform_test.cpp)
