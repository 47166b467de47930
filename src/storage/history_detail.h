#pragma once

// Small helpers shared by the history files of this folder (not for use outside it).

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvix::detail {

// A decimal number of at most 18 digits; none for anything else.
std::optional<std::uint64_t> HistoryNumber(std::string_view text);

std::vector<std::string_view> SplitText(std::string_view text, char separator);

// A name that stays inside its folder: no separator, no "." or "..", nothing empty.
bool PlainName(std::string_view name);

// A card name: parts separated by backslashes, each a plain name.
bool CardName(std::string_view name);

std::filesystem::path HistoryFolder(const std::filesystem::path& backupFolder);

// "000012.txt"
std::string EntryFileName(int sequence);

bool UnderFolder(const std::filesystem::path& file, const std::filesystem::path& folder);

std::filesystem::path AbsolutePath(const std::filesystem::path& path);

} // namespace orvix::detail
