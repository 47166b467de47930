#include "cli/run_cli.h"

#include <gtest/gtest.h>

#include "cli/calibration_commands.h"
#include "cli_runner.h"

namespace orvix::test {
namespace {

TEST(RunCliTest, VersionAndHelp) {
    TempFolder temp;
    const CliResult version = RunCommandLine(temp, {"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "Orvix2, Version 3.68\n");

    const CliResult help = RunCommandLine(temp, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("calibration"), std::string::npos);
    EXPECT_NE(help.out.find("demo"), std::string::npos);
}

// Usage errors are found before any file is touched.
TEST(RunCliTest, UsageErrorsExitWithTwo) {
    TempFolder temp;
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
        {"demo", (temp / "card").string(), "--layout", "C"},
    };
    for (const std::vector<std::string>& arguments : commandLines) {
        std::string joined;
        for (const std::string& argument : arguments) {
            joined += argument + " ";
        }
        SCOPED_TRACE(joined);
        const CliResult result = RunCommandLine(temp, arguments);
        EXPECT_EQ(result.status, 2);
        EXPECT_NE(result.err, "");
    }
    EXPECT_EQ(ReadBytes(temp / "STARTUP.BIN"), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_FALSE(std::filesystem::exists(temp / "card"));
}

TEST(RunCliTest, AssignmentsKeepTheTextAsTyped) {
    std::ostringstream err;
    const auto parsed = cli::ParseAssignments({"ID21= -5", "ID2=+5", "ID12="}, err);
    ASSERT_TRUE(parsed);
    ASSERT_EQ(parsed->size(), 3u);
    EXPECT_EQ((*parsed)[0].servo, 19);
    EXPECT_EQ((*parsed)[0].text, " -5");
    EXPECT_EQ((*parsed)[1].servo, 0);
    EXPECT_EQ((*parsed)[1].text, "+5");
    EXPECT_EQ((*parsed)[2].servo, 10);
    EXPECT_EQ((*parsed)[2].text, "");
    EXPECT_EQ(err.str(), "");
}

} // namespace
} // namespace orvix::test
