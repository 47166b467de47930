target_sources(orvix2_cli_lib PRIVATE cli/placeholder.cpp)
