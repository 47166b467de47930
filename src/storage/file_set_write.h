#pragma once

// Writing several files as one: every target is checked first, every new content is written and
// flushed to its temporary file before the first rename, the folders are flushed after the last,
// and a failure in between puts back the files already replaced. Only a second failure during that
// put-back can leave a mix, and then the report names every file and its state.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "storage/file_io.h"

namespace orvix {

// One file of a set: its new content (or its removal), and what it held when it was read
// (nullopt: it was absent), for the check that nobody changed it since.
struct FileReplacement {
    enum class Kind {
        Write,  // the file gets bytes
        Remove, // the file goes (bytes unused); a file already absent is left so
    };
    std::filesystem::path path;
    std::vector<std::uint8_t> bytes;
    std::optional<std::vector<std::uint8_t>> asRead{};
    bool checkAsRead = false; // compare the file with asRead before writing
    Kind kind = Kind::Write;
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
    // Once a rename failed, one line a file of the set, in order: "PATH: old" (never replaced),
    // "PATH: old (put back)", "PATH: new (putting back the old content failed: reason)", or for
    // a removal "PATH: removed (putting it back failed: reason; its content is in ASIDE)".
    std::vector<std::string> states;
    // A multi-line text for a message's details: the failure, then every file's state.
    std::string Describe() const;
};

// The files of a set whose content on disk is no longer what was read (asRead, where
// checkAsRead is set); a file that cannot be read counts as changed.
std::vector<std::filesystem::path> FilesChangedSinceRead(std::span<const FileReplacement> files);

// Writes the set all or nothing, in order. Before anything is written, a target that is no regular
// file, may not be written (also one without any write bit, even for root), or whose folder is
// missing or may not be written, is refused, and so is a file with checkAsRead that no longer
// holds asRead ("changed by another program since it was read"). Every new content is then
// written and flushed to a temporary file beside its target; only when all are on the disk are
// they renamed over their targets one by one, and then each folder of the set is flushed once,
// which puts the renames on the disk. A file to be removed is renamed aside to a hidden
// temporary name in that order instead, and unlinked only once the whole set is written. A failed
// rename puts back the files already replaced, and a failed folder flush all of them (their old
// content; a file that did not exist is removed; a file set aside is renamed back). A symbolic link
// is written through to its target; a replaced file keeps its mode and, where the user may set it,
// its owner. The fault seam of file_io can fail any step of any file, the put-back included. True
// only when every file was written.
bool WriteFileSet(std::span<const FileReplacement> files, FileSetReport* report = nullptr);

} // namespace orvix
