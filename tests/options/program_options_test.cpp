#include "options/program_options.h"
#include "options/remote_extension.h"

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
using Bytes = std::vector<std::uint8_t>;

struct Build {
    bool bluetooth = true;
    std::int32_t startCode = 1154;
    std::int32_t delay = 0;
    bool remoteConnection = true;
    bool voicePlayback = true;
};

// Chooses remote support as the dialog does; the questions are answered Yes.
ApplyResult Choose(ProgramDocument& program, const Build& build, test::ScriptedPrompter& prompter,
                   std::vector<int> messages = {IDP_ENABLE_REMOTE}) {
    for (int id : messages) {
        prompter.Expect(id, id == IDP_CODE_FILE_READ_FAILED ? Answer::Ok : Answer::Yes);
    }
    ProgramOptions options = ReadProgramOptions(program.document).options;
    options.walkSteps = 4;
    options.remoteSupport = true;
    options.bluetooth = build.bluetooth;
    options.startCode = build.startCode;
    options.syncStartDelay = build.delay;
    options.remoteConnection = build.remoteConnection;
    options.voicePlayback = build.voicePlayback;
    program.document.programChanged = true; // a remote control was clicked
    return ApplyProgramOptions(program.document, options, prompter);
}

// Code files that cannot be used are named and left out; a delay below 0 is stored as 0.
TEST(RemoteExtensionTest, UnusableCodeFilesAreNamedAndLeftOut) {
    ProgramDocument program(kSizeB, true);
    program.WriteCode("REMOTEBLK.BIN", SyntheticRemoteBlocks());
    program.WriteCode("REMOTE.BIN", Bytes(8193, 0x5A)); // would be cut by the 0x83 at 0x420000
    program.WriteCode("VOICE.BIN", Bytes(64, 0));       // no code: as if missing
    test::ScriptedPrompter prompter;
    ASSERT_EQ(Choose(program, Build{.bluetooth = false, .delay = -5}, prompter,
                     {IDP_ENABLE_REMOTE, IDP_CODE_FILE_READ_FAILED, IDP_CODE_FILE_READ_FAILED}),
              ApplyResult::Applied);
    EXPECT_NE(prompter.Messages()[1].detail.find("REMOTE.BIN"), std::string::npos);
    EXPECT_NE(prompter.Messages()[2].detail.find("VOICE.BIN"), std::string::npos);
    const std::pair<std::uint32_t, std::uint32_t> bytes[] = {
        {0x41CAD2, 0}, {0x41E000, 0x83}, {0x41E001, 0}, {0x46B000, 0x83}};
    for (const auto& [address, value] : bytes) {
        EXPECT_EQ(program.Get(address), value) << std::hex << address;
    }
}

// A tail not yet saved may still change its form: a clean tail, and the program bytes back.
TEST(RemoteExtensionTest, HeldTailSwitchesFormsCleanly) {
    ProgramDocument program(kSizeA);
    program.WriteCode("REMOTEBLK.BIN", SyntheticRemoteBlocks());
    program.WriteCode("VOICE.BIN", {0x44});
    program.WriteCode("REMOTE.BIN", Bytes(8192, 0x5A));
    program.Set(0x1468D, 0x12345678, 4);
    program.Set(0x1D137, 0x0BADF00D, 4);
    test::ScriptedPrompter prompter;
    ASSERT_EQ(Choose(program, Build{}, prompter), ApplyResult::Applied);

    EXPECT_TRUE(ReadProgramOptions(program.document).options.bluetoothChangeable);
    program.Set(0x41C000, 0x77);

    ASSERT_EQ(Choose(program, Build{.bluetooth = false, .voicePlayback = false}, prompter, {}),
              ApplyResult::Applied);
    EXPECT_EQ(program.Get(0x41C000), 0u);
    EXPECT_EQ(program.Get(0x41C462, 2), 0u);
    EXPECT_EQ(program.Get(0x1468D, 4), 0x12345678u);
    EXPECT_EQ(program.Get(0x1D137, 4), 0x0BADF00Du);
    EXPECT_EQ(program.Get(0x41E000 + 8191), 0x5Au);
    EXPECT_EQ(program.Get(0x46B000), 0x83u);
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
