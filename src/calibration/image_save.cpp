#include "calibration/image_save.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <optional>
#include <system_error>
#include <vector>

#include "resources/string_table.h"
#include "storage/card_history.h"
#include "storage/card_lock.h"
#include "storage/file_backup.h"
#include "storage/file_io.h"

namespace orvix {

namespace {

using Bytes = std::vector<std::uint8_t>;

// What one turn under the lock came to; its message is shown once the lock is released.
struct Turn {
    enum class Kind {
        Busy,       // another writer held the card (message 174)
        Failed,     // a read, a backup or the write failed (message 105), nothing written
        NotStarted, // the history entry could not be begun (message 192), nothing written
        Changed,    // the file holds something else than was read or asked about
        Written,    // written and recorded
        Unrecorded, // written, but its history entry could not be completed (message 193)
    } kind = Kind::Failed;
    FileError error;
    std::optional<Bytes> now; // Changed: what the file holds (none: it is gone)
    std::filesystem::path entries;
};

// The file's content now: none when it is absent; false when it is there but cannot be read.
bool ReadNow(const std::filesystem::path& path, std::optional<Bytes>& now, FileError& error) {
    now.emplace();
    if (ReadWholeFile(path, *now, &error)) {
        return true;
    }
    std::error_code missing;
    if (std::filesystem::exists(path, missing) || missing) {
        return false;
    }
    now.reset();
    return true;
}

std::string CardName(const std::filesystem::path& path) {
    std::string name = Utf8FromPath(path.filename());
    std::string upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper == "STARTUP.BIN" ? upper : name;
}

// Under the card's lock: checks that the file holds expected (when checked) and writes content.
Turn WriteUnderLock(EditorDocument& document, const std::filesystem::path& path,
                    const std::filesystem::path& folder, bool checked,
                    const std::optional<Bytes>& expected, const Bytes& content) {
    Turn turn;
    const CardLock lock(folder);
    if (lock.GetState() == CardLock::State::Busy || !lock.MayWrite()) {
        turn.kind =
            lock.GetState() == CardLock::State::Busy ? Turn::Kind::Busy : Turn::Kind::Failed;
        turn.error = lock.Error();
        return turn;
    }
    // The file as it is now: compared with what it must hold block by block, without a copy in
    // memory; read whole only when it differs (to ask about it) or cannot be read (to say why).
    const std::optional<Bytes>* now = nullptr;
    if (checked && expected && FileHoldsExactly(path, *expected)) {
        now = &expected;
    } else if (checked) {
        if (!ReadNow(path, turn.now, turn.error)) {
            return turn;
        }
        if (turn.now != expected) {
            turn.kind = Turn::Kind::Changed;
            return turn;
        }
        now = &turn.now;
    }
    HistoryRecorder history(folder,
                            PathFromUtf8(document.iniPath).parent_path() / kBackupFolderName,
                            std::chrono::system_clock::now());
    turn.entries = history.EntryFolder();
    // What the file holds was seen under the lock just now: the recorder copies and marks that,
    // and the describer reads neither side of the program again.
    const SavedFile saved[] = {{CardName(path), path, MarkOf(content), now, &content}};
    switch (history.Begin(saved, &turn.error)) {
    case HistoryStart::Started:
        break;
    case HistoryStart::BackupFailed:
        return turn;
    case HistoryStart::EntryFailed:
        turn.kind = Turn::Kind::NotStarted;
        return turn;
    }
    // The final entry's file is written beside the new content, so that one flush serves both.
    history.PrepareFinish();
    // What the file holds is known: a put-back would write it, the file is not read for it.
    const bool written =
        now != nullptr && *now
            ? ReplaceFileAtomically(path, content, **now, &turn.error)
            : WriteFileAtomically(path, {std::span<const std::uint8_t>(content)}, &turn.error);
    if (!written) {
        history.Finish(); // takes back the pending entry of a save that wrote nothing
        return turn;
    }
    turn.kind = history.FinishWritten(&turn.error) ? Turn::Kind::Written : Turn::Kind::Unrecorded;
    return turn;
}

} // namespace

bool WriteImageToCard(EditorDocument& document, ui::Prompter& prompter) {
    const std::filesystem::path path = PathFromUtf8(document.imagePath);
    const std::filesystem::path folder =
        path.parent_path().empty() ? std::filesystem::path(".") : path.parent_path();
    // What goes onto the card: the image itself, or a copy joined with its tail (4 MB are copied
    // only then).
    Bytes joined;
    if (!document.imageTail.empty()) {
        joined = document.image;
        joined.insert(joined.end(), document.imageTail.begin(), document.imageTail.end());
    }
    const Bytes& content = document.imageTail.empty() ? document.image : joined;
    // What the file must hold for the write to go on: what was read, or what the person agreed
    // to write over.
    const bool checked = document.imageOnDisk.has_value();
    std::optional<Bytes> agreed;
    const std::optional<Bytes>* expected = &document.imageOnDisk; // not copied: 4 MB
    while (true) {
        const Turn turn = WriteUnderLock(document, path, folder, checked, *expected, content);
        // The lock is released: from here on the person may be asked and told.
        switch (turn.kind) {
        case Turn::Kind::Busy:
            prompter.Failure(IDP_CARD_BUSY, turn.error.Describe(), Utf8FromPath(folder));
            return false;
        case Turn::Kind::Failed:
            prompter.Failure(IDP_WRITE_PROGRAM_FAILED, turn.error.Describe());
            return false;
        case Turn::Kind::NotStarted:
            prompter.Failure(IDP_HISTORY_NOT_STARTED, turn.error.Describe(),
                             Utf8FromPath(turn.entries), ui::Icon::Error);
            return false;
        case Turn::Kind::Changed:
            break;
        case Turn::Kind::Written:
        case Turn::Kind::Unrecorded:
            // The image in memory is now what is on the card: a servo extension becomes part of
            // it, so that its hook and its code stay together; a remote extension stays a tail.
            if (document.imageTail.empty() && document.imageOnDisk) {
                // Copied into the room of what was there: no new 4 MB to take from the system.
                document.imageOnDisk->assign(content.begin(), content.end());
            } else if (document.imageTail.empty()) {
                document.imageOnDisk = document.image;
            } else {
                if (document.imageTail.size() == kServoExtensionSize) {
                    document.image = joined;
                    document.imageTail.clear();
                }
                document.imageOnDisk = std::move(joined);
            }
            if (turn.kind == Turn::Kind::Unrecorded) {
                prompter.Failure(IDP_HISTORY_NOT_FINISHED, turn.error.Describe(),
                                 Utf8FromPath(turn.entries), ui::Icon::Warning);
            } else {
                prompter.Message(IDP_WRITE_PROGRAM_DONE);
            }
            document.valuesChanged = false;
            return true;
        }
        const std::string name = Utf8FromPath(path.filename()); // its name on the card
        if (!document.askBeforeOverwritingChanges) {
            prompter.Failure(
                IDP_FILE_CHANGED_ELSEWHERE,
                FileError{path, "changed by another program since it was read"}.Describe(), name);
            return false;
        }
        if (prompter.Message(IDP_FILE_CHANGED_ELSEWHERE, ui::Buttons::YesNo, ui::Icon::Warning,
                             name, ui::Answer::No) != ui::Answer::Yes) {
            return false;
        }
        // Written over only while the file still holds what the person saw changed; the other
        // program's content is kept among the backups.
        agreed = turn.now;
        expected = &agreed;
    }
}

} // namespace orvix
