#include "options/remote_extension.h"

#include <gtest/gtest.h>

#include "program_document.h"
#include "resources/string_table.h"
#include "support/scripted_prompter.h"

namespace orvix {
namespace {

using test::kRemoteTail;
using test::kSizeA;
using test::kSizeB;
using test::ProgramDocument;
using ui::Answer;
using Bytes = std::vector<std::uint8_t>;

// Where each block starts in REMOTEBLK.BIN: remote blocks 0 to 5, then Bluetooth blocks 0 to 5.
constexpr std::size_t kRemoteAt[6] = {0, 245, 422, 582, 742, 902};
constexpr std::size_t kBluetoothAt[6] = {1118, 1350, 1532, 1657, 1782, 1907};

// A block file that passes the checks, with a distinct byte at +0x70 of every block so that a
// block copied from the wrong place shows.
Bytes BlockFile() {
    Bytes bytes = SyntheticRemoteBlocks();
    for (std::size_t k = 0; k < 6; ++k) {
        bytes[kRemoteAt[k] + 0x70] = static_cast<std::uint8_t>(0xA0 + k);
        bytes[kBluetoothAt[k] + 0x70] = static_cast<std::uint8_t>(0xB0 + k);
    }
    return bytes;
}

TEST(RemoteBlocksTest, FileIsCheckedBeforeUse) {
    std::string problem;
    ASSERT_TRUE(ParseRemoteBlocks(BlockFile(), problem)) << problem;
    Bytes shorter = BlockFile();
    shorter.pop_back();
    EXPECT_FALSE(ParseRemoteBlocks(shorter, problem));
    // Each changes one byte the checks look at, as (block start, offset): the telling bytes, the
    // start code places, the 0x88 before each delay and the delay itself.
    const std::pair<std::size_t, std::size_t> faults[] = {
        {kRemoteAt[0], 0},       {kRemoteAt[4], 15},      {kRemoteAt[5], 0},
        {kRemoteAt[5], 0xD1},    {kRemoteAt[5], 0xD2},    {kBluetoothAt[0], 0},
        {kBluetoothAt[5], 0},    {kBluetoothAt[2], 0x62}, {kBluetoothAt[5], 0x79},
        {kBluetoothAt[5], 0x93}, {kBluetoothAt[5], 0x94}};
    for (const auto& [block, offset] : faults) {
        Bytes bytes = BlockFile();
        bytes[block + offset] ^= 0x01;
        problem.clear();
        EXPECT_FALSE(ParseRemoteBlocks(bytes, problem)) << block << "+" << offset;
        EXPECT_FALSE(problem.empty()) << block << "+" << offset;
    }
}

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
    program.WriteCode("REMOTEBLK.BIN", BlockFile());
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

TEST(RemoteExtensionTest, HeldTailTakesEditsAndSwitchesFormsCleanly) {
    ProgramDocument program(kSizeA);
    program.WriteCode("REMOTEBLK.BIN", BlockFile());
    program.WriteCode("VOICE.BIN", {0x44});
    program.WriteCode("REMOTE.BIN", Bytes(8192, 0x5A));
    program.Set(0x1468D, 0x12345678, 4);
    program.Set(0x1D137, 0x0BADF00D, 4);
    test::ScriptedPrompter prompter;
    ASSERT_EQ(Choose(program, Build{}, prompter), ApplyResult::Applied);

    // Without a rebuild, the start code and the delay are written all the same.
    ProgramOptions options = ReadProgramOptions(program.document).options;
    EXPECT_TRUE(options.remoteSupportFixed && options.bluetoothChangeable);
    options.walkSteps = 4;
    options.startCode = 65536; // the highest the 16 bits of startCode - 1 hold
    options.syncStartDelay = 9;
    program.Set(0x41C000, 0x77); // no rebuild: the rest of the tail stays
    ASSERT_EQ(ApplyProgramOptions(program.document, options, prompter), ApplyResult::Applied);
    EXPECT_EQ(program.Get(0x41C762, 4), 0xFFFFu);
    EXPECT_EQ(program.Get(0x41CA78), 0xFFu);
    EXPECT_EQ(program.Get(0x41CA94), 9u);
    EXPECT_EQ(program.Get(0x41C000), 0x77u);

    // Switched to the remote connection form: a clean tail, and the program bytes back.
    ASSERT_EQ(Choose(program, Build{.bluetooth = false, .voicePlayback = false}, prompter, {}),
              ApplyResult::Applied);
    EXPECT_EQ(program.Get(0x41C000), 0u);
    EXPECT_EQ(program.Get(0x41C462, 2), 0u);
    EXPECT_EQ(program.Get(0x1468D, 4), 0x12345678u);
    EXPECT_EQ(program.Get(0x1D137, 4), 0x0BADF00Du);
    EXPECT_EQ(program.Get(0x41E000 + 8191), 0x5Au);
    EXPECT_EQ(program.Get(0x46B000), 0x83u);
}

// A held servo tail is no remote tail: remote support is asked for and takes the servo code in.
TEST(RemoteExtensionTest, ServoTailMakesWayForTheRemoteTail) {
    ProgramDocument program(kSizeA);
    program.WriteCode("REMOTEBLK.BIN", BlockFile());
    program.WriteCode("VOICE.BIN", {0x44});
    program.WriteCode("SERVO.BIN", Bytes(3000, 0x3C));
    program.document.imageTail.assign(3072, 0x99);
    EXPECT_FALSE(ReadProgramOptions(program.document).options.remoteSupport);
    test::ScriptedPrompter prompter;
    prompter.Expect(IDP_ENABLE_REMOTE, Answer::Yes);
    ProgramOptions options = ReadProgramOptions(program.document).options;
    options.walkSteps = 4;
    options.remoteSupport = options.servoParameters = true;
    ASSERT_EQ(ApplyProgramOptions(program.document, options, prompter), ApplyResult::Applied);
    ASSERT_EQ(program.document.imageTail.size(), kRemoteTail);
    EXPECT_EQ(program.Get(0xFDC, 4), 0x41A3F0u);
    EXPECT_EQ(program.Get(0x41A3F0), 0x82u);
    EXPECT_EQ(program.Get(0x41A400 + 2999), 0x3Cu); // room for 3,072 bytes in a remote tail
    EXPECT_EQ(program.Get(0x41A400 + 3000), 0u);
}

} // namespace
} // namespace orvix
