#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "storage/file_io.h"

namespace orvix {

inline constexpr int kBackupsKept = 20;       // copies of the program, STARTUP.BIN
inline constexpr int kSmallBackupsKept = 100; // copies of every other card file
inline constexpr const char* kBackupFolderName = "backups";

// The folder below the backup folder that holds the copies of one file: its name and a number
// made from its full path ("STARTUP.BIN-1a2b3c4d"), since every card's program has the same name.
std::filesystem::path BackupFolderOf(const std::filesystem::path& file,
                                     const std::filesystem::path& backupFolder);

// Copies a file as it is on disk into its folder of backups. The first copy ever taken of a file
// is named STARTUP-first-20261206-193000.BIN (with the local time) and kept for good. Every later
// copy gets a number, one more than the largest present, before the time:
// STARTUP-000021-20261207-103000.BIN; of these the kBackupsKept highest numbers are kept (of a
// file other than STARTUP.BIN, the kSmallBackupsKept highest), so
// that a clock set back never prunes a newer copy before an older one. (Copies named by the time
// alone, STARTUP-20261206-193000.BIN, as earlier versions made them, count as older than every
// numbered copy.) A copy identical to the newest one is not stored again, and a file that no
// longer exists needs no copy. The folder's SOURCE.txt names the file; it is part of the backup,
// written again whenever it is missing or wrong. False when the copy or SOURCE.txt fails.
// copyName, when given, gets the name of the copy that holds the file's content (the new copy,
// or the newest one when it was identical), or is emptied when the file does not exist.
// The local time of now in strftime's format ("%Y%m%d-%H%M%S").
std::string LocalTimeText(std::chrono::system_clock::time_point now, const char* format);

// A new copy whose name is not on the disk yet, and the copies its folder is to lose then.
struct UnflushedCopy {
    std::filesystem::path copy; // empty: no new copy was made
    std::vector<std::filesystem::path> pruned;
};

// unflushed, when given, takes the last step of a new copy: its data is on the disk, but its
// folder is neither flushed nor pruned until FlushBackupCopy, which must come before the file is
// replaced (a recorder flushes its entry's folder first, and one journal commit serves both).
bool BackUpFile(const std::filesystem::path& file, const std::filesystem::path& backupFolder,
                std::chrono::system_clock::time_point now, FileError* error = nullptr,
                std::string* copyName = nullptr, UnflushedCopy* unflushed = nullptr);

// The same for a file whose content the caller has just read (under the card's lock): bytes are
// copied as the file's content, which is not read again.
bool BackUpContent(const std::filesystem::path& file, std::span<const std::uint8_t> bytes,
                   const std::filesystem::path& backupFolder,
                   std::chrono::system_clock::time_point now, FileError* error = nullptr,
                   std::string* copyName = nullptr, UnflushedCopy* unflushed = nullptr);

// Puts a new copy's name onto the disk and prunes its folder; when the flush fails, the copy is
// removed again (it may not be on the disk) and false is returned with error set.
bool FlushBackupCopy(const UnflushedCopy& unflushed, FileError* error = nullptr);

// Makes the file's folder of backups and its SOURCE.txt (also for a file that does not exist
// yet, so that a history entry saying it was absent can be traced to its card).
bool PrepareBackupFolder(const std::filesystem::path& file,
                         const std::filesystem::path& backupFolder, FileError* error = nullptr);

// Whether a file holds exactly bytes, read in blocks up to the first difference: a file of another
// size is not read at all, one that differs early (the calibration tables lie at the program's
// start) is not read whole, and one that is the same costs no copy of it in memory. False also
// when it cannot be read (a read the fault seam of file_io fails included).
bool FileHoldsExactly(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// The file a folder of backups holds copies of, as its SOURCE.txt names it; empty when unreadable.
std::filesystem::path BackupSource(const std::filesystem::path& folder);

} // namespace orvix
