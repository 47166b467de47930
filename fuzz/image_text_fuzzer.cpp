// STARTUP.BIN in its text form, read as the editor and the command-line tool read it.

#include <cstddef>
#include <cstdint>

#include "image_load_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orvix::fuzz::LoadImageBytes({data, size}, "STARTUP.TXT");
    return 0;
}
