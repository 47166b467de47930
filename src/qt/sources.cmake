target_sources(orvix2_qt PRIVATE
    qt/app_icon.cpp
    qt/dialog_binder.cpp
    qt/dialog_units.cpp
    qt/list_columns.cpp
    qt/qt_prompter.cpp
    qt/qt_runner.cpp
    qt/qt_setup.cpp
    qt/spin_arrows.cpp
    qt/template_dialog.cpp
    qt/orvix2_icons.qrc
)
