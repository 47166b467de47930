#include "app/orvix_app.h"

#include <gtest/gtest.h>

#include "resources/main_dialog.h"
#include "resources/program_dialog.h"
#include "resources/settings_dialog.h"
#include "resources/string_table.h"
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

// The main dialog's program change button opens the program change dialog on the loaded image.
TEST(OrvixAppTest, TheProgramChangeButtonOpensItsDialog) {
    test::TempFolder folder;
    test::WriteBytes(folder / "STARTUP.BIN", std::vector<std::uint8_t>(4301707));
    test::ScriptedPrompter prompter;
    test::TestRunner runner;
    ui::UiServices services{prompter, runner};
    runner.Expect(IDD_ORVIX_DIALOG, [&](ui::DialogModel& main) {
        runner.Expect(IDD_PROGRAM_DIALOG, [](ui::DialogModel& program) { program.PressEscape(); });
        main.Click(main_dlg::IDC_PROGRAM_CHANGE);
        main.PressEscape();
    });
    COrvixApp app(services, folder.Path(), (folder / "STARTUP.BIN").string());
    app.InitInstance();
}

// Its settings data button opens the settings data dialog on the card of the image, which here
// has no setting files: the dialog names the first and closes.
TEST(OrvixAppTest, TheSettingsDataButtonOpensItsDialog) {
    test::TempFolder folder;
    test::WriteBytes(folder / "STARTUP.BIN", std::vector<std::uint8_t>(4301707));
    test::ScriptedPrompter prompter;
    test::TestRunner runner;
    ui::UiServices services{prompter, runner};
    runner.Expect(IDD_ORVIX_DIALOG, [&](ui::DialogModel& main) {
        runner.Expect(IDD_SETTINGS_DIALOG, nullptr);
        prompter.Expect(IDP_BINARY_READ_FAILED);
        main.Click(main_dlg::IDC_SETTINGS_DATA);
        EXPECT_EQ(prompter.Messages().back().argument, "INITPASSED.BIN");
        main.PressEscape();
    });
    COrvixApp app(services, folder.Path(), (folder / "STARTUP.BIN").string());
    app.InitInstance();
}

} // namespace
} // namespace orvix
