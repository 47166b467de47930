// Two orvix2-cli processes started together on one card: the card's lock makes the second wait
// for the first, so that neither change is lost while both report success.

#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include "cli_runner.h"
#include "resources/string_table.h"

namespace orvix::test {
namespace {

using CardLockCommandTest = CardTest;

TEST_F(CardLockCommandTest, TwoWritersAtOnceNeverLoseAChangeUnsaid) {
    MakeCard();
    // A copy of the tool of the test's own: its folder takes the settings file and the backups.
    std::filesystem::create_directories(temp_ / "bin");
    std::filesystem::copy_file(ORVIX2_CLI_PATH, temp_ / "bin" / "orvix2-cli");
    const auto original = Card();
    const std::string busy = MessageText({IDP_CARD_BUSY, (temp_ / "card").string()});
    for (int round = 0; round < 4; ++round) {
        WriteBytes(image_, original);
        const std::string tool = (temp_ / "bin" / "orvix2-cli").string();
        const std::string out = (temp_ / "out").string();
        const std::string script = "(" + tool + " options set " + path_ + " walkSteps=12 2>" + out +
                                   "1 >/dev/null; echo $? >" + out + "1.status) & (" + tool +
                                   " calibration set " + path_ + " ID5=170 2>" + out +
                                   "2 >/dev/null; echo $? >" + out + "2.status) & wait";
        ASSERT_EQ(std::system(script.c_str()), 0);
        const bool changed[] = {Json("options", "show")["walkSteps"] == 12,
                                Json("calibration", "show")["servos"]["ID5"] == 170};
        for (int writer = 0; writer < 2; ++writer) {
            const std::string name = out + std::to_string(writer + 1);
            const std::string status = ReadText(name + ".status");
            const std::string err = ReadText(name);
            // Done and there, or refused as busy and not there: never "done" and lost.
            EXPECT_TRUE((status == "0\n" && changed[writer]) ||
                        (status == "1\n" && !changed[writer] && Contains(err, busy)))
                << "round " << round << " writer " << writer << ": exit " << status << err;
        }
    }
}

// A card another writer holds for longer than the wait: refused with the card's folder, exit 1,
// nothing written.
TEST_F(CardLockCommandTest, ABusyCardIsRefused) {
    MakeCard();
    const auto original = Card();
    const int other = ::open((temp_ / "card").c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    const CliResult result = On("options", "set", {"walkSteps=12"});
    ::close(other);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, MessageText({IDP_CARD_BUSY, (temp_ / "card").string()}) + "\n" +
                              (temp_ / "card").string() + ": 他のプログラムが使用中です\n");
    EXPECT_TRUE(Card() == original);
}

// A command that only reads shares the card with another reader; a writer waits for it.
TEST_F(CardLockCommandTest, ReadersShareTheCard) {
    MakeCard();
    const int other = ::open((temp_ / "card").c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(other, LOCK_SH), 0);
    for (const char* verb : {"calibration", "options", "settings"}) {
        const CliResult result = On(verb, "show");
        EXPECT_EQ(result.status, 0) << verb << result.err;
    }
    EXPECT_EQ(On("users", "list").status, 0);
    ::close(other);
}

} // namespace
} // namespace orvix::test
