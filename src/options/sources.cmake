target_sources(orvix2_core PRIVATE
    options/patch_file.cpp
)
