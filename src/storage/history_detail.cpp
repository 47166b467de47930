#include "storage/history_detail.h"

#include <cstdio>

#include "storage/history_entry.h"

namespace orvix::detail {

std::optional<std::uint64_t> HistoryNumber(std::string_view text) {
    if (text.empty() || text.size() > 18) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value;
}

std::vector<std::string_view> SplitText(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::string_view::size_type start = 0;
    while (true) {
        const auto at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string_view::npos ? at : at - start));
        if (at == std::string_view::npos) {
            return parts;
        }
        start = at + 1;
    }
}

bool PlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

bool CardName(std::string_view name) {
    if (name.empty() || name.size() > 255) {
        return false;
    }
    for (const std::string_view part : SplitText(name, '\\')) {
        if (!PlainName(part)) {
            return false;
        }
    }
    return true;
}

std::filesystem::path HistoryFolder(const std::filesystem::path& backupFolder) {
    return backupFolder / kHistoryFolderName;
}

std::string EntryFileName(int sequence) {
    char name[32];
    std::snprintf(name, sizeof name, "%06d.txt", sequence);
    return name;
}

bool UnderFolder(const std::filesystem::path& file, const std::filesystem::path& folder) {
    // In the generic form, whose separator is '/' on Windows too.
    const auto generic = [](const std::filesystem::path& path) {
        const std::u8string text = path.lexically_normal().generic_u8string();
        return std::string(text.begin(), text.end());
    };
    const std::string f = generic(file);
    std::string d = generic(folder);
    if (!d.empty() && d.back() != '/') {
        d += '/';
    }
    return f.starts_with(d);
}

std::filesystem::path AbsolutePath(const std::filesystem::path& path) {
    std::error_code code;
    const std::filesystem::path absolute = std::filesystem::absolute(path, code);
    return code ? path : absolute.lexically_normal();
}

} // namespace orvix::detail
