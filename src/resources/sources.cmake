target_sources(orvix2_core PRIVATE
    resources/string_table.cpp
    resources/translation.cpp
    resources/failure_reason.cpp
    resources/main_dialog.cpp
    resources/about_dialog.cpp
    resources/program_dialog.cpp
    resources/user_dialogs.cpp
    resources/settings_dialog.cpp
    resources/history_dialog.cpp
    resources/names.cpp
)
