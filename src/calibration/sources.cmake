target_sources(orvix2_core PRIVATE
    calibration/editor_document.cpp
    calibration/image_file.cpp
    calibration/orvix_dlg.cpp
)
