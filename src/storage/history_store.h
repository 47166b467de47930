#pragma once

// Reading the entries of the history folder (history_entry.h), and those of one card.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "storage/history_entry.h"

namespace orvix {

// The largest sequence number in the history folder (0 when it has none), finished and pending
// entries alike: from the index's last line and the few entries made since, else from the
// entries' file names; no entry is read.
int LargestSequence(const std::filesystem::path& backupFolder);

// Every entry of the history folder, by sequence number (unreadable ones included). An entry left
// pending by a save that was not seen to end (NNNNNN.pending without NNNNNN.txt) counts as
// finished when the card folder it names holds every file as the entry records it after the
// save (a removed file absent); otherwise it is listed with finished false.
std::vector<HistoryEntry> ReadHistoryFolder(const std::filesystem::path& backupFolder);

// The entries of the card, oldest first: when both the card and an entry have an identity
// (card_identity.h), those of the same identity; otherwise those whose files' SOURCE.txt name
// files in cardFolder; and the unreadable ones that name the card or no card at all. A pending
// entry is finished when this card holds what it records after the save.
std::vector<HistoryEntry> ReadCardHistory(const std::filesystem::path& cardFolder,
                                          const std::filesystem::path& backupFolder);

// For a card that has no entries: the other cards of the history (their folder, and their
// identity in brackets when recorded) whose newest entry's files hold on this card what that
// entry records after its save, so that the card can be recognised when it was copied.
std::vector<std::string> RecordedCardsMatching(const std::filesystem::path& cardFolder,
                                               const std::filesystem::path& backupFolder);

// How many entry files this process has read since it started (the index spares the others).
std::uint64_t HistoryEntryFilesRead();

} // namespace orvix
