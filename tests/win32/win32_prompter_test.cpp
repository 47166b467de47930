// The prompter's message boxes: Windows' own, owned by the open dialog, with each message's
// caption, text, buttons, icon and default button, and the system's reason below the text.

#include "win32_test_support.h"

#include <colordlg.h>
#include <dlgs.h>

#include "resources/string_table.h"
#include "storage/file_io.h"
#include "support/temp_folder.h"

namespace orvix::test {
namespace {

TEST(Win32PrompterTest, AMessageBoxHasTheButtonsIconAndDefaultAskedAndGivesTheAnswer) {
    Script script;
    std::vector<ShownBox> shown;
    const auto answer = [&](int button) {
        script.Then([&, button] {
            HWND box = ActiveWindow();
            if (box == nullptr) {
                return false;
            }
            shown.push_back(ReadBox(box));
            PostMessageW(box, WM_COMMAND, button,
                         reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
            return true;
        });
    };
    answer(IDNO);
    EXPECT_EQ(script.prompter.Message(IDP_NO_NUMBER, ui::Buttons::YesNoCancel, ui::Icon::Auto, {},
                                      ui::Answer::No),
              ui::Answer::No);
    answer(IDCANCEL);
    EXPECT_EQ(script.prompter.Message(IDP_REMOVE_RANGE_LIMIT, ui::Buttons::OkCancel,
                                      ui::Icon::Information),
              ui::Answer::Cancel);
    answer(IDOK);
    EXPECT_EQ(script.prompter.Failure(IDP_BINARY_WRITE_FAILED, "VOLUME.BIN: Permission denied",
                                      "VOLUME.BIN"),
              ui::Answer::Ok);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].caption, "Orvix2");
    EXPECT_EQ(shown[0].text, "数字が入力されていません");
    EXPECT_EQ(shown[0].buttons, (std::vector{IDYES, IDNO, IDCANCEL}));
    EXPECT_EQ(shown[0].icon, ui::Icon::Question);
    EXPECT_EQ(shown[0].defaultButton, IDNO);
    EXPECT_EQ(shown[1].buttons, (std::vector{IDOK, IDCANCEL}));
    EXPECT_EQ(shown[1].icon, ui::Icon::Information);
    EXPECT_EQ(shown[1].defaultButton, IDOK);
    EXPECT_EQ(
        shown[2].text,
        "バイナリファイル[VOLUME.BIN]の書込に失敗しました。\n\nVOLUME.BIN: Permission denied");
    EXPECT_EQ(shown[2].icon, ui::Icon::Warning);
    EXPECT_TRUE(script.Done());
}

// The file chooser starts in the folder asked (a bare name typed there is found in it) and gives
// the chosen path; the colour chooser starts on the colour given.
TEST(Win32PrompterTest, TheChoosersStartWhereAskedAndReturnTheChoice) {
    TempFolder folder;
    WriteBytes(folder / "STARTUP.BIN", {1, 2, 3});
    Script script;
    const auto inChooser = [&](std::function<void(HWND)> action) {
        script.Then([&, action] {
            HWND chooser = ActiveWindow();
            if (chooser == nullptr) {
                return false;
            }
            action(chooser);
            return true;
        });
    };
    inChooser([](HWND chooser) {
        // The name field: a combo box in the current chooser, an edit in older ones.
        HWND name = GetDlgItem(chooser, cmb13);
        SetWindowTextW(name != nullptr ? name : GetDlgItem(chooser, edt1), L"STARTUP.BIN");
        PostMessageW(chooser, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(script.prompter.ChooseOpenFile(
                  {"ﾍﾟﾁ2実行ﾌｧｲﾙ", "STARTUP.BIN", "BIN", "", Utf8FromPath(folder.Path())}),
              Utf8FromPath(folder / "STARTUP.BIN"));
    inChooser([](HWND chooser) { PostMessageW(chooser, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_EQ(script.prompter.ChooseOpenFile({"ﾍﾟﾁ2実行ﾌｧｲﾙ", "STARTUP.BIN", "BIN", "", ""}),
              std::nullopt);
    inChooser([](HWND chooser) {
        EXPECT_EQ(GetDlgItemInt(chooser, COLOR_RED, nullptr, FALSE), 255u);
        EXPECT_EQ(GetDlgItemInt(chooser, COLOR_GREEN, nullptr, FALSE), 128u);
        SetDlgItemInt(chooser, COLOR_GREEN, 200, FALSE);
        PostMessageW(chooser, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(script.prompter.ChooseColour(ui::Rgb{255, 128, 0}), (ui::Rgb{255, 200, 0}));
    EXPECT_TRUE(script.Done());
}

} // namespace
} // namespace orvix::test
