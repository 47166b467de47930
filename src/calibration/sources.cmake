target_sources(orvix2_core PRIVATE
    calibration/editor_document.cpp
)
