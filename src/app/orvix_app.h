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

} // namespace orvix
