// The binder keeps the model and the windows in step both ways: what a person does with a control
// reaches the model once, and what the program sets reaches the control without coming back.

#include "win32_test_support.h"

#include <commctrl.h>

#include "resources/history_dialog.h"
#include "resources/main_dialog.h"

namespace orvix::test {
namespace {

using ui::Event;

int Count(const RecordingDialog& dialog, int id, Event event) {
    return static_cast<int>(
        std::count(dialog.events.begin(), dialog.events.end(), std::pair{id, event}));
}

TEST(Win32DialogBinderTest, EditsButtonsAndSpinsFollowTheModelAndReportThePersonOnce) {
    Script script;
    RecordingDialog dialog(MainDialogTemplate());
    dialog.onInit = [](ui::DialogModel& model) {
        model.SetText(1004, "25");
        model.SetSpinRange(1005, -100, 100);
        model.Enable(main_dlg::IDC_WRITE, false);
        model.SetFocus(1006);
    };
    const std::string title(MainDialogTemplate().title);
    script
        .InDialog(title,
                  [&](HWND main) {
                      EXPECT_EQ(TextOf(GetDlgItem(main, 1004)), "25");
                      EXPECT_EQ(Count(dialog, 1004, Event::Changed), 1); // the program's, once
                      EXPECT_EQ(GetFocus(), GetDlgItem(main, 1006));
                      EXPECT_FALSE(IsWindowEnabled(GetDlgItem(main, main_dlg::IDC_WRITE)));
                      TypeInto(main, 1004, "30");
                      EXPECT_EQ(dialog.Model().GetText(1004), "30");
                      EXPECT_EQ(Count(dialog, 1004, Event::Changed), 2);
                      dialog.Model().SetText(1004, "7");
                      EXPECT_EQ(TextOf(GetDlgItem(main, 1004)), "7");
                      EXPECT_EQ(Count(dialog, 1004, Event::Changed), 3); // not 4: no echo
                      // A refused field gets the focus with its text selected.
                      dialog.Model().SetFocus(1004);
                      DWORD start = 1, end = 0;
                      SendDlgItemMessageW(main, 1004, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                                          reinterpret_cast<LPARAM>(&end));
                      EXPECT_EQ(GetFocus(), GetDlgItem(main, 1004));
                      EXPECT_EQ(std::pair(start, end), std::pair(DWORD{0}, DWORD{1}));
                      // The up arrow key in the buddy steps the spin; the model writes the edit.
                      SendDlgItemMessageW(main, 1004, WM_KEYDOWN, VK_UP, 0);
                      EXPECT_EQ(TextOf(GetDlgItem(main, 1004)), "8");
                      ClickOn(main, main_dlg::IDC_CHECK_RANGE);
                      ClickOn(main, main_dlg::IDC_WRITE); // disabled: the model ignores it
                  })
        .InDialog(title, [&](HWND main) {
            EXPECT_EQ(SendDlgItemMessageW(main, main_dlg::IDC_CHECK_RANGE, BM_GETCHECK, 0, 0),
                      dialog.Model().IsChecked(main_dlg::IDC_CHECK_RANGE) ? BST_CHECKED
                                                                          : BST_UNCHECKED);
            EXPECT_EQ(Count(dialog, main_dlg::IDC_CHECK_RANGE, Event::Clicked), 1);
            EXPECT_EQ(Count(dialog, main_dlg::IDC_WRITE, Event::Clicked), 0);
            PostMessageW(main, WM_CLOSE, 0, 0); // the close box
        });
    EXPECT_EQ(script.runner.RunModal(dialog), ui::kIdCancel);
    EXPECT_TRUE(script.Done());
}

TEST(Win32DialogBinderTest, AListsChoiceReachesTheModelAndItsItemsFollowIt) {
    using namespace history_dlg;
    Script script;
    RecordingDialog dialog(HistoryDialogTemplate());
    dialog.onInit = [](ui::DialogModel& model) {
        model.AddItems(IDC_ENTRIES, {"1\ta", "2\tb", "3\tc"});
    };
    script.InDialog(HistoryDialogTemplate().title, [&](HWND history) {
        HWND list = GetDlgItem(history, IDC_ENTRIES);
        EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 3);
        SetFocus(list);
        SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0); // the first row chosen
        SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
        EXPECT_EQ(dialog.Model().Selection(IDC_ENTRIES), 1);
        EXPECT_EQ(Count(dialog, IDC_ENTRIES, Event::SelectionChanged), 2);
        dialog.Model().ClearItems(IDC_ENTRIES);
        dialog.Model().AddItem(IDC_ENTRIES, "9\tz");
        EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 1);
        EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), LB_ERR);
        EXPECT_EQ(Count(dialog, IDC_ENTRIES, Event::SelectionChanged), 2);
        PostMessageW(history, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(script.runner.RunModal(dialog), ui::kIdCancel);
    EXPECT_TRUE(script.Done());
}

} // namespace
} // namespace orvix::test
