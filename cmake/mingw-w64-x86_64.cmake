# Cross-building the Windows programs on Debian with MinGW-w64 (the posix-thread compiler, which
# std::thread and std::mutex need). Everything is linked statically, so that the programs need
# only the DLLs every Windows 10/11 has (scripts/check-windows-dlls checks that); the tests run
# under Wine through scripts/wine-run.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ORVIX2_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ORVIX2_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORVIX2_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ORVIX2_MINGW_PREFIX}-windres)

# Only the compiler's own tree is searched for libraries and headers, never the host's /usr.
set(CMAKE_FIND_ROOT_PATH /usr/${ORVIX2_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -static also takes winpthread from its archive instead of libwinpthread-1.dll.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Windows 10 is the oldest system the programs run on.
set(CMAKE_CXX_FLAGS_INIT "-D_WIN32_WINNT=0x0A00 -DWINVER=0x0A00")

# ctest and gtest_discover_tests run the test programs through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
