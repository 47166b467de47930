#include "options/toruque_dialog.h"

#include <cstdint>

#include "calibration/image_file.h"
#include "options/option_sites.h"
#include "options/patch_file.h"
#include "resources/program_dialog.h"
#include "resources/string_table.h"
#include "resources/translation.h"
#include "ui/prompter.h"

namespace orvix {

using namespace program_dlg;
using ui::Event;

namespace {

// The controls that show one field each: a radio pair (its first button for true), a check box
// or a number field.
struct RadioPairField {
    int onId;
    int offId;
    bool ProgramOptions::*field;
};

struct CheckBoxField {
    int id;
    bool ProgramOptions::*field;
};

struct NumberField {
    int id;
    std::int32_t ProgramOptions::*field;
    std::int32_t low, high; // the range message 108 names for a text beyond 32 bits
};

constexpr RadioPairField kRadioPairs[] = {
    {IDC_TORQUE_ON, IDC_TORQUE_OFF, &ProgramOptions::torqueOn},
    {IDC_VOLTAGE_ON, IDC_VOLTAGE_OFF, &ProgramOptions::voltageMonitor},
    {IDC_TIMEOUT_ON, IDC_TIMEOUT_OFF, &ProgramOptions::timeoutMonitor},
    {IDC_FACE_RECOGNITION_ON, IDC_FACE_RECOGNITION_OFF, &ProgramOptions::faceRecognition},
    {IDC_FACE_DIRECTION_ON, IDC_FACE_DIRECTION_OFF, &ProgramOptions::faceDirection},
    {IDC_VOICE_ON, IDC_VOICE_OFF, &ProgramOptions::voiceRecognition},
};

constexpr CheckBoxField kCheckBoxes[] = {
    {IDC_STANDARD_COLOUR, &ProgramOptions::standardColour},
    {IDC_ENERGY_SAVING, &ProgramOptions::energySaving},
    {IDC_NO_BLINK, &ProgramOptions::noBlink},
    {IDC_ARM_ANGLE, &ProgramOptions::armAngleChange},
    {IDC_SHOULDER_LIMIT, &ProgramOptions::shoulderLimit},
    {IDC_SERVO_PARAMETERS, &ProgramOptions::servoParameters},
    {IDC_REMOTE_SUPPORT, &ProgramOptions::remoteSupport},
    {IDC_BLUETOOTH, &ProgramOptions::bluetooth},
    {IDC_REMOTE_CONNECTION, &ProgramOptions::remoteConnection},
    {IDC_VOICE_PLAYBACK, &ProgramOptions::voicePlayback},
    {IDC_SYNC_RECEIVE, &ProgramOptions::syncReceive},
};

constexpr NumberField kNumbers[] = {
    {IDC_WALK_STEPS, &ProgramOptions::walkSteps, kWalkStepsMin, kWalkStepsMax},
    {IDC_START_CODE, &ProgramOptions::startCode, kStartCodeMin, kStartCodeMax},
    // Any 32-bit value has its documented reading: above 255 stored as 255, else its low byte.
    {IDC_SYNC_START_DELAY, &ProgramOptions::syncStartDelay, INT32_MIN, INT32_MAX},
};

void ShowRadioPair(ui::DialogModel& dialog, const RadioPairField& pair, bool on) {
    dialog.SetCheck(pair.onId, on);
    dialog.SetCheck(pair.offId, !on);
}

// Reads the options without clearing the remote change mark, which only the opening clears.
ReadOptionsResult ReadKeepingChangeMark(EditorDocument& document) {
    const bool programChanged = document.programChanged;
    ReadOptionsResult read = ReadProgramOptions(document);
    document.programChanged = programChanged;
    return read;
}

} // namespace

CToruqueDialog::CToruqueDialog(ui::UiServices& services, EditorDocument& document,
                               ui::DialogModel& mainDialog)
    : ui::DialogController(ProgramDialogTemplate()), services_(services), document_(document),
      mainDialog_(mainDialog) {}

bool CToruqueDialog::Dispatch(int id, Event event) {
    static constexpr ui::MessageEntry<CToruqueDialog> map[] = {
        ui::On(IDC_OK, Event::Clicked, &CToruqueDialog::OnOk),
        ui::On(IDC_CANCEL, Event::Clicked, &CToruqueDialog::OnCancel),
        ui::On(IDC_VOLTAGE_OFF, Event::Clicked, &CToruqueDialog::OnVoltageOff),
        ui::On(IDC_ANY_COLOUR, Event::Clicked, &CToruqueDialog::OnAnyColour),
        ui::On(IDC_STANDARD_COLOUR, Event::Clicked, &CToruqueDialog::OnColourBox),
        ui::On(IDC_ENERGY_SAVING, Event::Clicked, &CToruqueDialog::OnColourBox),
        ui::On(IDC_NO_BLINK, Event::Clicked, &CToruqueDialog::OnColourBox),
        ui::On(IDC_ARM_ANGLE, Event::Clicked, &CToruqueDialog::OnArmAngle),
        ui::On(IDC_REMOTE_SUPPORT, Event::Clicked, &CToruqueDialog::OnRemoteSupport),
        ui::On(IDC_BLUETOOTH, Event::Clicked, &CToruqueDialog::OnBluetooth),
        ui::On(IDC_REMOTE_CONNECTION, Event::Clicked, &CToruqueDialog::OnRemoteChoice),
        ui::On(IDC_VOICE_PLAYBACK, Event::Clicked, &CToruqueDialog::OnRemoteChoice),
        ui::On(IDC_SYNC_RECEIVE, Event::Clicked, &CToruqueDialog::OnSyncReceive),
        ui::On(IDC_BINARY_PATCH, Event::Clicked, &CToruqueDialog::OnBinaryPatch),
    };
    return ui::DispatchMessageMap<CToruqueDialog>(*this, map, id, event);
}

void CToruqueDialog::OnInitDialog() {
    ui::DialogModel& dialog = Model();
    const ReadOptionsResult read = ReadProgramOptions(document_);
    read_ = read.options;
    accepted_ = read.accepted;
    const ProgramOptions& options = read_;

    dialog.Enable(IDC_SERVO_PARAMETERS, !document_.buildVariant);
    for (const RadioPairField& pair : kRadioPairs) {
        ShowRadioPair(dialog, pair, options.*pair.field);
    }
    dialog.SetInt(IDC_WALK_STEPS, options.walkSteps);
    if (!accepted_) {
        // OK stays disabled; the colour operations would write into an unknown program too.
        services_.prompter.Message(IDP_WRONG_PROGRAM);
        for (int id : {IDC_ANY_COLOUR, IDC_STANDARD_COLOUR, IDC_ENERGY_SAVING, IDC_NO_BLINK}) {
            dialog.Enable(id, false);
        }
        return;
    }

    dialog.SetCheck(IDC_STANDARD_COLOUR, options.standardColour);
    dialog.SetCheck(IDC_ENERGY_SAVING, options.energySaving);
    dialog.SetCheck(IDC_NO_BLINK, options.noBlink);

    // An arm change already in the program cannot be undone: its box stays checked and disabled.
    if (options.armAngleFixed) {
        dialog.SetCheck(IDC_ARM_ANGLE, true);
        dialog.SetCheck(IDC_SHOULDER_LIMIT, options.shoulderLimitFixed);
        dialog.Enable(IDC_SHOULDER_LIMIT, !options.shoulderLimitFixed);
    } else {
        dialog.Enable(IDC_ARM_ANGLE, true);
    }

    ShowRemoteOptions(options);
    dialog.SetCheck(IDC_SERVO_PARAMETERS, options.servoParameters);
    dialog.Enable(IDC_OK, true);
}

void CToruqueDialog::ShowRemoteOptions(const ProgramOptions& options) {
    ui::DialogModel& dialog = Model();
    dialog.SetCheck(IDC_REMOTE_CONNECTION, true);
    dialog.SetCheck(IDC_VOICE_PLAYBACK, true);
    dialog.SetCheck(IDC_SYNC_RECEIVE, false);
    if (options.remoteSupportFixed) {
        // Remote support, once in the program, stays.
        dialog.SetCheck(IDC_REMOTE_SUPPORT, true);
        dialog.Enable(IDC_REMOTE_SUPPORT, false);
        dialog.Enable(IDC_BLUETOOTH, options.bluetoothChangeable);
        for (int id : {IDC_REMOTE_CONNECTION, IDC_VOICE_PLAYBACK, IDC_SYNC_RECEIVE}) {
            dialog.Enable(id, true);
        }
        dialog.SetCheck(IDC_BLUETOOTH, options.bluetooth);
        dialog.SetCheck(IDC_REMOTE_CONNECTION, options.remoteConnection);
        dialog.SetCheck(IDC_VOICE_PLAYBACK, options.voicePlayback);
        dialog.SetCheck(IDC_SYNC_RECEIVE, options.syncReceive);
    } else {
        dialog.SetCheck(IDC_BLUETOOTH, true); // the form a new extension takes
    }
    dialog.SetInt(IDC_START_CODE, options.startCode);
    dialog.SetInt(IDC_SYNC_START_DELAY, options.syncStartDelay);
    dialog.Enable(IDC_START_CODE, dialog.IsChecked(IDC_BLUETOOTH));
    if (dialog.IsChecked(IDC_BLUETOOTH)) {
        dialog.SetCheck(IDC_REMOTE_CONNECTION, false);
        dialog.Enable(IDC_REMOTE_CONNECTION, false);
    }
    if (dialog.IsChecked(IDC_SYNC_RECEIVE)) {
        dialog.Enable(IDC_SYNC_START_DELAY, true);
    }
}

ProgramOptions CToruqueDialog::Gather() const {
    const ui::DialogModel& dialog = Model();
    ProgramOptions options = read_; // what the image already holds, as read at opening
    for (const RadioPairField& pair : kRadioPairs) {
        options.*pair.field = dialog.IsChecked(pair.onId);
    }
    for (const CheckBoxField& box : kCheckBoxes) {
        options.*box.field = dialog.IsChecked(box.id);
    }
    for (const NumberField& number : kNumbers) {
        options.*number.field = dialog.GetIntOrZero(number.id);
    }
    // Checked and disabled, the box shows an arm change that is already in the image.
    options.armAngleChange = dialog.IsChecked(IDC_ARM_ANGLE) && dialog.IsEnabled(IDC_ARM_ANGLE);
    return options;
}

void CToruqueDialog::ShowChanges(const ProgramOptions& before, const ProgramOptions& after) {
    ui::DialogModel& dialog = Model();
    for (const RadioPairField& pair : kRadioPairs) {
        if (before.*pair.field != after.*pair.field) {
            ShowRadioPair(dialog, pair, after.*pair.field);
        }
    }
    for (const CheckBoxField& box : kCheckBoxes) {
        if (before.*box.field != after.*box.field) {
            dialog.SetCheck(box.id, after.*box.field);
        }
    }
    for (const NumberField& number : kNumbers) {
        if (before.*number.field != after.*number.field) {
            dialog.SetInt(number.id, after.*number.field);
        }
    }
}

bool CToruqueDialog::ApplyAndSave() {
    ui::DialogModel& dialog = Model();
    // A number beyond 32 bits has no reading; it is refused rather than taken as 0.
    for (const NumberField& number : kNumbers) {
        const std::optional<long long> value =
            ui::ParseDialogWholeNumber(dialog.GetText(number.id));
        if (value && (*value < INT32_MIN || *value > INT32_MAX)) {
            dialog.SetFocus(number.id);
            services_.prompter.Message(
                IDP_OUT_OF_RANGE, ui::Buttons::Ok, ui::Icon::Auto,
                Worded("%1～%2", {std::to_string(number.low), std::to_string(number.high)}));
            return false;
        }
    }
    ProgramOptions options = Gather();
    switch (ApplyProgramOptions(document_, options, services_.prompter)) {
    case ApplyResult::Applied:
        return SaveImageFile(mainDialog_, services_.prompter, document_);
    case ApplyResult::WalkStepsRefused:
        dialog.SetFocus(IDC_WALK_STEPS);
        break;
    case ApplyResult::StartCodeRefused:
        dialog.SetFocus(IDC_START_CODE);
        break;
    case ApplyResult::RemoteKept:
        ShowRemoteOptions(ReadKeepingChangeMark(document_).options);
        break;
    case ApplyResult::ArmRefused:
        dialog.SetCheck(IDC_ARM_ANGLE, false);
        dialog.SetCheck(IDC_SHOULDER_LIMIT, false);
        OnArmAngle(IDC_ARM_ANGLE);
        break;
    case ApplyResult::ShoulderRefused:
        dialog.SetCheck(IDC_SHOULDER_LIMIT, false);
        break;
    case ApplyResult::RemoteRefused:
        for (int id :
             {IDC_REMOTE_SUPPORT, IDC_BLUETOOTH, IDC_REMOTE_CONNECTION, IDC_SYNC_RECEIVE}) {
            dialog.SetCheck(id, false);
        }
        EnableRemoteChoices();
        dialog.Enable(IDC_START_CODE, false); // it follows the unchecked Bluetooth box
        break;
    case ApplyResult::CloseRequested:
        dialog.PostClose(); // closes as Cancel does
        break;
    case ApplyResult::Cancelled:
    case ApplyResult::WrongProgram:
        break;
    }
    return false;
}

void CToruqueDialog::OnOk(int) {
    if (ApplyAndSave()) {
        Model().EndDialog(ui::kIdOk);
    }
}

void CToruqueDialog::OnCancel(int) {
    Model().EndDialog(ui::kIdCancel);
}

void CToruqueDialog::OnVoltageOff(int) {
    services_.prompter.Message(IDP_VOLTAGE_WARNING, ui::Buttons::Ok, ui::Icon::Warning);
}

void CToruqueDialog::OnAnyColour(int) {
    ui::DialogModel& dialog = Model();
    if (ChooseEyeColour(document_, services_.prompter, dialog.IsChecked(IDC_ENERGY_SAVING),
                        dialog.IsChecked(IDC_NO_BLINK))) {
        dialog.SetCheck(IDC_STANDARD_COLOUR, false);
    }
}

void CToruqueDialog::OnColourBox(int) {
    const ui::DialogModel& dialog = Model();
    if (dialog.IsChecked(IDC_STANDARD_COLOUR)) {
        SetStandardEyeColour(document_, dialog.IsChecked(IDC_ENERGY_SAVING),
                             dialog.IsChecked(IDC_NO_BLINK));
    }
}

void CToruqueDialog::OnArmAngle(int) {
    Model().Enable(IDC_SHOULDER_LIMIT, Model().IsChecked(IDC_ARM_ANGLE));
}

void CToruqueDialog::EnableRemoteChoices() {
    ui::DialogModel& dialog = Model();
    const bool remote = dialog.IsChecked(IDC_REMOTE_SUPPORT);
    dialog.Enable(IDC_BLUETOOTH, remote);
    dialog.Enable(IDC_REMOTE_CONNECTION, remote && !dialog.IsChecked(IDC_BLUETOOTH));
    dialog.Enable(IDC_VOICE_PLAYBACK, remote);
    dialog.Enable(IDC_SYNC_RECEIVE, remote);
}

void CToruqueDialog::OnRemoteSupport(int) {
    EnableRemoteChoices();
    document_.programChanged = true;
}

void CToruqueDialog::OnBluetooth(int) {
    ui::DialogModel& dialog = Model();
    const bool bluetooth = dialog.IsChecked(IDC_BLUETOOTH);
    dialog.Enable(IDC_START_CODE, bluetooth);
    dialog.Enable(IDC_REMOTE_CONNECTION, !bluetooth);
    if (bluetooth) {
        dialog.SetCheck(IDC_REMOTE_CONNECTION, false);
    }
    document_.programChanged = true;
}

void CToruqueDialog::OnRemoteChoice(int) {
    document_.programChanged = true;
}

void CToruqueDialog::OnSyncReceive(int) {
    Model().Enable(IDC_SYNC_START_DELAY, Model().IsChecked(IDC_SYNC_RECEIVE));
}

void CToruqueDialog::OnBinaryPatch(int) {
    ApplyPatchFile();
}

void CToruqueDialog::ApplyPatchFile() {
    const ProgramOptions before = ReadKeepingChangeMark(document_).options;
    const TableSnapshot values = ReadTableValues(document_);
    const PatchFileResult result = ChooseAndApplyPatchFile(document_, services_.prompter);
    if (!result.applied) {
        return;
    }
    // The save stores the main dialog's fields: they take the values the patch changed.
    ShowTableValues(document_, values, mainDialog_);
    // The controls take what the patch changed, so that the apply below keeps it; an arm change
    // the patch made is in the image for good, as if it had been read at opening.
    const ProgramOptions after = ReadKeepingChangeMark(document_).options;
    ShowChanges(before, after);
    read_.armAngleFixed = after.armAngleFixed;
    read_.shoulderLimitFixed = after.shoulderLimitFixed;
    if (after.armAngleFixed) {
        Model().Enable(IDC_ARM_ANGLE, false);
        Model().Enable(IDC_SHOULDER_LIMIT, !after.shoulderLimitFixed);
    }
    if (accepted_) {
        ApplyAndSave();
    } else {
        SaveImageFile(mainDialog_, services_.prompter, document_);
    }
}

} // namespace orvix
