# The Windows test suite (work in progress), run under Wine: the tests of the platform seam, the
# dialog layer and the resources. The shared support here leaves out the temporary folders and the
# card comparer, which use POSIX calls.
add_library(orvix2_test_support STATIC support/scripted_prompter.cpp support/test_runner.cpp)
target_include_directories(orvix2_test_support PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(orvix2_test_support PUBLIC orvix2_core GTest::gtest)
target_compile_definitions(orvix2_test_support PUBLIC ORVIX2_TEST_CATALOGUE="${ORVIX2_CATALOGUE}")
add_dependencies(orvix2_test_support orvix2_catalogue)

function(orvix_add_test name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE orvix2_test_support GTest::gtest_main)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT 120)
endfunction()

include(storage/platform.cmake)
add_subdirectory(ui)
add_subdirectory(resources)
