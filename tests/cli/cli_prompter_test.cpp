#include "cli/cli_prompter.h"

#include <gtest/gtest.h>
#include <sstream>
#include <tuple>

#include "resources/string_table.h"

namespace orvix::test {
namespace {

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
