// orvix2: the editor. Everything it does is in the dialog controllers; this only gives them
// Qt's windows and message boxes.

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>
#include <string>
#include <vector>

#include "app/editor_command_line.h"
#include "app/orvix_app.h"
#include "qt/dialog_stack.h"
#include "qt/qt_prompter.h"
#include "qt/qt_runner.h"
#include "qt/qt_setup.h"
#include "resources/main_dialog.h"
#include "resources/translation.h"
#include "storage/file_io.h"
#include "storage/settings_file.h"

int main(int argc, char* argv[]) {
    using Action = orvix::EditorCommandLine::Action;
    // Help, the version and a language that is not ja or en are answered before Qt starts, so
    // that they need no display; Qt's own options are still among the arguments here, so any
    // other usage error waits for the second look.
    const orvix::EditorCommandLine early =
        orvix::ParseEditorCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (early.action == Action::Version) {
        std::printf("%s\n", orvix::kVersionText);
        return 0;
    }
    const std::filesystem::path folder = orvix::ChooseSettingsFolder();
    if (early.action == Action::Help) {
        orvix::StartInterfaceLanguage(early.language, folder);
        std::fputs(orvix::EditorHelp(orvix::EditorFrontEnd::Qt).c_str(), stdout);
        return 0;
    }
    if (!early.language.empty() && !orvix::ParseLanguage(early.language)) {
        orvix::StartInterfaceLanguage({}, folder);
        std::fputs(orvix::EditorUsage().c_str(), stderr);
        return 2;
    }

    QApplication application(argc, argv);

    // Without Qt's options: --lang ja|en, then one optional argument: a STARTUP.BIN, or the card
    // folder that holds it, to load instead of the remembered one.
    std::vector<std::string> arguments;
    for (const QString& each : QCoreApplication::arguments().mid(1)) {
        arguments.push_back(QFile::encodeName(each).toStdString());
    }
    const orvix::EditorCommandLine line = orvix::ParseEditorCommandLine(arguments);
    const bool english = orvix::StartInterfaceLanguage(line.language, folder);
    if (line.action == Action::Usage) {
        std::fputs(orvix::EditorUsage().c_str(), stderr);
        return 2;
    }
    std::string imagePath;
    if (!line.image.empty()) {
        imagePath =
            QFile::encodeName(QFileInfo(QFile::decodeName(line.image.c_str())).absoluteFilePath())
                .toStdString();
    }

    orvix::qt::DialogStack stack;
    orvix::qt::QtPrompter prompter(stack);
    orvix::qt::QtDialogRunner runner(stack);
    orvix::ui::UiServices services{prompter, runner};

    if (!english) {
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
