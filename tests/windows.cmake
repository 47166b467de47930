# The Windows test suite, run under Wine: the seam, the dialog layer, the resources, the storage,
# the read button's first folder, the tool (its scenario rows through orvix2-cli.exe itself) and
# the editor's Windows front end (tests/win32, label "gui": scripts/test windows runs those with
# a display of their own). Left out: the test file of what only POSIX files have
# (file_io_posix_test: links, modes, owners, pipes). A test carrying the label "wip" is left out
# of scripts/test windows (ctest -L wip runs it).
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

# Where the read button starts: the removable drive holding the card, else the documents.
orvix_add_test(card_folder_tests calibration/card_folder_test.cpp)

orvix_add_test(storage_tests storage/settings_file_test.cpp storage/file_io_test.cpp
    storage/file_backup_test.cpp storage/file_set_write_test.cpp storage/history_points_test.cpp
    storage/history_store_test.cpp storage/history_record_test.cpp)

# The editors' command line and help, worded as on Linux.
orvix_add_test(app_tests app/editor_command_line_test.cpp)

if(ORVIX2_BUILD_CLI)
    orvix_add_test(cli_tests
        cli/calibration_commands_test.cpp
        cli/demo_card_test.cpp
        cli/one_language_test.cpp
        cli/options_commands_test.cpp
        cli/settings_commands_test.cpp
        cli/run_cli_test.cpp
        cli/save_history_test.cpp
        cli/users_commands_test.cpp
        cli/card_lock_test.cpp
    )
    target_link_libraries(cli_tests PRIVATE orvix2_cli_lib)
    # Two processes of the tool at once on one card.
    target_compile_definitions(cli_tests PRIVATE ORVIX2_CLI_PATH="$<TARGET_FILE:orvix2-cli>")
    add_dependencies(cli_tests orvix2-cli)
    add_subdirectory(scenarios)
endif()
