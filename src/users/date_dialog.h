#pragma once

#include "calibration/editor_document.h"
#include "settings/setting_store.h"
#include "ui/dialog_controller.h"

namespace orvix {

// The user data dialog: the name, the three dates and the two weekday sets of the user record
// that the list's edit button read into the setting buffer. OK writes the record at once.
class CDateDialog : public ui::DialogController {
public:
    // userList is the list dialog's model, whose row OK updates after a save with a new name;
    // asRead holds the user file as the edit button read it.
    CDateDialog(ui::UiServices& services, EditorDocument& document, ui::DialogModel& userList,
                FilesAsRead& asRead);

    void OnInitDialog() override;
    bool Dispatch(int id, ui::Event event) override;

private:
    void OnOk(int id);
    void OnNameChosen(int id);

    ui::UiServices& services_;
    EditorDocument& document_;
    ui::DialogModel& userList_;
    FilesAsRead& asRead_;
};

} // namespace orvix
