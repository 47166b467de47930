#pragma once

// Reading the entries of the history folder (history_entry.h), and those of one card.

#include <filesystem>
#include <vector>

#include "storage/history_entry.h"

namespace orvix {

// The largest sequence number in the history folder (0 when it has none), from the entries'
// file names alone.
int LargestSequence(const std::filesystem::path& backupFolder);

// Every entry of the history folder, by sequence number (unreadable ones included).
std::vector<HistoryEntry> ReadHistoryFolder(const std::filesystem::path& backupFolder);

// The entries of the card, oldest first: those whose files' SOURCE.txt name files in cardFolder,
// and the unreadable ones that name cardFolder or no card at all.
std::vector<HistoryEntry> ReadCardHistory(const std::filesystem::path& cardFolder,
                                          const std::filesystem::path& backupFolder);

} // namespace orvix
