#include "storage/file_backup.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <optional>
#include <utility>
#include <vector>

namespace orvix {

namespace {

constexpr const char* kFirstMark = "first-";
constexpr const char* kSourceFileName = "SOURCE.txt";

std::string TimeStamp(std::chrono::system_clock::time_point now) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

bool AllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The time stamp and copy number of "<stem>-YYYYMMDD-HHMMSS[-n]<extension>", exactly; nothing
// for any other name (the first copy, another file's copies, notes).
std::optional<std::pair<std::string, int>>
RotatingCopy(const std::string& name, const std::string& stem, const std::string& extension) {
    const std::string prefix = stem + "-";
    if (name.size() < prefix.size() + 15 + extension.size() || !name.starts_with(prefix) ||
        !name.ends_with(extension)) {
        return std::nullopt;
    }
    const std::string rest =
        name.substr(prefix.size(), name.size() - prefix.size() - extension.size());
    const std::string stamp = rest.substr(0, 15);
    if (!AllDigits(stamp.substr(0, 8)) || stamp[8] != '-' || !AllDigits(stamp.substr(9))) {
        return std::nullopt;
    }
    if (rest.size() == 15) {
        return std::make_pair(stamp, 1);
    }
    if (rest[15] != '-' || !AllDigits(rest.substr(16)) || rest.size() > 20) {
        return std::nullopt;
    }
    return std::make_pair(stamp, std::stoi(rest.substr(16)));
}

struct Copies {
    std::optional<std::filesystem::path> first;
    std::vector<std::pair<std::pair<std::string, int>, std::filesystem::path>> rotating;
};

Copies FindCopies(const std::filesystem::path& folder, const std::string& stem,
                  const std::string& extension) {
    Copies copies;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_regular_file(error)) {
            continue;
        }
        if (name.starts_with(stem + "-" + kFirstMark) && name.ends_with(extension)) {
            copies.first = entry.path();
        } else if (const auto key = RotatingCopy(name, stem, extension)) {
            copies.rotating.emplace_back(*key, entry.path());
        }
    }
    std::sort(copies.rotating.begin(), copies.rotating.end());
    return copies;
}

std::uint32_t PathNumber(const std::string& text) {
    std::uint32_t hash = 2166136261u; // FNV-1a: stable from one run and build to the next
    for (const char c : text) {
        hash = (hash ^ static_cast<std::uint8_t>(c)) * 16777619u;
    }
    return hash;
}

} // namespace

std::filesystem::path BackupFolderOf(const std::filesystem::path& file,
                                     const std::filesystem::path& backupFolder) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(file, error);
    char number[16];
    std::snprintf(number, sizeof number, "%08x", PathNumber(Utf8FromPath(error ? file : absolute)));
    return backupFolder / (file.filename().string() + "-" + number);
}

bool BackUpFile(const std::filesystem::path& file, const std::filesystem::path& backupFolder,
                std::chrono::system_clock::time_point now, FileError* error) {
    std::error_code code;
    if (!std::filesystem::exists(file, code)) {
        return !code;
    }
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(file, bytes, error)) {
        return false;
    }
    const std::filesystem::path folder = BackupFolderOf(file, backupFolder);
    std::filesystem::create_directories(folder, code);
    if (code) {
        if (error != nullptr) {
            *error = FileError{folder, code.message()};
        }
        return false;
    }
    const std::string stem = file.stem().string();
    const std::string extension = file.extension().string();
    const Copies copies = FindCopies(folder, stem, extension);
    const std::optional<std::filesystem::path> newest =
        copies.rotating.empty() ? copies.first : copies.rotating.back().second;
    std::vector<std::uint8_t> newestBytes;
    if (newest && ReadWholeFile(*newest, newestBytes) && newestBytes == bytes) {
        return true; // the card still holds what was copied last
    }

    const std::string base = stem + "-" + (copies.first ? "" : kFirstMark) + TimeStamp(now);
    std::filesystem::path target = folder / (base + extension);
    for (int n = 2; std::filesystem::exists(target, code); ++n) {
        target = folder / (base + "-" + std::to_string(n) + extension);
    }
    if (!WriteFileAtomically(target, {std::span<const std::uint8_t>(bytes)}, error)) {
        return false;
    }
    if (!copies.first) {
        // Says whose copies these are, for a person looking for a card's first backup.
        WriteTextFileAtomically(folder / kSourceFileName, Utf8FromPath(file) + "\n");
        return true;
    }
    const std::size_t count = copies.rotating.size() + 1;
    for (std::size_t i = 0; i + kBackupsKept < count; ++i) {
        std::filesystem::remove(copies.rotating[i].second, code);
    }
    return true;
}

} // namespace orvix
