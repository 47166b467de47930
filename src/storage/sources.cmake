target_sources(orvix2_core PRIVATE
    storage/file_backup.cpp
    storage/card_history.cpp
    storage/card_lock.cpp
    storage/file_io.cpp
    storage/file_set_write.cpp
    storage/settings_file.cpp
)
