#include "cli/history_commands.h"

#include <nlohmann/json.hpp>
#include <utility>

#include "cli/cli_texts.h"
#include "cli/exit_status.h"
#include "history/card_history_view.h"
#include "history/card_meaning.h"
#include "history/card_points.h"
#include "resources/names.h"
#include "resources/string_table.h"
#include "resources/translation.h"
#include "storage/card_history.h"
#include "storage/file_backup.h"
#include "storage/file_io.h"

namespace orvix::cli {

namespace {

using Json = nlohmann::ordered_json;

// diff's own exit status, as diff(1) has it.
constexpr int kDiffSame = 0;
constexpr int kDiffDifferent = 1;
constexpr int kDiffTrouble = 2;

std::filesystem::path Backups(const CommandContext& context) {
    return context.settingsFile.parent_path() / kBackupFolderName;
}

std::string Dump(const Json& json) {
    return json.dump(2, ' ', false, Json::error_handler_t::replace);
}

std::string Filled(std::string_view format, std::string_view argument) {
    std::string text(format);
    if (const auto at = text.find("%1"); at != std::string::npos) {
        text.replace(at, 2, argument);
    }
    return text;
}

void PrintDifferences(const MeaningDiff& diff, bool json, std::ostream& out) {
    if (json) {
        Json j = Json::object();
        for (const char* area : kMeaningAreas) {
            Json list = Json::array();
            for (const FieldDifference& f : diff.fields) {
                if (f.area == area) {
                    list.push_back({{"field", f.field}, {"a", f.then}, {"b", f.now}});
                }
            }
            j[area] = std::move(list);
        }
        Json ranges = Json::array();
        for (const auto& [first, last] : diff.ranges) {
            ranges.push_back({first, last});
        }
        j["bytes"] = {{"count", diff.unexplainedBytes}, {"ranges", std::move(ranges)}};
        j["notCompared"] = diff.notCompared;
        j["incomplete"] = Json::array(); // an incomplete point is not compared at all
        out << Dump(j) << '\n';
        return;
    }
    // The text form shows the names of the name table; the JSON keeps the stable keys.
    for (const FieldDifference& f : diff.fields) {
        std::string line = ShownDifference(f, "\t", f.then, f.now);
        line.replace(line.find(": ", line.find('\t')), 2, "\t");
        out << line << '\n';
    }
    if (diff.unexplainedBytes > 0) {
        out << NameOf(kArea, "bytes") << '\t'
            << Filled(Translate("どの項目にも当たらないプログラムの%1バイト:"),
                      std::to_string(diff.unexplainedBytes));
        for (const auto& [first, last] : diff.ranges) {
            char text[48];
            std::snprintf(text, sizeof text, " 0x%zx-0x%zx", first, last);
            out << text;
        }
        out << '\n';
    }
    for (const std::string& note : diff.notCompared) {
        out << Translate("比較不可") << '\t' << ShownNote(note) << '\n';
    }
}

constexpr std::string_view kForceRestores = "(--forceで戻せます。何も書き込みませんでした)";

std::string AlreadyAt(const std::string& where) {
    return Worded("カードは既に%1の時点の状態です。何も書き込みませんでした", {where});
}

std::string Names(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : ", ") + name;
    }
    return text;
}

int Diff(const HistoryArguments& arguments, const CommandContext& context) {
    const std::filesystem::path backups = Backups(context);
    std::string problem;
    const auto a = ParsePoint(arguments.a, backups, problem);
    if (!a) {
        context.err << "orvix2-cli: " << problem << '\n';
        return kDiffTrouble;
    }
    const PointMeaning left = MeaningAt(*a, backups);
    PointMeaning right;
    if (arguments.standard) {
        right.meaning = StandardMeaning(left.meaning);
    } else {
        const auto b = ParsePoint(arguments.b, backups, problem);
        if (!b) {
            context.err << "orvix2-cli: " << problem << '\n';
            return kDiffTrouble;
        }
        right = MeaningAt(*b, backups);
    }
    // A point whose copies are gone cannot be compared: its files are not known. One that passed
    // over unreadable entries is compared, and said to lack what they changed.
    for (const auto& [given, state] : {std::pair(arguments.a, &left.state),
                                       std::pair(arguments.b, &std::as_const(right.state))}) {
        if (!state->missing.empty()) {
            context.err << "orvix2-cli: "
                        << Worded("%1: この時点は不完全です: %2のコピーがないか壊れています",
                                  {given, Names(state->missing)})
                        << '\n';
            return kDiffTrouble;
        }
        if (!state->skipped.empty()) {
            context.err << "orvix2-cli: " << given << ": " << SkippedNote(state->skipped) << ' '
                        << Translate("(変更の内容は不明です)") << '\n';
        }
    }
    if (left.meaning.programForm.empty() && !left.meaning.hasCardFiles) {
        context.err << "orvix2-cli: " << Worded("%1: 読めるSTARTUP.BINがありません", {arguments.a})
                    << '\n';
        return kDiffTrouble;
    }
    if (!arguments.standard && right.meaning.programForm.empty() && !right.meaning.hasCardFiles) {
        context.err << "orvix2-cli: " << Worded("%1: 読めるSTARTUP.BINがありません", {arguments.b})
                    << '\n';
        return kDiffTrouble;
    }
    const MeaningDiff diff = CompareMeanings(left.meaning, right.meaning);
    PrintDifferences(diff, arguments.json, context.out);
    return diff.Same() ? kDiffSame : kDiffDifferent;
}

// A restore reads as the point it went back to, named as this listing names it (@-N); the
// dialog, which lists the saves by number, names the save instead.
std::string ListedSummary(const std::vector<HistoryRow>& rows,
                          const std::vector<std::string>& names, const HistoryRow& row) {
    if (row.readable && row.finished && !row.restoreOf.empty() && row.restoreOf != "first") {
        for (std::size_t j = 0; j < rows.size(); ++j) {
            if (rows[j].finished && std::to_string(rows[j].sequence) == row.restoreOf) {
                return Worded("%1の時点に戻す", {names[j]});
            }
        }
    }
    return ShownSummary(row);
}

int History(const HistoryArguments& arguments, const CommandContext& context) {
    std::string problem;
    bool noCard = false;
    const auto point = ParsePoint(arguments.a, Backups(context), problem, &noCard);
    if (!point || point->kind != HistoryPoint::Kind::Now || point->atTime) {
        context.err << "orvix2-cli: "
                    << (point
                            ? std::string(Translate(
                                  "historyにはカードのフォルダかそのSTARTUP.BINを指定してください"))
                            : problem)
                    << '\n';
        return noCard ? kExitFailure : kExitUsage; // a card that cannot be read, as elsewhere
    }
    const CardHistoryView view(point->card, Backups(context));
    const std::vector<HistoryRow> rows = view.Rows();
    // @-N counts the saves seen to end; an unfinished entry has no such name.
    std::vector<std::string> names;
    int saves = 0;
    for (const HistoryRow& row : rows) {
        names.push_back(row.finished ? "@-" + std::to_string(++saves) : std::string(NoValue()));
    }
    if (rows.empty()) {
        const std::vector<std::string> matching = view.MatchingCards();
        if (!matching.empty()) {
            context.err << Worded("このカードの記録はありません。ファイルが記録のあるカードと一致"
                                  "します: %1",
                                  {Names(matching)})
                        << '\n';
        }
    }
    if (arguments.json) {
        Json list = Json::array();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const HistoryRow& row = rows[i];
            Json changes = Json::array();
            for (const RecordedChange& c : row.changes) {
                changes.push_back(
                    {{"area", c.area}, {"key", c.key}, {"before", c.before}, {"after", c.after}});
            }
            list.push_back({{"point", row.finished ? Json(names[i]) : Json(nullptr)},
                            {"sequence", row.sequence},
                            {"time", row.time},
                            {"files", row.files},
                            {"changes", std::move(changes)},
                            {"summary", row.summary},
                            {"readable", row.readable},
                            {"finished", row.finished}});
        }
        context.out << Dump(list) << '\n';
        return kExitSuccess;
    }
    if (rows.empty()) {
        context.out << Worded("%1の記録はありません", {Utf8FromPath(point->card)}) << '\n';
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const HistoryRow& row = rows[i];
        std::string files;
        for (const std::string& name : row.files) {
            files += (files.empty() ? "" : ",") + name;
        }
        context.out << names[i] << '\t' << row.time << '\t'
                    << (files.empty() ? std::string(NoValue()) : files) << '\t'
                    << ListedSummary(rows, names, row) << '\n';
    }
    return kExitSuccess;
}

std::string Lines(const std::vector<FieldDifference>& fields) {
    std::string text;
    for (const FieldDifference& f : fields) {
        text += (text.empty() ? "" : "\n") + ShownDifference(f, "\t", f.now, f.then);
    }
    return text;
}

// The tool answers every question No unless --yes was given: says how to confirm.
int NothingRestored(const CommandContext& context) {
    context.err << "orvix2-cli: "
                << Translate("何も戻しませんでした。質問には「いいえ」と答えました"
                             "(--yes を付けると「はい」と答えます)")
                << '\n';
    return kExitFailure;
}

int Restore(const HistoryArguments& arguments, const CommandContext& context) {
    const std::filesystem::path backups = Backups(context);
    std::string problem;
    const auto point = ParsePoint(arguments.a, backups, problem);
    if (point && point->atTime && point->kind == HistoryPoint::Kind::Now) {
        // No save was recorded after that time: the card is as it was then.
        context.out << Filled(Translate("戻すものはありません(%1より後の保存はありません)"),
                              arguments.a.substr(arguments.a.rfind('@') + 1))
                    << '\n';
        return kExitSuccess;
    }
    if (!point || point->kind == HistoryPoint::Kind::Now) {
        context.err << "orvix2-cli: "
                    << (point ? std::string(Translate("restoreには時点を指定してください: "
                                                      "CARD@first、CARD@-N、CARD@TIME"))
                              : problem)
                    << '\n';
        return kExitUsage;
    }
    const std::string where = arguments.a.substr(arguments.a.rfind('@'));
    const RestorePreview preview = PreviewRestore(*point, backups, arguments.only);
    if (!preview.possible) {
        context.prompter.Failure(IDP_RESTORE_IMPOSSIBLE, preview.problem, where, ui::Icon::Error);
        return kExitFailure;
    }
    if (preview.files.empty()) {
        context.out << AlreadyAt(where) << '\n';
        return kExitSuccess;
    }
    if (!preview.unchecked.empty() && !arguments.force) {
        context.prompter.Failure(IDP_RESTORE_IMPOSSIBLE,
                                 Worded("未確認(コピーの内容を記録した記録がありません): %1",
                                        {Names(preview.unchecked)}) +
                                     '\n' + std::string(Translate(kForceRestores)),
                                 where, ui::Icon::Error);
        return kExitFailure;
    }
    if (!preview.changedOutside.empty()) {
        const std::string detail = Lines(preview.undone);
        if (!arguments.force) {
            context.prompter.Failure(IDP_HISTORY_CHANGED_OUTSIDE,
                                     detail + '\n' + std::string(Translate(kForceRestores)),
                                     Names(preview.changedOutside), ui::Icon::Warning);
            return kExitFailure;
        }
        ui::MessageRequest ask{IDP_RESTORE_CHANGED_OUTSIDE, Names(preview.changedOutside)};
        ask.buttons = ui::Buttons::YesNo;
        ask.icon = ui::Icon::Warning;
        ask.defaultAnswer = ui::Answer::No;
        ask.detail = detail;
        if (context.prompter.ShowMessage(ask) != ui::Answer::Yes) {
            return NothingRestored(context);
        }
    }
    ui::MessageRequest ask{IDP_RESTORE_HISTORY_POINT, where};
    ask.buttons = ui::Buttons::YesNo;
    ask.icon = ui::Icon::Question;
    ask.defaultAnswer = ui::Answer::No;
    ask.detail =
        Worded("ファイル: %1", {Names(preview.files)}) + "\n" +
        (preview.unchecked.empty() ? "" : Worded("未確認: %1", {Names(preview.unchecked)}) + "\n") +
        (preview.skipped.empty() ? "" : SkippedNote(preview.skipped) + "\n") +
        Lines(preview.differences.fields);
    if (context.prompter.ShowMessage(ask) != ui::Answer::Yes) {
        return NothingRestored(context);
    }
    const RestoreResult result =
        RestorePoint(*point, backups, arguments.force, arguments.only, arguments.force);
    if (!result.entryRecorded) {
        // The history entry could not be begun (nothing written) or completed (written).
        const bool written = result.outcome == RestoreOutcome::Restored;
        context.prompter.Failure(written ? IDP_HISTORY_NOT_FINISHED : IDP_HISTORY_NOT_STARTED,
                                 result.detail, Utf8FromPath(result.entryFolder),
                                 written ? ui::Icon::Warning : ui::Icon::Error);
        return written ? kExitPartial : kExitFailure;
    }
    switch (result.outcome) {
    case RestoreOutcome::Restored:
        context.prompter.Message(IDP_RESTORE_DONE, ui::Buttons::Ok, ui::Icon::Information, where);
        context.out << Worded("%1を戻しました。戻す前の状態は記録%2にあります",
                              {Names(preview.files), std::to_string(result.sequence)})
                    << '\n';
        return kExitSuccess;
    case RestoreOutcome::Unchanged:
        context.out << AlreadyAt(where) << '\n';
        return kExitSuccess;
    case RestoreOutcome::Refused:
    case RestoreOutcome::Failed:
        break;
    }
    context.prompter.Failure(IDP_RESTORE_IMPOSSIBLE, result.detail, where, ui::Icon::Error);
    return kExitFailure;
}

} // namespace

void DefineHistoryCommands(CLI::App& app, HistoryArguments& arguments) {
    arguments.diff = app.add_subcommand(
        "diff", Help("二つのカード、STARTUP.BIN、またはカードの履歴の時点を意味で比べます("
                     "終了コード 0 同じ、1 違う、2 問題あり)"));
    arguments.diff->add_option("A", arguments.a, Help("CARD、STARTUP.BIN または CARD@POINT"))
        ->required();
    arguments.diff->add_option("B", arguments.b, Help("CARD、STARTUP.BIN または CARD@POINT"));
    arguments.diff->add_flag("--standard", arguments.standard,
                             Help("Bの代わりに標準値とAを比べます"));
    arguments.diff->add_flag("--json", arguments.json, Help("JSONのオブジェクトで表示します"));

    arguments.history =
        app.add_subcommand("history", Help("カードの変更履歴を新しい順に表示します"));
    arguments.history
        ->add_option("CARD", arguments.a, Help("カードのフォルダまたはそのSTARTUP.BIN"))
        ->required();
    arguments.history->add_flag("--json", arguments.json, Help("JSONの配列で表示します"));

    arguments.restore =
        app.add_subcommand("restore", Help("カードを履歴のある時点の状態に戻します(先に問います)"));
    arguments.restore
        ->add_option("POINT", arguments.a, Help("CARD@first、CARD@-N または CARD@TIME"))
        ->required();
    arguments.restore->add_option(
        "--only", arguments.only,
        Help("これらのカードのファイルだけを戻します(大文字小文字、'/'と'\\'は問いません)"));
    arguments.restore->add_flag("--force", arguments.force,
                                Help("Orvix2の最後の保存の後に他のプログラムやペチで変更されたファ"
                                     "イルと、内容の記録がない最初のコピーも戻します"));
}

std::optional<int> RunHistoryCommands(const HistoryArguments& arguments,
                                      const CommandContext& context) {
    if (arguments.diff->parsed()) {
        if (arguments.standard == !arguments.b.empty()) {
            context.err << "orvix2-cli: "
                        << Translate("diffにはAとB、またはAと--standardを指定してください") << '\n';
            return kDiffTrouble;
        }
        return Diff(arguments, context);
    }
    if (arguments.history->parsed()) {
        return History(arguments, context);
    }
    if (arguments.restore->parsed()) {
        return Restore(arguments, context);
    }
    return std::nullopt;
}

} // namespace orvix::cli
