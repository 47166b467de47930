#include "settings/setting_store.h"

#include <algorithm>
#include <chrono>
#include <system_error>

#include "resources/string_table.h"
#include "storage/card_history.h"
#include "storage/card_lock.h"
#include "storage/file_backup.h"
#include "storage/file_io.h"
#include "storage/file_set_write.h"

namespace orvix {

namespace {

using Bytes = std::vector<std::uint8_t>;

bool Exists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

// The file's name is recorded absent only when nothing of that name (in any letter case) is there.
void RecordAbsent(const EditorDocument& document, const std::string& name, FilesAsRead& asRead) {
    bool ambiguous = false;
    if (!Exists(CardFilePath(CardFolder(document), name, &ambiguous)) && !ambiguous) {
        asRead.emplace(name, std::nullopt);
    }
}

// Whether files changed by another program since they were read may be written over: the
// editor asks, the command-line tool refuses. The first is named, every one in the details.
bool MayWriteOver(const EditorDocument& document, ui::Prompter& prompter,
                  const std::vector<std::string>& changed) {
    std::string detail;
    for (const std::string& name : changed) {
        detail += (detail.empty() ? "" : "\n") + name;
    }
    if (!document.askBeforeOverwritingChanges) {
        prompter.Failure(IDP_FILE_CHANGED_ELSEWHERE, detail, changed.front());
        return false;
    }
    ui::MessageRequest request{IDP_FILE_CHANGED_ELSEWHERE, changed.front()};
    request.buttons = ui::Buttons::YesNo;
    request.icon = ui::Icon::Warning;
    request.defaultAnswer = ui::Answer::No; // nothing is written over unless the person says so
    request.detail = detail;
    return prompter.ShowMessage(request) == ui::Answer::Yes;
}

} // namespace

std::filesystem::path CardFolder(const EditorDocument& document) {
    return PathFromUtf8(document.imagePath).parent_path();
}

bool ReadBinaryFile(EditorDocument& document, ui::Prompter& prompter, const std::string& name,
                    int slot, bool reportFailure, FilesAsRead* asRead) {
    Bytes bytes;
    FileError error;
    if (!ReadCardFile(CardFolder(document), name, bytes, &error)) {
        if (reportFailure) {
            prompter.Failure(IDP_BINARY_READ_FAILED, error.Describe(), name, ui::Icon::Error);
        }
        if (asRead != nullptr) {
            RecordAbsent(document, name, *asRead);
        }
        return false;
    }
    const std::size_t count = std::min(bytes.size(), kSettingBufferSize);
    document.settingBuffer.assign(kSettingBufferSize, 0);
    std::copy_n(bytes.begin(), count, document.settingBuffer.begin());
    if (slot >= 0 && static_cast<std::size_t>(slot) < document.settingSizes.size()) {
        document.settingSizes[static_cast<std::size_t>(slot)] = static_cast<std::int32_t>(count);
    }
    if (asRead != nullptr) {
        (*asRead)[name] = std::move(bytes);
    }
    return true;
}

void RecordFilesAsRead(const EditorDocument& document, std::span<const std::string> names,
                       FilesAsRead& asRead) {
    for (const std::string& name : names) {
        Bytes bytes;
        if (asRead.contains(name)) {
            continue;
        }
        if (ReadCardFile(CardFolder(document), name, bytes)) {
            asRead.emplace(name, std::move(bytes));
        } else {
            RecordAbsent(document, name, asRead);
        }
    }
}

namespace {

// What one turn under the card's lock came to; its message is shown once the lock is released.
struct Turn {
    enum class Kind {
        Busy,       // another writer held the card (message 174)
        Refused,    // a file could not be read or backed up (message 154), nothing written
        NotStarted, // the history entry could not be begun (message 192), nothing written
        Changed,    // files hold something else than was read or asked about
        Failed,     // the set write failed (message 154, every file's state in the details)
        Written,    // written and recorded
        Unrecorded, // written, but its history entry could not be completed (message 193)
    } kind = Kind::Refused;
    std::string name; // the file a message names
    std::string detail;
    FilesAsRead now;                  // Changed: what the files hold, by card name
    std::vector<std::string> changed; // Changed: their names
    std::filesystem::path entries;
};

Turn WriteUnderLock(const EditorDocument& document, std::span<const CardFileWrite> files,
                    const FilesAsRead& expected, FilesAsRead& asRead) {
    Turn turn;
    turn.name = files.front().name;
    const std::filesystem::path folder = CardFolder(document);
    const CardLock lock(folder);
    if (!lock.MayWrite()) {
        turn.kind =
            lock.GetState() == CardLock::State::Busy ? Turn::Kind::Busy : Turn::Kind::Refused;
        turn.detail = lock.Error().Describe();
        return turn;
    }
    const auto refuse = [&](const std::string& name, const FileError& error) {
        turn.name = name;
        turn.detail = error.Describe();
        return turn;
    };
    // Each file as it is now, read under the lock: the base of its new content, and what the
    // set write checks it still holds.
    std::vector<FileReplacement> replacements;
    for (const CardFileWrite& file : files) {
        bool ambiguous = false;
        const std::filesystem::path path = CardFilePath(folder, file.name, &ambiguous);
        if (ambiguous) {
            return refuse(file.name, FileError{path, std::string(kAmbiguousNameReason)});
        }
        std::optional<Bytes> now;
        if (Exists(path)) {
            FileError error;
            if (!ReadWholeFile(path, now.emplace(), &error)) {
                return refuse(file.name, error);
            }
        }
        Bytes bytes = file.bytes;
        if (!file.whole && now) {
            bytes = *now;
            bytes.resize(std::max(bytes.size(), file.bytes.size()), 0);
            std::copy(file.bytes.begin(), file.bytes.end(), bytes.begin());
        }
        const auto read = expected.find(file.name);
        if (read == expected.end() || read->second != now) {
            turn.changed.push_back(file.name);
        }
        turn.now[file.name] = now;
        replacements.push_back(FileReplacement{path, std::move(bytes), std::move(now), true});
    }
    if (!turn.changed.empty()) {
        turn.kind = Turn::Kind::Changed;
        return turn;
    }
    // What the write replaces is kept among the backups (beside Orvix2.ini), and the write
    // becomes one entry of the card's history, begun before the first file is replaced.
    std::optional<HistoryRecorder> history;
    if (!document.iniPath.empty()) {
        history.emplace(folder, PathFromUtf8(document.iniPath).parent_path() / kBackupFolderName,
                        std::chrono::system_clock::now());
        turn.entries = history->EntryFolder();
        std::vector<SavedFile> saved;
        for (std::size_t i = 0; i < replacements.size(); ++i) {
            saved.push_back(SavedFile{files[i].name, replacements[i].path,
                                      MarkOf(replacements[i].bytes), &replacements[i].asRead,
                                      &replacements[i].bytes});
        }
        FileError error;
        switch (history->Begin(saved, &error)) {
        case HistoryStart::Started:
            break;
        case HistoryStart::BackupFailed: {
            // What failed is named: the backup copy (or its folder), or the card file it copies.
            std::string name = Utf8FromPath(error.path);
            for (std::size_t i = 0; i < replacements.size(); ++i) {
                if (replacements[i].path == error.path) {
                    name = files[i].name;
                }
            }
            return refuse(name, error);
        }
        case HistoryStart::EntryFailed:
            turn.kind = Turn::Kind::NotStarted;
            turn.detail = error.Describe();
            return turn;
        }
    }
    FileSetReport report;
    const bool written = WriteFileSet(replacements, &report);
    // Also after a failure: what was put back is no change, the rest is.
    FileError unrecorded;
    const bool recorded =
        !history || (written ? history->FinishWritten(&unrecorded) : history->Finish(&unrecorded));
    // What holds its new content is the editor's own writing, also after a put-back that failed,
    // and no other program's change to ask about on the next try.
    for (std::size_t i = 0; i < replacements.size(); ++i) {
        Bytes now;
        if (written || (ReadWholeFile(replacements[i].path, now) && now == replacements[i].bytes)) {
            asRead[files[i].name] = replacements[i].bytes;
        }
    }
    if (!written) {
        for (std::size_t i = 0; i < replacements.size(); ++i) {
            if (replacements[i].path == report.error.path) {
                turn.name = files[i].name;
            }
        }
        turn.kind = Turn::Kind::Failed;
        turn.detail = report.Describe();
        return turn;
    }
    turn.kind = recorded ? Turn::Kind::Written : Turn::Kind::Unrecorded;
    turn.detail = unrecorded.Describe();
    return turn;
}

} // namespace

bool WriteCardFiles(EditorDocument& document, ui::Prompter& prompter,
                    std::span<const CardFileWrite> files, FilesAsRead& asRead) {
    if (files.empty()) {
        return true;
    }
    // What each file must hold for the write to go on: what was read, or what the person agreed
    // to write over.
    FilesAsRead expected = asRead;
    while (true) {
        Turn turn = WriteUnderLock(document, files, expected, asRead);
        // The lock is released: from here on the person may be asked and told.
        switch (turn.kind) {
        case Turn::Kind::Busy:
            prompter.Failure(IDP_CARD_BUSY, turn.detail, Utf8FromPath(CardFolder(document)));
            return false;
        case Turn::Kind::Refused:
        case Turn::Kind::Failed:
            prompter.Failure(IDP_BINARY_WRITE_FAILED, turn.detail, turn.name, ui::Icon::Error);
            return false;
        case Turn::Kind::NotStarted:
            prompter.Failure(IDP_HISTORY_NOT_STARTED, turn.detail, Utf8FromPath(turn.entries),
                             ui::Icon::Error);
            return false;
        case Turn::Kind::Unrecorded:
            prompter.Failure(IDP_HISTORY_NOT_FINISHED, turn.detail, Utf8FromPath(turn.entries),
                             ui::Icon::Warning);
            return true;
        case Turn::Kind::Written:
            return true;
        case Turn::Kind::Changed:
            break;
        }
        if (!MayWriteOver(document, prompter, turn.changed)) {
            return false;
        }
        // Written over only while the files still hold what the person was asked about.
        for (const std::string& name : turn.changed) {
            expected[name] = std::move(turn.now[name]);
        }
    }
}

} // namespace orvix
