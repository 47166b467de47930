#pragma once

// The card at a point of its history: where each file's content of then is kept.

#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "storage/history_entry.h"

namespace orvix {

// The card at a point: for each file some save at or after the point replaced, where its content
// of then is (a copy's path, or none when it was absent); every other file is as it is now. Every
// copy named in files is a regular file inside the backups folder that holds what the history
// recorded for it, except those named in unchecked.
struct CardAtPoint {
    bool complete = true;                       // false: some file's content of then cannot be had
    std::vector<std::string> missing;           // the card names whose copies are gone or damaged
    std::map<std::string, std::string> damaged; // of those, why their copy fails: "is gone",
                                                // "is a symbolic link", "does not hold what was
                                                // recorded", "lies outside the backups folder"
    std::vector<int> skipped; // the unreadable entries passed over (what they changed is unknown)
    std::vector<std::string> unchecked; // first copies no entry records a mark for (kept before
                                        // the history began): restored only when forced
    std::map<std::string, std::optional<std::filesystem::path>> files;
    std::map<std::string, ContentMark> marks; // what each copy held when it was taken
};

// The point just before the entry of that sequence number (of the card's entries, oldest first).
// An unreadable entry is passed over (named in skipped); an unfinished one serves like the others.
CardAtPoint CardBefore(std::span<const HistoryEntry> entries, int sequence,
                       const std::filesystem::path& backupFolder);
// The points just before each of the entries (the same as CardBefore for each, in one pass).
std::vector<CardAtPoint> CardBeforeEach(std::span<const HistoryEntry> entries,
                                        const std::filesystem::path& backupFolder);
// The card before Orvix2 first changed it: each file's first copy kept for good (also in a folder
// of backups that no entry names, as earlier versions made them for STARTUP.BIN), or absent where
// the first save that replaced it found none. A first copy is checked against the mark of the
// first entry that names it; one no entry names is listed in unchecked.
CardAtPoint CardAtFirst(std::span<const HistoryEntry> entries,
                        const std::filesystem::path& backupFolder,
                        const std::filesystem::path& cardFolder);

// The card's files (card names) that no longer hold what the newest entry replacing them says
// the save left in them: changed outside Orvix2 since.
std::vector<std::string> FilesChangedOutside(std::span<const HistoryEntry> entries,
                                             const std::filesystem::path& cardFolder);

} // namespace orvix
