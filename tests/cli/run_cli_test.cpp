#include "cli/run_cli.h"

#include <gtest/gtest.h>
#include <tuple>

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

using ui::Answer;
using ui::Buttons;

TEST(CliPrompterTest, PrintsTheTextAndDetailAndAnswersNoOrCancelUnlessToldYes) {
    std::ostringstream err;
    cli::CliPrompter prompter(err, false);
    EXPECT_EQ(prompter.Message(IDP_OUT_OF_RANGE, Buttons::Ok, ui::Icon::Auto, "0～7"), Answer::Ok);
    prompter.Failure(IDP_WRITE_PROGRAM_FAILED, "/card/STARTUP.BIN: Permission denied");
    EXPECT_EQ(err.str(), "数字が範囲(0～7)を越えています\n"
                         "プログラムに書出し失敗しました\n/card/STARTUP.BIN: Permission denied\n");

    const std::tuple<bool, Buttons, Answer> cases[] = {
        {false, Buttons::YesNo, Answer::No},        {false, Buttons::YesNoCancel, Answer::No},
        {false, Buttons::OkCancel, Answer::Cancel}, {true, Buttons::YesNo, Answer::Yes},
        {true, Buttons::YesNoCancel, Answer::Yes},  {true, Buttons::OkCancel, Answer::Ok}};
    for (const auto& [yes, buttons, answer] : cases) {
        std::ostringstream quiet;
        cli::CliPrompter asked(quiet, yes);
        EXPECT_EQ(asked.Message(IDP_NO_NUMBER, buttons), answer) << yes;
        EXPECT_FALSE(asked.ChooseOpenFile({}) || asked.ChooseColour({175, 70, 0}));
    }
}

} // namespace
} // namespace orvix::test
