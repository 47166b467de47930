#pragma once

// Points of a card's history as the command line names them: CARD@first (before Orvix2 first
// changed it), CARD@-N (before the N-th newest save), CARD@2026-12-07T10:30:00 (as it was at that
// local time), or CARD alone (as it is now). CARD is the card folder or its STARTUP.BIN.

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "history/card_meaning.h"
#include "storage/card_history.h"

namespace orvix {

struct HistoryPoint {
    enum class Kind { Now, First, Before };
    std::filesystem::path card;  // the card folder
    std::filesystem::path given; // the path as given (a folder or a STARTUP.BIN)
    bool givenFile = false;      // the path names a file
    Kind kind = Kind::Now;
    int sequence = 0;    // Before: the point is just before this entry
    bool atTime = false; // given as a time: Now when no save was recorded after it
};

// Whether each entry's save ended: its entry says so (HistoryEntry::finished), or a later save of
// one of its files found there what this one recorded leaving, as after a save whose entry could
// not be completed when the card has changed again since.
std::vector<bool> SavesEnded(std::span<const HistoryEntry> entries);

// "skipped unreadable entries: 4, 7" for the entries a point's state passed over; empty for none.
std::string SkippedNote(std::span<const int> skipped);

// Reads a point; none, with problem set, when it names none ("no entry -3: the card has 2";
// noCard, when given, set when the card itself is not there). @-N counts the saves that ended
// (SavesEnded; an unreadable entry among them): an unfinished entry is none. A time is given as
// 2026-12-08T05:07:25 or 2026-12-08 05:07:25, and must be a real date and time.
std::optional<HistoryPoint> ParsePoint(const std::string& text,
                                       const std::filesystem::path& backupFolder,
                                       std::string& problem, bool* noCard = nullptr);

// The card's files at the point (files map empty for Now).
CardAtPoint StateAt(const HistoryPoint& point, std::span<const HistoryEntry> entries,
                    const std::filesystem::path& backupFolder);

// Finds the card's files at a state: the copies it names, else the files on the card.
CardFileLocator LocatorOf(const std::filesystem::path& card, const CardAtPoint& state);

// The card at that point by meaning, and the point's state (complete, missing).
struct PointMeaning {
    CardAtPoint state;
    CardMeaning meaning;
};
PointMeaning MeaningAt(const HistoryPoint& point, const std::filesystem::path& backupFolder);

// The differences between a point's state and the card now (then = the point).
PointDifferences DifferencesOf(const CardAtPoint& state, const CardMeaning& then,
                               const CardMeaning& now);

// What restoring the point would do; only, when not empty, limits it to those card names.
RestorePreview PreviewRestore(const HistoryPoint& point, const std::filesystem::path& backupFolder,
                              std::span<const std::string> only = {});

// Restores the point under the card lock, every file or none (a file absent at the point is
// removed within the same set); the replaced state becomes an entry of its own, begun before the
// first file is replaced (entryRecorded tells when it could not be begun or completed). Files
// changed outside Orvix2 refuse the restore unless includeChangedOutside is set, unchecked first
// copies unless includeUnchecked is. The names in only may be in any letter case and have '/'
// for '\\'; one that is no file of the point refuses the restore.
RestoreResult RestorePoint(const HistoryPoint& point, const std::filesystem::path& backupFolder,
                           bool includeChangedOutside, std::span<const std::string> only = {},
                           bool includeUnchecked = false);

} // namespace orvix
