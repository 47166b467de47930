#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <tuple>

#include "resources/string_table.h"
#include "support/scripted_prompter.h"
#include "ui/prompter.h"

namespace orvix {
namespace {

using ui::Answer;
using ui::Buttons;
using ui::Icon;

TEST(PrompterTest, TheTextTakesItsArgumentAndIconAndDefaultFollowTheButtonsUnlessGiven) {
    ui::MessageRequest request;
    request.messageId = IDP_OUT_OF_RANGE;
    request.argument = "-125～175";
    EXPECT_EQ(MessageText(request), "数字が範囲(-125～175)を越えています");
    // The buttons, the icon and default asked for, and the icon shown and the answer of Enter.
    const std::tuple<Buttons, Icon, Answer, Icon, Answer> cases[] = {
        {Buttons::Ok, Icon::Auto, Answer::None, Icon::Warning, Answer::Ok},
        {Buttons::OkCancel, Icon::Auto, Answer::None, Icon::Warning, Answer::Ok},
        {Buttons::YesNo, Icon::Auto, Answer::None, Icon::Question, Answer::Yes},
        {Buttons::YesNoCancel, Icon::Auto, Answer::None, Icon::Question, Answer::Yes},
        {Buttons::Ok, Icon::Error, Answer::None, Icon::Error, Answer::Ok},
        {Buttons::OkCancel, Icon::Auto, Answer::Cancel, Icon::Warning, Answer::Cancel},
        {Buttons::YesNoCancel, Icon::Information, Answer::No, Icon::Information, Answer::No}};
    for (const auto& [buttons, icon, given, shownIcon, enter] : cases) {
        request.buttons = buttons;
        request.icon = icon;
        request.defaultAnswer = given;
        EXPECT_EQ(ui::EffectiveIcon(request), shownIcon);
        EXPECT_EQ(ui::EffectiveDefault(request), enter);
    }
}

// The scripted prompter that the dialog tests answer through is strict both ways.
TEST(ScriptedPrompterTest, FailsOnAQuestionAskedButNotExpectedOrExpectedButNotAsked) {
    EXPECT_NONFATAL_FAILURE(
        {
            test::ScriptedPrompter prompter;
            prompter.Expect(IDP_RESTORE_ORIGINS, Answer::Yes);
            prompter.Message(IDP_RESTORE_RANGES, Buttons::YesNo);
        },
        "expected message 110, but message 142");
    EXPECT_NONFATAL_FAILURE(
        {
            test::ScriptedPrompter prompter;
            prompter.Message(IDP_VALUES_CHANGED, Buttons::YesNo);
        },
        "was shown but not expected");
    EXPECT_NONFATAL_FAILURE(
        {
            test::ScriptedPrompter prompter;
            prompter.Expect(IDP_REMOVE_RANGE_LIMIT, Answer::Yes);
        },
        "was expected but never shown");
}

} // namespace
} // namespace orvix
