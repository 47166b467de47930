target_sources(orvix2_win32 PRIVATE
    win32/app_icon.cpp
    win32/dialog_binder.cpp
    win32/dialog_units.cpp
    win32/template_dialog.cpp
    win32/wide_text.cpp
    win32/win32_prompter.cpp
    win32/win32_runner.cpp
    win32/win32_setup.cpp
)
