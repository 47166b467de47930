#include "cli/run_cli.h"

#include <gtest/gtest.h>
#include <sstream>

#include "cli/cli_prompter.h"
#include "resources/string_table.h"

#include "cli_runner.h"

namespace orvix::test {
namespace {

TEST(RunCliTest, HelpAndVersionSucceedAndUsageErrorsExitWithTwoBeforeTouchingAFile) {
    TempFolder temp;
    EXPECT_EQ(RunCommandLine(temp, {"--version"}).status, 0);
    const CliResult help = RunCommandLine(temp, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(Contains(help.out, "demo")) << help.out;
    WriteBytes(temp / "STARTUP.BIN", {1, 2, 3}); // "@"
    // Command lines, "@" standing for the image and "@NAME" for a file beside it.
    for (const std::string line :
         {"", "calibration", "calibration show", "calibration show @ --table middle",
          "calibration set @", "calibration set @ ID22=5", "calibration set @ id2=5",
          "calibration set @ ID2", "calibration set @ ID2=5 ID2=6", "calibration erase @", "demo",
          "demo @card --layout C"}) {
        std::vector<std::string> arguments;
        std::istringstream words(line);
        for (std::string word; words >> word;) {
            arguments.push_back(
                word.starts_with('@')
                    ? (temp / (word == "@" ? "STARTUP.BIN" : word.substr(1))).string()
                    : word);
        }
        const CliResult result = RunCommandLine(temp, arguments);
        EXPECT_EQ(result.status, 2) << line;
        EXPECT_NE(result.err, "");
    }
    EXPECT_EQ(ReadBytes(temp / "STARTUP.BIN"), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_FALSE(std::filesystem::exists(temp / "card"));
}

// The tool's prompter prints each message with its detail (its answers are the scenarios').
TEST(CliPrompterTest, PrintsTheTextAndTheDetail) {
    using ui::Answer, ui::Buttons;
    std::ostringstream err;
    cli::CliPrompter prompter(err, false);
    EXPECT_EQ(prompter.Message(IDP_OUT_OF_RANGE, Buttons::Ok, ui::Icon::Auto, "0～7"), Answer::Ok);
    prompter.Failure(IDP_WRITE_PROGRAM_FAILED, "/card/STARTUP.BIN: Permission denied");
    EXPECT_EQ(err.str(), "数字が範囲(0～7)を越えています\n"
                         "プログラムに書出し失敗しました\n/card/STARTUP.BIN: Permission denied\n");
}

} // namespace
} // namespace orvix::test
