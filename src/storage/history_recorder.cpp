#include "storage/history_recorder.h"

#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

#include "storage/card_identity.h"
#include "storage/file_backup.h"
#include "storage/history_detail.h"
#include "storage/history_store.h"

namespace orvix {

namespace {

using detail::AbsolutePath;
using detail::EntryFileName;
using detail::HistoryFolder;

SaveDescriber& Describer() {
    static SaveDescriber describer;
    return describer;
}

// Writes the entry under its number, never over another one: a second writer on another card
// taking the same number moves on to the next.
int WriteNewEntry(const std::filesystem::path& backupFolder, HistoryEntry& entry,
                  FileError* error) {
    const std::filesystem::path folder = HistoryFolder(backupFolder);
    std::error_code code;
    std::filesystem::create_directories(folder, code);
    int sequence = LargestSequence(backupFolder);
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

} // namespace

void SetSaveDescriber(SaveDescriber describer) {
    Describer() = std::move(describer);
}

HistoryRecorder::HistoryRecorder(std::filesystem::path cardFolder,
                                 std::filesystem::path backupFolder,
                                 std::chrono::system_clock::time_point now)
    : card_(AbsolutePath(cardFolder)), backups_(std::move(backupFolder)), now_(now) {}

bool HistoryRecorder::Begin(std::span<const SavedFile> files, FileError* error) {
    files_.assign(files.begin(), files.end());
    entry_ = HistoryEntry{};
    entry_.time = HistoryTime(now_);
    entry_.card = card_.string();
    entry_.identity = CardIdentity(card_);
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
    if (Describer()) {
        std::vector<SavedContent> contents;
        for (const HistoryFile& file : entry.files) {
            SavedContent content{file.name, std::nullopt, std::nullopt};
            if (!file.copy.empty()) {
                content.before = backups_ / file.folder / file.copy;
            }
            for (const SavedFile& saved : files_) {
                if (saved.name == file.name && file.after) {
                    content.after = saved.path;
                }
            }
            contents.push_back(std::move(content));
        }
        try {
            entry.changes = Describer()(card_, contents);
        } catch (...) {
            entry.changes.clear(); // a save is never lost for its description
        }
    }
    return WriteNewEntry(backups_, entry, error);
}

} // namespace orvix
