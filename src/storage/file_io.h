#pragma once

// Reading and writing whole files. Only regular files of a sane size are read; every write goes
// to a temporary file that replaces the old one only when it is complete and on the disk, so a
// failure at any step leaves the old file as it was.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "storage/platform.h"

namespace orvix {

// No file the program reads is larger; anything larger is refused before it is read.
inline constexpr std::uintmax_t kMaxReadSize = 64u * 1024 * 1024;

// Why a file operation failed: the file, and either the program's own reason ("changed by
// another program since it was read") or, with reason empty, the system's failure as its kind and
// code, worded when shown in the interface's language (see SetFailureWording).
struct FileError {
    std::filesystem::path path;
    std::string reason;
    platform::FailureKind kind = platform::FailureKind::Other;
    int code = 0; // errno or GetLastError(); 0 when the program found the failure itself

    // The error for a failure of the system.
    static FileError Of(const std::filesystem::path& path, const platform::Failure& failure);

    // The reason as shown: the program's own, else the wording of the kind.
    std::string Reason() const;
    // "PATH: reason", the line shown below a failure's message.
    std::string Describe() const;
};

// How a system failure is worded in messages. The storage holds no interface texts: the
// interface sets the wording of its catalogue when it chooses its language; until then the
// seam's English names (KindName, "other (code 5)") serve.
using FailureWording = std::string (*)(platform::FailureKind kind, int code);
void SetFailureWording(FailureWording wording);

// Reads a whole regular file of at most kMaxReadSize bytes; false when it cannot be opened or
// read, is no regular file (a folder, a device, a pipe) or is too large.
bool ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
                   FileError* error = nullptr);

// Writes the parts one after the other into a temporary file beside the target, flushes it to the
// disk, renames it over the target and flushes the folder (a failure there puts the old content
// back). A target that may not be written (also
// one without any write bit, even for root) or that is no regular file is refused and left
// alone; a symbolic link is written through to its target; the new file keeps the old one's mode
// and, where the user may set it, its owner.
bool WriteFileAtomically(const std::filesystem::path& path,
                         std::initializer_list<std::span<const std::uint8_t>> parts,
                         FileError* error = nullptr);

// The same for one content, where the caller holds what the file holds now (read or compared
// under the card's lock), which a failure before the write is on the disk puts back: the file is
// not read again.
bool ReplaceFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> content,
                           std::span<const std::uint8_t> now, FileError* error = nullptr);

// The same for a text.
bool WriteTextFileAtomically(const std::filesystem::path& path, const std::string& text,
                             FileError* error = nullptr);

// Writes a file that must not exist yet the same way (a temporary file, flushed, put in place,
// then its folder flushed; a failure there takes the file away again), but never over another
// file: when one of that name is there already (also
// one made meanwhile by another writer), false with exists set and nothing changed.
bool WriteNewTextFileAtomically(const std::filesystem::path& path, const std::string& text,
                                FileError* error = nullptr, bool* exists = nullptr);

// The steps of reading and writing that tests can make fail. Each asks the seam with the file it
// is for: the target of a write (its temporary file is opened, written and flushed, then renamed
// over the target, then the folder flushed, once for all files of a set in that folder, each file
// asking), a history entry included.
// PutBack is the restoring of one file's old content after a later file of a set failed;
// Remove the unlinking of a file for good (a removed card file's set-aside copy, once the whole
// set is written; a history entry's pending form, once the final one is written).
enum class FileStep { Read, OpenTemporary, Write, Flush, FolderFlush, Rename, PutBack, Remove };

// A seam for tests: while set, every step of the helpers above asks it first, and a step for
// which it answers true fails as if the system had refused it with an input/output error.
using FileFaultInjector = std::function<bool(FileStep step, const std::filesystem::path& file)>;
void SetFileFaultInjector(FileFaultInjector injector);

// A path on the local file system from a path held as UTF-8 text.
std::filesystem::path PathFromUtf8(const std::string& text);
std::string Utf8FromPath(const std::filesystem::path& path);

// A card file name such as "servo\SV02_ON.BIN" below a folder, with the backslash taken as the
// folder separator. Each part is found as the card's own file system finds it: the name as
// written, else the one entry that differs from it only in letter case; a part found neither way
// stays as written (a file to be made). ambiguous, when given, tells whether the name (the file's
// or one of its folders') stays as written because several entries differ from it only in letter
// case.
std::filesystem::path CardFilePath(const std::filesystem::path& folder, const std::string& name,
                                   bool* ambiguous = nullptr);

// The reason given for a card name that several entries spell in other letter cases.
inline constexpr std::string_view kAmbiguousNameReason =
    "several files differ from this name only in letter case";

// Reads the card file of that name (as CardFilePath finds it); an ambiguous name is refused with
// kAmbiguousNameReason rather than read as a missing file.
bool ReadCardFile(const std::filesystem::path& folder, const std::string& name,
                  std::vector<std::uint8_t>& bytes, FileError* error = nullptr);

} // namespace orvix
