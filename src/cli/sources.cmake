target_sources(orvix2_cli_lib PRIVATE
    cli/calibration_commands.cpp
    cli/cli_texts.cpp
    cli/cli_prompter.cpp
    cli/demo_card.cpp
    cli/demo_settings.cpp
    cli/demo_users.cpp
    cli/headless_dialog.cpp
    cli/history_commands.cpp
    cli/image_session.cpp
    cli/options_commands.cpp
    cli/run_cli.cpp
    cli/settings_commands.cpp
    cli/shown_lines.cpp
    cli/users_commands.cpp
)
