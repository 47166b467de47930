target_sources(orvix2_core PRIVATE
    app/file_io.cpp
    app/settings_file.cpp
)
