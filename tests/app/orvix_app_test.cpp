#include "app/orvix_app.h"

#include <gtest/gtest.h>

#include "resources/main_dialog.h"
#include "resources/program_dialog.h"
#include "resources/settings_dialog.h"
#include "resources/string_table.h"
#include "resources/user_dialogs.h"
#include "support/scripted_prompter.h"
#include "support/temp_folder.h"
#include "support/test_runner.h"

namespace orvix {
namespace {

// The application runs the main dialog, whose system menu opens the about box; closing the main
// dialog ends the run, and a first start writes no settings file.
TEST(OrvixAppTest, RunsTheMainDialogWithItsAboutBox) {
    test::TempFolder folder;
    test::ScriptedPrompter prompter;
    test::TestRunner runner;
    ui::UiServices services{prompter, runner};
    bool aboutShown = false;
    runner.Expect(IDD_ORVIX_DIALOG, [&](ui::DialogModel& main) {
        runner.Expect(IDD_ABOUTBOX, [&](ui::DialogModel& about) {
            aboutShown = true;
            EXPECT_EQ(about.Template().title, "バージョン情報 Orvix");
            about.PressEnter();
        });
        main.SystemCommand(IDM_ABOUTBOX);
        EXPECT_FALSE(main.Ended());
        main.PressEscape();
    });
    COrvixApp app(services, folder.Path());
    EXPECT_FALSE(app.InitInstance());
    EXPECT_TRUE(aboutShown);
    EXPECT_FALSE(std::filesystem::exists(folder / "Orvix2.ini"));
}

// Buttons 8 to 10 open their dialogs on the card of the loaded image, which here holds nothing
// else: the settings data and user register dialogs name the first file they miss there and close.
TEST(OrvixAppTest, TheDialogButtonsOpenTheirDialogsOnTheImagesCard) {
    const struct {
        int button;
        int dialog;
        const char* missing; // none: the dialog opens
    } cases[] = {
        {main_dlg::IDC_PROGRAM_CHANGE, IDD_PROGRAM_DIALOG, nullptr},
        {main_dlg::IDC_SETTINGS_DATA, IDD_SETTINGS_DIALOG, "INITPASSED.BIN"},
        {main_dlg::IDC_USER_DATA, IDD_USER_DIALOG, "NAMETBL.BIN"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        test::TempFolder folder;
        test::WriteBytes(folder / "STARTUP.BIN", std::vector<std::uint8_t>(4301707));
        test::ScriptedPrompter prompter;
        test::TestRunner runner;
        ui::UiServices services{prompter, runner};
        runner.Expect(IDD_ORVIX_DIALOG, [&](ui::DialogModel& main) {
            runner.Expect(c.dialog, [](ui::DialogModel& dialog) { dialog.PressEscape(); });
            if (c.missing != nullptr) {
                prompter.Expect(IDP_BINARY_READ_FAILED);
            }
            main.Click(c.button);
            if (c.missing != nullptr) {
                const ui::MessageRequest& message = prompter.Messages().back();
                EXPECT_EQ(message.argument, c.missing);
                EXPECT_TRUE(message.detail.starts_with((folder / c.missing).string()));
            }
            main.PressEscape();
        });
        COrvixApp app(services, folder.Path(), (folder / "STARTUP.BIN").string());
        app.InitInstance();
    }
}

} // namespace
} // namespace orvix
