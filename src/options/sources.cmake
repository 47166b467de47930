target_sources(orvix2_core PRIVATE
    options/code_files.cpp
    options/eye_colours.cpp
    options/image_bytes.cpp
    options/patch_file.cpp
    options/toruque_dialog.cpp
    options/program_options.cpp
    options/remote_extension.cpp
)
