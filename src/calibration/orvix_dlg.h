#pragma once

#include <functional>
#include <string>

#include "calibration/editor_document.h"
#include "ui/dialog_controller.h"

namespace orvix {

// The main dialog: one calibration table of the loaded image as twenty value fields.
class COrvixDlg : public ui::DialogController {
public:
    // Makes the document, which reads the settings file. A non-empty initialImagePath is loaded
    // on opening instead of the remembered file. showAbout opens the about box, which belongs to
    // the application.
    COrvixDlg(ui::UiServices& services, std::string iniPath, std::string initialImagePath = {},
              std::function<void()> showAbout = {});

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
    void OnSysCommand(int id);

    ui::UiServices& services_;
    EditorDocument document_;
    std::string initialImagePath_;
    std::function<void()> showAbout_;
};

} // namespace orvix
