#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace orvix {

// Reads a whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes);

// Reads at most maxBytes from the start of a file; false when it cannot be opened or read.
bool ReadFilePrefix(const std::filesystem::path& path, std::size_t maxBytes,
                    std::vector<std::uint8_t>& bytes);

// Writes the parts one after the other into a temporary file in the same folder, flushes it to
// disk and renames it over the target, so that a failure at any step leaves the old file whole.
bool WriteFileAtomically(const std::filesystem::path& path,
                         std::initializer_list<std::span<const std::uint8_t>> parts);

// The same for a text.
bool WriteTextFileAtomically(const std::filesystem::path& path, const std::string& text);

// A path on the local file system from a path held as UTF-8 text.
std::filesystem::path PathFromUtf8(const std::string& text);
std::string Utf8FromPath(const std::filesystem::path& path);

// A card file name such as "servo\SV02_ON.BIN" below a folder, with the backslash taken as the
// folder separator.
std::filesystem::path CardFilePath(const std::filesystem::path& folder, const std::string& name);

} // namespace orvix
