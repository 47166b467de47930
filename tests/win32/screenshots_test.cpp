// Not a check but pictures to look at (scripts/screenshots-win32 runs it): every dialog and a
// message box as Windows draws them, saved as BMP files into ORVIX2_SCREENSHOT_DIR, in the
// language ORVIX2_SCREENSHOT_LANG names.

#include "win32_test_support.h"

#include <cstdlib>
#include <fstream>

#include "resources/history_dialog.h"
#include "resources/main_dialog.h"
#include "resources/names.h"
#include "resources/program_dialog.h"
#include "resources/settings_dialog.h"
#include "resources/string_table.h"
#include "resources/translation.h"
#include "resources/user_dialogs.h"

namespace orvix::test {
namespace {

// The window as it is on the screen, frame and caption included, as a 24-bit BMP file. Not
// painted again first: Wine shows a window's new paint on the X screen only a little later.
void SaveWindow(HWND window, const std::string& name) {
    RECT rect{};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
    const DWORD size = stride * static_cast<DWORD>(height);
    constexpr DWORD kHeaders = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    const BITMAPFILEHEADER file{0x4D42, kHeaders + size, 0, 0, kHeaders}; // "BM"
    std::ofstream out(std::string(std::getenv("ORVIX2_SCREENSHOT_DIR")) + "/" + name + ".bmp",
                      std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), size);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    EXPECT_TRUE(out.good());
}

void FillLists(ui::DialogModel& model) {
    using namespace history_dlg;
    if (!model.HasControl(IDC_ENTRIES)) {
        return;
    }
    const auto t = [](std::string_view text) { return std::string(Translate(text)); };
    model.SetTabStops(IDC_ENTRIES, {kEntryStops.begin(), kEntryStops.end()});
    model.SetTabStops(IDC_DIFFERENCES, {kDifferenceStops.begin(), kDifferenceStops.end()});
    // The rows as the name table words them, the longest names of a servo and a user field.
    model.AddItems(IDC_ENTRIES, {"14\t2026-12-07 10:42:13\tSTARTUP.BIN, VOLUME.BIN\t" +
                                     ShownField("calibration", "ID16 origin") + " -50→-55, " +
                                     ShownField("settings", "volume") + " 7→5",
                                 "9\t\t\t" + t("読めない記録") + ": not a history entry"});
    model.SelectItem(IDC_ENTRIES, 0);
    model.AddItems(IDC_DIFFERENCES,
                   {std::string(NameOf(kArea, "calibration")) + "\t" +
                        ShownField("calibration", "ID16 origin") + "\t-50\t-55",
                    std::string(NameOf(kArea, "users")) + "\t" +
                        ShownField("users", "user10 garbageDays") + "\t" + std::string(NoValue()) +
                        "\t" + ShownValue("users", "user10 garbageDays", "[0,3,6]")});
}

TEST(Win32Screenshots, DISABLED_EveryDialogAndAMessageBox) {
    const char* lang = std::getenv("ORVIX2_SCREENSHOT_LANG");
    ASSERT_NE(std::getenv("ORVIX2_SCREENSHOT_DIR"), nullptr);
    const bool english = lang != nullptr && std::string_view(lang) == "en";
    ASSERT_TRUE(SetInterfaceLanguage(english ? Language::English : Language::Japanese,
                                     {ORVIX2_TEST_CATALOGUE}));
    using Accessor = const ui::DialogTemplate& (*)();
    for (const Accessor dialogTemplate :
         {&MainDialogTemplate, &AboutDialogTemplate, &ProgramDialogTemplate,
          &SettingsDialogTemplate, &UserDialogTemplate, &DateDialogTemplate,
          &HistoryDialogTemplate}) {
        Script script;
        RecordingDialog controller(dialogTemplate());
        controller.onInit = FillLists;
        int ticks = 0;
        script
            .Then([&] { return ++ticks > 50; }) // painted, and shown on the X screen
            .InDialog(dialogTemplate().title, [&](HWND dialog) {
                SaveWindow(dialog, std::to_string(dialogTemplate().resourceId));
                PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            });
        script.runner.RunModal(controller);
    }
    Script script;
    int ticks = 0;
    script.Then([&] { return ActiveWindow() != nullptr && ++ticks > 50; }).Then([] {
        HWND box = ActiveWindow();
        SaveWindow(box, "message");
        PostMessageW(box, WM_COMMAND, IDNO, reinterpret_cast<LPARAM>(GetDlgItem(box, IDNO)));
        return true;
    });
    script.prompter.Message(IDP_HISTORY_RESTORE, ui::Buttons::YesNo, ui::Icon::Question,
                            "STARTUP.BIN", ui::Answer::No);
}

} // namespace
} // namespace orvix::test
