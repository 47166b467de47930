# The Windows build (work in progress), included by the top CMakeLists.txt in place of the Linux
# dependencies: the headers of the header-only libraries in a folder of their own, GoogleTest built
# from its source with the cross compiler, and as much of the core as builds for Windows today
# (src/CMakeLists.txt and tests/CMakeLists.txt choose it).

# Debian's packages hold the headers in /usr/include, which must never be on the cross compiler's
# path (the host's C library headers lie there too): a copy of each lies in the build folder.
set(ORVIX2_THIRD_PARTY_INCLUDE ${CMAKE_BINARY_DIR}/third_party/include)
foreach(header CLI nlohmann xxhash.h SimpleIni.h)
    if(NOT EXISTS /usr/include/${header})
        message(FATAL_ERROR "/usr/include/${header} is missing: run scripts/install-deps windows")
    endif()
    file(COPY /usr/include/${header} DESTINATION ${ORVIX2_THIRD_PARTY_INCLUDE})
endforeach()

# The targets the Linux build finds through pkg-config and the packages' CMake files, here header
# only. SimpleIni in particular is used as a header (without its conversion code), so Debian's
# Linux archive libsimpleini.a is never linked.
add_library(PkgConfig::SIMPLEINI INTERFACE IMPORTED)
add_library(CLI11::CLI11 INTERFACE IMPORTED)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
add_library(orvix2_xxhash INTERFACE IMPORTED)
foreach(target PkgConfig::SIMPLEINI CLI11::CLI11 nlohmann_json::nlohmann_json orvix2_xxhash)
    set_target_properties(${target} PROPERTIES
        INTERFACE_INCLUDE_DIRECTORIES ${ORVIX2_THIRD_PARTY_INCLUDE})
endforeach()
set_target_properties(orvix2_xxhash PROPERTIES INTERFACE_COMPILE_DEFINITIONS XXH_INLINE_ALL)
# Debian's SimpleIni.h holds its template definitions behind SI_IMPLEMENTATION (the Linux build
# takes them from libsimpleini.a): compiled in where the header is used.
set_target_properties(PkgConfig::SIMPLEINI PROPERTIES INTERFACE_COMPILE_DEFINITIONS SI_IMPLEMENTATION)

enable_language(RC)
include(cmake/windows-resources.cmake)

add_subdirectory(po)
add_subdirectory(src)

if(ORVIX2_BUILD_TESTS)
    enable_testing()
    # Debian's libgtest is a Linux library: GoogleTest is built from Debian's source instead.
    set(ORVIX2_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's source")
    if(NOT EXISTS ${ORVIX2_GOOGLETEST_SOURCE}/CMakeLists.txt)
        message(FATAL_ERROR "${ORVIX2_GOOGLETEST_SOURCE} is missing: run scripts/install-deps windows")
    endif()
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(${ORVIX2_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    add_subdirectory(tests)
endif()
