#include "cli/history_commands.h"

#include <nlohmann/json.hpp>
#include <utility>

#include "cli/exit_status.h"
#include "history/card_history_view.h"
#include "history/card_meaning.h"
#include "history/card_points.h"
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

std::string Value(const std::string& text) {
    return text.empty() ? "-" : text;
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
    for (const FieldDifference& f : diff.fields) {
        out << f.area << '\t' << f.field << '\t' << Value(f.then) << " → " << Value(f.now) << '\n';
    }
    if (diff.unexplainedBytes > 0) {
        out << "bytes\t" << diff.unexplainedBytes << " program bytes no field explains:";
        for (const auto& [first, last] : diff.ranges) {
            char text[48];
            std::snprintf(text, sizeof text, " 0x%zx-0x%zx", first, last);
            out << text;
        }
        out << '\n';
    }
    for (const std::string& note : diff.notCompared) {
        out << "not compared\t" << note << '\n';
    }
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
            context.err << "orvix2-cli: " << given << ": the point is incomplete: the copies of "
                        << Names(state->missing) << " are missing or damaged\n";
            return kDiffTrouble;
        }
        if (!state->skipped.empty()) {
            context.err << "orvix2-cli: " << given << ": " << SkippedNote(state->skipped)
                        << " (what they changed is unknown)\n";
        }
    }
    if (left.meaning.programForm.empty() && !left.meaning.hasCardFiles) {
        context.err << "orvix2-cli: " << arguments.a << ": no readable STARTUP.BIN\n";
        return kDiffTrouble;
    }
    if (!arguments.standard && right.meaning.programForm.empty() && !right.meaning.hasCardFiles) {
        context.err << "orvix2-cli: " << arguments.b << ": no readable STARTUP.BIN\n";
        return kDiffTrouble;
    }
    const MeaningDiff diff = CompareMeanings(left.meaning, right.meaning);
    PrintDifferences(diff, arguments.json, context.out);
    return diff.Same() ? kDiffSame : kDiffDifferent;
}

int History(const HistoryArguments& arguments, const CommandContext& context) {
    std::string problem;
    bool noCard = false;
    const auto point = ParsePoint(arguments.a, Backups(context), problem, &noCard);
    if (!point || point->kind != HistoryPoint::Kind::Now || point->atTime) {
        context.err << "orvix2-cli: "
                    << (point ? "history takes a card folder or its STARTUP.BIN" : problem) << '\n';
        return noCard ? kExitFailure : kExitUsage; // a card that cannot be read, as elsewhere
    }
    const CardHistoryView view(point->card, Backups(context));
    const std::vector<HistoryRow> rows = view.Rows();
    // @-N counts the saves seen to end; an unfinished entry has no such name.
    std::vector<std::string> names;
    int saves = 0;
    for (const HistoryRow& row : rows) {
        names.push_back(row.finished ? "@-" + std::to_string(++saves) : "-");
    }
    if (rows.empty()) {
        const std::vector<std::string> matching = view.MatchingCards();
        if (!matching.empty()) {
            context.err << "no history for this card; its files match the recorded card(s): "
                        << Names(matching) << '\n';
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
        context.out << "no history for " << Utf8FromPath(point->card) << '\n';
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const HistoryRow& row = rows[i];
        std::string files;
        for (const std::string& name : row.files) {
            files += (files.empty() ? "" : ",") + name;
        }
        context.out << names[i] << '\t' << row.time << '\t' << (files.empty() ? "-" : files) << '\t'
                    << ShownSummary(row.summary) << '\n';
    }
    return kExitSuccess;
}

std::string Lines(const std::vector<FieldDifference>& fields) {
    std::string text;
    for (const FieldDifference& f : fields) {
        text += (text.empty() ? "" : "\n") + f.area + "\t" + f.field + "\t" + Value(f.now) + " → " +
                Value(f.then);
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
                    << (point ? "restore takes a point: CARD@first, CARD@-N or CARD@TIME" : problem)
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
        context.out << "the card already is as it was at " << where << "; nothing written\n";
        return kExitSuccess;
    }
    if (!preview.unchecked.empty() && !arguments.force) {
        context.prompter.Failure(
            IDP_RESTORE_IMPOSSIBLE,
            "unchecked (no entry recorded what the copy held): " + Names(preview.unchecked) +
                "\n(--force restores them; nothing was written)",
            where, ui::Icon::Error);
        return kExitFailure;
    }
    if (!preview.changedOutside.empty()) {
        const std::string detail = Lines(preview.undone);
        if (!arguments.force) {
            context.prompter.Failure(IDP_HISTORY_CHANGED_OUTSIDE,
                                     detail + "\n(--force restores them; nothing was written)",
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
        "files: " + Names(preview.files) + "\n" +
        (preview.unchecked.empty() ? "" : "unchecked: " + Names(preview.unchecked) + "\n") +
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
        context.out << "restored " << Names(preview.files) << "; entry " << result.sequence
                    << " records the state it replaced\n";
        return kExitSuccess;
    case RestoreOutcome::Unchanged:
        context.out << "the card already is as it was at " << where << "; nothing written\n";
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
        "diff", "Compare two cards, STARTUP.BIN files or points of a card's history by meaning "
                "(exit status 0 same, 1 different, 2 trouble)");
    arguments.diff->add_option("A", arguments.a, "CARD, STARTUP.BIN or CARD@POINT")->required();
    arguments.diff->add_option("B", arguments.b, "CARD, STARTUP.BIN or CARD@POINT");
    arguments.diff->add_flag("--standard", arguments.standard,
                             "Compare A with the standard values instead of B");
    arguments.diff->add_flag("--json", arguments.json, "Print a JSON object");

    arguments.history = app.add_subcommand("history", "List a card's history, newest first");
    arguments.history->add_option("CARD", arguments.a, "The card folder or its STARTUP.BIN")
        ->required();
    arguments.history->add_flag("--json", arguments.json, "Print a JSON array");

    arguments.restore = app.add_subcommand(
        "restore", "Make the card what it was at a point of its history (asks first)");
    arguments.restore->add_option("POINT", arguments.a, "CARD@first, CARD@-N or CARD@TIME")
        ->required();
    arguments.restore->add_option(
        "--only", arguments.only,
        "Restore only these card files (in either letter case, with '/' or '\\')");
    arguments.restore->add_flag("--force", arguments.force,
                                "Restore also files changed outside Orvix2 since its last save, "
                                "and first copies no entry recorded a mark for");
}

std::optional<int> RunHistoryCommands(const HistoryArguments& arguments,
                                      const CommandContext& context) {
    if (arguments.diff->parsed()) {
        if (arguments.standard == !arguments.b.empty()) {
            context.err << "orvix2-cli: diff takes A and B, or A and --standard\n";
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
