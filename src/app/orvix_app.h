#pragma once

#include <filesystem>
#include <string>

#include "ui/dialog_controller.h"

namespace orvix {

// The application: runs the main dialog modally; the program ends when it closes.
class COrvixApp {
public:
    // settingsFolder holds Orvix2.ini; initialImagePath, when not empty, is loaded at start
    // instead of the remembered file.
    COrvixApp(ui::UiServices& services, std::filesystem::path settingsFolder,
              std::string initialImagePath = {});

    // Runs the main dialog and returns false, so that no message loop of its own follows.
    bool InitInstance();

private:
    ui::UiServices& services_;
    std::filesystem::path settingsFolder_;
    std::string initialImagePath_;
};

// Sets the interface's language of an editor at its start: the --lang option when given, else the
// choice kept in settingsFolder's Orvix2.ini (a change there takes effect at the next start).
// False when English was asked and its catalogue was not found: the texts stay Japanese.
bool StartInterfaceLanguage(const std::string& option, const std::filesystem::path& settingsFolder);

} // namespace orvix
