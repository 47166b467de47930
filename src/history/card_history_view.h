#pragma once

// The change history of a card as the editor's history dialog works with it: the entries of the
// card's history, the differences by meaning between a point of it and the card as it is now,
// and the restore of a point, with the same checks as orvix2-cli restore. Every operation reads
// the card and the backup folder anew; nothing here deletes an entry.

#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "storage/history_entry.h"

namespace orvix {

// One entry of the history list (newest first).
struct HistoryRow {
    int sequence = 0;               // the entry's number; order follows it, never the time
    std::string time;               // "2026-12-07T10:30:00", local time as recorded
    std::vector<std::string> files; // the card names of the files the save replaced
    // What the save changed by meaning: as its entry recorded it, or for an entry that recorded
    // nothing, from its copies and the next save's (empty when those are not all kept).
    std::vector<RecordedChange> changes{};
    // changes worded, with what became of the entry's copies: "ID2 原点 25→30, VOLUME 5→7",
    // "(nothing recorded) (copy pruned: STARTUP.BIN)"
    std::string summary;
    // What the summary is made of, for wording it in the interface language.
    bool recorded = true;                      // false: nothing recorded, nor known from copies
    std::vector<std::string> pruned{};         // the files whose copy is pruned
    std::vector<std::string> damaged{};        // the files whose copy is damaged
    std::vector<std::string> changedOutside{}; // changed outside Orvix2 after this save
    bool readable = true;                      // false: listed, but no point of it can be restored
    std::string problem;                       // why it cannot be read, when not readable
    // False for a save that began but was not seen to end: listed, but no @-N counts it.
    bool finished = true;
    std::string restoreOf{}; // a restore's point: "first" or a save's number; empty otherwise
};

// One difference by meaning between two states of a card.
struct FieldDifference {
    std::string area;  // "calibration", "options", "remote", "settings", "users", "bytes"
    std::string field; // "origin ID2 原点" / "walkSteps" / "VOLUME" / "user1 birthday"
    std::string then;  // the value at the point (empty when the side has no such field)
    std::string now;   // the value on the card now
};

// The differences between a point and the card now.
struct PointDifferences {
    bool complete = true;             // false: a copy the point needs is gone (see missing)
    std::vector<std::string> missing; // the card names of the files whose copy is pruned or broken
    std::vector<FieldDifference> fields;
    std::vector<std::string> notCompared; // "calibration: text form / binary image"
};

// What restoring a point would do, for the question asked before it.
struct RestorePreview {
    bool possible = false; // false: problem says why (unreadable, incomplete)
    std::string problem;
    std::vector<std::string> files; // the card names of the files the restore would replace
    std::vector<std::string> changedOutside; // of those, the files that no longer hold what the
                                             // newest entry says the last save left in them
    std::vector<FieldDifference> undone;     // what restoring the changedOutside files would undo
    // Of the files, those whose copy is a first copy no entry recorded a mark for (earlier
    // versions made them): nothing shows they still hold what was kept.
    std::vector<std::string> unchecked{};
    // The unreadable entries after the point that its state passed over: what they changed is
    // unknown, so the restore may leave their changes in place.
    std::vector<int> skipped{};
    PointDifferences differences; // everything that will change (then = the point)
};

enum class RestoreOutcome {
    Restored,  // every file holds its content of the point; a new entry records what it replaced
    Unchanged, // the card already is that point: nothing written, no entry
    Refused,   // not possible, files changed outside without permission, or the card was busy
    Failed,    // the write failed; the card is as before (or the detail names each file's state)
};

struct RestoreResult {
    RestoreOutcome outcome = RestoreOutcome::Refused;
    int sequence = 0;   // the entry the restore recorded, when Restored
    std::string detail; // why, for a message's details
    // False where the history entry could not be begun (Failed: nothing was written) or, after
    // the files were written, completed (Restored); entryFolder is the folder of the entries.
    bool entryRecorded = true;
    std::filesystem::path entryFolder{};
};

class CardHistoryView {
public:
    // cardFolder: the folder of STARTUP.BIN; backupFolder: the "backups" folder beside Orvix2.ini.
    CardHistoryView(std::filesystem::path cardFolder, std::filesystem::path backupFolder);

    // The entries of the card, newest first (also those that cannot be read).
    std::vector<HistoryRow> Rows() const;

    // For a card without entries: the other recorded cards whose newest entry its files match
    // ("/media/OLD (1234-ABCD:/)"), so that a copied card can be recognised.
    std::vector<std::string> MatchingCards() const;

    // The point just before the save of entry sequence, against the card now.
    PointDifferences DifferencesBefore(int sequence) const;

    // What restoring the point just before entry sequence would do; only, when not empty, limits
    // it to those card names.
    RestorePreview PreviewRestoreBefore(int sequence, std::span<const std::string> only = {}) const;

    // Restores the point (after the caller asked, showing the preview), holding the card lock and
    // writing every file or none. Files changed outside are restored only when
    // includeChangedOutside is set; otherwise their presence refuses the restore.
    RestoreResult RestoreBefore(int sequence, bool includeChangedOutside,
                                std::span<const std::string> only = {});

private:
    std::filesystem::path card_;
    std::filesystem::path backups_;
};

} // namespace orvix
