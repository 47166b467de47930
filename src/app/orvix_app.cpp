#include "app/orvix_app.h"

#include "app/about_dlg.h"
#include "calibration/orvix_dlg.h"
#include "history/history_dialog.h"
#include "history/save_description.h"
#include "options/toruque_dialog.h"
#include "resources/translation.h"
#include "settings/binary_dialog.h"
#include "storage/file_backup.h"
#include "storage/file_io.h"
#include "storage/platform.h"
#include "storage/settings_file.h"
#include "users/user_dialog.h"

namespace orvix {

COrvixApp::COrvixApp(ui::UiServices& services, std::filesystem::path settingsFolder,
                     std::string initialImagePath)
    : services_(services), settingsFolder_(std::move(settingsFolder)),
      initialImagePath_(std::move(initialImagePath)) {
    InstallSaveDescriber(); // every save the editor makes records what it changed by meaning
}

bool COrvixApp::InitInstance() {
    MainDialogHooks hooks;
    hooks.showAbout = [this] {
        CAboutDlg about;
        services_.runner.RunModal(about);
    };
    // The main dialog goes on the same whichever way the program change dialog closed.
    hooks.programChange = [this](EditorDocument& document, ui::DialogModel& mainDialog) {
        CToruqueDialog programChange(services_, document, mainDialog);
        services_.runner.RunModal(programChange);
    };
    hooks.settingsData = [this](EditorDocument& document, ui::DialogModel&) {
        CBinaryDialog settingsData(services_, document);
        services_.runner.RunModal(settingsData);
    };
    hooks.userData = [this](EditorDocument& document, ui::DialogModel&) {
        CUserDialog userData(services_, document);
        services_.runner.RunModal(userData);
    };
    // The chosen card, with the backups beside Orvix2.ini; a restore reloads the program into
    // the main dialog as the main dialog says.
    hooks.history = [this](const std::filesystem::path& card, const std::function<void()>& reload) {
        CHistoryDialog history(services_, card, settingsFolder_ / kBackupFolderName, reload);
        services_.runner.RunModal(history);
    };
    COrvixDlg dialog(services_, Utf8FromPath(settingsFolder_ / kSettingsFileName),
                     initialImagePath_, std::move(hooks));
    services_.runner.RunModal(dialog);
    return false;
}

bool StartInterfaceLanguage(const std::string& option,
                            const std::filesystem::path& settingsFolder) {
    const std::string iniPath = Utf8FromPath(settingsFolder / kSettingsFileName);
    const Language language =
        ChooseLanguage(option, GetProfileString(iniPath, kSectionFile, kKeyLanguage, "", 8));
    return SetInterfaceLanguage(language, CatalogueCandidates(platform::ExecutableFolder()));
}

} // namespace orvix
