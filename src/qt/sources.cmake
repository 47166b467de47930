target_sources(orvix2_qt PRIVATE qt/placeholder.cpp)
