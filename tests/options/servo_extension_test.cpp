#include <gtest/gtest.h>
#include <optional>

#include "options/program_options.h"
#include "program_document.h"
#include "resources/string_table.h"
#include "support/scripted_prompter.h"

namespace orvix {
namespace {

using test::kSizeA;
using test::kSizeServo;
using test::ProgramDocument;

// The stub documented for 0x41A3F0: call 0x41A400, then jump to 0x164C.
const std::vector<std::uint8_t> kStub{0x82, 0x00, 0xA4, 0x41, 0x00, 0x81, 0x4C, 0x16, 0x00, 0x00};

std::vector<std::uint8_t> ServoCode(std::size_t size) {
    std::vector<std::uint8_t> code(size);
    for (std::size_t i = 0; i < size; ++i) {
        code[i] = static_cast<std::uint8_t>(i * 7 + 1);
    }
    return code;
}

ApplyResult ApplyServo(ProgramDocument& program, bool on, test::ScriptedPrompter& prompter) {
    ProgramOptions options = ReadProgramOptions(program.document).options;
    options.walkSteps = 3;
    options.servoParameters = on;
    return ApplyProgramOptions(program.document, options, prompter);
}

// Install, reload, remove: the hook and the servo code stay together all the way.
TEST(ServoExtensionTest, LivesFromInstallToRemoval) {
    ProgramDocument program(kSizeA);
    program.WriteCode("SERVO.BIN", ServoCode(2955));
    test::ScriptedPrompter prompter;
    EXPECT_FALSE(ReadProgramOptions(program.document).options.servoParameters);
    ASSERT_EQ(ApplyServo(program, true, prompter), ApplyResult::Applied);
    ASSERT_EQ(program.document.imageTail.size(), 3072u);
    EXPECT_EQ(program.Get(0xFDC, 4), 0x41A3F0u);
    EXPECT_EQ(program.Bytes(0x41A3F0, 10), kStub);
    EXPECT_EQ(program.Bytes(0x41A400, 2955), ServoCode(2955));

    // Saved and loaded again (the image file tests check the save), the tail is part of the image.
    auto& image = program.document.image;
    image.insert(image.end(), program.document.imageTail.begin(), program.document.imageTail.end());
    program.document.imageTail.clear();
    ASSERT_EQ(program.document.ImageSize(), kSizeServo);
    EXPECT_TRUE(ReadProgramOptions(program.document).options.servoParameters);

    // Installed with the file: nothing to do.
    const auto installed = program.document.image;
    ASSERT_EQ(ApplyServo(program, true, prompter), ApplyResult::Applied);
    EXPECT_TRUE(program.document.image == installed);

    ASSERT_EQ(ApplyServo(program, false, prompter), ApplyResult::Applied);
    EXPECT_EQ(program.document.ImageSize(), kSizeA);
    EXPECT_EQ(program.Get(0xFDC, 4), 0x164Cu);
}

TEST(ServoExtensionTest, CodeThatCannotBeReadOrPlacedLeavesTheHook) {
    struct Case {
        const char* what;
        std::size_t size;
        std::optional<std::vector<std::uint8_t>> code; // none: no SERVO.BIN
        int message;
    };
    const Case cases[] = {
        {"missing", kSizeA, std::nullopt, IDP_CODE_FILE_READ_FAILED},
        {"longer than the room of a servo tail", kSizeA, ServoCode(2956),
         IDP_CODE_FILE_READ_FAILED},
        {"empty", kSizeA, std::vector<std::uint8_t>{}, IDP_CODE_FILE_READ_FAILED},
        {"only zero bytes", kSizeA, std::vector<std::uint8_t>(100, 0), IDP_CODE_FILE_READ_FAILED},
        {"an image of no known size", kSizeA + 1000, ServoCode(100), IDP_WRONG_PROGRAM},
    };
    for (const Case& c : cases) {
        ProgramDocument program(c.size);
        if (c.code) {
            program.WriteCode("SERVO.BIN", *c.code);
        }
        test::ScriptedPrompter prompter;
        prompter.Expect(c.message);
        ASSERT_EQ(ApplyServo(program, true, prompter), ApplyResult::Applied) << c.what;
        EXPECT_EQ(program.Get(0xFDC, 4), 0x164Cu) << c.what;
        EXPECT_EQ(program.document.ImageSize(), c.size) << c.what;
        EXPECT_TRUE(program.document.imageTail.empty()) << c.what;
        if (c.message == IDP_CODE_FILE_READ_FAILED && !prompter.Messages().empty()) {
            EXPECT_NE(prompter.Messages().back().detail.find("SERVO.BIN"), std::string::npos);
        }
    }
}

// An image of 4,304,779 bytes whose hook leads nowhere carries a stale extension: it is cut back
// before a new one is made.
TEST(ServoExtensionTest, StaleExtensionIsReplaced) {
    ProgramDocument program(kSizeServo);
    program.Set(kSizeA + 5, 0xEE);
    program.WriteCode("SERVO.BIN", ServoCode(10));
    test::ScriptedPrompter prompter;
    ASSERT_EQ(ApplyServo(program, true, prompter), ApplyResult::Applied);
    EXPECT_EQ(program.document.ImageSize(), kSizeA);
    ASSERT_EQ(program.document.imageTail.size(), 3072u);
    EXPECT_EQ(program.document.imageTail[5], 0); // the stale bytes are gone
    EXPECT_EQ(program.Bytes(0x41A3F0, 10), kStub);
}

} // namespace
} // namespace orvix
