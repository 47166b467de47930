#include "storage/history_recorder.h"

#include "storage/card_identity.h"
#include "storage/file_backup.h"
#include "storage/file_io.h"
#include "storage/file_steps.h"
#include "storage/history_detail.h"
#include "storage/history_store.h"
#include "storage/platform.h"

namespace orvix {

namespace {

using detail::AbsolutePath;
using detail::EntryFileName;
using detail::HistoryFolder;

SaveDescriber& Describer() {
    static SaveDescriber describer;
    return describer;
}

std::filesystem::path EntryPath(const std::filesystem::path& folder, int sequence,
                                std::string_view suffix) {
    return folder / std::filesystem::path(EntryFileName(sequence)).replace_extension(suffix);
}

bool FinalExists(const std::filesystem::path& folder, int sequence) {
    std::error_code code;
    return std::filesystem::exists(EntryPath(folder, sequence, kEntrySuffix), code) || code;
}

// The entry with only the files whose mark changes.
HistoryEntry Changed(const HistoryEntry& entry) {
    HistoryEntry changed = entry;
    std::erase_if(changed.files, [](const HistoryFile& file) { return file.after == file.before; });
    return changed;
}

} // namespace

void SetSaveDescriber(SaveDescriber describer) {
    Describer() = std::move(describer);
}

HistoryRecorder::HistoryRecorder(std::filesystem::path cardFolder,
                                 std::filesystem::path backupFolder,
                                 std::chrono::system_clock::time_point now)
    : card_(AbsolutePath(cardFolder)), backups_(std::move(backupFolder)), now_(now) {}

std::filesystem::path HistoryRecorder::EntryFolder() const {
    return HistoryFolder(backups_);
}

HistoryStart HistoryRecorder::Begin(std::span<const SavedFile> files, FileError* error) {
    files_.assign(files.begin(), files.end());
    entry_ = HistoryEntry{};
    entry_.time = HistoryTime(now_);
    entry_.card = Utf8FromPath(card_);
    pending_.clear();
    sequence_ = 0;
    entry_.identity = CardIdentity(card_);
    entry_.restoreOf = restoreOf_;
    // The new copies' names go onto the disk after the entry's, whose flushes put theirs there
    // as well (one journal commit), and before the first card file is replaced.
    std::vector<UnflushedCopy> copies;
    const auto flushCopies = [&](FileError* failed) {
        bool flushed = true;
        for (const UnflushedCopy& copy : copies) {
            flushed = FlushBackupCopy(copy, flushed ? failed : nullptr) && flushed;
        }
        return flushed;
    };
    for (const SavedFile& saved : files_) {
        HistoryFile file{saved.name, Utf8FromPath(BackupFolderOf(saved.path, backups_).filename())};
        if (!PrepareBackupFolder(saved.path, backups_, error)) {
            flushCopies(nullptr);
            return HistoryStart::BackupFailed;
        }
        UnflushedCopy& copy = copies.emplace_back();
        if (saved.now != nullptr) {
            // The caller's reading under the lock is the file as it is: copied and marked as is.
            if (*saved.now && (!BackUpContent(saved.path, **saved.now, backups_, now_, error,
                                              &file.copy, &copy))) {
                flushCopies(nullptr);
                return HistoryStart::BackupFailed;
            }
            if (*saved.now) {
                file.before = MarkOf(**saved.now);
            }
        } else {
            if (!BackUpFile(saved.path, backups_, now_, error, &file.copy, &copy)) {
                flushCopies(nullptr);
                return HistoryStart::BackupFailed;
            }
            std::vector<std::uint8_t> bytes;
            if (!file.copy.empty()) {
                if (!ReadWholeFile(saved.path, bytes, error)) {
                    flushCopies(nullptr);
                    return HistoryStart::BackupFailed;
                }
                file.before = MarkOf(bytes);
            }
        }
        file.after = saved.after;
        entry_.files.push_back(std::move(file));
    }
    HistoryEntry pending = Changed(entry_);
    if (pending.files.empty()) {
        // Nothing will change: nothing to record.
        return flushCopies(error) ? HistoryStart::Started : HistoryStart::BackupFailed;
    }
    const std::filesystem::path folder = EntryFolder();
    std::error_code code;
    std::filesystem::create_directories(folder, code);
    if (code) {
        if (error != nullptr) {
            *error = FileError::Of(folder, platform::FailureOfError(code));
        }
        flushCopies(nullptr);
        return HistoryStart::EntryFailed;
    }
    // A number no entry has, final or pending; taking the pending name fails where another
    // writer (of another card) took it first, and that writer's final entry is looked for again
    // afterwards, since it may have been made final meanwhile.
    int sequence = LargestSequence(backups_);
    for (int attempt = 0; attempt < 100; ++attempt) {
        pending.sequence = ++sequence;
        if (FinalExists(folder, sequence)) {
            continue;
        }
        const std::filesystem::path path = EntryPath(folder, sequence, kPendingEntrySuffix);
        bool exists = false;
        if (!WriteNewTextFileAtomically(path, FormatHistoryEntry(pending), error, &exists)) {
            if (exists) {
                continue;
            }
            flushCopies(nullptr);
            return HistoryStart::EntryFailed;
        }
        if (FinalExists(folder, sequence)) {
            std::filesystem::remove(path, code);
            continue;
        }
        if (!flushCopies(error)) {
            std::filesystem::remove(path, code); // no save without its copies
            return HistoryStart::BackupFailed;
        }
        pending_ = path;
        sequence_ = sequence;
        entry_.sequence = sequence;
        return HistoryStart::Started;
    }
    flushCopies(nullptr);
    if (error != nullptr) {
        *error = FileError{folder, "no free number for the history entry"};
    }
    return HistoryStart::EntryFailed;
}

bool HistoryRecorder::Finish(FileError* error) {
    return Complete(false, error);
}

bool HistoryRecorder::FinishWritten(FileError* error) {
    return Complete(true, error);
}

HistoryEntry HistoryRecorder::FinalEntry(bool written) const {
    // What the write left in each file: all it was to hold when it succeeded; after a failure,
    // which may have put some or all of them back, what the files hold now.
    HistoryEntry entry = entry_;
    for (std::size_t i = 0; !written && i < files_.size(); ++i) {
        HistoryFile& file = entry.files[i];
        std::vector<std::uint8_t> bytes;
        std::error_code code;
        file.after.reset();
        if (std::filesystem::exists(files_[i].path, code) && ReadWholeFile(files_[i].path, bytes)) {
            file.after = MarkOf(bytes);
        }
    }
    entry = Changed(entry);
    if (entry.files.empty() || !Describer()) {
        return entry;
    }
    std::vector<SavedContent> contents;
    for (const HistoryFile& file : entry.files) {
        SavedContent content{file.name, std::nullopt, std::nullopt};
        if (!file.copy.empty()) {
            content.before = backups_ / file.folder / file.copy;
        }
        for (const SavedFile& saved : files_) {
            if (saved.name != file.name) {
                continue;
            }
            if (file.after) {
                content.after = saved.path;
            }
            if (content.before && saved.now != nullptr && *saved.now) {
                content.beforeBytes = &**saved.now;
            }
            if (content.after && written) {
                content.afterBytes = saved.content;
            }
        }
        contents.push_back(std::move(content));
    }
    try {
        entry.changes = Describer()(card_, contents);
    } catch (...) {
        entry.changes.clear(); // a save is never lost for its description
    }
    return entry;
}

bool HistoryRecorder::RemovePending() {
    platform::Failure failure;
    const bool removed =
        detail::RunFileStep(FileStep::Remove, pending_, failure, [&](platform::Failure* f) {
            return platform::RemoveFile(pending_, f);
        });
    pending_.clear();
    return removed;
}

void HistoryRecorder::PrepareFinish() {
    if (pending_.empty() || prepared_) {
        return;
    }
    for (const SavedFile& saved : files_) {
        if (saved.after && saved.content == nullptr) {
            return; // its description reads the written file
        }
    }
    prepared_ = true;
    const std::string text = FormatHistoryEntry(FinalEntry(true));
    const std::filesystem::path path = EntryPath(EntryFolder(), sequence_, kEntrySuffix);
    const auto* data = reinterpret_cast<const std::uint8_t*>(text.data());
    platform::Failure failure;
    if (!detail::RunFileStep(FileStep::OpenTemporary, path, failure,
                             [&](platform::Failure* f) { return final_.Create(path, f); }) ||
        !detail::RunFileStep(FileStep::Write, path, failure, [&](platform::Failure* f) {
            return final_.Write({data, text.size()}, f);
        })) {
        final_ = platform::TemporaryFile();
        prepareError_ = FileError::Of(path, failure);
    }
}

// The final entry PrepareFinish wrote: flushed, named only where no file of that name is, its
// name flushed; the pending entry goes only then.
bool HistoryRecorder::CompletePrepared(FileError* error) {
    const std::filesystem::path path = EntryPath(EntryFolder(), sequence_, kEntrySuffix);
    platform::Failure failure;
    const auto fail = [&](const FileError& why) {
        final_ = platform::TemporaryFile();
        if (error != nullptr) {
            *error = why;
        }
        return false;
    };
    if (!prepareError_.path.empty()) {
        return fail(prepareError_);
    }
    if (!detail::RunFileStep(FileStep::Flush, path, failure,
                             [&](platform::Failure* f) { return final_.FlushAndClose(f); })) {
        return fail(FileError::Of(path, failure));
    }
    const std::filesystem::path temporary = final_.Keep();
    if (!detail::RunFileStep(FileStep::Rename, path, failure, [&](platform::Failure* f) {
            return platform::CreateNew(temporary, path, f);
        })) {
        platform::RemoveFile(temporary);
        return fail(FileError::Of(path, failure));
    }
    FileError flush;
    if (!detail::FlushFolderOf(path, &flush)) {
        platform::RemoveFile(path); // a final entry whose name may not be on the disk is none
        return fail(flush);
    }
    RemovePending();
    return true;
}

bool HistoryRecorder::Complete(bool written, FileError* error) {
    if (pending_.empty()) {
        return true;
    }
    if (written && prepared_) {
        return CompletePrepared(error);
    }
    final_ = platform::TemporaryFile(); // prepared for a write that failed
    const HistoryEntry entry = FinalEntry(written);
    if (entry.files.empty()) {
        RemovePending(); // the save wrote nothing; a pending entry left says only that it began
        sequence_ = 0;
        return true;
    }
    if (!WriteNewTextFileAtomically(EntryPath(EntryFolder(), sequence_, kEntrySuffix),
                                    FormatHistoryEntry(entry), error)) {
        return false;
    }
    // The final entry is what the history reads; a pending one beside it is passed over.
    RemovePending();
    return true;
}

} // namespace orvix
