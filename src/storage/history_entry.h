#pragma once

// An entry of a card's history: before a save replaces card files, each one's content is kept in
// its folder of backups (file_backup.h), and the entry is written as pending
// (backups/history/NNNNNN.pending) before the first card file is replaced; after the write it is
// made final (NNNNNN.txt, the same text, with what the save changed by meaning), and the pending
// file removed. A pending entry without a final one of its number is a save that began and was
// not seen to end. The entry records the save: its sequence number (one more than the largest
// present), the local time, the card folder, and for each replaced file its card name, the copy
// that holds it as it was (or that it was absent) and the size and hash of what it holds after
// the save. Entries are small text files in backups/history/, one line a fact:
//
//   orvix2-history 1
//   sequence 12
//   time 2026-12-07T10:30:00
//   card /media/card
//   identity 1234-ABCD:/pechi        (optional)
//   restore 3                        (a restore: to before save 3, or "first"; optional)
//   file
//   STARTUP.BIN|STARTUP.BIN-1a2b3c4d|STARTUP-000003-20261207-103000.BIN|4301707|<hash>|4301707|<hash>
//
// A file line is: card name, backup folder, copy ("-" when the file was absent), the copy's size
// and hash ("-" "-" when absent), the size and hash after the save ("-" "-" when it was removed).
// The entries of a card are those whose backup folders' SOURCE.txt name files in its folder, so
// that the backups folder moved with Orvix2.ini still serves. An entry that cannot be read is
// kept in the list as unreadable.
//
// A save may also record what it changed by meaning, one line a field, after the file lines:
//
//   change calibration|origin ID2|25|30
//
// (area, the field's stable key, the value before and after; '%', '|' and line breaks in them
// are written as %25, %7C, %0A and %0D).

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvix {

inline constexpr const char* kHistoryFolderName = "history";
// The endings of an entry's file name: final, and pending (written before the card's files).
inline constexpr std::string_view kEntrySuffix = ".txt";
inline constexpr std::string_view kPendingEntrySuffix = ".pending";

// The size and hash of a file's content, as an entry records it.
struct ContentMark {
    std::uint64_t size = 0;
    // 32 lower-case hexadecimal digits (XXH3, 128 bits); in entries of earlier versions 16
    // (FNV-1a, 64 bits, over 64-bit words, which two changes of one bit may cancel out in).
    std::string hash;
    friend bool operator==(const ContentMark&, const ContentMark&) = default;
};
ContentMark MarkOf(std::span<const std::uint8_t> bytes);
// The mark of earlier versions, for entries recorded with it.
ContentMark LegacyMarkOf(std::span<const std::uint8_t> bytes);
// The mark of bytes made as recorded was made (its hash's length says how), so that a content
// compares equal to a mark of an earlier version's entry when it is what that entry recorded.
ContentMark MarkLike(const ContentMark& recorded, std::span<const std::uint8_t> bytes);
// Whether the bytes are what the mark records (their size and their hash).
bool MarkMatches(const ContentMark& mark, std::span<const std::uint8_t> bytes);

// One replaced file of an entry.
struct HistoryFile {
    std::string name;                    // card name: "STARTUP.BIN", "servo\SV02_ON.BIN"
    std::string folder;                  // its folder of backups: "SV02_ON.BIN-1a2b3c4d"
    std::string copy{};                  // the copy holding it as it was; empty: it was absent
    std::optional<ContentMark> before{}; // the copy's size and hash (none when absent)
    std::optional<ContentMark> after{};  // what it held after the save (none: removed)
};

// One field a save changed, as recorded with it (never computed from the card later).
struct RecordedChange {
    std::string area;   // "calibration", "options", "remote", "settings", "users"
    std::string key;    // the field's stable key, as `show` and `diff` name it
    std::string before; // the value before the save ("" when the field was absent)
    std::string after;  // the value after it
    friend bool operator==(const RecordedChange&, const RecordedChange&) = default;
};

struct HistoryEntry {
    int sequence = 0;
    std::string time; // "2026-12-07T10:30:00"
    std::string card; // the card folder as recorded
    // The card's identity (the volume's serial and the folder's path inside it, card_identity.h)
    // when the save recorded one; empty in entries made before identities were recorded.
    std::string identity{};
    // A restore's point: "first", or the number of the save it went back to before; empty for
    // any other save.
    std::string restoreOf{};
    std::vector<HistoryFile> files;
    std::vector<RecordedChange> changes{}; // what the save changed by meaning, when recorded
    bool readable = true;
    std::string problem; // why not readable
    // False for an entry whose save began but was not seen to end (a crash between the write of
    // the card files and the entry's completion).
    bool finished = true;
};

// Reads the text of an entry, final or pending (the same form; whether it is finished is for the
// reader of the folder to say from the file's name); a text that is not of the form above gives
// an entry that is not readable (the sequence number taken from fallbackSequence). Never throws.
HistoryEntry ParseHistoryEntry(std::string_view text, int fallbackSequence);
std::string FormatHistoryEntry(const HistoryEntry& entry);

// "2026-12-07T10:30:00" in local time.
std::string HistoryTime(std::chrono::system_clock::time_point now);

} // namespace orvix
