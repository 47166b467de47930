#include "history/card_points.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "history/card_meaning.h"
#include "history/save_description.h"
#include "resources/string_table.h"
#include "resources/translation.h"
#include "storage/card_lock.h"
#include "storage/file_io.h"
#include "storage/file_set_write.h"

namespace orvix {

namespace {

// A point's time as the entries record it ("2026-12-08T05:07:25"), given with a 'T' or a space
// between date and time. shaped tells whether the text has that form; a text of the form that
// names no real date and time (the 31st of February, the 13th month, 99 minutes) gives none.
std::optional<std::string> RecordedTime(std::string text, bool& shaped) {
    static constexpr const char* kShape = "dddd-dd-ddTdd:dd:dd";
    shaped = false;
    if (text.size() != 19) {
        return std::nullopt;
    }
    if (text[10] == ' ') {
        text[10] = 'T';
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kShape[i] == 'd' ? !digit : text[i] != kShape[i]) {
            return std::nullopt;
        }
    }
    shaped = true;
    const auto number = [&](std::size_t at, std::size_t width) {
        return static_cast<unsigned>(std::stoul(text.substr(at, width)));
    };
    const std::chrono::year_month_day date{std::chrono::year(static_cast<int>(number(0, 4))),
                                           std::chrono::month(number(5, 2)),
                                           std::chrono::day(number(8, 2))};
    if (!date.ok() || number(11, 2) > 23 || number(14, 2) > 59 || number(17, 2) > 59) {
        return std::nullopt;
    }
    return text;
}

} // namespace

std::vector<bool> SavesEnded(std::span<const HistoryEntry> entries) {
    std::vector<bool> ended;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        bool yes = entries[i].finished;
        for (const HistoryFile& file : entries[i].files) {
            for (std::size_t j = i + 1; !yes && j < entries.size(); ++j) {
                const std::vector<HistoryFile>& later = entries[j].files;
                const auto next = std::find_if(later.begin(), later.end(),
                                               [&](const auto& f) { return f.name == file.name; });
                if (entries[j].readable && next != later.end()) {
                    yes = next->before == file.after;
                    break;
                }
            }
        }
        ended.push_back(yes);
    }
    return ended;
}

std::string SkippedNote(std::span<const int> skipped) {
    std::string list;
    for (const int sequence : skipped) {
        list += (list.empty() ? "" : ", ") + std::to_string(sequence);
    }
    if (list.empty()) {
        return list;
    }
    std::string text(Translate("読めない記録を飛ばしました: %1"));
    return text.replace(text.find("%1"), 2, list);
}

std::optional<HistoryPoint> ParsePoint(const std::string& text,
                                       const std::filesystem::path& backupFolder,
                                       std::string& problem, bool* noCard) {
    HistoryPoint point;
    // A point follows the last '@' of the text; an '@' within a folder name is no point.
    std::string::size_type at = text.rfind('@');
    if (at != std::string::npos && text.find('/', at) != std::string::npos) {
        at = std::string::npos;
    }
    const std::string path = at == std::string::npos ? text : text.substr(0, at);
    point.given = PathFromUtf8(path);
    std::error_code code;
    if (std::filesystem::is_directory(point.given, code)) {
        point.card = point.given;
    } else if (std::filesystem::is_regular_file(point.given, code) ||
               (at != std::string::npos && !std::filesystem::exists(point.given, code))) {
        point.givenFile = true;
        point.card = point.given.parent_path().empty() ? std::filesystem::path(".")
                                                       : point.given.parent_path();
    } else {
        problem = Worded("%1: そのようなカードのフォルダやファイルはありません", {path});
        if (noCard != nullptr) {
            *noCard = true;
        }
        return std::nullopt;
    }
    if (at == std::string::npos) {
        return point;
    }
    const std::string where = text.substr(at + 1);
    const std::vector<HistoryEntry> entries = ReadCardHistory(point.card, backupFolder);
    if (where == "first") {
        point.kind = HistoryPoint::Kind::First;
        return point;
    }
    point.kind = HistoryPoint::Kind::Before;
    if (where.size() >= 2 && where[0] == '-' && where.size() <= 7 &&
        std::all_of(where.begin() + 1, where.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        // Only saves seen to end count, so that @-1 undoes the last save that happened; an
        // unreadable entry counts as the save it most likely was, and refuses its restore.
        std::vector<int> saves;
        const std::vector<bool> ended = SavesEnded(entries);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (ended[i]) {
                saves.push_back(entries[i].sequence);
            }
        }
        const std::size_t n = std::stoul(where.substr(1));
        if (n == 0 || n > saves.size()) {
            const std::size_t unfinished = entries.size() - saves.size();
            problem =
                unfinished == 0
                    ? Worded("@%1: カードの履歴には%2件の記録があります",
                             {where, std::to_string(saves.size())})
                    : Worded("@%1: カードの履歴には%2件の記録と、@-Nの数えない未完了の"
                             "記録%3件があります",
                             {where, std::to_string(saves.size()), std::to_string(unfinished)});
            return std::nullopt;
        }
        point.sequence = saves[saves.size() - n];
        return point;
    }
    bool shaped = false;
    if (const std::optional<std::string> time = RecordedTime(where, shaped)) {
        // The earliest save (by number) recorded after that time; none: the card as it is now.
        point.kind = HistoryPoint::Kind::Now;
        point.atTime = true;
        for (const HistoryEntry& entry : entries) {
            if (entry.time > *time) {
                point.kind = HistoryPoint::Kind::Before;
                point.sequence = entry.sequence;
                break;
            }
        }
        return point;
    }
    if (shaped) {
        problem = Filled(Translate("@%1: そのような日時はありません"), where);
        return std::nullopt;
    }
    problem = Worded("@%1: 時点は@first、@-N、@YYYY-MM-DDTHH:MM:SSのどれかです", {where});
    return std::nullopt;
}

CardAtPoint StateAt(const HistoryPoint& point, std::span<const HistoryEntry> entries,
                    const std::filesystem::path& backupFolder) {
    switch (point.kind) {
    case HistoryPoint::Kind::First:
        return CardAtFirst(entries, backupFolder, point.card);
    case HistoryPoint::Kind::Before:
        return CardBefore(entries, point.sequence, backupFolder);
    case HistoryPoint::Kind::Now:
        break;
    }
    return {};
}

CardFileLocator LocatorOf(const std::filesystem::path& card, const CardAtPoint& state) {
    return [card, &state](const std::string& name) -> std::optional<std::filesystem::path> {
        const auto found = state.files.find(name);
        if (found != state.files.end()) {
            return found->second;
        }
        const std::filesystem::path path = CardFilePath(card, name);
        std::error_code code;
        if (!std::filesystem::is_regular_file(path, code)) {
            return std::nullopt;
        }
        return path;
    };
}

PointMeaning MeaningAt(const HistoryPoint& point, const std::filesystem::path& backupFolder) {
    PointMeaning result;
    if (point.kind == HistoryPoint::Kind::Now && point.givenFile) {
        result.meaning = ReadProgramMeaning(point.given);
        return result;
    }
    const std::vector<HistoryEntry> entries = ReadCardHistory(point.card, backupFolder);
    result.state = StateAt(point, entries, backupFolder);
    result.meaning = ReadCardMeaning(LocatorOf(point.card, result.state));
    return result;
}

} // namespace orvix

namespace orvix {

namespace {

std::optional<std::vector<std::uint8_t>> ReadIfThere(const std::filesystem::path& path) {
    std::error_code code;
    std::vector<std::uint8_t> bytes;
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, code))) {
        return std::nullopt;
    }
    if (!ReadWholeFile(path, bytes)) {
        bytes.assign(1, 0xFF); // unreadable: counts as different from any copy
        bytes.push_back(0x00);
    }
    return bytes;
}

bool Wanted(const std::string& name, std::span<const std::string> only) {
    return only.empty() || std::any_of(only.begin(), only.end(), [&](const std::string& given) {
               return FoldedCardName(given) == FoldedCardName(name);
           });
}

std::string Listed(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : ", ") + name;
    }
    return text;
}

// The point restricted to some of its files.
CardAtPoint Restricted(const CardAtPoint& state, std::span<const std::string> names) {
    CardAtPoint part;
    for (const std::string& name : names) {
        part.files.emplace(name, state.files.at(name));
        if (state.marks.contains(name)) {
            part.marks.emplace(name, state.marks.at(name));
        }
    }
    return part;
}

struct Plan {
    RestorePreview preview;
    CardAtPoint state;
};

Plan MakePlan(const HistoryPoint& point, const std::filesystem::path& backupFolder,
              std::span<const std::string> only) {
    Plan plan;
    RestorePreview& preview = plan.preview;
    const std::vector<HistoryEntry> entries = ReadCardHistory(point.card, backupFolder);
    if (point.kind == HistoryPoint::Kind::Now) {
        preview.problem = Translate("戻す時点は CARD@first、CARD@-N、CARD@TIME のどれかです");
        return plan;
    }
    if (point.kind == HistoryPoint::Kind::Before) {
        const auto entry = std::find_if(entries.begin(), entries.end(), [&](const HistoryEntry& e) {
            return e.sequence == point.sequence;
        });
        if (entry == entries.end()) {
            preview.problem = Worded("履歴に記録%1はありません", {std::to_string(point.sequence)});
            return plan;
        }
        if (!entry->readable) {
            preview.problem = Worded("記録%1を読めません: %2", {std::to_string(point.sequence),
                                                                ShownProblem(entry->problem)});
            return plan;
        }
    }
    plan.state = StateAt(point, entries, backupFolder);
    preview.skipped = plan.state.skipped;
    // Each name given is a file of the point, however the card spells it.
    for (const std::string& given : only) {
        const auto of = [&](const std::string& name) {
            return FoldedCardName(name) == FoldedCardName(given);
        };
        if (std::none_of(plan.state.files.begin(), plan.state.files.end(),
                         [&](const auto& file) { return of(file.first); }) &&
            std::none_of(plan.state.missing.begin(), plan.state.missing.end(), of)) {
            preview.problem = Worded("%1: その時点のファイルではありません", {given});
            return plan;
        }
    }
    std::vector<std::string> gone;
    for (const std::string& missing : plan.state.missing) {
        if (Wanted(missing, only) || missing.starts_with("entry ")) {
            gone.push_back(missing);
        }
    }
    if (!gone.empty()) {
        preview.problem = Worded("この時点は不完全です: %1のコピーがないか壊れています(--onlyで"
                                 "除けます)",
                                 {Listed(gone)});
        preview.differences.complete = false;
        preview.differences.missing = gone;
        return plan;
    }
    for (const auto& [name, source] : plan.state.files) {
        if (!Wanted(name, only)) {
            continue;
        }
        const auto now = ReadIfThere(CardFilePath(point.card, name));
        const auto then = source ? ReadIfThere(*source) : std::nullopt;
        if (now != then) {
            preview.files.push_back(name);
        }
    }
    // What the last save left in a file is known only of saves seen to end: past an unfinished
    // one, a file it did write counts as changed outside (asked about), one it did not as not.
    std::vector<HistoryEntry> finished;
    const std::vector<bool> ended = SavesEnded(entries);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (ended[i]) {
            finished.push_back(entries[i]);
        }
    }
    const std::vector<std::string> outside = FilesChangedOutside(finished, point.card);
    for (const std::string& name : preview.files) {
        if (std::find(outside.begin(), outside.end(), name) != outside.end()) {
            preview.changedOutside.push_back(name);
        }
        const auto& unchecked = plan.state.unchecked;
        if (std::find(unchecked.begin(), unchecked.end(), name) != unchecked.end()) {
            preview.unchecked.push_back(name);
        }
    }
    const CardMeaning now = ReadFolderMeaning(point.card);
    const CardAtPoint restored = Restricted(plan.state, preview.files);
    preview.differences =
        DifferencesOf(restored, ReadCardMeaning(LocatorOf(point.card, restored)), now);
    if (!preview.changedOutside.empty()) {
        const CardAtPoint undone = Restricted(plan.state, preview.changedOutside);
        preview.undone =
            DifferencesOf(undone, ReadCardMeaning(LocatorOf(point.card, undone)), now).fields;
    }
    preview.possible = true;
    return plan;
}

} // namespace

PointDifferences DifferencesOf(const CardAtPoint& state, const CardMeaning& then,
                               const CardMeaning& now) {
    PointDifferences result;
    result.complete = state.complete;
    result.missing = state.missing;
    const MeaningDiff diff = CompareMeanings(then, now);
    result.fields = diff.fields;
    result.notCompared = diff.notCompared;
    if (diff.unexplainedBytes > 0) {
        std::string ranges;
        for (const auto& [first, last] : diff.ranges) {
            char text[48];
            std::snprintf(text, sizeof text, "%s0x%zx-0x%zx", ranges.empty() ? "" : " ", first,
                          last);
            ranges += text;
        }
        result.fields.push_back(
            FieldDifference{"bytes", std::to_string(diff.unexplainedBytes), ranges, ""});
    }
    return result;
}

RestorePreview PreviewRestore(const HistoryPoint& point, const std::filesystem::path& backupFolder,
                              std::span<const std::string> only) {
    return MakePlan(point, backupFolder, only).preview;
}

RestoreResult RestorePoint(const HistoryPoint& point, const std::filesystem::path& backupFolder,
                           bool includeChangedOutside, std::span<const std::string> only,
                           bool includeUnchecked) {
    RestoreResult result;
    const CardLock lock(point.card);
    if (!lock.MayWrite()) {
        result.detail = lock.Error().Describe();
        result.outcome = lock.GetState() == CardLock::State::Busy ? RestoreOutcome::Refused
                                                                  : RestoreOutcome::Failed;
        return result;
    }
    const Plan plan = MakePlan(point, backupFolder, only); // read again under the lock
    if (!plan.preview.possible) {
        result.detail = plan.preview.problem;
        return result;
    }
    if (plan.preview.files.empty()) {
        result.outcome = RestoreOutcome::Unchanged;
        return result;
    }
    if (!plan.preview.changedOutside.empty() && !includeChangedOutside) {
        result.detail =
            Translate("Orvix2の最後の保存の後に他のプログラムやペチで変更されています:");
        for (const std::string& name : plan.preview.changedOutside) {
            result.detail += " " + name;
        }
        return result;
    }
    if (!plan.preview.unchecked.empty() && !includeUnchecked) {
        result.detail =
            Worded("内容の記録がないコピー(未確認): %1", {Listed(plan.preview.unchecked)});
        return result;
    }
    // Every file of the point in one set, a file absent then removed inside it: all or nothing.
    std::vector<FileReplacement> replacements;
    std::vector<SavedFile> saved;
    for (const std::string& name : plan.preview.files) {
        const std::filesystem::path path = CardFilePath(point.card, name);
        const auto& source = plan.state.files.at(name);
        if (!source) {
            saved.push_back(SavedFile{name, path, std::nullopt});
            replacements.push_back(
                FileReplacement{path, {}, ReadIfThere(path), true, FileReplacement::Kind::Remove});
            continue;
        }
        std::vector<std::uint8_t> bytes;
        FileError error;
        const ContentMark& kept = plan.state.marks.at(name);
        if (!ReadWholeFile(*source, bytes, &error) || MarkLike(kept, bytes) != kept) {
            result.detail = Worded("%1: コピー%2は記録した内容ではなくなっています",
                                   {name, Utf8FromPath(*source)});
            return result;
        }
        saved.push_back(SavedFile{name, path, MarkOf(bytes)});
        replacements.push_back(FileReplacement{path, std::move(bytes), ReadIfThere(path), true});
    }
    HistoryRecorder history(point.card, backupFolder, std::chrono::system_clock::now());
    history.RecordRestoreOf(
        point.kind == HistoryPoint::Kind::First ? "first" : std::to_string(point.sequence));
    result.entryFolder = history.EntryFolder();
    FileError error;
    const HistoryStart start = history.Begin(saved, &error);
    if (start != HistoryStart::Started) {
        result.outcome = RestoreOutcome::Failed;
        result.entryRecorded = start != HistoryStart::EntryFailed;
        result.detail = error.Describe();
        return result;
    }
    FileSetReport report;
    if (!WriteFileSet(replacements, &report)) {
        history.Finish(); // records what a failed put-back left, or takes the entry back
        result.outcome = RestoreOutcome::Failed;
        result.detail = report.Describe();
        return result;
    }
    result.outcome = RestoreOutcome::Restored;
    result.entryRecorded = history.Finish(&error);
    result.sequence = history.Sequence();
    if (!result.entryRecorded) {
        result.detail = error.Describe();
    }
    return result;
}

} // namespace orvix
