#include "storage/file_backup.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <utility>
#include <vector>

#include "storage/file_io.h"

namespace orvix {

namespace {

std::string TimeStamp(std::chrono::system_clock::time_point now) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

// Backups of one file: "<stem>-YYYYMMDD-HHMMSS[-n]<extension>".
bool IsBackupOf(const std::string& name, const std::string& stem, const std::string& extension) {
    const std::string prefix = stem + "-";
    return name.size() >= prefix.size() + 15 + extension.size() && name.starts_with(prefix) &&
           name.ends_with(extension);
}

void Prune(const std::filesystem::path& folder, const std::string& stem,
           const std::string& extension) {
    std::error_code error;
    std::vector<std::filesystem::path> backups;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file(error) && IsBackupOf(name, stem, extension)) {
            backups.push_back(entry.path());
        }
    }
    if (backups.size() <= static_cast<std::size_t>(kBackupsKept)) {
        return;
    }
    // The time stamp in the name, then the number of a second copy within the same second,
    // sorts the copies from the oldest to the newest.
    const std::size_t stampAt = stem.size() + 1;
    const auto key = [&](const std::filesystem::path& path) {
        const std::string name = path.filename().string();
        const std::string stamp = name.substr(stampAt, 15);
        const std::string rest =
            name.substr(stampAt + 15, name.size() - stampAt - 15 - extension.size());
        const int number = rest.size() > 1 ? std::atoi(rest.c_str() + 1) : 1;
        return std::make_pair(stamp, number);
    };
    std::sort(backups.begin(), backups.end(),
              [&](const auto& a, const auto& b) { return key(a) < key(b); });
    for (std::size_t i = 0; i + kBackupsKept < backups.size(); ++i) {
        std::filesystem::remove(backups[i], error);
    }
}

} // namespace

bool BackUpFile(const std::filesystem::path& file, const std::filesystem::path& backupFolder,
                std::chrono::system_clock::time_point now) {
    std::error_code error;
    if (!std::filesystem::exists(file, error)) {
        return !error;
    }
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(file, bytes)) {
        return false;
    }
    std::filesystem::create_directories(backupFolder, error);
    if (error) {
        return false;
    }
    const std::string stem = file.stem().string();
    const std::string extension = file.extension().string();
    const std::string base = stem + "-" + TimeStamp(now);
    std::filesystem::path target = backupFolder / (base + extension);
    for (int n = 2; std::filesystem::exists(target, error); ++n) {
        target = backupFolder / (base + "-" + std::to_string(n) + extension);
    }
    if (!WriteFileAtomically(target, {std::span<const std::uint8_t>(bytes)})) {
        return false;
    }
    Prune(backupFolder, stem, extension);
    return true;
}

} // namespace orvix
