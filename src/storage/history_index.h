#pragma once

// The index of the history folder (backups/history/index.txt): for each entry file, its name, its
// size and time of last change, and its text, so that reading a long history reads one file
// rather than thousands. The entry files stay the truth: a line serves only while its file has
// that size and time, and a line whose check fails, a missing index or one of another form is
// read again from the entry files. Writing it is best effort.
//
//   orvix2-history-index 1
//   000012.txt|412|1765103400123456789|<hash of the text>|<the entry's text, escaped>
//
// ('%' and every byte below 0x20 of the text are written as %XX.)

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace orvix::detail {

// An entry file as the folder shows it: "000012.txt" or "000013.pending".
struct EntryFileStamp {
    std::string name;
    int sequence = 0;
    bool pending = false;
    std::uint64_t size = 0;
    std::int64_t time = 0; // its last change, in nanoseconds since 1970
    friend bool operator==(const EntryFileStamp&, const EntryFileStamp&) = default;
};

// The entry files of the history folder (names NNNNNN.txt and NNNNNN.pending), by number; without
// stamps, in the folder's order.
std::vector<EntryFileStamp> ListEntryFiles(const std::filesystem::path& historyFolder,
                                           bool withStamps = true);

// The largest number the index names (its last line, as it lists the entries by number), read
// from the end of the file alone; 0 when there is no index or its end is not a whole line of one.
int LargestIndexedSequence(const std::filesystem::path& historyFolder);

// The index file's own stamp (size and time zero when there is none).
EntryFileStamp IndexFileStamp(const std::filesystem::path& historyFolder);

// What the index holds: each entry file's stamp and text, by file name.
struct IndexedText {
    EntryFileStamp stamp;
    std::string text;
};
std::map<std::string, IndexedText> ReadHistoryIndex(const std::filesystem::path& historyFolder);

// Replaces the index (atomically; a failure is ignored, the next reading tries again).
void WriteHistoryIndex(const std::filesystem::path& historyFolder,
                       const std::vector<IndexedText>& entries);

} // namespace orvix::detail
