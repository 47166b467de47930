#include "calibration/orvix_dlg.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>

#include "calibration/image_file.h"
#include "calibration/servo_table.h"
#include "resources/history_dialog.h"
#include "resources/main_dialog.h"
#include "resources/string_table.h"
#include "resources/translation.h"
#include "storage/file_io.h"
#include "storage/settings_file.h"
#include "ui/prompter.h"

namespace orvix {

using namespace main_dlg;
using ui::Event;

namespace {

constexpr int kFirstServoField = kServoRows.front().fieldId;
constexpr int kLastServoField = kServoRows.back().fieldId;

// Passes everything on to the prompter and notes the file the person chose, so that the card of
// a file that fails to load is still known.
class ChoiceNoting : public ui::Prompter {
public:
    explicit ChoiceNoting(ui::Prompter& prompter) : prompter_(prompter) {}
    ChoiceNoting(const ChoiceNoting&) = delete;
    ChoiceNoting& operator=(const ChoiceNoting&) = delete;

    ui::Answer ShowMessage(const ui::MessageRequest& request) override {
        return prompter_.ShowMessage(request);
    }
    std::optional<std::string> ChooseOpenFile(const ui::OpenFileRequest& request) override {
        chosen = prompter_.ChooseOpenFile(request);
        return chosen;
    }
    std::optional<ui::Rgb> ChooseColour(ui::Rgb initial) override {
        return prompter_.ChooseColour(initial);
    }

    std::optional<std::string> chosen;

private:
    ui::Prompter& prompter_;
};

} // namespace

COrvixDlg::COrvixDlg(ui::UiServices& services, std::string iniPath, std::string initialImagePath,
                     MainDialogHooks hooks)
    : ui::DialogController(MainDialogTemplate()), services_(services),
      document_(std::move(iniPath)), initialImagePath_(std::move(initialImagePath)),
      hooks_(std::move(hooks)) {}

bool COrvixDlg::Dispatch(int id, Event event) {
    static constexpr ui::MessageEntry<COrvixDlg> map[] = {
        ui::On(IDC_READ, Event::Clicked, &COrvixDlg::OnRead),
        ui::On(IDC_WRITE, Event::Clicked, &COrvixDlg::OnWrite),
        ui::On(IDC_RESTORE, Event::Clicked, &COrvixDlg::OnRestore),
        ui::On(IDC_PROGRAM_CHANGE, Event::Clicked, &COrvixDlg::OnProgramChange),
        ui::On(IDC_SETTINGS_DATA, Event::Clicked, &COrvixDlg::OnSettingsData),
        ui::On(IDC_USER_DATA, Event::Clicked, &COrvixDlg::OnUserData),
        ui::On(IDC_CHECK_RANGE, Event::Clicked, &COrvixDlg::OnCheckRange),
        ui::OnRange(IDC_TABLE_ORIGIN, IDC_TABLE_UPPER, Event::Clicked, &COrvixDlg::OnTable),
        ui::OnRange(kFirstServoField, kLastServoField, Event::Changed, &COrvixDlg::OnServoChanged),
        ui::On(IDC_CLOSE, Event::Clicked, &COrvixDlg::OnClose),
        ui::On(IDM_ABOUTBOX, Event::SysCommand, &COrvixDlg::OnAbout),
        ui::On(IDM_HISTORY, Event::SysCommand, &COrvixDlg::OnHistory),
        ui::On(IDM_LANGUAGE, Event::SysCommand, &COrvixDlg::OnLanguage),
    };
    return ui::DispatchMessageMap<COrvixDlg>(*this, map, id, event);
}

void COrvixDlg::OnInitDialog() {
    ui::DialogModel& dialog = Model();
    const std::string_view about = LoadString(IDS_ABOUTBOX);
    if (!about.empty()) {
        dialog.AppendSystemMenu(IDM_ABOUTBOX, about, "F1");
    }
    if (hooks_.history) {
        dialog.AppendSystemMenu(IDM_HISTORY, LoadString(IDS_HISTORY));
    }
    dialog.AppendSystemMenu(IDM_LANGUAGE, InterfaceLanguage() == Language::English
                                              ? kJapaneseMenuText
                                              : kEnglishMenuText);

    dialog.SetCheck(IDC_TABLE_ORIGIN, true);
    dialog.SetSpinRange(IDC_ATTENUATOR_SPIN, 0, 7);
    dialog.SetCheck(IDC_CHECK_RANGE, document_.checkRange);
    ApplySpinRanges(document_, dialog);

    std::error_code error;
    if (!initialImagePath_.empty()) {
        // A path given at start is loaded as if it had been chosen with the read button; a card
        // folder gives its STARTUP.BIN, found in any letter case.
        chosenImagePath_ = initialImagePath_;
        const std::filesystem::path given = PathFromUtf8(initialImagePath_);
        if (std::filesystem::is_directory(given, error)) {
            chosenImagePath_ = Utf8FromPath(CardFilePath(given, "STARTUP.BIN"));
        }
        LoadChosenImage();
    } else if (document_.imagePath.empty()) {
        ClearValueFields(document_, dialog);
    } else if (!std::filesystem::exists(PathFromUtf8(document_.imagePath), error)) {
        // A remembered file that is gone is forgotten with its card.
        document_.imagePath.clear();
        WriteProfileString(document_.iniPath, kSectionFile, kKeyPath, "");
        ClearValueFields(document_, dialog);
    } else {
        chosenImagePath_ = document_.imagePath;
        LoadChosenImage();
        if (!document_.HasImage()) {
            WriteProfileString(document_.iniPath, kSectionFile, kKeyPath, "");
        }
    }
    document_.valuesChanged = false;
}

void COrvixDlg::OnRead(int) {
    ChoiceNoting noting(services_.prompter);
    if (!LoadImageFile(document_, Model(), noting, true)) {
        ClearValueFields(document_, Model());
    }
    if (noting.chosen) {
        chosenImagePath_ = *noting.chosen;
    }
}

void COrvixDlg::LoadChosenImage() {
    document_.imagePath = chosenImagePath_;
    if (!LoadImageFile(document_, Model(), services_.prompter, false)) {
        ClearValueFields(document_, Model());
    }
}

void COrvixDlg::OnWrite(int) {
    SaveImageFile(Model(), services_.prompter, document_);
}

void COrvixDlg::OnRestore(int) {
    RestoreStandardValues(document_, Model(), services_.prompter);
}

void COrvixDlg::OnProgramChange(int) {
    if (hooks_.programChange) {
        hooks_.programChange(document_, Model());
    }
}

void COrvixDlg::OnSettingsData(int) {
    if (hooks_.settingsData) {
        hooks_.settingsData(document_, Model());
    }
}

void COrvixDlg::OnUserData(int) {
    if (hooks_.userData) {
        hooks_.userData(document_, Model());
    }
}

void COrvixDlg::OnCheckRange(int) {
    ui::DialogModel& dialog = Model();
    if (!dialog.IsChecked(IDC_CHECK_RANGE) &&
        services_.prompter.Message(IDP_REMOVE_RANGE_LIMIT, ui::Buttons::YesNo,
                                   ui::Icon::Question) != ui::Answer::Yes) {
        dialog.SetCheck(IDC_CHECK_RANGE, true);
        return;
    }
    document_.checkRange = dialog.IsChecked(IDC_CHECK_RANGE);
    WriteProfileString(document_.iniPath, kSectionRange, kKeyCheckRange,
                       document_.checkRange ? "1" : "0");
    ApplySpinRanges(document_, dialog);
}

void COrvixDlg::OnTable(int id) {
    ui::DialogModel& dialog = Model();
    if (document_.valuesChanged &&
        services_.prompter.Message(IDP_VALUES_CHANGED, ui::Buttons::YesNo, ui::Icon::Question) ==
            ui::Answer::Yes &&
        !SaveImageFile(dialog, services_.prompter, document_)) {
        // The values the user wanted kept were not written: stay on their table.
        dialog.SetCheck(id, false);
        dialog.SetCheck(IDC_TABLE_ORIGIN + static_cast<int>(document_.tableSelector), true);
        return;
    }
    document_.tableSelector = static_cast<std::uint32_t>(id - IDC_TABLE_ORIGIN);
    dialog.Enable(IDC_CHECK_RANGE, document_.tableSelector == 0);
    ApplySpinRanges(document_, dialog);
    if (!LoadImageFile(document_, dialog, services_.prompter, false)) {
        ClearValueFields(document_, dialog);
    }
}

void COrvixDlg::OnServoChanged(int) {
    document_.valuesChanged = true;
}

void COrvixDlg::OnClose(int) {
    if (document_.valuesChanged) {
        const ui::Answer answer = services_.prompter.Message(
            IDP_VALUES_CHANGED, ui::Buttons::YesNoCancel, ui::Icon::Question);
        if (answer == ui::Answer::Cancel) {
            return;
        }
        // A failed write keeps the dialog open, so that the values are not lost.
        if (answer == ui::Answer::Yes && !SaveImageFile(Model(), services_.prompter, document_)) {
            return;
        }
    }
    Model().EndDialog(ui::kIdCancel);
}

void COrvixDlg::OnAbout(int) {
    if (hooks_.showAbout) {
        hooks_.showAbout();
    }
}

// The history belongs to a card: the one of the file last chosen, also when that file does not
// load (which is when its history is needed most). Before any file was chosen there is none.
void COrvixDlg::OnHistory(int) {
    if (!hooks_.history) {
        return;
    }
    if (chosenImagePath_.empty()) {
        services_.prompter.Message(IDP_HISTORY_NO_IMAGE, ui::Buttons::Ok, ui::Icon::Warning);
        return;
    }
    hooks_.history(PathFromUtf8(chosenImagePath_).parent_path(), [this] { LoadChosenImage(); });
}

void COrvixDlg::OnLanguage(int) {
    const bool english = InterfaceLanguage() == Language::English;
    if (WriteProfileString(document_.iniPath, kSectionFile, kKeyLanguage, english ? "ja" : "en")) {
        services_.prompter.Message(IDP_LANGUAGE_AT_RESTART, ui::Buttons::Ok, ui::Icon::Information);
    } else {
        services_.prompter.Message(IDP_LANGUAGE_NOT_SAVED, ui::Buttons::Ok, ui::Icon::Error,
                                   document_.iniPath);
    }
}

} // namespace orvix
