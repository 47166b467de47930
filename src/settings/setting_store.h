#pragma once

// The setting file store: the small binary files beside STARTUP.BIN on the card, one value each,
// read into the document's setting buffer and written back whole through the atomic write.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "calibration/editor_document.h"
#include "ui/prompter.h"

namespace orvix {

// The buffer holds the first bytes of the file last read.
inline constexpr std::size_t kSettingBufferSize = 16;
// No setting slot: the read records no length.
inline constexpr int kNoSlot = -1;

// The folder of the loaded image: the card.
std::filesystem::path CardFolder(const EditorDocument& document);

// Reads the first 16 bytes of a card file (name relative to the card, "servo\SV02_ON.BIN") into
// settingBuffer, whose bytes beyond the file's read as zero, and records how many bytes it had in
// settingSizes[slot] (unless slot is kNoSlot). A file that cannot be read shows message 153 with
// the name when reportFailure is set; then the buffer and the sizes are as they were.
bool ReadBinaryFile(EditorDocument& document, ui::Prompter& prompter, const std::string& name,
                    int slot, bool reportFailure);

// Writes a value over the first bytes of a card file: the file keeps its length and every byte
// beyond the value, and grows to the value's width when it was shorter (or absent). The whole file
// is replaced atomically; a failure shows message 154 with the name and changes nothing.
bool WriteBinaryFile(EditorDocument& document, ui::Prompter& prompter, const std::string& name,
                     std::span<const std::uint8_t> value);

// Replaces a card file with exactly these bytes (a user record is its own length), atomically;
// a failure shows message 154 with the name and changes nothing.
bool WriteWholeBinaryFile(EditorDocument& document, ui::Prompter& prompter, const std::string& name,
                          std::span<const std::uint8_t> bytes);

} // namespace orvix
