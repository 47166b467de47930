#include "options/program_options.h"

#include <gtest/gtest.h>

#include "program_document.h"
#include "resources/string_table.h"
#include "support/scripted_prompter.h"

namespace orvix {
namespace {

using test::kSizeA;
using test::kSizeB;
using test::ProgramDocument;
using ui::Answer;

void PutArmPattern(ProgramDocument& program, std::uint32_t p) {
    const std::uint8_t pattern[] = {0x90, 0x00, 0x0A, 0x00, 0x00, 0x80, 0x00};
    for (std::uint32_t i = 0; i < 7; ++i) {
        program.Set(p + i, pattern[i]);
    }
}

std::vector<int> ArmValues(const ProgramDocument& program, std::uint32_t p) {
    std::vector<int> values;
    for (std::uint32_t offset : {0x42u, 0x46u, 0x4Au, 0x4Eu, 0x52u, 0x56u}) {
        values.push_back(static_cast<std::int16_t>(program.Get(p + offset, 2)));
    }
    return values;
}

// The chooser is offered the stored colour doubled; Cancel leaves every byte as it was.
TEST(ProgramOptionsTest, TheColourChooserStartsFromTheStoredColour) {
    ProgramDocument program(kSizeA);
    SetStandardEyeColour(program.document, true, true); // (90, 35, 0) is stored
    test::ScriptedPrompter prompter;
    prompter.ExpectColour(ui::Rgb{200, 100, 50}).ExpectColour(std::nullopt);
    EXPECT_TRUE(ChooseEyeColour(program.document, prompter, true, false));
    EXPECT_EQ(prompter.ColourRequests()[0], (ui::Rgb{180, 70, 0}));
    const auto before = program.document.image;
    EXPECT_FALSE(ChooseEyeColour(program.document, prompter, false, true));
    EXPECT_EQ(prompter.ColourRequests()[1], (ui::Rgb{200, 100, 50}));
    EXPECT_TRUE(program.document.image == before);
    program.Set(0x1342, 175, 2); // red 175 alone is no standard orange
    EXPECT_FALSE(ReadProgramOptions(program.document).options.standardColour);
}

// --- arm movement records --------------------------------------------------------------------

TEST(ProgramOptionsTest, ArmChangeAndShoulderLimitScanTheirRecords) {
    ProgramDocument program(kSizeA);
    PutArmPattern(program, 0x200);
    PutArmPattern(program, 0x200 + 0x85);  // inside the stride of the first: not patched
    PutArmPattern(program, 0x6FFF);        // the last place of the idle records
    PutArmPattern(program, 0x7100);        // a shoulder record
    program.Set(0x7100 + 0x42, 500, 2);    // already above the limit: kept
    program.Set(0x7100 + 0x46, 33, 2);     // not one of the two limited values
    PutArmPattern(program, kSizeA - 0x4F); // its fourth value would end beyond the image

    test::ScriptedPrompter prompter;
    prompter.Expect(IDP_CHANGE_ARM_ANGLE, Answer::Yes);
    ProgramOptions options = ReadProgramOptions(program.document).options;
    options.walkSteps = 2;
    options.armAngleChange = options.shoulderLimit = true;
    ASSERT_EQ(ApplyProgramOptions(program.document, options, prompter), ApplyResult::Applied);
    const std::vector<int> idle{475, 125, 10, -475, -125, -10};
    EXPECT_EQ(ArmValues(program, 0x200), idle);
    EXPECT_EQ(ArmValues(program, 0x285), std::vector<int>(6, 0));
    EXPECT_EQ(ArmValues(program, 0x6FFF), idle);
    EXPECT_EQ(ArmValues(program, 0x7100), (std::vector<int>{500, 33, 0, -475, 0, 0}));
    EXPECT_EQ(program.Get(kSizeA - 0x4F + 0x42, 2), 0u); // so none of its values is changed

    program.Set(0xE45, 0xDB);
    EXPECT_TRUE(ReadProgramOptions(program.document).options.armAngleFixed);
    EXPECT_FALSE(ReadProgramOptions(program.document).options.shoulderLimitFixed);
    program.Set(0x7074, 0xDB);
    EXPECT_TRUE(ReadProgramOptions(program.document).options.shoulderLimitFixed);
}

// Once the arms are changed, a shoulder limit checked anew is asked for and applied alone.
TEST(ProgramOptionsTest, ShoulderLimitOnItsOwnOnceTheArmsAreChanged) {
    for (const Answer answer : {Answer::No, Answer::Yes}) {
        ProgramDocument program(kSizeA);
        program.Set(0xE45, 0xDB);
        PutArmPattern(program, 0x300);
        PutArmPattern(program, 0x8000);
        test::ScriptedPrompter prompter;
        prompter.Expect(IDP_CHANGE_ARM_ANGLE, answer);
        ProgramOptions options = ReadProgramOptions(program.document).options;
        options.walkSteps = 2;
        options.shoulderLimit = true;
        EXPECT_EQ(ApplyProgramOptions(program.document, options, prompter),
                  answer == Answer::Yes ? ApplyResult::Applied : ApplyResult::ShoulderRefused);
        EXPECT_EQ(options.shoulderLimit, answer == Answer::Yes);
        EXPECT_EQ(ArmValues(program, 0x300)[0], 0);
        EXPECT_EQ(ArmValues(program, 0x8000)[0], answer == Answer::Yes ? 475 : 0);
    }
}

// An image of 4,304,779 bytes whose hook leads nowhere carries a stale servo extension: it is cut
// back before a new one is made.
TEST(ProgramOptionsTest, StaleServoExtensionIsReplaced) {
    ProgramDocument program(test::kSizeServo);
    program.Set(kSizeA + 5, 0xEE);
    program.WriteCode("SERVO.BIN", std::vector<std::uint8_t>(10, 0x31));
    test::ScriptedPrompter prompter;
    ProgramOptions options = ReadProgramOptions(program.document).options;
    options.walkSteps = 3;
    options.servoParameters = true;
    ASSERT_EQ(ApplyProgramOptions(program.document, options, prompter), ApplyResult::Applied);
    EXPECT_EQ(program.document.ImageSize(), kSizeA);
    ASSERT_EQ(program.document.imageTail.size(), 3072u);
    EXPECT_EQ(program.document.imageTail[5], 0); // the stale bytes are gone
    // The stub documented for 0x41A3F0: call 0x41A400, then jump to 0x164C.
    EXPECT_EQ(program.Bytes(0x41A3F0, 12),
              (std::vector<std::uint8_t>{0x82, 0x00, 0xA4, 0x41, 0x00, 0x81, 0x4C, 0x16, 0x00, 0x00,
                                         0x00, 0x00}));
    EXPECT_EQ(program.Get(0x41A400 + 9), 0x31u);
}

} // namespace
} // namespace orvix
