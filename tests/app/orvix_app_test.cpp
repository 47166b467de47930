#include "app/orvix_app.h"

#include <gtest/gtest.h>

#include "resources/main_dialog.h"
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
    runner.Expect(IDD_ORVIX_DIALOG, [&](ui::DialogModel& main) {
        runner.Expect(IDD_ABOUTBOX, [&](ui::DialogModel& about) {
            EXPECT_EQ(about.Template().title, "バージョン情報 Orvix");
            about.PressEnter();
        });
        main.SystemCommand(IDM_ABOUTBOX);
        EXPECT_FALSE(main.Ended());
        main.PressEscape();
    });
    COrvixApp app(services, folder.Path());
    EXPECT_FALSE(app.InitInstance());
    runner.Verify();
    EXPECT_FALSE(std::filesystem::exists(folder / "Orvix2.ini"));
}

} // namespace
} // namespace orvix
