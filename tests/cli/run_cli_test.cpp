#include "cli/run_cli.h"

#include <gtest/gtest.h>
#include <sstream>

#include "cli_runner.h"

namespace orvix::test {
namespace {

TEST(RunCliTest, HelpAndVersionSucceedAndUsageErrorsExitWithTwoBeforeTouchingAFile) {
    TempFolder temp;
    EXPECT_EQ(RunCommandLine(temp, {"--version"}).status, 0);
    EXPECT_EQ(RunCommandLine(temp, {"--help"}).status, 0);
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
    // An unknown command is named.
    EXPECT_TRUE(Contains(RunCommandLine(temp, {"erase"}).err, "erase"));
    EXPECT_TRUE(Contains(RunCommandLine(temp, {"calibration", "erase"}).err, "erase"));
    EXPECT_EQ(ReadBytes(temp / "STARTUP.BIN"), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_FALSE(std::filesystem::exists(temp / "card"));
}

} // namespace
} // namespace orvix::test
