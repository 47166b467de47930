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

// The scripted prompter that the dialog tests answer through is strict both ways, and holds every
// message to the buttons, icon and default the documentation gives it.
TEST(ScriptedPrompterTest, FailsOnAMessageNotExpectedNotShownOrNotAsDocumented) {
    const std::tuple<int, Answer, int, Buttons, Icon, Answer, const char*> cases[] = {
        // expected, its answer, shown (0: none), with these buttons, icon, default; failure
        {IDP_RESTORE_ORIGINS, Answer::Yes, IDP_RESTORE_RANGES, Buttons::YesNo, Icon::Auto,
         Answer::None, "expected message 110, but message 142"},
        {0, Answer::Yes, IDP_VALUES_CHANGED, Buttons::YesNo, Icon::Auto, Answer::None,
         "was shown but not expected"},
        {IDP_REMOVE_RANGE_LIMIT, Answer::Yes, 0, Buttons::YesNo, Icon::Auto, Answer::None,
         "was expected but never shown"},
        {IDP_CHECK_ALL_POWERUPS, Answer::Ok, IDP_CHECK_ALL_POWERUPS, Buttons::Ok, Icon::Auto,
         Answer::None, "shown as OK, warning icon, Enter OK, not as documented"},
        {IDP_PROGRAMS_ADDED, Answer::No, IDP_PROGRAMS_ADDED, Buttons::YesNoCancel, Icon::Question,
         Answer::None, "Enter Yes, not as documented"},
        {IDP_BINARY_WRITE_FAILED, Answer::Ok, IDP_BINARY_WRITE_FAILED, Buttons::Ok, Icon::Auto,
         Answer::None, "warning icon, Enter OK, not as documented"},
        {IDP_CREATE_USER, Answer::Ok, IDP_CREATE_USER, Buttons::YesNo, Icon::Question, Answer::None,
         "offers Yes/No, but the script answers OK"},
        {IDP_WRITE_PROGRAM_DONE, Answer::Cancel, IDP_WRITE_PROGRAM_DONE, Buttons::Ok, Icon::Auto,
         Answer::None, "offers OK, but the script answers Cancel"},
        {IDP_HEAD_SWITCH, Answer::No, IDP_HEAD_SWITCH, Buttons::OkCancel, Icon::Auto, Answer::None,
         "offers OK/Cancel, but the script answers No"},
        {999, Answer::Ok, 999, Buttons::Ok, Icon::Auto, Answer::None, "999 () is not documented"}};
    for (const auto& [expected, answer, shown, buttons, icon, enter, failure] : cases) {
        EXPECT_NONFATAL_FAILURE(
            {
                test::ScriptedPrompter prompter;
                if (expected != 0) {
                    prompter.Expect(expected, answer);
                }
                if (shown != 0) {
                    prompter.Message(shown, buttons, icon, {}, enter);
                }
            },
            failure);
    }
    // Each documented form passes; 116 has two.
    test::ScriptedPrompter prompter;
    prompter.Expect(IDP_VALUES_CHANGED, Answer::No).Expect(IDP_VALUES_CHANGED, Answer::Cancel);
    prompter.Message(IDP_VALUES_CHANGED, Buttons::YesNo, Icon::Question);
    prompter.Message(IDP_VALUES_CHANGED, Buttons::YesNoCancel);
}

} // namespace
} // namespace orvix
