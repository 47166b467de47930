#include "storage/history_store.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <set>

#include "storage/card_identity.h"
#include "storage/file_backup.h"
#include "storage/file_io.h"
#include "storage/history_detail.h"
#include "storage/history_index.h"
#include "storage/platform.h"

namespace orvix {

using detail::AbsolutePath;
using detail::EntryFileName;
using detail::EntryFileStamp;
using detail::HistoryFolder;
using detail::IndexedText;
using detail::UnderFolder;

namespace {

std::atomic<std::uint64_t> entryFilesRead{0};

// An entry as its file holds it, and whether that file is a pending one.
struct FoundEntry {
    HistoryEntry entry;
    bool pending = false;
};

HistoryEntry ParseEntryText(const std::string& text, int sequence) {
    HistoryEntry entry = ParseHistoryEntry(text, sequence);
    if (entry.readable && entry.sequence != sequence) {
        entry.readable = false;
        entry.problem = "its number differs from its file's name";
        entry.sequence = sequence;
    }
    return entry;
}

// The entries last read from a history folder, while its files and its index keep their stamps:
// a command that reads the history twice parses it once.
struct ReadFolder {
    EntryFileStamp index;
    std::vector<EntryFileStamp> files;
    std::vector<FoundEntry> entries;
};
std::mutex memoMutex;
std::map<std::string, ReadFolder> memo; // by history folder

// Every entry file of the folder, through the index where it still serves; a pending entry
// whose finished one exists is left out. Rewrites the index when it did not serve.
std::vector<FoundEntry> ReadEntries(const std::filesystem::path& backupFolder) {
    const std::filesystem::path folder = HistoryFolder(backupFolder);
    const std::vector<EntryFileStamp> files = detail::ListEntryFiles(folder);
    const EntryFileStamp indexStamp = detail::IndexFileStamp(folder);
    {
        const std::lock_guard lock(memoMutex);
        const auto known = memo.find(Utf8FromPath(folder));
        if (known != memo.end() && known->second.index == indexStamp &&
            known->second.files == files) {
            return known->second.entries;
        }
    }
    std::map<std::string, IndexedText> index = detail::ReadHistoryIndex(folder);
    bool stale = index.size() != files.size();
    std::vector<IndexedText> texts;
    std::vector<FoundEntry> entries;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const EntryFileStamp& file = files[i];
        const auto indexed = index.find(file.name);
        if (indexed != index.end() && indexed->second.stamp.size == file.size &&
            indexed->second.stamp.time == file.time) {
            texts.push_back(IndexedText{file, std::move(indexed->second.text)});
        } else {
            stale = true;
            std::vector<std::uint8_t> bytes;
            ++entryFilesRead;
            if (!ReadWholeFile(folder / file.name, bytes)) {
                HistoryEntry entry;
                entry.sequence = file.sequence;
                entry.readable = false;
                entry.problem = "the entry cannot be read";
                entry.finished = !file.pending;
                if (!(file.pending && i > 0 && files[i - 1].sequence == file.sequence)) {
                    entries.push_back(FoundEntry{std::move(entry), file.pending});
                }
                continue;
            }
            texts.push_back(IndexedText{file, std::string(bytes.begin(), bytes.end())});
        }
        if (file.pending && i > 0 && files[i - 1].sequence == file.sequence) {
            continue; // its save ended: the finished entry stands for it
        }
        HistoryEntry entry = ParseEntryText(texts.back().text, file.sequence);
        entry.finished = !file.pending;
        entries.push_back(FoundEntry{std::move(entry), file.pending});
    }
    if (stale) {
        detail::WriteHistoryIndex(folder, texts);
    }
    const std::lock_guard lock(memoMutex);
    memo.insert_or_assign(Utf8FromPath(folder), ReadFolder{indexStamp, files, entries});
    return entries;
}

// Whether the card holds every file as the entry records it after its save.
bool HoldsAfter(const HistoryEntry& entry, const std::filesystem::path& cardFolder) {
    for (const HistoryFile& file : entry.files) {
        const std::filesystem::path path = CardFilePath(cardFolder, file.name);
        std::error_code code;
        const bool there = std::filesystem::exists(std::filesystem::symlink_status(path, code));
        std::vector<std::uint8_t> bytes;
        if (there != file.after.has_value() ||
            (there && (!ReadWholeFile(path, bytes) || !MarkMatches(*file.after, bytes)))) {
            return false;
        }
    }
    return true;
}

void ResolvePending(FoundEntry& found, const std::filesystem::path& cardFolder) {
    if (found.pending && found.entry.readable) {
        found.entry.finished = HoldsAfter(found.entry, cardFolder);
    }
}

} // namespace

std::uint64_t HistoryEntryFilesRead() {
    return entryFilesRead.load();
}

int LargestSequence(const std::filesystem::path& backupFolder) {
    // Each save takes the number after the largest, so the entries made since the index was
    // written follow its last one without a gap: the first free number after it is found in
    // steps that double, then halve. Where the index is missing or names an entry no longer
    // there, or a gap shows just after the number found, the folder's names are listed.
    const std::filesystem::path folder = HistoryFolder(backupFolder);
    const auto taken = [&](int sequence) {
        std::filesystem::path entry = folder / EntryFileName(sequence);
        return platform::StampOf(entry).found ||
               platform::StampOf(entry.replace_extension(kPendingEntrySuffix)).found;
    };
    int largest = detail::LargestIndexedSequence(folder);
    if (largest > 0 && taken(largest)) {
        int step = 1;
        for (; step < (1 << 24) && taken(largest + step); step *= 2) {
            largest += step;
        }
        while (step > 1) {
            step /= 2;
            largest += taken(largest + step) ? step : 0;
        }
        if (!taken(largest + 2) && !taken(largest + 3)) {
            return largest;
        }
    }
    largest = 0;
    for (const EntryFileStamp& file : detail::ListEntryFiles(folder, false)) {
        largest = std::max(largest, file.sequence);
    }
    return largest;
}

std::vector<HistoryEntry> ReadHistoryFolder(const std::filesystem::path& backupFolder) {
    std::vector<HistoryEntry> entries;
    for (FoundEntry& found : ReadEntries(backupFolder)) {
        ResolvePending(found, found.entry.card);
        entries.push_back(std::move(found.entry));
    }
    return entries;
}

std::vector<HistoryEntry> ReadCardHistory(const std::filesystem::path& cardFolder,
                                          const std::filesystem::path& backupFolder) {
    const std::filesystem::path card = AbsolutePath(cardFolder);
    const std::string identity = CardIdentity(card);
    enum class Source { None, Other, Ours };
    std::map<std::string, Source> sources; // backup folder -> whose file it holds
    std::vector<HistoryEntry> entries;
    for (FoundEntry& found : ReadEntries(backupFolder)) {
        HistoryEntry& entry = found.entry;
        const bool sameIdentity = !identity.empty() && entry.identity == identity;
        if (!entry.readable) {
            if (entry.card.empty() || AbsolutePath(entry.card) == card || sameIdentity) {
                entries.push_back(std::move(entry));
            }
            continue;
        }
        bool ours = false;
        bool traced = true;
        if (!identity.empty() && !entry.identity.empty()) {
            ours = sameIdentity; // the volume and the path inside it decide, wherever mounted
        } else {
            for (const HistoryFile& file : entry.files) {
                auto source = sources.find(file.folder);
                if (source == sources.end()) {
                    const std::filesystem::path path = BackupSource(backupFolder / file.folder);
                    source = sources
                                 .emplace(file.folder, path.empty()              ? Source::None
                                                       : UnderFolder(path, card) ? Source::Ours
                                                                                 : Source::Other)
                                 .first;
                }
                traced = traced && source->second != Source::None;
                ours = ours || source->second == Source::Ours;
            }
        }
        if (ours || (!traced && AbsolutePath(entry.card) == card)) {
            if (!traced) {
                entry.readable = false;
                entry.problem = "a folder of backups it names has no SOURCE.txt";
            }
            ResolvePending(found, card);
            entries.push_back(std::move(entry));
        }
    }
    return entries;
}

std::vector<std::string> RecordedCardsMatching(const std::filesystem::path& cardFolder,
                                               const std::filesystem::path& backupFolder) {
    if (!ReadCardHistory(cardFolder, backupFolder).empty()) {
        return {};
    }
    // The newest finished entry of each recorded card (its identity, else its folder).
    std::map<std::string, HistoryEntry> newest;
    for (HistoryEntry& entry : ReadHistoryFolder(backupFolder)) {
        if (entry.readable && entry.finished && !entry.files.empty()) {
            newest[entry.identity.empty() ? entry.card : entry.identity] = std::move(entry);
        }
    }
    std::vector<std::string> cards;
    for (const auto& [key, entry] : newest) {
        if (HoldsAfter(entry, cardFolder)) {
            cards.push_back(entry.identity.empty() ? entry.card
                                                   : entry.card + " (" + entry.identity + ")");
        }
    }
    return cards;
}

} // namespace orvix
