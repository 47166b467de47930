target_sources(orvix2_core PRIVATE
    calibration/card_folder.cpp
    calibration/editor_document.cpp
    calibration/image_file.cpp
    calibration/image_save.cpp
    calibration/orvix_dlg.cpp
)
