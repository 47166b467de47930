#pragma once

// Recording a save in the card's history (history_entry.h): the copies of the files it replaces
// and its entry, pending before the write and final after it, so that a save and its entry stand
// or fall together.

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "storage/file_io.h"
#include "storage/history_entry.h"
#include "storage/platform.h"

namespace orvix {

// One file a save is about to replace: its card name, where it is, and what the save puts in it
// (the mark of its new content, MarkOf; none when the save removes it).
struct SavedFile {
    std::string name;
    std::filesystem::path path;
    std::optional<ContentMark> after{};
    // A caller that read the file under the card's lock and holds the new content gives both, so
    // that neither the recorder nor the describer reads or hashes the 4 MB program again: what the
    // file holds now (nullopt: absent) and what the save puts in it (after is its mark). Null: the
    // recorder reads the file. Both must outlive Finish.
    const std::optional<std::vector<std::uint8_t>>* now = nullptr;
    const std::vector<std::uint8_t>* content = nullptr;
};

// What a save changed, for the describer below: each file's content before the save (its copy;
// none when it was absent) and after it (the card file; none when the save removed it).
struct SavedContent {
    std::string name;
    std::optional<std::filesystem::path> before;
    std::optional<std::filesystem::path> after;
    // The same contents when they are in memory (else null: read the paths).
    const std::vector<std::uint8_t>* beforeBytes = nullptr;
    const std::vector<std::uint8_t>* afterBytes = nullptr;
};

// Words a save by meaning (area, stable key, before, after), so that its entry keeps what it
// changed as data. The layers that know the card's formats set it at start-up; without one, an
// entry records no changes. It must not throw.
using SaveDescriber = std::function<std::vector<RecordedChange>(
    const std::filesystem::path& cardFolder, std::span<const SavedContent> files)>;
void SetSaveDescriber(SaveDescriber describer);

// How the beginning of a save's record went.
enum class HistoryStart {
    Started,      // the copies are taken and the entry is pending: the save may go on
    BackupFailed, // a file's copy could not be taken: the save must not go on
    EntryFailed,  // the pending entry could not be written: the save must not go on
};

// Records a save of a card's files. Begin before the write: backs up each file as it is (or notes
// it absent), then writes the entry as pending, with each file's mark before and after (a file
// the save leaves as it was is no part of it; a save that changes nothing records nothing). Finish
// after the write, also after one that failed: reads what each file holds now and makes the entry
// final with that, or removes it when the write left every file as it was. FinishWritten after a
// write that succeeded: every file holds what Begin was told, so nothing is read again.
class HistoryRecorder {
public:
    HistoryRecorder(std::filesystem::path cardFolder, std::filesystem::path backupFolder,
                    std::chrono::system_clock::time_point now);
    // A restore's entry says which point it went back to ("first" or a save's number).
    void RecordRestoreOf(std::string point) { restoreOf_ = std::move(point); }
    HistoryStart Begin(std::span<const SavedFile> files, FileError* error = nullptr);
    // False (error set) when the entry could not be made final: it stays pending, so that the
    // history shows a save that was not seen to end.
    bool Finish(FileError* error = nullptr);
    bool FinishWritten(FileError* error = nullptr);
    // Between Begin and a write expected to succeed: when every new content is in memory (each
    // SavedFile's content), writes the final entry's file already, unflushed and unnamed, so that
    // the write's own flush carries it to the disk; FinishWritten then only flushes and names it,
    // and Finish drops it. A step that fails here is said by FinishWritten (the entry stays
    // pending), never stops the write.
    void PrepareFinish();
    // The number of the recorded (or pending) entry; 0 when there is none.
    int Sequence() const { return sequence_; }
    // The folder of the entries, which the messages about them name.
    std::filesystem::path EntryFolder() const;

private:
    bool Complete(bool written, FileError* error);
    bool CompletePrepared(FileError* error);
    HistoryEntry FinalEntry(bool written) const;
    bool RemovePending();

    std::filesystem::path card_;
    std::filesystem::path backups_;
    std::chrono::system_clock::time_point now_;
    std::vector<SavedFile> files_;
    HistoryEntry entry_; // every file of files_, in order
    std::string restoreOf_;
    std::filesystem::path pending_;
    int sequence_ = 0;
    bool prepared_ = false; // PrepareFinish made (or failed to make) the final entry's file
    platform::TemporaryFile final_;
    FileError prepareError_; // set when PrepareFinish failed
};

} // namespace orvix
