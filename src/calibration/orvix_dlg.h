#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "calibration/editor_document.h"
#include "ui/dialog_controller.h"

namespace orvix {

// What the main dialog opens but does not own: the about box belongs to the application, the
// other editors to the subsystems built on this one. An empty hook leaves its command inert.
struct MainDialogHooks {
    std::function<void()> showAbout;
    // The program change dialog, on the document and the main dialog's model.
    std::function<void(EditorDocument&, ui::DialogModel&)> programChange;
    // The settings data dialog, on the same.
    std::function<void(EditorDocument&, ui::DialogModel&)> settingsData;
    // The user list dialog, on the same.
    std::function<void(EditorDocument&, ui::DialogModel&)> userData;
    // The change history of a card: the folder of the STARTUP.BIN last chosen, whether it loaded
    // or not, and what loads that file into the main dialog again after a restore. Opened only
    // once a card has been chosen.
    std::function<void(const std::filesystem::path& cardFolder,
                       const std::function<void()>& reload)>
        history;
};

// The main dialog: one calibration table of the loaded image as twenty value fields.
class COrvixDlg : public ui::DialogController {
public:
    // Makes the document, which reads the settings file. A non-empty initialImagePath is loaded
    // on opening instead of the remembered file; a card folder stands for its STARTUP.BIN.
    COrvixDlg(ui::UiServices& services, std::string iniPath, std::string initialImagePath = {},
              MainDialogHooks hooks = {});

    void OnInitDialog() override;
    bool Dispatch(int id, ui::Event event) override;

    EditorDocument& Document() { return document_; }

private:
    void OnRead(int id);
    void OnWrite(int id);
    void OnRestore(int id);
    void OnProgramChange(int id);
    void OnSettingsData(int id);
    void OnUserData(int id);
    void OnCheckRange(int id);
    void OnTable(int id);
    void OnServoChanged(int id);
    void OnClose(int id);
    void OnAbout(int id);
    void OnHistory(int id);
    void OnLanguage(int id);
    // Loads the chosen file into the fields; a failure empties them.
    void LoadChosenImage();

    ui::UiServices& services_;
    EditorDocument document_;
    std::string initialImagePath_;
    MainDialogHooks hooks_;
    // The STARTUP.BIN last chosen (given at start, remembered, or read), also when it failed to
    // load: its card's history is where a damaged program is got back. Empty: no card chosen.
    std::string chosenImagePath_;
};

} // namespace orvix
