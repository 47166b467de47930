// The editor driven through its Windows dialogs with window messages, as a person would act, from
// the start of the application on a card typed as text; the whole card is compared afterwards
// with the same expected changes the dialogs' scenarios state (tests/data/scenarios/dialogs).

#include "win32_test_support.h"

// windows.h names functions of its own so; the program's are meant here.
#undef GetProfileString
#undef LoadString

#include "app/orvix_app.h"
#include "resources/history_dialog.h"
#include "resources/main_dialog.h"
#include "resources/program_dialog.h"
#include "resources/settings_dialog.h"
#include "resources/string_table.h"
#include "resources/translation.h"
#include "resources/user_dialogs.h"
#include "storage/file_io.h"
#include "storage/settings_file.h"
#include "support/card_diff.h"
#include "support/temp_folder.h"
#include "win32/wide_text.h"

namespace orvix::test {
namespace {

const std::filesystem::path kData = ORVIX2_SCENARIO_DATA;

class Win32DialogScenario : public ::testing::Test {
protected:
    // Starts the editor on the card's STARTUP.BIN and runs the script from its dialogs' loops.
    void Run(const char* card, const char* expectation) {
        CardState before;
        ApplyDescription(kData / "cards" / card, before);
        WriteCard(before, temp / "card", temp / "settings");
        const FileIds ids = SnapshotIds(temp / "card");
        COrvixApp(script.services, temp / "settings", Utf8FromPath(temp / "card" / "STARTUP.BIN"))
            .InitInstance();
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(CompareChange(before, SnapshotFolder(temp / "card"), kData / expectation, ids,
                                SnapshotIds(temp / "card")),
                  "");
    }
    static std::string Main() { return std::string(MainDialogTemplate().title); }

    TempFolder temp;
    Script script;
};

TEST_F(Win32DialogScenario, ProgramChangeSavesTheEyeColourAndTheMainDialogsValues) {
    script
        .InDialog(Main(),
                  [](HWND main) {
                      TypeInto(main, 1004, "30"); // ID2
                      ClickOn(main, main_dlg::IDC_PROGRAM_CHANGE);
                  })
        .InDialog(ProgramDialogTemplate().title,
                  [](HWND program) {
                      ClickOn(program, 1061); // energy saving, the standard orange box checked
                      ClickOn(program, 5);    // OK
                  })
        .AnswerBox(109, IDOK) // written
        .InDialog(Main(), [](HWND main) { ClickOn(main, main_dlg::IDC_CLOSE); });
    Run("layout_a.card", "dialogs/eye_and_id2.txt");
}

TEST_F(Win32DialogScenario, SettingsOkWritesTheChangedFilesAndCancelNothing) {
    const std::string settings(SettingsDialogTemplate().title);
    script.InDialog(Main(), [](HWND main) { ClickOn(main, main_dlg::IDC_SETTINGS_DATA); })
        .InDialog(settings,
                  [](HWND dialog) {
                      TypeInto(dialog, 1099, "8");
                      ClickOn(dialog, 1085);
                      ClickOn(dialog, 1122); // the head switch, to be confirmed
                  })
        .AnswerBox(172, IDOK)
        .InDialog(settings, [](HWND dialog) { ClickOn(dialog, IDOK); })
        .InDialog(Main(), [](HWND main) { ClickOn(main, main_dlg::IDC_SETTINGS_DATA); })
        .InDialog(settings,
                  [](HWND dialog) {
                      TypeInto(dialog, 1099, "2");
                      ClickOn(dialog, 1122);
                      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); // Esc
                  })
        .InDialog(Main(), [](HWND main) { ClickOn(main, main_dlg::IDC_CLOSE); });
    Run("layout_a.card", "dialogs/settings.txt");
}

TEST_F(Win32DialogScenario, UserListMakesAUserAndTheDataDialogSavesOne) {
    const std::string list(UserDialogTemplate().title);
    script.InDialog(Main(), [](HWND main) { ClickOn(main, main_dlg::IDC_USER_DATA); })
        .InDialog(list, [](HWND dialog) { ClickOn(dialog, 3); }) // a new user
        .AnswerBox(168, IDYES)
        .AnswerBox(169, IDOK)
        .InDialog(list, [](HWND dialog) { ClickOn(dialog, 1121); }) // user 1
        .InDialog(DateDialogTemplate().title,
                  [](HWND data) {
                      SendDlgItemMessageW(data, 1120, CB_SETCURSEL, 4, 0); // entry 5
                      Notify(data, 1120, CBN_SELCHANGE);
                      TypeInto(data, 1102, "1/2");
                      ClickOn(data, 1106); // lessons also on Monday
                      ClickOn(data, IDOK);
                  })
        .InDialog(list, [](HWND dialog) { ClickOn(dialog, IDCANCEL); })
        .InDialog(Main(), [](HWND main) { ClickOn(main, main_dlg::IDC_CLOSE); });
    Run("layout_a.card", "dialogs/users.txt");
}

// A servo value written, then the card put back from the change history, opened from the
// system menu: STARTUP.BIN holds its old bytes again.
TEST_F(Win32DialogScenario, TheHistoryFromTheSystemMenuRestoresAWrittenCard) {
    const std::string history(HistoryDialogTemplate().title);
    script
        .InDialog(Main(),
                  [](HWND main) {
                      TypeInto(main, 1004, "30");
                      ClickOn(main, main_dlg::IDC_WRITE);
                  })
        .AnswerBox(109, IDOK)
        .InDialog(Main(), [](HWND main) { PostMessageW(main, WM_SYSCOMMAND, IDM_HISTORY, 0); })
        .InDialog(history,
                  [](HWND dialog) {
                      SendDlgItemMessageW(dialog, history_dlg::IDC_ENTRIES, LB_SETCURSEL, 0, 0);
                      Notify(dialog, history_dlg::IDC_ENTRIES, LBN_SELCHANGE);
                      ClickOn(dialog, history_dlg::IDC_RESTORE_POINT);
                  })
        .AnswerBox(187, IDYES) // No is the default
        .AnswerBox(179, IDOK)
        .InDialog(history, [](HWND dialog) { ClickOn(dialog, history_dlg::IDC_CLOSE); })
        .InDialog(Main(), [](HWND main) { ClickOn(main, main_dlg::IDC_CLOSE); });
    Run("layout_a.card", "saved_unchanged.txt");
}

// The entries the main dialog offers are in the window's own system menu, after a separator, and
// each opens its dialog or asks its question; the language switch keeps the choice in Orvix2.ini.
TEST_F(Win32DialogScenario, TheSystemMenuHoldsTheEntriesAndTheyOpenTheirDialogs) {
    script
        .InDialog(Main(),
                  [](HWND main) {
                      HMENU menu = GetSystemMenu(main, FALSE);
                      const int count = GetMenuItemCount(menu);
                      ASSERT_GE(count, 4);
                      std::vector<std::pair<UINT, std::string>> entries;
                      for (int i = count - 4; i < count; ++i) {
                          wchar_t text[128] = {};
                          GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
                          entries.emplace_back(GetMenuItemID(menu, i), win32::Utf8(text));
                      }
                      EXPECT_EQ(entries, (std::vector<std::pair<UINT, std::string>>{
                                             {0, ""},
                                             {IDM_ABOUTBOX, std::string(LoadString(101)) + "\tF1"},
                                             {IDM_HISTORY, "変更履歴(&H)..."},
                                             {IDM_LANGUAGE, "English"}}));
                      PostMessageW(main, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
                  })
        .InDialog(AboutDialogTemplate().title,
                  [this](HWND about) {
                      EXPECT_EQ(TextOf(GetWindow(about, GW_OWNER)), Main());
                      EXPECT_EQ(script.stack.Size(), 2u);
                      ClickOn(about, IDOK);
                  })
        .InDialog(Main(),
                  [](HWND main) {
                      HELPINFO f1 = [] { // F1, wherever the focus is
                          HELPINFO info{};
                          info.cbSize = sizeof info;
                          return info;
                      }();
                      SendMessageW(main, WM_HELP, 0,
                                   reinterpret_cast<LPARAM>(&f1)); // not posted: a pointer
                  })
        .InDialog(AboutDialogTemplate().title, [](HWND about) { ClickOn(about, IDOK); })
        .InDialog(Main(), [](HWND main) { PostMessageW(main, WM_SYSCOMMAND, IDM_HISTORY, 0); })
        .InDialog(HistoryDialogTemplate().title,
                  [](HWND history) { ClickOn(history, history_dlg::IDC_CLOSE); })
        .InDialog(Main(), [](HWND main) { PostMessageW(main, WM_SYSCOMMAND, IDM_LANGUAGE, 0); })
        .AnswerBox(190, IDOK) // at the next start
        .InDialog(Main(), [](HWND main) { ClickOn(main, main_dlg::IDC_CLOSE); });
    Run("layout_a.card", "unchanged.txt");
    EXPECT_EQ(GetProfileString(Utf8FromPath(temp / "settings" / kSettingsFileName), kSectionFile,
                               kKeyLanguage, "", 8),
              "en");
}

} // namespace
} // namespace orvix::test
