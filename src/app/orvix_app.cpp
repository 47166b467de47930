#include "app/orvix_app.h"

#include "app/file_io.h"
#include "app/settings_file.h"
#include "calibration/orvix_dlg.h"

namespace orvix {

COrvixApp::COrvixApp(ui::UiServices& services, std::filesystem::path settingsFolder,
                     std::string initialImagePath)
    : services_(services), settingsFolder_(std::move(settingsFolder)),
      initialImagePath_(std::move(initialImagePath)) {}

bool COrvixApp::InitInstance() {
    COrvixDlg dialog(services_, Utf8FromPath(settingsFolder_ / kSettingsFileName),
                     initialImagePath_);
    services_.runner.RunModal(dialog);
    return false;
}

} // namespace orvix
