#include "cli/cli_prompter.h"

#include <gtest/gtest.h>
#include <sstream>

#include "resources/string_table.h"

namespace orvix::test {
namespace {

TEST(CliPrompterTest, ShowsTheTextAndAnswersNoUnlessToldYes) {
    std::ostringstream err;
    cli::CliPrompter cautious(err, false);
    EXPECT_EQ(cautious.Message(IDP_OUT_OF_RANGE, ui::Buttons::Ok, ui::Icon::Auto, "0～7"),
              ui::Answer::Ok);
    EXPECT_EQ(cautious.Message(IDP_VALUES_CHANGED, ui::Buttons::YesNoCancel), ui::Answer::No);
    EXPECT_EQ(cautious.Message(IDP_RESTORE_RANGES, ui::Buttons::YesNo), ui::Answer::No);
    EXPECT_EQ(err.str(), "数字が範囲(0～7)を越えています\n" +
                             std::string(LoadString(IDP_VALUES_CHANGED)) + "\n" +
                             std::string(LoadString(IDP_RESTORE_RANGES)) + "\n");

    std::ostringstream quiet;
    cli::CliPrompter willing(quiet, true);
    EXPECT_EQ(willing.Message(IDP_RESTORE_ORIGINS, ui::Buttons::YesNo), ui::Answer::Yes);
    EXPECT_EQ(willing.Message(IDP_ENABLE_REMOTE, ui::Buttons::OkCancel), ui::Answer::Ok);
    EXPECT_FALSE(willing.ChooseOpenFile({}));
    EXPECT_FALSE(willing.ChooseColour({175, 70, 0}));
}

} // namespace
} // namespace orvix::test
