#include "storage/history_index.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>

#include "storage/file_io.h"
#include "storage/history_detail.h"
#include "storage/history_entry.h"
#include "storage/platform.h"

namespace orvix::detail {

namespace {

constexpr std::string_view kIndexHeader = "orvix2-history-index 1";
constexpr const char* kIndexName = "index.txt";

std::string Escaped(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || c == '%') {
            char code[4];
            std::snprintf(code, sizeof code, "%%%02X", byte);
            out += code;
        } else {
            out += c;
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

std::optional<std::string> Unescaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        const int high = i + 2 < text.size() ? HexDigit(text[i + 1]) : -1;
        const int low = high >= 0 ? HexDigit(text[i + 2]) : -1;
        if (low < 0) {
            return std::nullopt;
        }
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

std::string TextHash(std::string_view text) {
    return MarkOf(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())).hash;
}

std::optional<int> EntryNumber(std::string_view stem) {
    const auto number = HistoryNumber(stem);
    if (!number || *number == 0 || *number > 999'999'999) {
        return std::nullopt;
    }
    return static_cast<int>(*number);
}

} // namespace

std::vector<EntryFileStamp> ListEntryFiles(const std::filesystem::path& historyFolder,
                                           bool withStamps) {
    std::vector<EntryFileStamp> files;
    std::vector<platform::FolderEntry> entries;
    if (!withStamps) {
        // Names alone: no file of a long history is asked about.
        std::error_code code;
        for (const auto& item : std::filesystem::directory_iterator(historyFolder, code)) {
            entries.push_back({Utf8FromPath(item.path().filename())});
        }
    } else if (!platform::ListFolder(historyFolder, entries)) {
        return files;
    }
    for (platform::FolderEntry& item : entries) {
        EntryFileStamp stamp{std::move(item.name)};
        const std::string& name = stamp.name;
        stamp.pending = name.ends_with(kPendingEntrySuffix);
        if (!stamp.pending && !name.ends_with(".txt")) {
            continue;
        }
        const std::size_t suffix = stamp.pending ? std::string_view(kPendingEntrySuffix).size() : 4;
        const auto number = EntryNumber(std::string_view(name).substr(0, name.size() - suffix));
        if (!number) {
            continue;
        }
        stamp.sequence = *number;
        if (withStamps) {
            stamp.size = item.size;
            stamp.time = item.time;
        }
        files.push_back(std::move(stamp));
    }
    if (!withStamps) {
        return files; // only numbers wanted (the largest, for a save): no need of an order
    }
    std::sort(files.begin(), files.end(), [](const EntryFileStamp& a, const EntryFileStamp& b) {
        return a.sequence != b.sequence ? a.sequence < b.sequence : a.pending < b.pending;
    });
    return files;
}

int LargestIndexedSequence(const std::filesystem::path& historyFolder) {
    std::ifstream in(historyFolder / kIndexName, std::ios::binary | std::ios::ate);
    const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : 0;
    constexpr std::streamoff kTail = 64 * 1024; // far more than one entry's line
    std::string tail(static_cast<std::size_t>(std::min(size, kTail)), '\0');
    in.seekg(size - static_cast<std::streamoff>(tail.size()));
    if (size <= 0 || !in.read(tail.data(), static_cast<std::streamsize>(tail.size())) ||
        tail.back() != '\n') {
        return 0;
    }
    tail.pop_back();
    const std::size_t newline = tail.rfind('\n');
    if (newline == std::string::npos && size > kTail) {
        return 0;
    }
    const std::string_view line =
        std::string_view(tail).substr(newline == std::string::npos ? 0 : newline + 1);
    const std::string_view name = line.substr(0, std::min(line.find('|'), line.size()));
    for (const std::string_view suffix : {kEntrySuffix, kPendingEntrySuffix}) {
        if (name.size() < line.size() && name.ends_with(suffix)) {
            return EntryNumber(name.substr(0, name.size() - suffix.size())).value_or(0);
        }
    }
    return 0;
}

EntryFileStamp IndexFileStamp(const std::filesystem::path& historyFolder) {
    EntryFileStamp stamp{kIndexName};
    const platform::FileStamp status = platform::StampOf(historyFolder / kIndexName);
    if (status.found) {
        stamp.size = status.size;
        stamp.time = status.time;
    }
    return stamp;
}

std::map<std::string, IndexedText> ReadHistoryIndex(const std::filesystem::path& historyFolder) {
    std::map<std::string, IndexedText> index;
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(historyFolder / kIndexName, bytes)) {
        return index;
    }
    const std::string_view all(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::vector<std::string_view> lines = SplitText(all, '\n');
    if (lines.empty() || lines[0] != kIndexHeader) {
        return index;
    }
    for (std::size_t i = 1; i < lines.size(); ++i) {
        // name|size|time|hash|text: the text is the rest of the line.
        std::vector<std::string_view> parts;
        std::string_view rest = lines[i];
        for (int k = 0; k < 4 && rest.find('|') != std::string_view::npos; ++k) {
            parts.push_back(rest.substr(0, rest.find('|')));
            rest.remove_prefix(parts.back().size() + 1);
        }
        if (parts.size() != 4) {
            continue;
        }
        const auto size = HistoryNumber(parts[1]);
        std::int64_t time = 0;
        const auto [end, problem] =
            std::from_chars(parts[2].data(), parts[2].data() + parts[2].size(), time);
        auto text = Unescaped(rest);
        if (!size || problem != std::errc() || end != parts[2].data() + parts[2].size() || !text ||
            TextHash(*text) != parts[3]) {
            continue; // a damaged line: its entry is read from its file
        }
        IndexedText line{{std::string(parts[0])}, std::move(*text)};
        line.stamp.size = *size;
        line.stamp.time = time;
        index.emplace(line.stamp.name, std::move(line));
    }
    return index;
}

void WriteHistoryIndex(const std::filesystem::path& historyFolder,
                       const std::vector<IndexedText>& entries) {
    std::string text(kIndexHeader);
    text += '\n';
    for (const IndexedText& entry : entries) {
        text += entry.stamp.name + "|" + std::to_string(entry.stamp.size) + "|" +
                std::to_string(entry.stamp.time) + "|" + TextHash(entry.text) + "|" +
                Escaped(entry.text) + "\n";
    }
    WriteTextFileAtomically(historyFolder / kIndexName, text);
}

} // namespace orvix::detail
