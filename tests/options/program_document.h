#pragma once

// A document holding a synthetic robot program for the option tests: zeros of the given size,
// with the build marker of layout B where asked for and the servo hook as the program comes, and a
// folder for the code files.

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

#include "calibration/editor_document.h"
#include "support/temp_folder.h"

namespace orvix::test {

// The sizes the robot's program is documented to have.
inline constexpr std::size_t kSizeA = 4'301'707;
inline constexpr std::size_t kSizeB = 4'309'671;
inline constexpr std::size_t kSizeServo = 4'304'779;
inline constexpr std::size_t kSizeRemote = 4'730'880;
inline constexpr std::size_t kRemoteTail = 429'173;

struct ProgramDocument {
    explicit ProgramDocument(std::size_t size, bool layoutB = false);

    // Little-endian access to image addresses (image, then tail); out of range fails the test.
    std::uint32_t Get(std::uint64_t address, int width = 1) const;
    void Set(std::uint64_t address, std::uint32_t value, int width = 1);
    std::vector<std::uint8_t> Bytes(std::uint64_t address, std::size_t length) const;
    void WriteCode(const char* name, std::vector<std::uint8_t> bytes) const;

    TempFolder folder;
    EditorDocument document;
};

} // namespace orvix::test
