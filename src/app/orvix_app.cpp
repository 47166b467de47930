#include "app/orvix_app.h"

#include "app/about_dlg.h"
#include "calibration/orvix_dlg.h"
#include "storage/file_io.h"
#include "storage/settings_file.h"

namespace orvix {

COrvixApp::COrvixApp(ui::UiServices& services, std::filesystem::path settingsFolder,
                     std::string initialImagePath)
    : services_(services), settingsFolder_(std::move(settingsFolder)),
      initialImagePath_(std::move(initialImagePath)) {}

bool COrvixApp::InitInstance() {
    COrvixDlg dialog(services_, Utf8FromPath(settingsFolder_ / kSettingsFileName),
                     initialImagePath_, [this] {
                         CAboutDlg about;
                         services_.runner.RunModal(about);
                     });
    services_.runner.RunModal(dialog);
    return false;
}

} // namespace orvix
