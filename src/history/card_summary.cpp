#include "history/card_meaning.h"

#include <utility>

#include "resources/history_dialog.h"
#include "resources/names.h"
#include "resources/translation.h"

namespace orvix {

namespace {

std::string Filled(std::string_view format, std::string_view first, std::string_view second = {}) {
    std::string text(format);
    if (const auto at = text.find("%1"); at != std::string::npos) {
        text.replace(at, 2, first);
    }
    if (const auto at = text.find("%2"); at != std::string::npos) {
        text.replace(at, 2, second);
    }
    return text;
}

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += text.empty() ? "" : " ";
        text += name;
    }
    return text;
}

// " (what: the files)" in the interface language; nothing for no files.
std::string Named(std::string_view what, const std::vector<std::string>& names) {
    std::string text;
    if (!names.empty()) {
        text += ' ';
        text += Filled(Translate(what), Joined(names));
    }
    return text;
}

} // namespace

std::vector<RecordedChange> ChangesOf(const MeaningDiff& diff) {
    std::vector<RecordedChange> changes;
    for (const FieldDifference& f : diff.fields) {
        changes.push_back(RecordedChange{f.area, f.field, f.then, f.now});
    }
    if (diff.unexplainedBytes > 0) {
        changes.push_back(
            RecordedChange{"bytes", "STARTUP.BIN", "", std::to_string(diff.unexplainedBytes)});
    }
    return changes;
}

namespace {

// The first `limit` changes, each worded by `word`, joined by commas; `none` when there is none.
template <typename Word>
std::string JoinedChanges(const std::vector<RecordedChange>& changes, std::size_t limit,
                          std::string none, const Word& word) {
    std::string line;
    for (std::size_t i = 0; i < changes.size(); ++i) {
        if (i == limit) {
            line += ", …";
            break;
        }
        line += (i == 0 ? "" : ", ") + word(changes[i]);
    }
    return line.empty() ? none : line;
}

} // namespace

std::string SummaryOf(const std::vector<RecordedChange>& changes, std::size_t limit) {
    return JoinedChanges(changes, limit, "no change by meaning", [](const RecordedChange& change) {
        if (change.area == "bytes") {
            return change.after + (change.key == "STARTUP.BIN" ? " other program bytes"
                                                               : " other bytes of " + change.key);
        }
        return FieldLabel(change.area, change.key) + ' ' +
               (change.before.empty() ? "-" : change.before) + "→" +
               (change.after.empty() ? "-" : change.after);
    });
}

std::string ShownChanges(const std::vector<RecordedChange>& changes, std::size_t limit) {
    return JoinedChanges(
        changes, limit, std::string(Translate("(意味の変わる違いなし)")),
        [](const RecordedChange& change) {
            if (change.area == "bytes") {
                return change.key == "STARTUP.BIN"
                           ? Filled(Translate("その他のプログラムの%1バイト"), change.after)
                           : Filled(Translate("%2のその他の%1バイト"), change.after, change.key);
            }
            return ShownField(change.area, change.key) + ' ' +
                   ShownValue(change.area, change.key, change.before) + "→" +
                   ShownValue(change.area, change.key, change.after);
        });
}

std::string ShownSummary(const HistoryRow& row) {
    if (!row.readable) {
        return Filled(Translate("(読めない記録: %1)"), ShownProblem(row.problem));
    }
    std::string text =
        row.recorded ? ShownChanges(row.changes) : std::string(Translate("(記録なし)"));
    // A restore finished reads as the point it went back to, not as the changes that took.
    if (row.finished && !row.restoreOf.empty()) {
        text = row.restoreOf == "first"
                   ? std::string(Translate(history_dlg::kRestoredToFirst))
                   : Filled(Translate(history_dlg::kRestoredTo), row.restoreOf);
    }
    if (!row.finished) { // what a pending entry recorded is the save's intent
        std::string pending(Translate("(未完了: 保存の終わりが確認されていません)"));
        if (!row.changes.empty()) {
            pending += ' ';
            pending += text;
        }
        text = std::move(pending);
    }
    text += Named("(コピー削除済: %1)", row.pruned);
    text += Named("(コピー破損: %1)", row.damaged);
    text += Named("(その後、他のプログラムやペチで変更: %1)", row.changedOutside);
    return text;
}

std::string ShownDifference(const FieldDifference& difference, std::string_view separator,
                            const std::string& from, const std::string& to) {
    std::string line(NameOf(kArea, difference.area));
    line += separator;
    line += ShownField(difference.area, difference.field);
    line += ": ";
    line += ShownValue(difference.area, difference.field, from);
    line += " → ";
    line += ShownValue(difference.area, difference.field, to);
    return line;
}

std::string ShownNote(const std::string& note) {
    // The notes CompareMeanings makes, by their recorded (English) words.
    constexpr std::pair<std::string_view, std::string_view> kNotes[] = {
        {"calibration: only one side has a readable STARTUP.BIN",
         "サーボ値: 読めるSTARTUP.BINは片方だけです"},
        {"options, remote: only one side is a program of a known kind",
         "プログラム、リモコン: 既知の種類のプログラムは片方だけです"},
        {"settings, users: only one side is a card folder",
         "設定データ、ユーザ: カードのフォルダは片方だけです"},
    };
    for (const auto& [recorded, japanese] : kNotes) {
        if (note == recorded) {
            return std::string(Translate(japanese));
        }
    }
    constexpr std::string_view kProgram = "program: ";
    constexpr std::string_view kBoth = " (the fields both have are compared)";
    if (note.starts_with(kProgram) && note.ends_with(kBoth)) {
        return Filled(Translate("プログラムの形式: %1 (両方にある項目を比べました)"),
                      std::string_view(note).substr(kProgram.size(),
                                                    note.size() - kProgram.size() - kBoth.size()));
    }
    return note;
}

std::string ShownProblem(const std::string& problem) {
    // The storage's words for an entry it cannot read; "line N ..." names a line of the entry.
    constexpr std::pair<std::string_view, std::string_view> kProblems[] = {
        {"the entry is too large", "記録が大きすぎます"},
        {"not a history entry", "変更履歴の記録ではありません"},
        {"no sequence number", "記録の番号がありません"},
        {"no time", "日時がありません"},
        {"no card folder", "カードのフォルダがありません"},
        {"no card identity", "カードの識別がありません"},
        {"its number differs from its file's name", "番号がファイル名と違います"},
        {"the entry cannot be read", "記録のファイルを読めません"},
        {"a folder of backups it names has no SOURCE.txt",
         "記録にあるバックアップのフォルダにSOURCE.txtがありません"},
        {" names no point", "%1行目が時点を示していません"},
        {" is no file of the entry", "%1行目は記録のファイルの行ではありません"},
        {" is no change of the entry", "%1行目は記録の変更の行ではありません"},
    };
    constexpr std::string_view kLine = "line ";
    for (const auto& [recorded, japanese] : kProblems) {
        if (problem == recorded) {
            return std::string(Translate(japanese));
        }
        if (recorded.starts_with(' ') && problem.starts_with(kLine) &&
            problem.ends_with(recorded)) {
            return Filled(Translate(japanese),
                          std::string_view(problem).substr(
                              kLine.size(), problem.size() - kLine.size() - recorded.size()));
        }
    }
    return problem;
}

} // namespace orvix
