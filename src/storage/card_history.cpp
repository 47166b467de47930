#include "storage/card_history.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <set>
#include <unistd.h>

#include "storage/file_backup.h"

namespace orvix {

namespace {

constexpr std::string_view kHeader = "orvix2-history 1";

std::string Hex64(std::uint64_t value) {
    char text[20];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

std::optional<std::uint64_t> Number(std::string_view text) {
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

bool IsHash(std::string_view text) {
    return text.size() == 16 && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
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

// A name that stays inside its folder: no separator, no "." or "..", nothing empty.
bool PlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

// A card name: parts separated by backslashes, each a plain name.
bool CardName(std::string_view name) {
    if (name.empty() || name.size() > 255) {
        return false;
    }
    for (const std::string_view part : Split(name, '\\')) {
        if (!PlainName(part)) {
            return false;
        }
    }
    return true;
}

std::optional<ContentMark> Mark(std::string_view size, std::string_view hash, bool& ok) {
    if (size == "-" && hash == "-") {
        return std::nullopt;
    }
    const auto number = Number(size);
    if (!number || !IsHash(hash)) {
        ok = false;
        return std::nullopt;
    }
    return ContentMark{*number, std::string(hash)};
}

std::string MarkText(const std::optional<ContentMark>& mark) {
    return mark ? std::to_string(mark->size) + "|" + mark->hash : "-|-";
}

std::filesystem::path HistoryFolder(const std::filesystem::path& backupFolder) {
    return backupFolder / kHistoryFolderName;
}

std::string EntryFileName(int sequence) {
    char name[32];
    std::snprintf(name, sizeof name, "%06d.txt", sequence);
    return name;
}

// Writes the entry under its number, never over another one: a second writer on another card
// taking the same number moves on to the next.
int WriteNewEntry(const std::filesystem::path& backupFolder, HistoryEntry& entry,
                  FileError* error) {
    const std::filesystem::path folder = HistoryFolder(backupFolder);
    std::error_code code;
    std::filesystem::create_directories(folder, code);
    int sequence = 0;
    for (const HistoryEntry& other : ReadHistoryFolder(backupFolder)) {
        sequence = std::max(sequence, other.sequence);
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        entry.sequence = ++sequence;
        const std::filesystem::path path = folder / EntryFileName(sequence);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) {
            if (errno == EEXIST) {
                continue;
            }
            break;
        }
        const std::string text = FormatHistoryEntry(entry);
        const bool written =
            ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
            ::fsync(fd) == 0;
        ::close(fd);
        if (written) {
            return sequence;
        }
        std::filesystem::remove(path, code);
        break;
    }
    if (error != nullptr) {
        *error = FileError{folder, "the history entry could not be written"};
    }
    return 0;
}

bool UnderFolder(const std::filesystem::path& file, const std::filesystem::path& folder) {
    const std::string f = file.lexically_normal().string();
    std::string d = folder.lexically_normal().string();
    if (!d.empty() && d.back() != '/') {
        d += '/';
    }
    return f.starts_with(d);
}

std::filesystem::path Absolute(const std::filesystem::path& path) {
    std::error_code code;
    const std::filesystem::path absolute = std::filesystem::absolute(path, code);
    return code ? path : absolute.lexically_normal();
}

} // namespace

ContentMark MarkOf(std::span<const std::uint8_t> bytes) {
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

std::string HistoryTime(std::chrono::system_clock::time_point now) {
    return LocalTimeText(now, "%Y-%m-%dT%H:%M:%S");
}

std::string FormatHistoryEntry(const HistoryEntry& entry) {
    std::string text = std::string(kHeader) + "\nsequence " + std::to_string(entry.sequence) +
                       "\ntime " + entry.time + "\ncard " + entry.card + "\n";
    for (const HistoryFile& file : entry.files) {
        text += "file " + file.name + "|" + file.folder + "|" +
                (file.copy.empty() ? "-" : file.copy) + "|" + MarkText(file.before) + "|" +
                MarkText(file.after) + "\n";
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
        return entry;
    };
    if (text.size() > 1'000'000) {
        return broken("the entry is too large");
    }
    std::vector<std::string_view> lines = Split(text, '\n');
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
    const auto number = sequence ? Number(*sequence) : std::nullopt;
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
    std::set<std::string> names;
    for (std::size_t i = 4; i < lines.size(); ++i) {
        const auto line = value(i, "file");
        const std::vector<std::string_view> parts =
            line ? Split(*line, '|') : std::vector<std::string_view>{};
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
    return entry;
}

HistoryRecorder::HistoryRecorder(std::filesystem::path cardFolder,
                                 std::filesystem::path backupFolder,
                                 std::chrono::system_clock::time_point now)
    : card_(Absolute(cardFolder)), backups_(std::move(backupFolder)), now_(now) {}

bool HistoryRecorder::Begin(std::span<const SavedFile> files, FileError* error) {
    files_.assign(files.begin(), files.end());
    entry_ = HistoryEntry{};
    entry_.time = HistoryTime(now_);
    entry_.card = card_.string();
    for (const SavedFile& saved : files_) {
        HistoryFile file{saved.name, BackupFolderOf(saved.path, backups_).filename().string()};
        if (!PrepareBackupFolder(saved.path, backups_, error) ||
            !BackUpFile(saved.path, backups_, now_, error, &file.copy)) {
            return false;
        }
        std::vector<std::uint8_t> bytes;
        if (!file.copy.empty()) {
            if (!ReadWholeFile(saved.path, bytes, error)) {
                return false;
            }
            file.before = MarkOf(bytes);
        }
        entry_.files.push_back(std::move(file));
    }
    return true;
}

int HistoryRecorder::Finish(FileError* error) {
    HistoryEntry entry = entry_;
    entry.files.clear();
    for (std::size_t i = 0; i < files_.size(); ++i) {
        HistoryFile file = entry_.files[i];
        std::vector<std::uint8_t> bytes;
        std::error_code code;
        if (std::filesystem::exists(files_[i].path, code) && ReadWholeFile(files_[i].path, bytes)) {
            file.after = MarkOf(bytes);
        }
        if (file.after != file.before) {
            entry.files.push_back(std::move(file));
        }
    }
    if (entry.files.empty()) {
        return 0;
    }
    return WriteNewEntry(backups_, entry, error);
}

std::vector<HistoryEntry> ReadHistoryFolder(const std::filesystem::path& backupFolder) {
    std::vector<HistoryEntry> entries;
    std::error_code code;
    for (const auto& item :
         std::filesystem::directory_iterator(HistoryFolder(backupFolder), code)) {
        const std::string name = item.path().filename().string();
        if (!name.ends_with(".txt")) {
            continue;
        }
        const auto number = Number(name.substr(0, name.size() - 4));
        if (!number || *number == 0 || *number > 999'999'999) {
            continue;
        }
        std::vector<std::uint8_t> bytes;
        HistoryEntry entry;
        if (!ReadWholeFile(item.path(), bytes)) {
            entry.sequence = static_cast<int>(*number);
            entry.readable = false;
            entry.problem = "the entry cannot be read";
        } else {
            entry = ParseHistoryEntry(
                std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                static_cast<int>(*number));
            if (entry.readable && entry.sequence != static_cast<int>(*number)) {
                entry.readable = false;
                entry.problem = "its number differs from its file's name";
                entry.sequence = static_cast<int>(*number);
            }
        }
        entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(),
              [](const HistoryEntry& a, const HistoryEntry& b) { return a.sequence < b.sequence; });
    return entries;
}

std::vector<HistoryEntry> ReadCardHistory(const std::filesystem::path& cardFolder,
                                          const std::filesystem::path& backupFolder) {
    const std::filesystem::path card = Absolute(cardFolder);
    std::map<std::string, std::filesystem::path> sources; // backup folder -> its file
    std::vector<HistoryEntry> entries;
    for (HistoryEntry& entry : ReadHistoryFolder(backupFolder)) {
        if (!entry.readable) {
            if (entry.card.empty() || Absolute(entry.card) == card) {
                entries.push_back(std::move(entry));
            }
            continue;
        }
        bool ours = false;
        bool traced = true;
        for (const HistoryFile& file : entry.files) {
            auto found = sources.find(file.folder);
            if (found == sources.end()) {
                found =
                    sources.emplace(file.folder, BackupSource(backupFolder / file.folder)).first;
            }
            if (found->second.empty()) {
                traced = false;
            } else if (UnderFolder(found->second, card)) {
                ours = true;
            }
        }
        if (ours || (!traced && Absolute(entry.card) == card)) {
            if (!traced) {
                entry.readable = false;
                entry.problem = "a folder of backups it names has no SOURCE.txt";
            }
            entries.push_back(std::move(entry));
        }
    }
    return entries;
}

namespace {

// Where a file's copy of an entry is, when it is still there with the size it was taken with.
std::optional<std::filesystem::path> CopyPath(const HistoryFile& file,
                                              const std::filesystem::path& backupFolder) {
    const std::filesystem::path path = backupFolder / file.folder / file.copy;
    std::error_code code;
    const auto size = std::filesystem::file_size(path, code);
    if (code || !file.before || size != file.before->size) {
        return std::nullopt;
    }
    return path;
}

} // namespace

CardAtPoint CardBefore(std::span<const HistoryEntry> entries, int sequence,
                       const std::filesystem::path& backupFolder) {
    CardAtPoint point;
    for (const HistoryEntry& entry : entries) {
        if (entry.sequence < sequence) {
            continue;
        }
        if (!entry.readable) {
            point.complete = false;
            point.missing.push_back("entry " + std::to_string(entry.sequence));
            continue;
        }
        for (const HistoryFile& file : entry.files) {
            if (point.files.contains(file.name) ||
                std::find(point.missing.begin(), point.missing.end(), file.name) !=
                    point.missing.end()) {
                continue; // an earlier save after the point has it
            }
            if (file.copy.empty()) {
                point.files.emplace(file.name, std::nullopt);
            } else if (const auto path = CopyPath(file, backupFolder)) {
                point.files.emplace(file.name, *path);
                point.marks.emplace(file.name, *file.before);
            } else {
                point.complete = false;
                point.missing.push_back(file.name);
            }
        }
    }
    return point;
}

CardAtPoint CardAtFirst(std::span<const HistoryEntry> entries,
                        const std::filesystem::path& backupFolder,
                        const std::filesystem::path& cardFolder) {
    CardAtPoint point = CardBefore(entries, 0, backupFolder);
    // Where the first save of a file found it, its first copy (kept for good) is what it was.
    std::set<std::string> absent;
    for (const auto& [name, source] : point.files) {
        if (!source) {
            absent.insert(name);
        }
    }
    const std::filesystem::path card = Absolute(cardFolder);
    std::error_code code;
    for (const auto& folder : std::filesystem::directory_iterator(backupFolder, code)) {
        const std::filesystem::path source = BackupSource(folder.path());
        if (source.empty() || !UnderFolder(source, card)) {
            continue;
        }
        std::string name = source.lexically_relative(card).generic_string();
        std::replace(name.begin(), name.end(), '/', '\\');
        std::string upper = name;
        std::transform(upper.begin(), upper.end(), upper.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (upper == "STARTUP.BIN") {
            name = upper; // the program, however the card spells it
        }
        if (absent.contains(name)) {
            continue;
        }
        const std::string stem = source.stem().string() + "-first-";
        std::error_code inner;
        for (const auto& copy : std::filesystem::directory_iterator(folder.path(), inner)) {
            const std::string copyName = copy.path().filename().string();
            std::vector<std::uint8_t> bytes;
            if (copyName.starts_with(stem) && copyName.ends_with(source.extension().string()) &&
                ReadWholeFile(copy.path(), bytes)) {
                point.files[name] = copy.path();
                point.marks[name] = MarkOf(bytes);
                std::erase(point.missing, name);
            }
        }
    }
    point.complete = point.missing.empty();
    return point;
}

std::vector<std::string> FilesChangedOutside(std::span<const HistoryEntry> entries,
                                             const std::filesystem::path& cardFolder) {
    std::map<std::string, std::optional<ContentMark>> last;
    for (const HistoryEntry& entry : entries) {
        for (const HistoryFile& file : entry.files) {
            last[file.name] = file.after;
        }
    }
    std::vector<std::string> changed;
    for (const auto& [name, after] : last) {
        const std::filesystem::path path = CardFilePath(cardFolder, name);
        std::error_code code;
        std::optional<ContentMark> now;
        std::vector<std::uint8_t> bytes;
        if (std::filesystem::exists(path, code)) {
            now = ReadWholeFile(path, bytes) ? MarkOf(bytes) : ContentMark{0, "unreadable"};
        }
        if (now != after) {
            changed.push_back(name);
        }
    }
    return changed;
}

} // namespace orvix
