#pragma once

// Writing several files as one: every target is checked first, every new content is written and
// flushed to its temporary file before the first rename, and a failed rename puts back the files
// already replaced. Only a second failure during that put-back can leave a mix, and then the
// report names every file and its state.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "storage/file_io.h"

namespace orvix {

// One file of a set: its new content, and what it held when it was read (nullopt: it was
// absent), for the check that nobody changed it since.
struct FileReplacement {
    std::filesystem::path path;
    std::vector<std::uint8_t> bytes;
    std::optional<std::vector<std::uint8_t>> asRead{};
    bool checkAsRead = false; // compare the file with asRead before writing
};

// How a set write ended.
enum class FileSetOutcome {
    Written,   // every file holds its new content
    Unchanged, // refused or failed before any file was replaced, or every replaced file put back
    Mixed,     // a put-back failed too: some files are new, some old (see the report)
};

struct FileSetReport {
    FileSetOutcome outcome = FileSetOutcome::Unchanged;
    FileError error; // the first failure: its file and reason
    // For Mixed, one line a file: "PATH: new" / "PATH: old" / "PATH: unknown (reason)".
    std::vector<std::string> states;
    // A multi-line text for a message's details: the failure, and for Mixed every file's state.
    std::string Describe() const;
};

// The files of a set whose content on disk is no longer what was read (asRead, where
// checkAsRead is set); a file that cannot be read counts as changed.
std::vector<std::filesystem::path> FilesChangedSinceRead(std::span<const FileReplacement> files);

// Writes the set all or nothing. A target that is no regular file, may not be written, or whose
// folder is missing, is refused before anything is written; the fault seam of file_io can fail
// any step of any file. True only when every file was written.
bool WriteFileSet(std::span<const FileReplacement> files, FileSetReport* report = nullptr);

} // namespace orvix
