#include "storage/file_backup.h"

#include "storage/file_steps.h"

#include <algorithm>
#include <cctype>
#include <compare>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <optional>
#include <utility>
#include <vector>

#include "storage/file_io.h"
#include "storage/platform.h"

namespace orvix {

namespace {

constexpr const char* kFirstMark = "first-";
constexpr const char* kSourceFileName = "SOURCE.txt";

bool AllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The groups of digits between dashes of "<stem>-G1-G2...<extension>"; nothing when the name
// is not of that shape.
std::optional<std::vector<std::string>>
DigitGroups(const std::string& name, const std::string& stem, const std::string& extension) {
    const std::string prefix = stem + "-";
    if (name.size() <= prefix.size() + extension.size() || !name.starts_with(prefix) ||
        !name.ends_with(extension)) {
        return std::nullopt;
    }
    std::vector<std::string> groups;
    const std::string rest =
        name.substr(prefix.size(), name.size() - prefix.size() - extension.size());
    std::string::size_type start = 0;
    while (true) {
        const std::string::size_type dash = rest.find('-', start);
        groups.push_back(rest.substr(start, dash - start));
        if (!AllDigits(groups.back())) {
            return std::nullopt;
        }
        if (dash == std::string::npos) {
            return groups;
        }
        start = dash + 1;
    }
}

// Where a rotating copy stands in the order the copies were made: the numbered copies
// "<stem>-NNNNNN-YYYYMMDD-HHMMSS<extension>" by their number, after every copy of the older
// kind "<stem>-YYYYMMDD-HHMMSS[-n]<extension>", which are ordered by their name's time. Nothing
// for any other name (the first copy, another file's copies, notes).
struct CopyOrder {
    long long number = 0; // 0 for a copy of the older kind
    std::string stamp;
    int repeat = 0;
    friend auto operator<=>(const CopyOrder&, const CopyOrder&) = default;
};

std::optional<CopyOrder> RotatingCopy(const std::string& name, const std::string& stem,
                                      const std::string& extension) {
    const auto groups = DigitGroups(name, stem, extension);
    if (!groups) {
        return std::nullopt;
    }
    const auto& g = *groups;
    if (g.size() == 3 && g[0].size() >= 6 && g[0].size() <= 15 && g[1].size() == 8 &&
        g[2].size() == 6) {
        return CopyOrder{std::stoll(g[0]), g[1] + "-" + g[2], 0};
    }
    if ((g.size() == 2 || (g.size() == 3 && g[2].size() <= 4)) && g[0].size() == 8 &&
        g[1].size() == 6) {
        return CopyOrder{0, g[0] + "-" + g[1], g.size() == 3 ? std::stoi(g[2]) : 1};
    }
    return std::nullopt;
}

struct Copies {
    std::optional<std::filesystem::path> first;
    std::vector<std::pair<CopyOrder, std::filesystem::path>> rotating; // oldest first
};

Copies FindCopies(const std::filesystem::path& folder, const std::string& stem,
                  const std::string& extension) {
    Copies copies;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = Utf8FromPath(entry.path().filename());
        if (!entry.is_regular_file(error)) {
            continue;
        }
        if (name.starts_with(stem + "-" + kFirstMark) && name.ends_with(extension)) {
            copies.first = entry.path();
        } else if (const auto order = RotatingCopy(name, stem, extension)) {
            copies.rotating.emplace_back(*order, entry.path());
        }
    }
    std::sort(copies.rotating.begin(), copies.rotating.end());
    return copies;
}

// Says whose copies these are, for a person looking for a card's first backup; written again
// whenever it is missing or says something else.
bool WriteSource(const std::filesystem::path& folder, const std::filesystem::path& file,
                 FileError* error) {
    const std::string text = Utf8FromPath(file) + "\n";
    std::vector<std::uint8_t> now;
    if (ReadWholeFile(folder / kSourceFileName, now) &&
        std::string(now.begin(), now.end()) == text) {
        return true;
    }
    return WriteTextFileAtomically(folder / kSourceFileName, text, error);
}

std::uint32_t PathNumber(const std::string& text) {
    std::uint32_t hash = 2166136261u; // FNV-1a: stable from one run and build to the next
    for (const char c : text) {
        hash = (hash ^ static_cast<std::uint8_t>(c)) * 16777619u;
    }
    return hash;
}

} // namespace

bool FileHoldsExactly(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    platform::Failure failure;
    if (!detail::RunFileStep(FileStep::Read, path, failure,
                             [](platform::Failure*) { return true; })) {
        return false;
    }
    std::error_code code;
    if (std::filesystem::file_size(path, code) != bytes.size() || code) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    constexpr std::size_t kBlock = 64 * 1024;
    std::vector<char> block(kBlock);
    for (std::size_t at = 0; at < bytes.size(); at += kBlock) {
        const std::size_t size = std::min(kBlock, bytes.size() - at);
        if (!in.read(block.data(), static_cast<std::streamsize>(size)) ||
            std::memcmp(block.data(), bytes.data() + at, size) != 0) {
            return false;
        }
    }
    return in.peek() == std::char_traits<char>::eof();
}

std::string LocalTimeText(std::chrono::system_clock::time_point now, const char* format) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const std::tm local = platform::LocalTime(seconds);
    char text[64];
    std::strftime(text, sizeof text, format, &local);
    return text;
}

std::filesystem::path BackupFolderOf(const std::filesystem::path& file,
                                     const std::filesystem::path& backupFolder) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(file, error);
    char number[16];
    std::snprintf(number, sizeof number, "%08x", PathNumber(Utf8FromPath(error ? file : absolute)));
    return backupFolder / PathFromUtf8(Utf8FromPath(file.filename()) + "-" + number);
}

bool PrepareBackupFolder(const std::filesystem::path& file,
                         const std::filesystem::path& backupFolder, FileError* error) {
    std::error_code code;
    const std::filesystem::path folder = BackupFolderOf(file, backupFolder);
    std::filesystem::create_directories(folder, code);
    if (code) {
        if (error != nullptr) {
            *error = FileError::Of(folder, platform::FailureOfError(code));
        }
        return false;
    }
    std::error_code absolute;
    const std::filesystem::path full = std::filesystem::absolute(file, absolute);
    return WriteSource(folder, absolute ? file : full, error);
}

std::filesystem::path BackupSource(const std::filesystem::path& folder) {
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(folder / kSourceFileName, bytes) || bytes.empty() || bytes.back() != '\n') {
        return {};
    }
    return PathFromUtf8(std::string(bytes.begin(), bytes.end() - 1));
}

bool BackUpFile(const std::filesystem::path& file, const std::filesystem::path& backupFolder,
                std::chrono::system_clock::time_point now, FileError* error, std::string* copyName,
                UnflushedCopy* unflushed) {
    std::error_code code;
    if (copyName != nullptr) {
        copyName->clear();
    }
    if (!std::filesystem::exists(file, code)) {
        return !code;
    }
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(file, bytes, error)) {
        return false;
    }
    return BackUpContent(file, bytes, backupFolder, now, error, copyName, unflushed);
}

bool BackUpContent(const std::filesystem::path& file, std::span<const std::uint8_t> bytes,
                   const std::filesystem::path& backupFolder,
                   std::chrono::system_clock::time_point now, FileError* error,
                   std::string* copyName, UnflushedCopy* unflushed) {
    if (copyName != nullptr) {
        copyName->clear();
    }
    if (unflushed != nullptr) {
        *unflushed = UnflushedCopy{};
    }
    std::error_code code;
    const std::filesystem::path folder = BackupFolderOf(file, backupFolder);
    if (!PrepareBackupFolder(file, backupFolder, error)) {
        return false; // a copy nobody can trace back to its card is no backup
    }
    const std::string stem = Utf8FromPath(file.stem());
    const std::string extension = Utf8FromPath(file.extension());
    const Copies copies = FindCopies(folder, stem, extension);
    const std::optional<std::filesystem::path> newest =
        copies.rotating.empty() ? copies.first : copies.rotating.back().second;
    if (newest && FileHoldsExactly(*newest, bytes)) {
        if (copyName != nullptr) {
            *copyName = Utf8FromPath(newest->filename());
        }
        return true; // the card still holds what was copied last
    }

    // Each copy's number is one more than the largest present, whatever the clock says.
    long long number = copies.rotating.empty() ? 0 : copies.rotating.back().first.number;
    std::filesystem::path target;
    do {
        char name[32];
        std::snprintf(name, sizeof name, "%06lld-", ++number);
        target = folder / (stem + "-" + (copies.first ? std::string(name) : kFirstMark) +
                           LocalTimeText(now, "%Y%m%d-%H%M%S") + extension);
    } while (copies.first && std::filesystem::exists(target, code));
    if (!(unflushed != nullptr
              ? detail::WriteFileLeavingFolder(target, bytes, error)
              : WriteFileAtomically(target, {std::span<const std::uint8_t>(bytes)}, error))) {
        return false;
    }
    if (copyName != nullptr) {
        *copyName = Utf8FromPath(target.filename());
    }
    UnflushedCopy made{target, {}};
    if (copies.first) {
        std::string upper = Utf8FromPath(file.filename());
        std::transform(upper.begin(), upper.end(), upper.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        const std::size_t kept = upper == "STARTUP.BIN" ? kBackupsKept : kSmallBackupsKept;
        const std::size_t count = copies.rotating.size() + 1;
        for (std::size_t i = 0; i + kept < count; ++i) {
            made.pruned.push_back(copies.rotating[i].second);
        }
    }
    if (unflushed != nullptr) {
        *unflushed = std::move(made);
        return true;
    }
    for (const std::filesystem::path& old : made.pruned) {
        std::filesystem::remove(old, code);
    }
    return true;
}

bool FlushBackupCopy(const UnflushedCopy& unflushed, FileError* error) {
    if (unflushed.copy.empty()) {
        return true;
    }
    std::error_code code;
    if (!detail::FlushFolderOf(unflushed.copy, error)) {
        std::filesystem::remove(unflushed.copy, code);
        return false;
    }
    // Only a copy whose successor is on the disk may go.
    for (const std::filesystem::path& old : unflushed.pruned) {
        std::filesystem::remove(old, code);
    }
    return true;
}

} // namespace orvix
