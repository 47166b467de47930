// orvix2.exe: the editor on Windows. Everything it does is in the dialog controllers; this only
// gives them Windows' own dialogs and message boxes.

#include <windows.h>

#include <shellapi.h>

// windows.h names a function of its own so; the settings file's is meant here.
#undef GetProfileString

#include <string>
#include <vector>

#include "app/editor_command_line.h"
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

// A window program has no console of its own. Its text goes to the standard handle it was given
// (a file or pipe when redirected: UTF-8), else to the console it was started from (UTF-16, so that
// Japanese shows whatever the console's code page), else into a message box.
bool Write(HANDLE handle, const std::string& text) {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(handle, &mode)) {
        const std::wstring wide = orvix::win32::Wide(text);
        return WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written,
                             nullptr) != 0;
    }
    return WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0;
}

void Tell(const std::string& text, bool error) {
    const DWORD which = error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE;
    // A handle a window program is given from a console it is not attached to writes nothing.
    if (Write(GetStdHandle(which), text)) {
        return;
    }
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        HANDLE console =
            CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        SetStdHandle(which, console);
        if (Write(console, text)) {
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
    using Action = orvix::EditorCommandLine::Action;
    // --lang ja|en, then one optional argument: a STARTUP.BIN, or the card folder that holds
    // it, to load instead of the remembered one (a file dropped on the program arrives so).
    const orvix::EditorCommandLine line = orvix::ParseEditorCommandLine(Arguments());
    if (line.action == Action::Version) {
        Tell(std::string(orvix::kVersionText) + "\n", false);
        return 0;
    }
    const std::filesystem::path folder = orvix::ChooseSettingsFolder();
    const bool english = orvix::StartInterfaceLanguage(line.language, folder);
    if (line.action == Action::Help) {
        Tell(orvix::EditorHelp(orvix::EditorFrontEnd::Windows), false);
        return 0;
    }
    if (line.action == Action::Usage) {
        Tell(orvix::EditorUsage(), true);
        return 2;
    }
    std::string imagePath;
    if (!line.image.empty()) {
        std::error_code error;
        imagePath =
            orvix::Utf8FromPath(std::filesystem::absolute(orvix::PathFromUtf8(line.image), error));
    }

    orvix::win32::InitialiseCommonControls();
    orvix::win32::DialogStack stack;
    orvix::win32::Win32Prompter prompter(stack);
    orvix::win32::Win32DialogRunner runner(stack);
    orvix::ui::UiServices services{prompter, runner};
    if (!english) {
        Tell("orvix2: the English catalogue (orvix2.mo) was not found; texts stay Japanese\n",
             true);
    }

    orvix::COrvixApp app(services, folder, imagePath);
    app.InitInstance();
    return 0;
}
