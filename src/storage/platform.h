#pragma once

// The one seam to the operating system: everything the core asks of the system, declared once,
// with a POSIX (platform_posix.cpp) and a Windows (platform_windows.cpp) implementation. Paths
// are std::filesystem::path (made from UTF-8 with PathFromUtf8); every text given back is UTF-8.
// The Windows side calls only the W functions, so any name works that the file system takes.

#include <chrono>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace orvix::platform {

// Why a call failed, as one table of kinds for both systems (errno or GetLastError mapped).
enum class FailureKind {
    NotFound,     // no such file or folder
    NoPermission, // access denied, a read-only file, a write-protected or read-only medium
    InUse,        // another program holds the file open or locked
    NoSpace,      // the disk or the user's quota is full
    InputOutput,  // the medium failed (a bad sector, a card pulled out)
    NotAFile,     // a folder, a device or a pipe where a regular file was expected
    TooLarge,     // larger than the reader allows
    Exists,       // a file of that name is there already (CreateNew)
    Other,        // anything else; code tells what
};

// No system text is kept: a failure is worded from its kind in the interface's language, not in
// the C library's English or in Windows' own language.
struct Failure {
    FailureKind kind = FailureKind::Other;
    int code = 0; // errno or GetLastError(); 0 for what the seam finds itself (NotAFile, TooLarge)
};

// The kind of a system error code (errno on POSIX, GetLastError() on Windows).
FailureKind KindOfCode(int code);
// The failure for a system error code.
Failure FailureOfCode(int code);
// The failure for an error of the C++ library (std::filesystem): its system or generic code.
Failure FailureOfError(const std::error_code& error);
// The failure of the last call (errno or GetLastError()).
Failure LastFailure();
// The failure of a medium that failed (EIO, ERROR_IO_DEVICE): what a step made to fail by a
// test reports.
Failure MediumFailure();
// A short English name of the kind ("not found"), for logs and tests.
std::string_view KindName(FailureKind kind);

// Whether files are POSIX files: mode bits and owners, symbolic links any user makes, names of
// any bytes. Windows has the read-only attribute and UTF-16 names instead; tests ask, to leave
// out what the system cannot have.
bool HasPosixFiles();

// The form of a path that the system's calls take at any length: on Windows a path too long for
// MAX_PATH becomes a "\\?\" path (absolute, backslashes, "." and ".." resolved; "\\?\UNC\"
// for a share), which the W functions take without the limit and without the registry switch
// that a manifest's longPathAware needs; any other path, and every path on POSIX, stays as it is.
std::filesystem::path SystemPath(const std::filesystem::path& path);

// Reads a whole regular file of at most maxSize bytes.
bool ReadWhole(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
               std::uintmax_t maxSize, Failure* failure = nullptr);

// Whether a write of path may go on: a missing file may (its folder is tried when the temporary
// file is made); an existing one must be a regular file that the user may write and that is not
// marked read-only: on POSIX it needs a write bit in its mode (even for root), on Windows it must
// lack FILE_ATTRIBUTE_READONLY (checked here, never cleared: Wine would replace such a file).
bool CheckWritable(const std::filesystem::path& path, Failure* failure = nullptr);
// Whether new files may be made in folder: it must be a folder, and on POSIX one the user may
// write and search (Windows leaves that to the making of the file).
bool CheckFolderWritable(const std::filesystem::path& folder, Failure* failure = nullptr);

// A temporary file beside a target, for writing a file whole. Removed when it goes unless
// Commit has renamed it over the target.
class TemporaryFile {
public:
    TemporaryFile() = default;
    TemporaryFile(TemporaryFile&& other) noexcept;
    TemporaryFile& operator=(TemporaryFile&& other) noexcept;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile();

    // Makes a new, empty temporary file in target's folder; on POSIX it takes the mode (and,
    // where the user may set it, the owner) of the target if that exists, else the mode a new
    // file gets (0666 less the umask). A file system without modes (FAT) keeps its own.
    bool Create(const std::filesystem::path& target, Failure* failure = nullptr);
    bool Write(std::span<const std::uint8_t> bytes, Failure* failure = nullptr);
    // Puts what was written onto the disk (fsync, FlushFileBuffers) and closes the file.
    bool FlushAndClose(Failure* failure = nullptr);
    // Renames the closed file over the target (RenameOver below); the file is then the target's.
    bool Commit(Failure* failure = nullptr);
    // Gives up the closed file: it stays where it is, the caller's to rename or remove.
    std::filesystem::path Keep();

    const std::filesystem::path& Path() const { return path_; }

private:
    void Discard();

    std::filesystem::path target_;
    std::filesystem::path path_;
    std::intptr_t handle_ = -1; // a descriptor on POSIX, a HANDLE on Windows; -1 when closed
};

// Renames from over to in one step (rename; MoveFileExW with MOVEFILE_REPLACE_EXISTING and
// MOVEFILE_WRITE_THROUGH): to is the old or the new file, never a half.
bool RenameOver(const std::filesystem::path& from, const std::filesystem::path& to,
                Failure* failure = nullptr);
// Moves from to to only where no file of that name is: never replaces one, also not one made
// meanwhile by another program (Exists then, and from is left). POSIX: a hard link, or on a
// file system without links (FAT) the name taken with O_EXCL and renamed over; Windows:
// MoveFileExW without MOVEFILE_REPLACE_EXISTING.
bool CreateNew(const std::filesystem::path& from, const std::filesystem::path& to,
               Failure* failure = nullptr);
bool RemoveFile(const std::filesystem::path& path, Failure* failure = nullptr);
// Puts a folder's entries onto the disk (fsync of the folder); nothing to do on Windows, where
// MOVEFILE_WRITE_THROUGH has done it.
bool FlushFolder(const std::filesystem::path& folder, Failure* failure = nullptr);

// The steps of WriteFileWhole, for tests that make one of them fail.
enum class WriteStep { Check, Create, Write, Flush, Replace, FolderFlush };
// Answers true for a step that is to fail as if the medium had failed (InputOutput).
using WriteFault = std::function<bool(WriteStep step)>;

// Writes the parts one after the other into a temporary file beside path, flushes it and
// renames it over path, then flushes the folder: a failure at any step leaves the old file as
// it was and no temporary file behind. A symbolic link is written through to its target.
bool WriteFileWhole(const std::filesystem::path& path,
                    std::initializer_list<std::span<const std::uint8_t>> parts,
                    Failure* failure = nullptr, const WriteFault& fault = {});

struct FolderEntry {
    std::string name; // UTF-8
    bool isFolder = false;
    bool isFile = false; // a regular file (a symbolic link counts as what it points at)
    std::uint64_t size = 0;
    std::int64_t time = 0; // of the last change, in nanoseconds since 1970
};
// The entries of a folder, without "." and "..", in no particular order.
bool ListFolder(const std::filesystem::path& folder, std::vector<FolderEntry>& entries,
                Failure* failure = nullptr);

// What is at path itself (a symbolic link is not followed): enough to tell whether a file seen
// before has changed since.
struct FileStamp {
    bool found = false;
    bool isLink = false; // a symbolic link (POSIX) or a reparse point (Windows)
    bool isFile = false; // a regular file
    std::uint64_t size = 0;
    std::int64_t time = 0; // of the last change, in nanoseconds since 1970
};
FileStamp StampOf(const std::filesystem::path& path);
// What tells a file from any other on its volume, the same while it is not replaced: "device:inode"
// on POSIX, "serial:file index" on Windows; empty when it cannot be found.
std::string FileIdentity(const std::filesystem::path& path);

// An exclusive lock on a card, kept outside the card, taken by one writer at a time. On POSIX an
// advisory flock on the card's folder (which an atomic write's rename does not replace); on
// Windows a named mutex "Local\Orvix2-card-<hash>" keyed by the folder's volume serial and file
// index. Each lock excludes every other, in this process or another; on Windows the lock belongs
// to the thread that took it and must be ended on that thread. A shared lock (readers) is a
// shared flock on POSIX; a named mutex cannot be shared, so on Windows readers take none.
class CardFolderLock {
public:
    enum class Mode { Exclusive, Shared };

    enum class State {
        Held,        // ours until this object goes
        Busy,        // another writer held it for the whole wait
        Unsupported, // the file system cannot lock (POSIX only)
        Failed,      // the folder could not be opened
    };

    CardFolderLock() = default;
    CardFolderLock(const std::filesystem::path& folder, std::chrono::milliseconds wait,
                   Mode mode = Mode::Exclusive);
    CardFolderLock(CardFolderLock&& other) noexcept;
    CardFolderLock& operator=(CardFolderLock&& other) noexcept;
    CardFolderLock(const CardFolderLock&) = delete;
    CardFolderLock& operator=(const CardFolderLock&) = delete;
    ~CardFolderLock();

    State GetState() const { return state_; }
    const Failure& GetFailure() const { return failure_; }
    // What identifies the card's folder: "device:inode" on POSIX, "serial:file index" on Windows.
    const std::string& Identity() const { return identity_; }

private:
    void Release();

    std::intptr_t handle_ = -1; // the open folder (POSIX) or the mutex (Windows)
    State state_ = State::Failed;
    Failure failure_;
    std::string identity_;
};

// Whether a program folder that may be written serves as Orvix2's settings folder without an
// Orvix2.ini in it (POSIX: a copy unpacked anywhere, the build tree). On Windows only an
// Orvix2.ini beside the program makes a portable copy: an installed program's folder may be
// writable, and an uninstaller that removes it must not take the backups with it.
bool WritableProgramFolderServes();

// The user's folder for Orvix2's settings: $XDG_CONFIG_HOME/Orvix2, by default ~/.config/Orvix2;
// on Windows %LOCALAPPDATA%\Orvix2 (SHGetKnownFolderPath). Not made here; empty when unknown.
std::filesystem::path UserSettingsFolder();

// A moment in the local time zone (localtime_r, localtime_s).
std::tm LocalTime(std::time_t seconds);

// The user's home folder: $HOME, else the account's (POSIX); the profile folder on Windows.
// Empty when unknown.
std::filesystem::path HomeFolder();

// Where a file dialog starts when there is nothing better: the home folder on POSIX, the user's
// Documents folder on Windows (SHGetKnownFolderPath). Empty when unknown.
std::filesystem::path DocumentsFolder();

// The folder of the running executable.
std::filesystem::path ExecutableFolder();

// A console program's arguments as UTF-8, the core's text everywhere: argv as given on POSIX, the
// UTF-16 command line on Windows (where argv holds the ANSI code page). Also makes the standard
// outputs pass the UTF-8 bytes written as they are (Windows' text mode would alter them).
std::vector<std::string> ConsoleArguments(int argc, char** argv);

// The places where a card may be mounted: the folders below /media/$USER and /run/media/$USER
// on Linux, the roots of the removable drives on Windows.
std::vector<std::filesystem::path> MediaFolders();
// Whether the folder holds STARTUP.BIN (in any letter case) as a regular file at its top.
bool HoldsCardImage(const std::filesystem::path& folder);
// The media folders that hold STARTUP.BIN.
std::vector<std::filesystem::path> CardFolders();

// The volume holding a folder: where it is mounted, which of its folders is mounted there ("/"
// unless only a part of it is, as a bind mount on Linux), and its serial: the name of its entry
// in /dev/disk/by-uuid on Linux (the longest mount point of /proc/self/mountinfo that holds the
// folder), GetVolumeInformationW's serial on Windows; either is "ABCD-1234" for a FAT card.
// Nothing for a folder on no such volume.
struct Volume {
    std::filesystem::path mountPoint;
    std::filesystem::path root;
    std::string serial;
};
std::optional<Volume> VolumeOf(const std::filesystem::path& folder);
// Its serial alone; empty when unknown.
std::string VolumeSerial(const std::filesystem::path& folder);
// A 32-bit volume serial as FAT shows it: "ABCD-1234".
std::string FormatVolumeSerial(std::uint32_t serial);

} // namespace orvix::platform
