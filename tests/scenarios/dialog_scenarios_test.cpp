// The editor driven through its dialogs as a user would, from the start of the application, on a
// card typed as text; the whole card is compared with its expected change afterwards.

#include <deque>
#include <gtest/gtest.h>

#include "app/orvix_app.h"
#include "storage/file_io.h"
#include "support/card_diff.h"
#include "support/scripted_prompter.h"
#include "support/temp_folder.h"
#include "support/test_runner.h"

namespace orvix::test {
namespace {

using ui::Answer;
using ui::DialogModel;

const std::filesystem::path kData = ORVIX2_SCENARIO_DATA;

class DialogScenario : public ::testing::Test {
protected:
    // Starts the editor on the card's STARTUP.BIN; the main dialog (102) runs the script.
    void Run(const char* card, const char* expectation, TestRunner::Script main) {
        CardState before;
        ApplyDescription(kData / "cards" / card, before);
        WriteCard(before, temp / "card", temp / "settings");
        runners.push_front({102, std::move(main)});
        for (auto& [resource, script] : runners) {
            runner.Expect(resource, std::move(script));
        }
        const FileIds ids = SnapshotIds(temp / "card");
        COrvixApp(services, temp / "settings", Utf8FromPath(temp / "card" / "STARTUP.BIN"))
            .InitInstance();
        runner.Verify();
        prompter.Verify();
        EXPECT_EQ(CompareChange(before, SnapshotFolder(temp / "card"), kData / expectation, ids,
                                SnapshotIds(temp / "card")),
                  "");
    }
    // A child dialog the main dialog's script opens, in order.
    void Then(int resource, TestRunner::Script script) { runners.push_back({resource, script}); }

    TempFolder temp;
    ScriptedPrompter prompter;
    TestRunner runner;
    ui::UiServices services{prompter, runner};
    std::deque<std::pair<int, TestRunner::Script>> runners;
};

TEST_F(DialogScenario, ProgramChangeSavesTheEyeColourAndTheMainDialogsValues) {
    Then(130, [](DialogModel& program) {
        program.Click(1061); // energy saving, while the standard orange box is checked
        program.Click(5);    // OK
    });
    prompter.Expect(109); // written
    Run("layout_a.card", "dialogs/eye_and_id2.txt", [](DialogModel& main) {
        main.Type(1004, "30"); // ID2
        main.Click(8);
        main.Click(2);
    });
}

TEST_F(DialogScenario, SettingsOkWritesTheChangedFilesAndCancelNothing) {
    Then(131, [](DialogModel& settings) {
        settings.Type(1099, "8");
        settings.Click(1085);
        settings.Click(1122); // the head switch, confirmed
        settings.Click(1);
    });
    Then(131, [](DialogModel& settings) {
        settings.Type(1099, "2");
        settings.Click(1122);
        settings.Click(2);
    });
    prompter.Expect(172, Answer::Ok);
    Run("layout_a.card", "dialogs/settings.txt", [](DialogModel& main) {
        main.Click(9);
        main.Click(9);
        main.Click(2);
    });
}

TEST_F(DialogScenario, UserListMakesAUserAndTheDataDialogSavesOne) {
    Then(132, [](DialogModel& list) {
        list.Click(3);    // a new user
        list.Click(1121); // user 1
        list.Click(2);
    });
    Then(133, [](DialogModel& data) {
        data.ChooseItem(1120, 4); // entry 5
        data.Type(1102, "1/2");
        data.Click(1106); // lessons also on Monday
        data.Click(1);
    });
    prompter.Expect(168, Answer::Yes).Expect(169);
    Run("layout_a.card", "dialogs/users.txt", [](DialogModel& main) {
        main.Click(10);
        main.Click(2);
    });
}

} // namespace
} // namespace orvix::test
