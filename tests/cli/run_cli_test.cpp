#include "cli/run_cli.h"

#include <gtest/gtest.h>

#include "cli_runner.h"

namespace orvix::test {
namespace {

TEST(RunCliTest, HelpAndVersionSucceedAndUsageErrorsExitWithTwoBeforeTouchingAFile) {
    TempFolder temp;
    EXPECT_EQ(RunCommandLine(temp, {"--version"}).status, 0);
    const CliResult help = RunCommandLine(temp, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("demo"), std::string::npos) << help.out;

    WriteBytes(temp / "STARTUP.BIN", {1, 2, 3});
    const std::string image = (temp / "STARTUP.BIN").string();
    const std::vector<std::vector<std::string>> commandLines{
        {},
        {"calibration"},
        {"calibration", "show"},
        {"calibration", "show", image, "--table", "middle"},
        {"calibration", "set", image},
        {"calibration", "set", image, "ID22=5"},
        {"calibration", "set", image, "id2=5"},
        {"calibration", "set", image, "ID2"},
        {"calibration", "set", image, "ID2=5", "ID2=6"},
        {"calibration", "erase", image},
        {"demo"},
        {"demo", (temp / "card").string(), "--layout", "C"}};
    for (const std::vector<std::string>& arguments : commandLines) {
        SCOPED_TRACE(testing::PrintToString(arguments));
        const CliResult result = RunCommandLine(temp, arguments);
        EXPECT_EQ(result.status, 2);
        EXPECT_NE(result.err, "");
    }
    EXPECT_EQ(ReadBytes(temp / "STARTUP.BIN"), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_FALSE(std::filesystem::exists(temp / "card"));
}

} // namespace
} // namespace orvix::test
