// orvix2.exe: the editor on Windows. Everything it does is in the dialog controllers; this only
// gives them Windows' own dialogs and message boxes.

#include <windows.h>

#include <shellapi.h>

// windows.h names a function of its own so; the settings file's is meant here.
#undef GetProfileString

#include <cstdio>
#include <string>
#include <vector>

#include "app/orvix_app.h"
#include "resources/main_dialog.h"
#include "resources/translation.h"
#include "storage/file_io.h"
#include "storage/settings_file.h"
#include "win32/dialog_stack.h"
#include "win32/wide_text.h"
#include "win32/win32_prompter.h"
#include "win32/win32_runner.h"
#include "win32/win32_setup.h"

namespace {

constexpr const char* kUsage = "Usage: orvix2 [--lang ja|en] [STARTUP.BIN | CARD-FOLDER]\n";
constexpr const char* kHelp =
    "Edits the SD card of the Pechi 2 robot: the servo calibration in STARTUP.BIN, the program's\n"
    "options, the setting files and the users. Without STARTUP.BIN it opens the one loaded last.\n"
    "Given a card folder, it opens that card's STARTUP.BIN; the card's change history (in the\n"
    "system menu) is there even when that file does not load. A STARTUP.BIN dropped on\n"
    "orvix2.exe opens.\n"
    "\n"
    "  --lang ja|en   The interface language (default: the editor's last choice, else ja)\n"
    "  -h, --help     Show this help and exit\n"
    "  --version      Show the version and exit\n";

// A window program has no console of its own: the text goes to the one it was started from,
// else into a message box.
void Tell(const std::string& text, bool error) {
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        if (FILE* out = std::fopen(error ? "CONERR$" : "CONOUT$", "w")) {
            std::fputs(text.c_str(), out);
            std::fclose(out);
            return;
        }
    }
    MessageBoxW(nullptr, orvix::win32::Wide(text).c_str(), L"Orvix2",
                error ? MB_ICONWARNING : MB_ICONINFORMATION);
}

std::vector<std::string> Arguments() {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; wide != nullptr && i < count; ++i) {
        arguments.push_back(orvix::win32::Utf8(wide[i]));
    }
    LocalFree(wide);
    return arguments;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    std::vector<std::string> arguments = Arguments();
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
        Tell(std::string(kUsage) + kHelp, false);
        return 0;
    }
    if (arguments.size() == 1 && arguments[0] == "--version") {
        Tell(std::string(orvix::kVersionText) + "\n", false);
        return 0;
    }
    // --lang ja|en, then one optional argument: a STARTUP.BIN, or the card folder that holds
    // it, to load instead of the remembered one (a file dropped on the program arrives so).
    std::string lang;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--lang" && i + 1 < arguments.size()) {
            lang = arguments[i + 1];
            arguments.erase(arguments.begin() + static_cast<std::ptrdiff_t>(i),
                            arguments.begin() + static_cast<std::ptrdiff_t>(i + 2));
            break;
        }
        if (arguments[i].starts_with("--lang=")) {
            lang = arguments[i].substr(7);
            arguments.erase(arguments.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    }
    if (arguments.size() > 1 || (!lang.empty() && !orvix::ParseLanguage(lang))) {
        Tell(kUsage, true);
        return 2;
    }
    std::string imagePath;
    if (arguments.size() == 1) {
        std::error_code error;
        imagePath = orvix::Utf8FromPath(
            std::filesystem::absolute(orvix::PathFromUtf8(arguments[0]), error));
    }

    orvix::win32::InitialiseCommonControls();
    orvix::win32::DialogStack stack;
    orvix::win32::Win32Prompter prompter(stack);
    orvix::win32::Win32DialogRunner runner(stack);
    orvix::ui::UiServices services{prompter, runner};
    const std::filesystem::path folder = orvix::ChooseSettingsFolder();

    if (!orvix::StartInterfaceLanguage(lang, folder)) {
        Tell("orvix2: the English catalogue (orvix2.mo) was not found; texts stay Japanese\n",
             true);
    }

    orvix::COrvixApp app(services, folder, imagePath);
    app.InitInstance();
    return 0;
}
