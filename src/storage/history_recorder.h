#pragma once

// Recording a save in the card's history (history_entry.h): the copies of the files it replaces
// and, after the write, its entry.

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "storage/file_io.h"
#include "storage/history_entry.h"

namespace orvix {

// One file a save is about to replace: its card name and where it is.
struct SavedFile {
    std::string name;
    std::filesystem::path path;
};

// What a save changed, for the describer below: each file's content before the save (its copy;
// none when it was absent) and after it (the card file; none when the save removed it).
struct SavedContent {
    std::string name;
    std::optional<std::filesystem::path> before;
    std::optional<std::filesystem::path> after;
};

// Words a save by meaning (area, stable key, before, after), so that its entry keeps what it
// changed as data. The layers that know the card's formats set it at start-up; without one, an
// entry records no changes. It must not throw.
using SaveDescriber = std::function<std::vector<RecordedChange>(
    const std::filesystem::path& cardFolder, std::span<const SavedContent> files)>;
void SetSaveDescriber(SaveDescriber describer);

// Records a save of a card's files: Begin before the write (backs up each file as it is, or notes
// it absent), Finish after it (reads what each holds and writes the entry; a file left as it was
// is no part of the entry, and a save that changed nothing records none).
class HistoryRecorder {
public:
    HistoryRecorder(std::filesystem::path cardFolder, std::filesystem::path backupFolder,
                    std::chrono::system_clock::time_point now);
    // False (and error set) when a backup could not be taken: the save must not go on.
    bool Begin(std::span<const SavedFile> files, FileError* error = nullptr);
    // The sequence number of the recorded entry; 0 when nothing changed or the entry failed.
    int Finish(FileError* error = nullptr);

private:
    std::filesystem::path card_;
    std::filesystem::path backups_;
    std::chrono::system_clock::time_point now_;
    std::vector<SavedFile> files_;
    HistoryEntry entry_;
};

} // namespace orvix
