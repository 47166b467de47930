target_sources(orvix2_core PRIVATE
    app/about_dlg.cpp
    app/editor_command_line.cpp
    app/orvix_app.cpp
)
