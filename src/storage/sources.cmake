target_sources(orvix2_core PRIVATE
    storage/card_identity.cpp
    storage/card_lock.cpp
    storage/file_backup.cpp
    storage/file_io.cpp
    storage/file_set_write.cpp
    storage/history_detail.cpp
    storage/history_entry.cpp
    storage/history_index.cpp
    storage/history_points.cpp
    storage/history_recorder.cpp
    storage/history_store.cpp
    storage/settings_file.cpp
)
