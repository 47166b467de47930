target_sources(orvix2_core PRIVATE
    storage/file_backup.cpp
    storage/file_io.cpp
    storage/settings_file.cpp
)
