# The seam to the operating system: one header, an implementation for each system.
if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
    target_sources(orvix2_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/platform_windows.cpp
        ${CMAKE_CURRENT_LIST_DIR}/platform_windows_lock.cpp
        ${CMAKE_CURRENT_LIST_DIR}/platform_windows_places.cpp)
    target_link_libraries(orvix2_core PRIVATE orvix2_xxhash shell32 ole32 uuid)
else()
    target_sources(orvix2_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/platform_posix.cpp
        ${CMAKE_CURRENT_LIST_DIR}/platform_posix_places.cpp)
endif()
target_sources(orvix2_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/platform.cpp)
