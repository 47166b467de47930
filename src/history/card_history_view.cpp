#include "history/card_history_view.h"

#include <map>
#include <set>

#include "history/card_meaning.h"
#include "history/card_points.h"
#include "storage/card_history.h"
#include "storage/file_io.h"
#include "users/user_record.h"

namespace orvix {

namespace {

bool IsProgram(const std::string& name) {
    return name == "STARTUP.BIN";
}

// Reads the meanings of the card at many states, each program file read once.
class MeaningCache {
public:
    explicit MeaningCache(std::filesystem::path card) : card_(std::move(card)) {}

    // The meaning of the files an entry names (with the name table, for the users' names); the
    // other files read as absent on both sides of a comparison.
    CardMeaning Read(const CardAtPoint& state, const std::vector<std::string>& names) {
        const CardFileLocator all = LocatorOf(card_, state);
        bool program = false;
        bool cardFiles = false;
        std::set<std::string> wanted(names.begin(), names.end());
        for (const std::string& name : names) {
            (IsProgram(name) ? program : cardFiles) = true;
            if (name.starts_with("user\\")) {
                wanted.insert(kNameTableFile);
            }
        }
        const CardFileLocator locate =
            [&](const std::string& name) -> std::optional<std::filesystem::path> {
            return wanted.contains(name) ? all(name) : std::nullopt;
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
    std::filesystem::path card_;
    std::map<std::string, CardMeaning> programs_;
};

// What a file holds at a state, as an entry marks it.
std::optional<ContentMark> MarkAfter(const std::filesystem::path& card, const CardAtPoint& state,
                                     const std::string& name) {
    const auto copy = state.files.find(name);
    if (copy != state.files.end()) {
        return copy->second ? std::optional<ContentMark>(state.marks.at(name)) : std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    std::error_code code;
    const std::filesystem::path path = CardFilePath(card, name);
    if (!std::filesystem::exists(path, code)) {
        return std::nullopt;
    }
    return ReadWholeFile(path, bytes) ? MarkOf(bytes) : ContentMark{};
}

} // namespace

CardHistoryView::CardHistoryView(std::filesystem::path cardFolder,
                                 std::filesystem::path backupFolder)
    : card_(std::move(cardFolder)), backups_(std::move(backupFolder)) {}

std::vector<HistoryRow> CardHistoryView::Rows() const {
    const std::vector<HistoryEntry> entries = ReadCardHistory(card_, backups_);
    MeaningCache cache(card_);
    const std::vector<CardAtPoint> points = CardBeforeEach(entries, backups_);
    std::vector<HistoryRow> rows;
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        const std::size_t at = static_cast<std::size_t>(entries.rend() - entry) - 1;
        HistoryRow row{entry->sequence, entry->time, {}, {}, entry->readable, entry->problem};
        for (const HistoryFile& file : entry->files) {
            row.files.push_back(file.name);
        }
        if (!entry->readable) {
            row.summary = "(unreadable: " + entry->problem + ")";
        } else if (const CardAtPoint& before = points[at]; !before.complete) {
            row.summary = "(a copy is gone:";
            for (const std::string& name : before.missing) {
                row.summary += " " + name;
            }
            row.summary += ")";
        } else {
            const CardAtPoint after = at + 1 < points.size() ? points[at + 1] : CardAtPoint{};
            row.summary = SummaryLine(
                CompareMeanings(cache.Read(before, row.files), cache.Read(after, row.files)));
            // What the next save found (or the card holds now) is not always what this one left.
            std::string outside;
            for (const HistoryFile& file : entry->files) {
                if (MarkAfter(card_, after, file.name) != file.after) {
                    outside += " " + file.name;
                }
            }
            if (!outside.empty()) {
                row.summary += " (changed outside Orvix2 afterwards:" + outside + ")";
            }
        }
        rows.push_back(std::move(row));
    }
    return rows;
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
