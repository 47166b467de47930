#pragma once

#include <chrono>
#include <filesystem>

namespace orvix {

inline constexpr int kBackupsKept = 20;
inline constexpr const char* kBackupFolderName = "backups";

// Copies a file as it is on disk into the backup folder, named after it with the local time
// (STARTUP.BIN becomes STARTUP-20261206-193000.BIN), and keeps the newest kBackupsKept copies of
// that file. A file that no longer exists needs no copy. False when the copy fails.
bool BackUpFile(const std::filesystem::path& file, const std::filesystem::path& backupFolder,
                std::chrono::system_clock::time_point now);

} // namespace orvix
