// The prompter's message boxes: Windows' own, owned by the open dialog, with each message's
// caption, text, buttons, icon and default button, and the system's reason below the text.

#include "win32_test_support.h"

#include "resources/string_table.h"

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

} // namespace
} // namespace orvix::test
