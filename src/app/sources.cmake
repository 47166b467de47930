target_sources(orvix2_core PRIVATE
    app/about_dlg.cpp
    app/file_io.cpp
    app/orvix_app.cpp
    app/settings_file.cpp
)
