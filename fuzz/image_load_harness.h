#pragma once

// What the image fuzz targets share: the editor's own load of STARTUP.BIN, run on bytes written
// to a scratch file, with a prompter that never waits for a person.

#include <cstdint>
#include <span>
#include <string_view>

namespace orvix::fuzz {

// Writes the bytes to fileName in this process's scratch folder, loads that file as the editor
// does for each of the three tables and, after a successful load, reads every field back. Aborts
// when a loaded field holds anything but a 16-bit number, which no image can justify.
void LoadImageBytes(std::span<const std::uint8_t> bytes, std::string_view fileName);

} // namespace orvix::fuzz
