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
    // (The Qt tests see OK and Yes/No/Cancel boxes with their own icon and default.)
    const std::tuple<Buttons, Icon, Answer, Icon, Answer> cases[] = {
        {Buttons::OkCancel, Icon::Auto, Answer::None, Icon::Warning, Answer::Ok},
        {Buttons::YesNo, Icon::Auto, Answer::None, Icon::Question, Answer::Yes},
        {Buttons::OkCancel, Icon::Auto, Answer::Cancel, Icon::Warning, Answer::Cancel},
        {Buttons::YesNoCancel, Icon::Information, Answer::No, Icon::Information, Answer::No}};
    for (const auto& [buttons, icon, given, shownIcon, enter] : cases) {
        request.buttons = buttons;
        request.icon = icon;
        request.defaultAnswer = given;
        EXPECT_EQ(std::pair(ui::EffectiveIcon(request), ui::EffectiveDefault(request)),
                  std::pair(shownIcon, enter));
    }
}

// The scripted prompter that the dialog tests answer through is strict both ways.
TEST(ScriptedPrompterTest, FailsOnAQuestionAskedButNotExpectedOrExpectedButNotAsked) {
    const std::tuple<int, int, const char*> cases[] = {
        // expected, shown (0: none), failure
        {IDP_RESTORE_ORIGINS, IDP_RESTORE_RANGES, "expected message 110, but message 142"},
        {0, IDP_VALUES_CHANGED, "was shown but not expected"},
        {IDP_REMOVE_RANGE_LIMIT, 0, "was expected but never shown"}};
    for (const auto& [expected, shown, failure] : cases) {
        EXPECT_NONFATAL_FAILURE(
            {
                test::ScriptedPrompter prompter;
                if (expected != 0) {
                    prompter.Expect(expected, Answer::Yes);
                }
                if (shown != 0) {
                    prompter.Message(shown, Buttons::YesNo);
                }
            },
            failure);
    }
}

} // namespace
} // namespace orvix
