#include "history/card_history_view.h"

#include <map>
#include <optional>

#include "history/card_meaning.h"
#include "history/card_points.h"
#include "storage/card_history.h"
#include "storage/file_io.h"

namespace orvix {

namespace {

bool IsProgram(const std::string& name) {
    return name == "STARTUP.BIN";
}

// Reads the meanings of the card at many states, each program file read once.
class MeaningCache {
public:
    // The meaning of the files a state names, every other file read as absent: a summary made
    // from copies never reads the card as it is now.
    CardMeaning Read(const CardAtPoint& state) {
        bool program = false;
        bool cardFiles = false;
        for (const auto& [name, source] : state.files) {
            (IsProgram(name) ? program : cardFiles) = true;
        }
        const CardFileLocator locate =
            [&](const std::string& name) -> std::optional<std::filesystem::path> {
            const auto found = state.files.find(name);
            return found != state.files.end() ? found->second : std::nullopt;
        };
        CardMeaning meaning;
        if (program) {
            const auto path = locate("STARTUP.BIN");
            const std::string key = path ? path->string() : std::string();
            auto found = programs_.find(key);
            if (found == programs_.end()) {
                found =
                    programs_.emplace(key, path ? ReadProgramMeaning(*path) : CardMeaning{}).first;
            }
            meaning = found->second;
        }
        if (cardFiles) {
            const CardMeaning files = ReadCardMeaning(
                [&](const std::string& name) -> std::optional<std::filesystem::path> {
                    return IsProgram(name) ? std::nullopt : locate(name);
                });
            meaning.hasCardFiles = true;
            meaning.fields.insert(meaning.fields.end(), files.fields.begin(), files.fields.end());
        }
        return meaning;
    }

private:
    std::map<std::string, CardMeaning> programs_;
};

enum class Copy { Absent, Kept, Pruned, Damaged };

// The copy of a file an entry names: what it held was absent, the copy is kept as it was taken
// (its size), or it is gone (pruned) or no longer of its size (damaged).
Copy CopyOf(const HistoryFile& file, const std::filesystem::path& backups,
            std::filesystem::path& path) {
    if (file.copy.empty()) {
        return Copy::Absent;
    }
    path = backups / file.folder / file.copy;
    std::error_code code;
    if (!std::filesystem::exists(path, code)) {
        return Copy::Pruned;
    }
    const auto size = std::filesystem::file_size(path, code);
    return !code && file.before && size == file.before->size ? Copy::Kept : Copy::Damaged;
}

// The next readable entry after entry that replaced the file; none when no later save did.
const HistoryFile* NextSaveOf(std::span<const HistoryEntry> entries, std::size_t entry,
                              const std::string& name) {
    for (std::size_t i = entry + 1; i < entries.size(); ++i) {
        for (const HistoryFile& file : entries[i].files) {
            if (entries[i].readable && file.name == name) {
                return &file;
            }
        }
    }
    return nullptr;
}

std::string Named(const std::string& what, const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += " " + name;
    }
    return names.empty() ? "" : " (" + what + ":" + text + ")";
}

// What an entry that recorded no changes changed, from its copies alone: this entry's copy of
// each file against the next save's copy of it (or absent where the save removed it). None when
// a side is not kept as a copy, so that such an entry's summary never depends on the card now.
std::optional<std::vector<RecordedChange>> ChangesFromCopies(std::span<const HistoryEntry> entries,
                                                             std::size_t index,
                                                             const std::filesystem::path& backups,
                                                             MeaningCache& cache) {
    CardAtPoint before;
    CardAtPoint after;
    for (const HistoryFile& file : entries[index].files) {
        std::filesystem::path path;
        const Copy copy = CopyOf(file, backups, path);
        if (copy != Copy::Absent && copy != Copy::Kept) {
            return std::nullopt;
        }
        before.files.emplace(file.name, copy == Copy::Kept ? std::optional(path) : std::nullopt);
        if (!file.after) {
            after.files.emplace(file.name, std::nullopt);
            continue;
        }
        const HistoryFile* next = NextSaveOf(entries, index, file.name);
        std::filesystem::path nextPath;
        if (next == nullptr || CopyOf(*next, backups, nextPath) != Copy::Kept) {
            return std::nullopt;
        }
        after.files.emplace(file.name, nextPath);
    }
    return ChangesOf(CompareMeanings(cache.Read(before), cache.Read(after)));
}

} // namespace

CardHistoryView::CardHistoryView(std::filesystem::path cardFolder,
                                 std::filesystem::path backupFolder)
    : card_(std::move(cardFolder)), backups_(std::move(backupFolder)) {}

std::vector<HistoryRow> CardHistoryView::Rows() const {
    const std::vector<HistoryEntry> entries = ReadCardHistory(card_, backups_);
    const std::vector<bool> ended = SavesEnded(entries);
    MeaningCache cache;
    std::vector<HistoryRow> rows;
    for (std::size_t index = entries.size(); index-- > 0;) {
        const HistoryEntry& entry = entries[index];
        HistoryRow row;
        row.sequence = entry.sequence;
        row.time = entry.time;
        row.readable = entry.readable;
        row.problem = entry.problem;
        row.finished = ended[index];
        row.restoreOf = entry.restoreOf;
        for (const HistoryFile& file : entry.files) {
            row.files.push_back(file.name);
        }
        if (!entry.readable) {
            row.summary = "(unreadable: " + entry.problem + ")";
            rows.push_back(std::move(row));
            continue;
        }
        if (!entry.changes.empty()) {
            row.changes = entry.changes;
            row.summary = SummaryOf(row.changes);
        } else if (auto changes = ChangesFromCopies(entries, index, backups_, cache)) {
            row.changes = std::move(*changes);
            row.summary = SummaryOf(row.changes);
        } else {
            row.summary = "(nothing recorded)";
            row.recorded = false;
        }
        if (!row.finished) { // what a pending entry recorded is the save's intent
            row.summary = "(unfinished: the save was not seen to end)" +
                          (row.changes.empty() ? std::string() : " " + row.summary);
        }
        // What became of the copies, and whether the next save of a file found what this one left:
        // facts of the history alone, never of the card as it is now.
        std::vector<std::string> pruned;
        std::vector<std::string> damaged;
        std::vector<std::string> outside;
        for (const HistoryFile& file : entry.files) {
            std::filesystem::path path;
            const Copy copy = CopyOf(file, backups_, path);
            if (copy == Copy::Pruned) {
                pruned.push_back(file.name);
            } else if (copy == Copy::Damaged) {
                damaged.push_back(file.name);
            }
            const HistoryFile* next = NextSaveOf(entries, index, file.name);
            if (next != nullptr && next->before != file.after) {
                outside.push_back(file.name);
            }
        }
        row.pruned = pruned;
        row.damaged = damaged;
        row.changedOutside = outside;
        row.summary += Named("copy pruned", pruned) + Named("copy damaged", damaged) +
                       Named("changed outside Orvix2 afterwards", outside);
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<std::string> CardHistoryView::MatchingCards() const {
    return RecordedCardsMatching(card_, backups_);
}

namespace {

HistoryPoint PointBefore(const std::filesystem::path& card, int sequence) {
    HistoryPoint point;
    point.card = card;
    point.given = card;
    point.kind = HistoryPoint::Kind::Before;
    point.sequence = sequence;
    return point;
}

} // namespace

PointDifferences CardHistoryView::DifferencesBefore(int sequence) const {
    const PointMeaning then = MeaningAt(PointBefore(card_, sequence), backups_);
    return DifferencesOf(then.state, then.meaning, ReadFolderMeaning(card_));
}

RestorePreview CardHistoryView::PreviewRestoreBefore(int sequence,
                                                     std::span<const std::string> only) const {
    return PreviewRestore(PointBefore(card_, sequence), backups_, only);
}

RestoreResult CardHistoryView::RestoreBefore(int sequence, bool includeChangedOutside,
                                             std::span<const std::string> only) {
    return RestorePoint(PointBefore(card_, sequence), backups_, includeChangedOutside, only);
}

} // namespace orvix
