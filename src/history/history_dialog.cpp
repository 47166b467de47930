#include "history/history_dialog.h"

#include <algorithm>
#include <string>

#include "history/card_meaning.h"
#include "history/card_points.h"
#include "resources/history_dialog.h"
#include "resources/names.h"
#include "resources/string_table.h"
#include "resources/translation.h"
#include "storage/file_io.h"
#include "ui/prompter.h"

namespace orvix {

using namespace history_dlg;
using ui::Event;

namespace {

std::string Joined(const std::vector<std::string>& names, std::string_view separator = ", ") {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : std::string(separator)) + name;
    }
    return text;
}
// One row of the differences list: area, field, then, now.
std::string DifferenceRow(const FieldDifference& difference) {
    return std::string(NameOf(kArea, difference.area)) + '\t' +
           ShownField(difference.area, difference.field) + '\t' +
           ShownValue(difference.area, difference.field, difference.then) + '\t' +
           ShownValue(difference.area, difference.field, difference.now);
}

// The lines of a question's details: what each file's restore changes, from now to then.
std::string ChangeLines(const std::vector<FieldDifference>& differences) {
    std::string text;
    for (const FieldDifference& d : differences) {
        if (!text.empty()) {
            text += '\n';
        }
        text += ShownDifference(d, "  ", d.now, d.then);
    }
    return text;
}

// How the list names an entry: a restore by the point it went back to, any other save by what it
// changed (as the tool's history does).
std::string EntrySummary(const HistoryRow& row) {
    if (!row.readable) {
        return std::string(Translate(kUnreadable)) + ": " + ShownProblem(row.problem);
    }
    return ShownSummary(row);
}

std::string PointName(int sequence) {
    return Filled(LoadString(IDS_HISTORY_POINT), std::to_string(sequence));
}

} // namespace

CHistoryDialog::CHistoryDialog(ui::UiServices& services, std::filesystem::path cardFolder,
                               std::filesystem::path backupFolder, std::function<void()> restored)
    : ui::DialogController(HistoryDialogTemplate()), services_(services),
      view_(std::move(cardFolder), std::move(backupFolder)), restored_(std::move(restored)) {}

bool CHistoryDialog::Dispatch(int id, Event event) {
    static constexpr ui::MessageEntry<CHistoryDialog> map[] = {
        ui::On(IDC_ENTRIES, Event::SelectionChanged, &CHistoryDialog::OnEntryChosen),
        ui::On(IDC_RESTORE_POINT, Event::Clicked, &CHistoryDialog::OnRestorePoint),
    };
    return ui::DispatchMessageMap<CHistoryDialog>(*this, map, id, event);
}

void CHistoryDialog::OnInitDialog() {
    Model().SetTabStops(IDC_ENTRIES, {kEntryStops.begin(), kEntryStops.end()});
    Model().SetTabStops(IDC_DIFFERENCES, {kDifferenceStops.begin(), kDifferenceStops.end()});
    ShowEntries(0);
}

void CHistoryDialog::ShowEntries(int selectSequence) {
    rows_ = view_.Rows();
    std::vector<std::string> items;
    int selection = -1;
    for (const HistoryRow& row : rows_) {
        if (row.sequence == selectSequence) {
            selection = static_cast<int>(items.size());
        }
        std::string time = row.time; // "2026-12-08 05:07:25": the dialog reads as a person writes
        std::replace(time.begin(), time.end(), 'T', ' ');
        items.push_back(std::to_string(row.sequence) + '\t' + time + '\t' + Joined(row.files) +
                        '\t' + EntrySummary(row));
    }
    if (rows_.empty()) { // a card copied from a recorded one: name where its history is
        const std::vector<std::string> matching = view_.MatchingCards();
        if (!matching.empty()) {
            items.push_back("\t\t\t" +
                            Filled(Translate("このカードの記録はありません。ファイルが記録のある"
                                             "カードと一致します: %1"),
                                   Joined(matching)));
        }
    }
    Model().ClearItems(IDC_ENTRIES);
    Model().AddItems(IDC_ENTRIES, std::move(items));
    Model().SelectItem(IDC_ENTRIES, selection);
    ShowSelected();
}

const HistoryRow* CHistoryDialog::Selected() const {
    const int selection = Model().Selection(IDC_ENTRIES);
    if (selection < 0 || selection >= static_cast<int>(rows_.size())) {
        return nullptr;
    }
    return &rows_[static_cast<std::size_t>(selection)];
}

void CHistoryDialog::ShowSelected() {
    ui::DialogModel& dialog = Model();
    const HistoryRow* row = Selected();
    dialog.ClearItems(IDC_DIFFERENCES);
    dialog.Enable(IDC_RESTORE_POINT, row != nullptr && row->readable);
    if (row == nullptr) {
        return;
    }
    dialog.SetText(IDC_DIFFERENCES_TITLE,
                   Filled(Translate(kDifferencesOf), PointName(row->sequence)));
    if (!row->readable) {
        dialog.AddItem(IDC_DIFFERENCES,
                       std::string(Translate(kUnreadable)) + "\t" + ShownProblem(row->problem));
        return;
    }
    const PointDifferences differences = view_.DifferencesBefore(row->sequence);
    std::vector<std::string> items;
    if (!differences.complete) {
        items.push_back(std::string(Translate(kCopiesGone)) + '\t' + Joined(differences.missing));
    }
    for (const std::string& what : differences.notCompared) {
        items.push_back(std::string(Translate(kNotCompared)) + '\t' + ShownNote(what));
    }
    for (const FieldDifference& difference : differences.fields) {
        items.push_back(DifferenceRow(difference));
    }
    if (items.empty()) {
        items.push_back(std::string("\t") + std::string(Translate(kNoDifferences)));
    }
    dialog.AddItems(IDC_DIFFERENCES, std::move(items));
}

void CHistoryDialog::OnEntryChosen(int) {
    ShowSelected();
}

// Asks with the files the restore replaces, then once more for those another program changed
// since the last save: a No keeps them as they are, restores the rest and says which is which.
void CHistoryDialog::OnRestorePoint(int) {
    const HistoryRow* row = Selected();
    if (row == nullptr || !row->readable) {
        return;
    }
    const int sequence = row->sequence;
    const std::string point = PointName(sequence);
    ui::Prompter& prompter = services_.prompter;
    const RestorePreview preview = view_.PreviewRestoreBefore(sequence);
    if (!preview.possible) {
        prompter.Failure(IDP_RESTORE_IMPOSSIBLE, preview.problem, point, ui::Icon::Error);
        return;
    }
    if (preview.files.empty()) {
        prompter.Message(IDP_HISTORY_ALREADY_AT_POINT, ui::Buttons::Ok, ui::Icon::Information,
                         point);
        return;
    }
    const std::string skipped = SkippedNote(preview.skipped);
    ui::MessageRequest ask{IDP_HISTORY_RESTORE,
                           Joined(preview.files),
                           ui::Buttons::YesNo,
                           ui::Icon::Question,
                           ui::Answer::No,
                           (skipped.empty() ? "" : skipped + '\n') +
                               ChangeLines(preview.differences.fields)};
    if (prompter.ShowMessage(ask) != ui::Answer::Yes) {
        return;
    }
    bool includeChangedOutside = false;
    std::vector<std::string> only;
    if (!preview.changedOutside.empty()) {
        ui::MessageRequest outside{IDP_RESTORE_CHANGED_OUTSIDE,
                                   Joined(preview.changedOutside),
                                   ui::Buttons::YesNo,
                                   ui::Icon::Warning,
                                   ui::Answer::No,
                                   ChangeLines(preview.undone)};
        includeChangedOutside = prompter.ShowMessage(outside) == ui::Answer::Yes;
        if (!includeChangedOutside) {
            for (const std::string& file : preview.files) {
                if (std::find(preview.changedOutside.begin(), preview.changedOutside.end(), file) ==
                    preview.changedOutside.end()) {
                    only.push_back(file);
                }
            }
            if (only.empty()) { // nothing left to restore: say why nothing was
                prompter.Message(IDP_HISTORY_CHANGED_OUTSIDE, ui::Buttons::Ok, ui::Icon::Warning,
                                 Joined(preview.changedOutside));
                return;
            }
        }
    }
    const RestoreResult result = view_.RestoreBefore(sequence, includeChangedOutside, only);
    if (!result.entryRecorded) {
        // The entry could not be begun (nothing written) or, after the write, completed.
        const bool written = result.outcome == RestoreOutcome::Restored;
        if (written) {
            ShowEntries(sequence);
            if (restored_) {
                restored_();
            }
        }
        prompter.Failure(written ? IDP_HISTORY_NOT_FINISHED : IDP_HISTORY_NOT_STARTED,
                         result.detail, Utf8FromPath(result.entryFolder),
                         written ? ui::Icon::Warning : ui::Icon::Error);
        return;
    }
    switch (result.outcome) {
    case RestoreOutcome::Restored:
        ShowEntries(sequence);
        if (restored_) {
            restored_();
        }
        if (only.empty()) {
            prompter.Message(IDP_RESTORE_DONE, ui::Buttons::Ok, ui::Icon::Information, point);
        } else {
            // The card is not as it was at the point: the message names what went back and
            // what was left.
            const std::string detail = std::string(Translate(kRestoredFiles)) + ": " +
                                       Joined(only) + '\n' + std::string(Translate(kLeftFiles)) +
                                       ": " + Joined(preview.changedOutside);
            prompter.ShowMessage({IDP_RESTORE_PARTLY_DONE, point, ui::Buttons::Ok,
                                  ui::Icon::Information, ui::Answer::Ok, detail});
        }
        return;
    case RestoreOutcome::Unchanged:
        prompter.Message(IDP_HISTORY_ALREADY_AT_POINT, ui::Buttons::Ok, ui::Icon::Information,
                         point);
        return;
    case RestoreOutcome::Refused:
    case RestoreOutcome::Failed:
        break;
    }
    // A failed write may have put part of the card back; the list shows what is recorded.
    ShowEntries(sequence);
    prompter.Failure(IDP_RESTORE_IMPOSSIBLE, result.detail, point, ui::Icon::Error);
}

} // namespace orvix
