#pragma once

// What the fuzz targets share: a check that stops the run naming itself, and a scratch folder of
// the process's own.

#include <cstdio>
#include <cstdlib>
#include <filesystem>

// Stops the run, naming the check that failed.
#define Require(condition)                                                                         \
    ((condition)                                                                                   \
         ? void()                                                                                  \
         : (std::fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #condition), std::abort()))

namespace orvix::fuzz {

// Makes a new folder "orvix2-fuzz-TAG-XXXXXX" below the temporary folder, so that parallel
// fuzzing jobs never share a file, and removes it with everything in it when the process ends;
// aborts when it cannot be made.
std::filesystem::path MakeScratchFolder(const char* tag);

} // namespace orvix::fuzz
