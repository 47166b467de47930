#pragma once

// The history of a card: before a save replaces card files, each one's content is kept in its
// folder of backups (file_backup.h); after the write, one entry records the save: its sequence
// number (one more than the largest present), the local time, the card folder, and for each
// replaced file its card name, the copy that holds it as it was (or that it was absent) and the
// size and hash of what it holds after the save. Entries are small text files in
// backups/history/, one line a fact:
//
//   orvix2-history 1
//   sequence 12
//   time 2026-12-07T10:30:00
//   card /media/card
//   file
//   STARTUP.BIN|STARTUP.BIN-1a2b3c4d|STARTUP-000003-20261207-103000.BIN|4301707|<hash>|4301707|<hash>
//
// A file line is: card name, backup folder, copy ("-" when the file was absent), the copy's size
// and hash ("-" "-" when absent), the size and hash after the save ("-" "-" when it was removed).
// The entries of a card are those whose backup folders' SOURCE.txt name files in its folder, so
// that the backups folder moved with Orvix2.ini still serves. An entry that cannot be read is
// kept in the list as unreadable.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "storage/file_io.h"

namespace orvix {

inline constexpr const char* kHistoryFolderName = "history";

// The size and hash of a file's content, as an entry records it.
struct ContentMark {
    std::uint64_t size = 0;
    std::string hash; // 16 lower-case hexadecimal digits (FNV-1a, 64 bits, over 64-bit words)
    friend bool operator==(const ContentMark&, const ContentMark&) = default;
};
ContentMark MarkOf(std::span<const std::uint8_t> bytes);

// One replaced file of an entry.
struct HistoryFile {
    std::string name;                    // card name: "STARTUP.BIN", "servo\SV02_ON.BIN"
    std::string folder;                  // its folder of backups: "SV02_ON.BIN-1a2b3c4d"
    std::string copy{};                  // the copy holding it as it was; empty: it was absent
    std::optional<ContentMark> before{}; // the copy's size and hash (none when absent)
    std::optional<ContentMark> after{};  // what it held after the save (none: removed)
};

struct HistoryEntry {
    int sequence = 0;
    std::string time; // "2026-12-07T10:30:00"
    std::string card; // the card folder as recorded
    std::vector<HistoryFile> files;
    bool readable = true;
    std::string problem; // why not readable
};

// Reads the text of an entry; a text that is not of the form above gives an entry that is not
// readable (the sequence number taken from fallbackSequence). Never throws.
HistoryEntry ParseHistoryEntry(std::string_view text, int fallbackSequence);
std::string FormatHistoryEntry(const HistoryEntry& entry);

// "2026-12-07T10:30:00" in local time.
std::string HistoryTime(std::chrono::system_clock::time_point now);

// One file a save is about to replace: its card name and where it is.
struct SavedFile {
    std::string name;
    std::filesystem::path path;
};

// Records a save of a card's files: Begin before the write (backs up each file as it is, or notes
// it absent), Finish after it (reads what each holds and writes the entry; a file left as it was
// is no part of the entry, and a save that changed nothing records none).
class HistoryRecorder {
public:
    HistoryRecorder(std::filesystem::path cardFolder, std::filesystem::path backupFolder,
                    std::chrono::system_clock::time_point now);
    // False (and error set) when a backup could not be taken: the save must not go on.
    bool Begin(std::span<const SavedFile> files, FileError* error = nullptr);
    // The sequence number of the recorded entry; 0 when nothing changed or the entry failed.
    int Finish(FileError* error = nullptr);

private:
    std::filesystem::path card_;
    std::filesystem::path backups_;
    std::chrono::system_clock::time_point now_;
    std::vector<SavedFile> files_;
    HistoryEntry entry_;
};

// Every entry of the history folder, by sequence number (unreadable ones included).
std::vector<HistoryEntry> ReadHistoryFolder(const std::filesystem::path& backupFolder);

// The entries of the card, oldest first: those whose files' SOURCE.txt name files in cardFolder,
// and the unreadable ones that name cardFolder or no card at all.
std::vector<HistoryEntry> ReadCardHistory(const std::filesystem::path& cardFolder,
                                          const std::filesystem::path& backupFolder);

// The card at a point: for each file some save at or after the point replaced, where its content
// of then is (a copy's path, or none when it was absent); every other file is as it is now.
struct CardAtPoint {
    bool complete = true;
    std::vector<std::string> missing; // the card names whose copies are pruned or broken
    std::map<std::string, std::optional<std::filesystem::path>> files;
    std::map<std::string, ContentMark> marks; // what each copy held when it was taken
};

// The point just before the entry of that sequence number (of the card's entries, oldest first).
CardAtPoint CardBefore(std::span<const HistoryEntry> entries, int sequence,
                       const std::filesystem::path& backupFolder);
// The card before Orvix2 first changed it: each file's first copy kept for good (also in a folder
// of backups that no entry names, as earlier versions made them for STARTUP.BIN), or absent where
// the first save that replaced it found none.
CardAtPoint CardAtFirst(std::span<const HistoryEntry> entries,
                        const std::filesystem::path& backupFolder,
                        const std::filesystem::path& cardFolder);

// The card's files (card names) that no longer hold what the newest entry replacing them says
// the save left in them: changed outside Orvix2 since.
std::vector<std::string> FilesChangedOutside(std::span<const HistoryEntry> entries,
                                             const std::filesystem::path& cardFolder);

} // namespace orvix
