#include "storage/history_entry.h"

#include <algorithm>
#include <cstdio>
#include <set>

// Header-only, so that no library of it is needed at run time (the Windows build defines it).
#ifndef XXH_INLINE_ALL
#define XXH_INLINE_ALL
#endif
#include <xxhash.h>

#include "storage/file_backup.h"
#include "storage/history_detail.h"

namespace orvix {

namespace {

using detail::CardName;
using detail::HistoryNumber;
using detail::PlainName;
using detail::SplitText;

constexpr std::string_view kHeader = "orvix2-history 1";

std::string Hex64(std::uint64_t value) {
    char text[20];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

bool IsHash(std::string_view text) {
    return (text.size() == 32 || text.size() == 16) &&
           std::all_of(text.begin(), text.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

std::optional<ContentMark> Mark(std::string_view size, std::string_view hash, bool& ok) {
    if (size == "-" && hash == "-") {
        return std::nullopt;
    }
    const auto number = HistoryNumber(size);
    if (!number || !IsHash(hash)) {
        ok = false;
        return std::nullopt;
    }
    return ContentMark{*number, std::string(hash)};
}

std::string MarkText(const std::optional<ContentMark>& mark) {
    return mark ? std::to_string(mark->size) + "|" + mark->hash : "-|-";
}

// '%', '|' and line breaks, which would end a field or a line, as %25, %7C, %0A, %0D.
std::string Escaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '%':
            out += "%25";
            break;
        case '|':
            out += "%7C";
            break;
        case '\n':
            out += "%0A";
            break;
        case '\r':
            out += "%0D";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::optional<std::string> Unescaped(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        const std::string_view code = text.substr(i + 1, 2);
        if (code == "25") {
            out += '%';
        } else if (code == "7C") {
            out += '|';
        } else if (code == "0A") {
            out += '\n';
        } else if (code == "0D") {
            out += '\r';
        } else {
            return std::nullopt;
        }
        i += 2;
    }
    return out;
}

} // namespace

ContentMark MarkOf(std::span<const std::uint8_t> bytes) {
    const XXH128_hash_t hash = XXH3_128bits(bytes.data(), bytes.size());
    return ContentMark{bytes.size(), Hex64(hash.high64) + Hex64(hash.low64)};
}

ContentMark MarkLike(const ContentMark& recorded, std::span<const std::uint8_t> bytes) {
    return recorded.hash.size() == 16 ? LegacyMarkOf(bytes) : MarkOf(bytes);
}

ContentMark LegacyMarkOf(std::span<const std::uint8_t> bytes) {
    // FNV-1a over little-endian 64-bit words, then the last bytes one by one: a program file's
    // mark takes about a millisecond.
    std::uint64_t hash = 14695981039346656037ull;
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word = 0;
        for (std::size_t k = 0; k < 8; ++k) {
            word |= std::uint64_t{bytes[i + k]} << (8 * k);
        }
        hash = (hash ^ word) * 1099511628211ull;
    }
    for (; i < bytes.size(); ++i) {
        hash = (hash ^ bytes[i]) * 1099511628211ull;
    }
    return ContentMark{bytes.size(), Hex64(hash)};
}

bool MarkMatches(const ContentMark& mark, std::span<const std::uint8_t> bytes) {
    return mark.size == bytes.size() && MarkLike(mark, bytes) == mark;
}

std::string HistoryTime(std::chrono::system_clock::time_point now) {
    return LocalTimeText(now, "%Y-%m-%dT%H:%M:%S");
}

std::string FormatHistoryEntry(const HistoryEntry& entry) {
    std::string text = std::string(kHeader) + "\nsequence " + std::to_string(entry.sequence) +
                       "\ntime " + entry.time + "\ncard " + entry.card + "\n";
    if (!entry.identity.empty()) {
        text += "identity " + entry.identity + "\n";
    }
    if (!entry.restoreOf.empty()) {
        text += "restore " + entry.restoreOf + "\n";
    }
    for (const HistoryFile& file : entry.files) {
        text += "file " + file.name + "|" + file.folder + "|" +
                (file.copy.empty() ? "-" : file.copy) + "|" + MarkText(file.before) + "|" +
                MarkText(file.after) + "\n";
    }
    for (const RecordedChange& change : entry.changes) {
        text += "change " + Escaped(change.area) + "|" + Escaped(change.key) + "|" +
                Escaped(change.before) + "|" + Escaped(change.after) + "\n";
    }
    return text;
}

HistoryEntry ParseHistoryEntry(std::string_view text, int fallbackSequence) {
    HistoryEntry entry;
    entry.sequence = fallbackSequence;
    const auto broken = [&](std::string problem) {
        entry.readable = false;
        entry.problem = std::move(problem);
        entry.files.clear();
        entry.changes.clear();
        return entry;
    };
    if (text.size() > 1'000'000) {
        return broken("the entry is too large");
    }
    std::vector<std::string_view> lines = SplitText(text, '\n');
    if (!lines.empty() && lines.back().empty()) {
        lines.pop_back();
    }
    if (lines.size() < 5 || lines[0] != kHeader) {
        return broken("not a history entry");
    }
    const auto value = [&](std::size_t line,
                           std::string_view key) -> std::optional<std::string_view> {
        const std::string prefix = std::string(key) + " ";
        if (!lines[line].starts_with(prefix)) {
            return std::nullopt;
        }
        return lines[line].substr(prefix.size());
    };
    const auto sequence = value(1, "sequence");
    const auto number = sequence ? HistoryNumber(*sequence) : std::nullopt;
    if (!number || *number == 0 || *number > 999'999'999) {
        return broken("no sequence number");
    }
    entry.sequence = static_cast<int>(*number);
    const auto time = value(2, "time");
    if (!time || time->size() != 19 || (*time)[10] != 'T') {
        return broken("no time");
    }
    entry.time = std::string(*time);
    const auto card = value(3, "card");
    if (!card || card->empty()) {
        return broken("no card folder");
    }
    entry.card = std::string(*card);
    std::size_t i = 4;
    if (const auto identity = value(i, "identity")) {
        if (identity->empty()) {
            return broken("no card identity");
        }
        entry.identity = std::string(*identity);
        ++i;
    }
    if (const auto restore = value(i, "restore")) {
        if (*restore != "first" && !HistoryNumber(*restore)) {
            return broken("line " + std::to_string(i + 1) + " names no point");
        }
        entry.restoreOf = std::string(*restore);
        ++i;
    }
    std::set<std::string> names;
    for (; i < lines.size() && !lines[i].starts_with("change "); ++i) {
        const auto line = value(i, "file");
        const std::vector<std::string_view> parts =
            line ? SplitText(*line, '|') : std::vector<std::string_view>{};
        if (parts.size() != 7) {
            return broken("line " + std::to_string(i + 1) + " is no file of the entry");
        }
        bool ok = CardName(parts[0]) && PlainName(parts[1]) && PlainName(parts[2]);
        HistoryFile file{std::string(parts[0]), std::string(parts[1]),
                         parts[2] == "-" ? std::string() : std::string(parts[2])};
        file.before = Mark(parts[3], parts[4], ok);
        file.after = Mark(parts[5], parts[6], ok);
        if (!ok || file.copy.empty() != !file.before || !names.insert(file.name).second) {
            return broken("line " + std::to_string(i + 1) + " is no file of the entry");
        }
        entry.files.push_back(std::move(file));
    }
    for (; i < lines.size(); ++i) {
        const auto line = value(i, "change");
        const std::vector<std::string_view> parts =
            line ? SplitText(*line, '|') : std::vector<std::string_view>{};
        std::optional<std::string> fields[4];
        for (std::size_t k = 0; k < parts.size() && k < 4; ++k) {
            fields[k] = Unescaped(parts[k]);
        }
        if (parts.size() != 4 || !fields[0] || !fields[1] || !fields[2] || !fields[3] ||
            fields[0]->empty() || fields[1]->empty()) {
            return broken("line " + std::to_string(i + 1) + " is no change of the entry");
        }
        entry.changes.push_back(RecordedChange{*fields[0], *fields[1], *fields[2], *fields[3]});
    }
    return entry;
}

} // namespace orvix
