#include "storage/history_points.h"

#include <algorithm>
#include <cctype>
#include <mutex>
#include <set>

#include "storage/file_backup.h"
#include "storage/file_io.h"
#include "storage/history_detail.h"
#include "storage/platform.h"

namespace orvix {

using detail::AbsolutePath;
using detail::UnderFolder;

namespace {

// What a copy was found to hold, kept while it keeps its size and time, so that the points of a
// long history read and place each copy once.
struct CheckedCopy {
    std::uintmax_t size = 0;
    std::int64_t time = 0; // of its last change, in nanoseconds
    std::string problem;
    ContentMark mark; // when checked against no mark: what it holds
};

// Why a copy cannot stand for its file (empty when it can): it must be a regular file inside the
// backups folder and, when the history recorded a mark for it, hold what that mark says. found
// gets what it holds when no mark is given.
std::string CopyProblem(const std::filesystem::path& path, const std::filesystem::path& backups,
                        const std::optional<ContentMark>& mark, ContentMark* found = nullptr) {
    // One lstat: whether it is there, a link or a regular file, and its size and time.
    const platform::FileStamp status = platform::StampOf(path);
    if (!status.found) {
        return "is gone";
    }
    if (status.isLink) {
        return "is a symbolic link";
    }
    if (!status.isFile) {
        return "is no regular file";
    }
    const auto size = static_cast<std::uintmax_t>(status.size);
    const std::int64_t time = status.time;
    static std::mutex mutex;
    static std::map<std::string, CheckedCopy> checked; // path|recorded hash -> finding
    const std::string key = Utf8FromPath(path) + "|" + (mark ? mark->hash : std::string());
    std::unique_lock lock(mutex);
    auto known = checked.find(key);
    if (known == checked.end() || known->second.size != size || known->second.time != time) {
        lock.unlock();
        CheckedCopy copy{size, time, {}, {}};
        std::error_code code;
        std::error_code rootCode;
        const std::filesystem::path real = std::filesystem::canonical(path, code);
        const std::filesystem::path root = std::filesystem::canonical(backups, rootCode);
        std::vector<std::uint8_t> bytes;
        if (code || rootCode || !UnderFolder(real, root)) {
            copy.problem = "lies outside the backups folder";
        } else if (!ReadWholeFile(real, bytes)) {
            copy.problem = "cannot be read";
        } else if (mark && !MarkMatches(*mark, bytes)) {
            copy.problem = "does not hold what was recorded";
        } else {
            copy.mark = mark ? *mark : MarkOf(bytes);
        }
        lock.lock();
        known = checked.insert_or_assign(key, std::move(copy)).first;
    }
    if (found != nullptr) {
        *found = known->second.mark;
    }
    return known->second.problem;
}

void Forget(CardAtPoint& point, const std::string& name) {
    std::erase(point.missing, name);
    std::erase(point.unchecked, name);
    point.damaged.erase(name);
    point.files.erase(name);
    point.marks.erase(name);
}

// Takes a file's content of before the entry's save as the point's.
void Take(CardAtPoint& point, const HistoryFile& file, const std::filesystem::path& backups) {
    Forget(point, file.name);
    if (file.copy.empty()) {
        point.files.emplace(file.name, std::nullopt);
        return;
    }
    const std::filesystem::path path = backups / file.folder / file.copy;
    const std::string problem =
        file.before ? CopyProblem(path, backups, file.before) : std::string("has no recorded mark");
    if (problem.empty()) {
        point.files.emplace(file.name, path);
        point.marks.emplace(file.name, *file.before);
    } else {
        point.missing.push_back(file.name);
        point.damaged.emplace(file.name, problem);
    }
}

bool Decided(const CardAtPoint& point, const std::string& name) {
    return point.files.contains(name) || point.damaged.contains(name);
}

void Settle(CardAtPoint& point) {
    std::sort(point.missing.begin(), point.missing.end());
    std::sort(point.unchecked.begin(), point.unchecked.end());
    point.complete = point.missing.empty();
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
            point.skipped.push_back(entry.sequence);
            continue;
        }
        for (const HistoryFile& file : entry.files) {
            if (!Decided(point, file.name)) { // else an earlier save after the point has it
                Take(point, file, backupFolder);
            }
        }
    }
    Settle(point);
    return point;
}

std::vector<CardAtPoint> CardBeforeEach(std::span<const HistoryEntry> entries,
                                        const std::filesystem::path& backupFolder) {
    std::vector<CardAtPoint> points(entries.size());
    CardAtPoint point;
    for (std::size_t i = entries.size(); i-- > 0;) {
        if (!entries[i].readable) {
            point.skipped.insert(point.skipped.begin(), entries[i].sequence);
        }
        for (const HistoryFile& file : entries[i].files) {
            Take(point, file, backupFolder); // an earlier save decides over later ones
        }
        Settle(point);
        points[i] = point;
    }
    return points;
}

CardAtPoint CardAtFirst(std::span<const HistoryEntry> entries,
                        const std::filesystem::path& backupFolder,
                        const std::filesystem::path& cardFolder) {
    CardAtPoint point = CardBefore(entries, 0, backupFolder);
    // The first save of each file: where it found the file absent, the file was absent at first.
    std::map<std::string, const HistoryFile*> firstSave;
    std::map<std::filesystem::path, std::string> folders; // folder of backups -> card name
    for (const HistoryEntry& entry : entries) {
        for (const HistoryFile& file : entry.files) {
            firstSave.emplace(file.name, &file);
            folders.emplace(backupFolder / file.folder, file.name);
        }
    }
    // Folders no entry names, as earlier versions kept them, found by their SOURCE.txt.
    const std::filesystem::path card = AbsolutePath(cardFolder);
    std::error_code code;
    for (const auto& folder : std::filesystem::directory_iterator(backupFolder, code)) {
        const std::filesystem::path source = BackupSource(folder.path());
        if (folders.contains(folder.path()) || source.empty() || !UnderFolder(source, card)) {
            continue;
        }
        std::string name = source.lexically_relative(card).generic_string();
        std::replace(name.begin(), name.end(), '/', '\\');
        std::string upper = name;
        std::transform(upper.begin(), upper.end(), upper.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        folders.emplace(folder.path(), upper == "STARTUP.BIN" ? upper : name);
    }
    for (const auto& [folder, name] : folders) {
        const auto first = firstSave.find(name);
        if (first != firstSave.end() && first->second->copy.empty()) {
            continue; // absent before its first save
        }
        std::filesystem::path source = BackupSource(folder).filename();
        if (source.empty()) {
            source = name.substr(name.rfind('\\') + 1);
        }
        const std::string stem = Utf8FromPath(source.stem()) + "-first-";
        std::vector<std::string> copies;
        std::error_code inner;
        for (const auto& copy : std::filesystem::directory_iterator(folder, inner)) {
            const std::string copyName = Utf8FromPath(copy.path().filename());
            if (copyName.starts_with(stem) &&
                copyName.ends_with(Utf8FromPath(source.extension()))) {
                copies.push_back(copyName);
            }
        }
        if (copies.empty()) {
            continue;
        }
        std::sort(copies.begin(), copies.end());
        Forget(point, name);
        const bool recorded = first != firstSave.end() && first->second->copy == copies.front();
        const std::filesystem::path path = folder / copies.front();
        ContentMark mark;
        const std::string problem =
            CopyProblem(path, backupFolder,
                        recorded ? first->second->before : std::optional<ContentMark>(), &mark);
        if (!problem.empty()) {
            point.missing.push_back(name);
            point.damaged.emplace(name, problem);
            continue;
        }
        point.files[name] = path;
        point.marks[name] = recorded ? *first->second->before : mark;
        if (!recorded) {
            point.unchecked.push_back(name);
        }
    }
    Settle(point);
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
        std::vector<std::uint8_t> bytes;
        const bool there = std::filesystem::exists(path, code);
        if (there != after.has_value() ||
            (there && (!ReadWholeFile(path, bytes) || !MarkMatches(*after, bytes)))) {
            changed.push_back(name);
        }
    }
    return changed;
}

} // namespace orvix
