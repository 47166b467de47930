#pragma once

#include <chrono>
#include <filesystem>

#include "storage/file_io.h"

namespace orvix {

inline constexpr int kBackupsKept = 20;
inline constexpr const char* kBackupFolderName = "backups";

// The folder below the backup folder that holds the copies of one file: its name and a number
// made from its full path ("STARTUP.BIN-1a2b3c4d"), since every card's program has the same name.
std::filesystem::path BackupFolderOf(const std::filesystem::path& file,
                                     const std::filesystem::path& backupFolder);

// Copies a file as it is on disk into its folder of backups, named after it with the local time
// (STARTUP.BIN becomes STARTUP-20261206-193000.BIN). The first copy ever taken of a file is
// named STARTUP-first-20261206-193000.BIN and kept for good; of the others the newest
// kBackupsKept are kept. A copy identical to the newest one is not stored again, and a file that
// no longer exists needs no copy. False when the copy fails.
bool BackUpFile(const std::filesystem::path& file, const std::filesystem::path& backupFolder,
                std::chrono::system_clock::time_point now, FileError* error = nullptr);

} // namespace orvix
