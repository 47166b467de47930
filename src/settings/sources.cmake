target_sources(orvix2_core PRIVATE
    settings/binary_dialog.cpp
    settings/power_ups.cpp
    settings/setting_files.cpp
    settings/setting_store.cpp
)
