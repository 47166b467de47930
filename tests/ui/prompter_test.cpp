#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "resources/string_table.h"
#include "support/scripted_prompter.h"
#include "ui/prompter.h"

namespace orvix {
namespace {

TEST(PrompterTest, MessageTextFillsTheArgumentIn) {
    ui::MessageRequest request{IDP_OUT_OF_RANGE, "-125～175"};
    EXPECT_EQ(MessageText(request), "数字が範囲(-125～175)を越えています");
    request.messageId = IDP_NO_NUMBER;
    EXPECT_EQ(MessageText(request), "数字が入力されていません");
}

TEST(PrompterTest, IconAndDefaultFollowTheButtonsUnlessGiven) {
    using ui::Buttons;
    using ui::Icon;
    EXPECT_EQ(ui::EffectiveIcon({1, "", Buttons::Ok}), Icon::Warning);
    EXPECT_EQ(ui::EffectiveIcon({1, "", Buttons::OkCancel}), Icon::Warning);
    EXPECT_EQ(ui::EffectiveIcon({1, "", Buttons::YesNo}), Icon::Question);
    EXPECT_EQ(ui::EffectiveIcon({1, "", Buttons::YesNoCancel}), Icon::Question);
    EXPECT_EQ(ui::EffectiveIcon({1, "", Buttons::Ok, Icon::Error}), Icon::Error);
    EXPECT_EQ(ui::EffectiveDefault({1, "", Buttons::YesNoCancel, Icon::Auto, ui::Answer::No}),
              ui::Answer::No);
    EXPECT_EQ(ui::EffectiveDefault({1, "", Buttons::YesNo}), ui::Answer::Yes);
}

TEST(StringTableTest, HoldsEveryMessageAndNothingElse) {
    const int ids[] = {101, 103, 104, 105, 106, 107, 108, 109, 110, 115, 116, 117,
                       141, 142, 146, 148, 151, 153, 154, 155, 156, 157, 159, 161,
                       162, 163, 164, 165, 166, 167, 168, 169, 170, 171, 172};
    for (int id : ids) {
        EXPECT_FALSE(LoadString(id).empty()) << id;
    }
    EXPECT_TRUE(LoadString(102).empty());
    EXPECT_TRUE(LoadString(0).empty());
    EXPECT_EQ(LoadString(IDP_READ_PROGRAM_FAILED), "プロクラムの読込みに失敗しました");
}

TEST(ScriptedPrompterTest, AnswersInOrderAndRecords) {
    test::ScriptedPrompter prompter;
    prompter.Expect(IDP_VALUES_CHANGED, ui::Answer::No).Expect(IDP_WRITE_PROGRAM_DONE);
    EXPECT_EQ(prompter.Message(IDP_VALUES_CHANGED, ui::Buttons::YesNo), ui::Answer::No);
    EXPECT_EQ(prompter.Message(IDP_WRITE_PROGRAM_DONE), ui::Answer::Ok);
    ASSERT_EQ(prompter.Messages().size(), 2u);
    EXPECT_EQ(prompter.Messages()[0].buttons, ui::Buttons::YesNo);
}

TEST(ScriptedPrompterTest, FailsOnAQuestionAskedButNotExpected) {
    EXPECT_NONFATAL_FAILURE(
        {
            test::ScriptedPrompter prompter;
            prompter.Message(IDP_VALUES_CHANGED, ui::Buttons::YesNo);
        },
        "was shown but not expected");
}

TEST(ScriptedPrompterTest, FailsOnAQuestionExpectedButNotAsked) {
    EXPECT_NONFATAL_FAILURE(
        {
            test::ScriptedPrompter prompter;
            prompter.Expect(IDP_REMOVE_RANGE_LIMIT, ui::Answer::Yes);
        },
        "was expected but never shown");
}

TEST(ScriptedPrompterTest, FailsOnTheWrongQuestion) {
    EXPECT_NONFATAL_FAILURE(
        {
            test::ScriptedPrompter prompter;
            prompter.Expect(IDP_RESTORE_ORIGINS, ui::Answer::Yes);
            prompter.Message(IDP_RESTORE_RANGES, ui::Buttons::YesNo);
        },
        "expected message 110, but message 142");
}

} // namespace
} // namespace orvix
