// orvix2: the editor. Everything it does is in the dialog controllers; this only gives them
// Qt's windows and message boxes.

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/orvix_app.h"
#include "qt/dialog_stack.h"
#include "qt/qt_prompter.h"
#include "qt/qt_runner.h"
#include "qt/qt_setup.h"
#include "resources/main_dialog.h"
#include "resources/translation.h"
#include "storage/file_io.h"
#include "storage/settings_file.h"

namespace {

constexpr const char* kUsage = "Usage: orvix2 [--lang ja|en] [STARTUP.BIN | CARD-FOLDER]\n";
constexpr const char* kHelp =
    "Edits the SD card of the Pechi 2 robot: the servo calibration in STARTUP.BIN, the program's\n"
    "options, the setting files and the users. Without STARTUP.BIN it opens the one loaded last.\n"
    "Given a card folder, it opens that card's STARTUP.BIN; the card's change history (in the\n"
    "system menu) is there even when that file does not load.\n"
    "\n"
    "  --lang ja|en   The interface language (default: the editor's last choice, else ja)\n"
    "  -h, --help     Print this help and exit\n"
    "  --version      Print the version and exit\n"
    "\n"
    "Qt's own options, such as -platform offscreen, are accepted too.\n";

} // namespace

int main(int argc, char* argv[]) {
    // Answered before Qt starts, so that they need no display.
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf("%s%s", kUsage, kHelp);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s\n", orvix::kVersionText);
        return 0;
    }

    QApplication application(argc, argv);

    // --lang ja|en, then one optional argument: a STARTUP.BIN, or the card folder that holds
    // it, to load instead of the remembered one.
    QStringList arguments = QCoreApplication::arguments();
    std::string lang;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QStringLiteral("--lang") && i + 1 < arguments.size()) {
            lang = arguments[i + 1].toStdString();
            arguments.remove(i, 2);
            break;
        }
        if (arguments[i].startsWith(QStringLiteral("--lang="))) {
            lang = arguments[i].mid(7).toStdString();
            arguments.remove(i);
            break;
        }
    }
    if (arguments.size() > 2 || (!lang.empty() && !orvix::ParseLanguage(lang))) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::string imagePath;
    if (arguments.size() == 2) {
        imagePath = QFile::encodeName(QFileInfo(arguments[1]).absoluteFilePath()).toStdString();
    }

    orvix::qt::DialogStack stack;
    orvix::qt::QtPrompter prompter(stack);
    orvix::qt::QtDialogRunner runner(stack);
    orvix::ui::UiServices services{prompter, runner};
    const std::filesystem::path folder = orvix::ChooseSettingsFolder();

    if (!orvix::StartInterfaceLanguage(lang, folder)) {
        std::fputs("orvix2: the English catalogue (orvix2.mo) was not found; texts stay Japanese\n",
                   stderr);
    }
    if (orvix::InterfaceLanguage() == orvix::Language::Japanese) {
        orvix::qt::InstallJapaneseTranslation(application);
    }
    orvix::qt::SetApplicationLook();

    orvix::COrvixApp app(services, folder, imagePath);
    app.InitInstance();
    return 0;
}
