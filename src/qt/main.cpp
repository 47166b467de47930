// orvix2: the editor. Everything it does is in the dialog controllers; this only gives them
// Qt's windows and message boxes.

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

#include "app/orvix_app.h"
#include "qt/dialog_stack.h"
#include "qt/qt_prompter.h"
#include "qt/qt_runner.h"
#include "qt/qt_setup.h"
#include "storage/settings_file.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    orvix::qt::InstallJapaneseTranslation(application);
    orvix::qt::SetApplicationLook();

    // One optional argument: a STARTUP.BIN to load instead of the remembered one.
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 2) {
        std::fputs("usage: orvix2 [STARTUP.BIN]\n", stderr);
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
    const std::filesystem::path folder = orvix::ChooseSettingsFolder(
        orvix::ExecutableFolder(), std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));

    orvix::COrvixApp app(services, folder, imagePath);
    app.InitInstance();
    return 0;
}
