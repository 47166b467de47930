#pragma once

// The robot code supplied beside the program: files that the options copy into the image
// unexamined (SERVO.BIN, REMOTE.BIN, VOICE.BIN) and the blocks of the remote extension
// (REMOTEBLK.BIN). They are read from the folder of the settings file, not from the card.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calibration/editor_document.h"

namespace orvix {

inline constexpr std::string_view kServoCodeFile = "SERVO.BIN";
inline constexpr std::string_view kRemoteCodeFile = "REMOTE.BIN";
inline constexpr std::string_view kVoiceCodeFile = "VOICE.BIN";
inline constexpr std::string_view kRemoteBlocksFile = "REMOTEBLK.BIN";

// The folder the code files are read from: the document's code folder when one is set, else
// the folder of the settings file.
std::filesystem::path CodeFolder(const EditorDocument& document);

// Reads a code file of at most maxSize bytes; none, with the reason in detail ("PATH: reason"),
// when it cannot be read, is longer, or holds no code (empty or only zero bytes).
std::optional<std::vector<std::uint8_t>> ReadCodeFile(const EditorDocument& document,
                                                      std::string_view name, std::size_t maxSize,
                                                      std::string& detail);

} // namespace orvix
