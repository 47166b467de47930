#include "storage/history_points.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "storage/file_backup.h"
#include "storage/file_io.h"
#include "storage/history_detail.h"

namespace orvix {

using detail::AbsolutePath;
using detail::UnderFolder;

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
    const std::filesystem::path card = AbsolutePath(cardFolder);
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
            now = !ReadWholeFile(path, bytes) ? ContentMark{0, "unreadable"}
                  : after                     ? MarkLike(*after, bytes)
                                              : MarkOf(bytes);
        }
        if (now != after) {
            changed.push_back(name);
        }
    }
    return changed;
}

} // namespace orvix
