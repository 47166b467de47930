// Two orvix2-cli processes started together on one card: the card's lock makes the second wait
// for the first, so that neither change is lost while both report success.

#include <gtest/gtest.h>
#include <thread>

#include "cli_runner.h"
#include "resources/string_table.h"
#include "support/other_program.h"

namespace orvix::test {
namespace {

using CardLockCommandTest = CardTest;

TEST_F(CardLockCommandTest, TwoWritersAtOnceNeverLoseAChangeUnsaid) {
    MakeCard();
    const std::string tool = PortableCopy(ORVIX2_CLI_PATH, temp_ / "bin");
    const auto original = Card();
    const std::string busy = MessageText({IDP_CARD_BUSY, (temp_ / "card").string()});
    const std::string commands[] = {"options set \"" + path_ + "\" walkSteps=12",
                                    "calibration set \"" + path_ + "\" ID5=170"};
    for (int round = 0; round < 4; ++round) {
        WriteBytes(image_, original);
        int status[2] = {-1, -1};
        std::thread writers[2];
        for (int writer = 0; writer < 2; ++writer) {
            const std::string out = (temp_ / ("out" + std::to_string(writer))).string();
            const std::string line =
                tool + " " + commands[writer] + " >\"" + out + "\" 2>\"" + out + ".err\"";
            writers[writer] =
                std::thread([&status, writer, line] { status[writer] = RunProgram(line); });
        }
        for (std::thread& writer : writers) {
            writer.join();
        }
        const bool changed[] = {Json("options", "show")["walkSteps"] == 12,
                                Json("calibration", "show")["servos"]["ID5"] == 170};
        for (int writer = 0; writer < 2; ++writer) {
            const std::string err = ReadText(temp_ / ("out" + std::to_string(writer) + ".err"));
            // Done and there, or refused as busy and not there: never "done" and lost.
            EXPECT_TRUE((status[writer] == 0 && changed[writer]) ||
                        (status[writer] == 1 && !changed[writer] && Contains(err, busy)))
                << "round " << round << " writer " << writer << ": exit " << status[writer] << err;
        }
    }
}

// A card another writer holds for longer than the wait: refused with the card's folder, exit 1,
// nothing written.
TEST_F(CardLockCommandTest, ABusyCardIsRefused) {
    MakeCard();
    const auto original = Card();
    CliResult result;
    {
        const OtherProgram other(temp_ / "card");
        ASSERT_TRUE(other.Holds());
        result = On("options", "set", {"walkSteps=12"});
    }
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, MessageText({IDP_CARD_BUSY, (temp_ / "card").string()}) + "\n" +
                              (temp_ / "card").string() + ": 他のプログラムが使用中です\n");
    EXPECT_TRUE(Card() == original);
}

// A command that only reads shares the card with another reader (Windows readers take no lock).
TEST_F(CardLockCommandTest, ReadersShareTheCard) {
    MakeCard();
    const OtherProgram other(temp_ / "card", OtherProgram::Mode::Shared);
    ASSERT_TRUE(other.Holds());
    for (const char* verb : {"calibration", "options", "settings"}) {
        const CliResult result = On(verb, "show");
        EXPECT_EQ(result.status, 0) << verb << result.err;
    }
    EXPECT_EQ(On("users", "list").status, 0);
}

} // namespace
} // namespace orvix::test
