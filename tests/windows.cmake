# The Windows test suite (work in progress), run under Wine: the seam, the dialog layer, the
# resources, the storage, the tool and the editor's Windows front end (tests/win32, label "gui":
# scripts/test windows runs those with a display of their own). Left out for now: the test files that call POSIX
# themselves (file_io_test, history_record_test: modes, owners, fifos, flock; the tool's
# card_lock_test and users_commands_test: flock, fork). The storage's and the tool's tests carry
# the label "wip" while some of them still expect Linux's texts and modes: scripts/test windows
# leaves them out (ctest -L wip runs them).
add_subdirectory(support)
set(ORVIX2_TEST_LABEL "")

function(orvix_add_test name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE orvix2_test_support GTest::gtest_main)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
        PROPERTIES TIMEOUT 120 LABELS "${ORVIX2_TEST_LABEL}")
endfunction()

include(storage/platform.cmake)
add_subdirectory(ui)
add_subdirectory(resources)
if(TARGET orvix2_win32)
    add_subdirectory(win32)
endif()

set(ORVIX2_TEST_LABEL wip)
orvix_add_test(storage_tests storage/settings_file_test.cpp storage/file_backup_test.cpp
    storage/file_set_write_test.cpp storage/history_points_test.cpp storage/history_store_test.cpp)

if(ORVIX2_BUILD_CLI)
    orvix_add_test(cli_tests
        cli/calibration_commands_test.cpp
        cli/demo_card_test.cpp
        cli/options_commands_test.cpp
        cli/settings_commands_test.cpp
        cli/run_cli_test.cpp
        cli/save_history_test.cpp
    )
    target_link_libraries(cli_tests PRIVATE orvix2_cli_lib)
endif()
