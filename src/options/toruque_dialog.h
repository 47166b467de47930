#pragma once

#include "calibration/editor_document.h"
#include "options/program_options.h"
#include "ui/dialog_controller.h"

namespace orvix {

// The program change dialog: the options of the loaded program, written and saved on OK; its
// binary patch button applies a CSV patch file.
class CToruqueDialog : public ui::DialogController {
public:
    // mainDialog is the main dialog's model, whose calibration fields every save stores first.
    CToruqueDialog(ui::UiServices& services, EditorDocument& document, ui::DialogModel& mainDialog);

    void OnInitDialog() override;
    bool Dispatch(int id, ui::Event event) override;

    // Lets the user choose a patch file, applies it and, after success, applies the options and
    // saves as OK does; the dialog stays open.
    void ApplyPatchFile();

private:
    void OnOk(int id);
    void OnCancel(int id);
    void OnVoltageOff(int id);
    void OnAnyColour(int id);
    void OnColourBox(int id);
    void OnArmAngle(int id);
    void OnRemoteSupport(int id);
    void OnBluetooth(int id);
    void OnRemoteChoice(int id);
    void OnSyncReceive(int id);
    void OnBinaryPatch(int id);

    ProgramOptions Gather() const; // the options as the controls show them
    // Sets the controls of the fields that differ between the two.
    void ShowChanges(const ProgramOptions& before, const ProgramOptions& after);
    // Sets the remote controls to the options (at opening, and after a rebuild failed).
    void ShowRemoteOptions(const ProgramOptions& options);
    // The remote choices are open exactly while remote support is checked.
    void EnableRemoteChoices();
    // Applies the options of the controls and saves; true when the image was saved.
    bool ApplyAndSave();

    ui::UiServices& services_;
    EditorDocument& document_;
    ui::DialogModel& mainDialog_;
    ProgramOptions read_;   // as read when the dialog opened
    bool accepted_ = false; // the image is a program of a known kind
};

} // namespace orvix
