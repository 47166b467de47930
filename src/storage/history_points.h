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
// of then is (a copy's path, or none when it was absent); every other file is as it is now.
struct CardAtPoint {
    bool complete = true;
    std::vector<std::string> missing; // the card names whose copies are pruned or broken
    std::map<std::string, std::optional<std::filesystem::path>> files;
    std::map<std::string, ContentMark> marks; // what each copy held when it was taken
    // The card names whose copy is a first copy no entry recorded a mark for (made by earlier
    // versions): its mark is the copy's own, so nothing shows whether it still holds what was kept.
    std::vector<std::string> unchecked{};
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
