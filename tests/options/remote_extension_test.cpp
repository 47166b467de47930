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
using test::kSizeRemote;
using test::ProgramDocument;
using ui::Answer;

// Where each block starts in REMOTEBLK.BIN: remote blocks 0 to 5, then Bluetooth blocks 0 to 5.
constexpr std::size_t kRemoteAt[6] = {0, 245, 422, 582, 742, 902};
constexpr std::size_t kBluetoothAt[6] = {1118, 1350, 1532, 1657, 1782, 1907};

// A block file that passes the checks, with a distinct byte near the end of every block so that
// a block copied from the wrong place shows.
std::vector<std::uint8_t> BlockFile() {
    std::vector<std::uint8_t> bytes = SyntheticRemoteBlocks();
    for (std::size_t k = 0; k < 6; ++k) {
        bytes[kRemoteAt[k] + 0x70] = static_cast<std::uint8_t>(0xA0 + k);
        bytes[kBluetoothAt[k] + 0x70] = static_cast<std::uint8_t>(0xB0 + k);
    }
    return bytes;
}

TEST(RemoteBlocksTest, FileIsCheckedBeforeUse) {
    std::string problem;
    ASSERT_TRUE(ParseRemoteBlocks(BlockFile(), problem)) << problem;
    struct Fault {
        const char* what;
        std::size_t at; // a byte changed; SIZE_MAX cuts the file short
    };
    const Fault faults[] = {
        {"one byte short", SIZE_MAX},
        {"remote block 0's first byte", kRemoteAt[0]},
        {"remote block 4's sixteenth byte", kRemoteAt[4] + 15},
        {"remote block 5's first byte", kRemoteAt[5]},
        {"Bluetooth block 0's first byte", kBluetoothAt[0]},
        {"Bluetooth block 5's first byte", kBluetoothAt[5]},
        {"Bluetooth block 2's start code", kBluetoothAt[2] + 0x62},
        {"Bluetooth block 5's start code", kBluetoothAt[5] + 0x79},
        {"the 0x88 before Bluetooth block 5's delay", kBluetoothAt[5] + 0x93},
        {"Bluetooth block 5's delay", kBluetoothAt[5] + 0x94},
        {"the 0x88 before remote block 5's delay", kRemoteAt[5] + 0xD1},
        {"remote block 5's delay", kRemoteAt[5] + 0xD2},
    };
    for (const Fault& fault : faults) {
        std::vector<std::uint8_t> bytes = BlockFile();
        if (fault.at == SIZE_MAX) {
            bytes.pop_back();
        } else {
            bytes[fault.at] ^= 0x01;
        }
        problem.clear();
        EXPECT_FALSE(ParseRemoteBlocks(bytes, problem)) << fault.what;
        EXPECT_FALSE(problem.empty()) << fault.what;
    }
}

struct Build {
    bool layoutB = false;
    bool bluetooth = true;
    std::int32_t startCode = 1154;
    std::int32_t delay = 0;
    bool remoteConnection = true;
    bool voicePlayback = true;
};

class RemoteExtensionTest : public ::testing::Test {
protected:
    // Chooses remote support on a fresh program and answers message 148 with Yes.
    ApplyResult Choose(ProgramDocument& program, const Build& build,
                       std::vector<int> messages = {IDP_ENABLE_REMOTE}) {
        test::ScriptedPrompter prompter;
        for (int id : messages) {
            prompter.Expect(id, id == IDP_ENABLE_REMOTE || id == IDP_PROGRAMS_ADDED ? Answer::Yes
                                                                                    : Answer::Ok);
        }
        ReadOptionsResult read = ReadProgramOptions(program.document);
        EXPECT_TRUE(read.accepted);
        ProgramOptions& options = read.options;
        options.walkSteps = 4;
        options.remoteSupport = true;
        options.bluetooth = build.bluetooth;
        options.startCode = build.startCode;
        options.syncStartDelay = build.delay;
        options.remoteConnection = build.remoteConnection;
        options.voicePlayback = build.voicePlayback;
        program.document.programChanged = true; // a remote control was clicked
        lastDetail.clear();
        const ApplyResult result = ApplyProgramOptions(program.document, options, prompter);
        if (!prompter.Messages().empty()) {
            lastDetail = prompter.Messages().back().detail;
        }
        lastOptions = options;
        return result;
    }

    std::string lastDetail;
    ProgramOptions lastOptions;
};

TEST_F(RemoteExtensionTest, BluetoothFormInLayoutA) {
    ProgramDocument program(kSizeA);
    program.WriteCode("REMOTEBLK.BIN", BlockFile());
    program.WriteCode("VOICE.BIN", {0x11, 0x22});
    ASSERT_EQ(Choose(program, Build{.startCode = 2000, .delay = 300}), ApplyResult::Applied);
    EXPECT_EQ(program.document.ImageSize(), kSizeA);
    ASSERT_EQ(program.document.imageTail.size(), kRemoteTail);
    for (std::uint32_t k = 0; k < 5; ++k) {
        EXPECT_EQ(program.Get(0x41C462 + 0x100 * k, 4), 0x07CFu) << k; // 2000 - 1
        EXPECT_EQ(program.Get(0x41C400 + 0x100 * k + 0x70), 0xB0 + k);
    }
    EXPECT_EQ(program.Get(0x41CA70), 0xB5u);
    EXPECT_EQ(program.Get(0x41CA78), 0xCFu);
    EXPECT_EQ(program.Get(0x41CA94), 255u); // 300 is stored as 255
    EXPECT_EQ(program.Get(0x41E000), 0u);
    EXPECT_EQ(program.Get(0x420000), 0x83u);
    EXPECT_EQ(program.Bytes(0x46B000, 3), (std::vector<std::uint8_t>{0x11, 0x22, 0}));
    EXPECT_EQ(program.Bytes(0x41C8A0, 29),
              (std::vector<std::uint8_t>{0xC0, 0xC9, 0x5C, 0x0E, 0x00, 0x00, 0xCD, 0xF2, 0x0E, 0x00,
                                         0x00, 0x88, 0x01, 0xC0, 0xC9, 0xF2, 0x0E, 0x00, 0x00, 0xCD,
                                         0x5C, 0x0E, 0x00, 0x00, 0x81, 0x1A, 0x3F, 0x28, 0x00}));
    const std::pair<std::uint32_t, std::uint32_t> hooks[] = {
        {0xC84, 0x41C400},   {0x3713C, 0x41C500},  {0x763F6, 0x41C600},
        {0xCBD41, 0x41C700}, {0x281F77, 0x41C800}, {0x283D93, 0x41C8A0},
        {0x1D137, 0x1D0D8},  {0x175F97, 0x175FD7}, {0x1468D, 0xC0C0C0C0}};
    for (const auto& [site, value] : hooks) {
        EXPECT_EQ(program.Get(site, 4), value) << std::hex << site;
    }
    EXPECT_EQ(program.Get(0x14691), 0xC0u);

    // Saved and loaded again, the extension is part of the image and its form is fixed.
    program.document.image.insert(program.document.image.end(), program.document.imageTail.begin(),
                                  program.document.imageTail.end());
    program.document.imageTail.clear();
    EXPECT_EQ(program.document.ImageSize(), kSizeRemote);
    program.Set(0x41C4F0, 0x88); // a patch file's sync receive marker
    const ProgramOptions read = ReadProgramOptions(program.document).options;
    EXPECT_TRUE(read.remoteSupport && read.remoteSupportFixed && read.bluetooth);
    EXPECT_FALSE(read.bluetoothChangeable);
    EXPECT_FALSE(read.remoteConnection);
    EXPECT_TRUE(read.voicePlayback);
    EXPECT_TRUE(read.syncReceive);
    EXPECT_EQ(read.startCode, 2000);
    EXPECT_EQ(read.syncStartDelay, 255);
}

TEST_F(RemoteExtensionTest, RemoteConnectionFormInLayoutB) {
    ProgramDocument program(kSizeB, true);
    program.WriteCode("REMOTEBLK.BIN", BlockFile());
    program.WriteCode("REMOTE.BIN", std::vector<std::uint8_t>(8192, 0x5A));
    ASSERT_EQ(Choose(program, Build{.layoutB = true, .bluetooth = false, .delay = -5},
                     {IDP_ENABLE_REMOTE, IDP_CODE_FILE_READ_FAILED}), // no VOICE.BIN
              ApplyResult::Applied);
    EXPECT_NE(lastDetail.find("VOICE.BIN"), std::string::npos);
    EXPECT_EQ(program.document.ImageSize(), kSizeB);
    EXPECT_EQ(program.Get(0x38885, 4), 0x41C500u); // layout B's hook of block 1
    EXPECT_EQ(program.Get(0x283E93, 4), 0x41C800u);
    EXPECT_EQ(program.Get(0x41C563, 4), 0x1749u); // raised from the block's zero
    EXPECT_EQ(program.Get(0x41C89C, 4), 0x1F1Cu);
    EXPECT_EQ(program.Get(0x41C519, 4), 0u); // a Bluetooth place: not raised
    EXPECT_EQ(program.Get(0x41C400), 0x90u);
    EXPECT_EQ(program.Get(0x41CA70), 0xA5u);
    EXPECT_EQ(program.Get(0x41CAD2), 0u); // -5 is stored as 0
    EXPECT_EQ(program.Get(0x41E000 + 8191), 0x5Au);
    EXPECT_EQ(program.Get(0x420000), 0x83u);
    EXPECT_EQ(program.Get(0x46B000), 0x83u);
    EXPECT_EQ(program.Get(0x14F5D), 0u); // the Bluetooth form's program bytes are not changed
}

TEST_F(RemoteExtensionTest, CodeThatIsMissingOrTooLongKeepsItsPlaceEmpty) {
    ProgramDocument program(kSizeA);
    program.WriteCode("REMOTEBLK.BIN", BlockFile());
    program.WriteCode("REMOTE.BIN", std::vector<std::uint8_t>(8193, 0x5A));
    program.WriteCode("VOICE.BIN", std::vector<std::uint8_t>(98305, 0x5A));
    ASSERT_EQ(Choose(program, Build{.bluetooth = false, .delay = 20},
                     {IDP_ENABLE_REMOTE, IDP_CODE_FILE_READ_FAILED, IDP_CODE_FILE_READ_FAILED}),
              ApplyResult::Applied);
    EXPECT_EQ(program.Get(0x41E000), 0x83u);
    EXPECT_EQ(program.Get(0x41E001), 0u);
    EXPECT_EQ(program.Get(0x46B000), 0x83u);
    EXPECT_EQ(program.Get(0x41CAD2), 20u);
}

TEST_F(RemoteExtensionTest, UnusableBlocksRefuseBeforeAnythingIsWritten) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> file; // empty: no file
    };
    std::vector<std::uint8_t> wrong = BlockFile();
    wrong[kBluetoothAt[3]] = 0;
    const Case cases[] = {{"missing", {}}, {"a wrong block", wrong}};
    for (const Case& c : cases) {
        ProgramDocument program(kSizeA);
        if (!c.file.empty()) {
            program.WriteCode("REMOTEBLK.BIN", c.file);
        }
        const auto before = program.document.image;
        EXPECT_EQ(Choose(program, Build{}, {IDP_ENABLE_REMOTE, IDP_CODE_FILE_READ_FAILED}),
                  ApplyResult::RemoteRefused)
            << c.what;
        EXPECT_NE(lastDetail.find("REMOTEBLK.BIN"), std::string::npos) << c.what;
        EXPECT_TRUE(program.document.image == before) << c.what;
        EXPECT_TRUE(program.document.imageTail.empty()) << c.what;
        EXPECT_FALSE(lastOptions.remoteSupport || lastOptions.bluetooth) << c.what;
    }
}

// Programs added after the base program: message 166 comes before anything changes.
TEST_F(RemoteExtensionTest, AddedProgramsAreAskedAboutFirst) {
    for (const Answer answer : {Answer::No, Answer::Cancel, Answer::Yes}) {
        ProgramDocument program(test::kSizeServo);
        program.WriteCode("REMOTEBLK.BIN", BlockFile());
        program.Set(0x1A0B, 0xD1); // voice recognition on: turning it off points at the extension
        const auto before = program.document.image;
        test::ScriptedPrompter prompter;
        prompter.Expect(IDP_PROGRAMS_ADDED, answer);
        if (answer == Answer::Yes) {
            prompter.Expect(IDP_CODE_FILE_READ_FAILED); // no VOICE.BIN
        }
        ProgramOptions options = ReadProgramOptions(program.document).options;
        options.walkSteps = 4;
        options.remoteSupport = true;
        options.voiceRecognition = false;
        program.document.programChanged = true;
        const ApplyResult result = ApplyProgramOptions(program.document, options, prompter);
        EXPECT_EQ(prompter.Messages()[0].defaultAnswer, Answer::No);
        if (answer == Answer::Yes) {
            EXPECT_EQ(result, ApplyResult::Applied);
            EXPECT_EQ(program.document.ImageSize(), kSizeA);
            EXPECT_EQ(program.document.imageTail.size(), kRemoteTail);
            EXPECT_EQ(program.Get(0xAF4, 4), 0x41C400u);
            EXPECT_EQ(program.Get(0xB5A, 4), 0x41C400u);
        } else {
            EXPECT_EQ(result,
                      answer == Answer::No ? ApplyResult::CloseRequested : ApplyResult::Cancelled);
            EXPECT_TRUE(program.document.image == before);
        }
    }
}

TEST_F(RemoteExtensionTest, HeldTailTakesEditsAndSwitchesFormsCleanly) {
    ProgramDocument program(kSizeA);
    program.WriteCode("REMOTEBLK.BIN", BlockFile());
    program.WriteCode("VOICE.BIN", {0x44});
    program.Set(0x1468D, 0x12345678, 4);
    program.Set(0x1D137, 0x0BADF00D, 4);
    ASSERT_EQ(Choose(program, Build{}), ApplyResult::Applied);

    // Without a rebuild, the start code and the delay are written all the same.
    test::ScriptedPrompter prompter;
    ProgramOptions options = ReadProgramOptions(program.document).options;
    EXPECT_TRUE(options.remoteSupportFixed && options.bluetoothChangeable);
    options.walkSteps = 4;
    options.startCode = 300;
    options.syncStartDelay = 9;
    program.Set(0x41C000, 0x77); // no rebuild: the rest of the tail stays
    ASSERT_EQ(ApplyProgramOptions(program.document, options, prompter), ApplyResult::Applied);
    EXPECT_EQ(program.Get(0x41C762, 2), 299u);
    EXPECT_EQ(program.Get(0x41CA78), 299u & 0xFF);
    EXPECT_EQ(program.Get(0x41CA94), 9u);
    EXPECT_EQ(program.Get(0x41C000), 0x77u);

    // Switched to the remote connection form: a clean tail, and the program bytes back.
    ASSERT_EQ(Choose(program, Build{.bluetooth = false, .remoteConnection = false, .voicePlayback = false}, {}),
              ApplyResult::Applied);
    EXPECT_EQ(program.Get(0x41C000), 0u);
    EXPECT_EQ(program.Get(0x41C462, 2), 0u);
    EXPECT_EQ(program.Get(0x1468D, 4), 0x12345678u);
    EXPECT_EQ(program.Get(0x1D137, 4), 0x0BADF00Du);
    EXPECT_EQ(program.Get(0x46B000), 0x83u);
}

// A held servo tail is no remote tail: remote support is asked for and takes the servo code in.
TEST_F(RemoteExtensionTest, ServoTailMakesWayForTheRemoteTail) {
    ProgramDocument program(kSizeA);
    program.WriteCode("REMOTEBLK.BIN", BlockFile());
    program.WriteCode("VOICE.BIN", {0x44});
    program.WriteCode("SERVO.BIN", std::vector<std::uint8_t>(3000, 0x3C));
    program.Set(0xFDC, 0x164C, 4);
    program.document.imageTail.assign(3072, 0x99);
    EXPECT_FALSE(ReadProgramOptions(program.document).options.remoteSupport);
    test::ScriptedPrompter prompter;
    prompter.Expect(IDP_ENABLE_REMOTE, Answer::Yes);
    ProgramOptions options = ReadProgramOptions(program.document).options;
    options.walkSteps = 4;
    options.remoteSupport = true;
    options.servoParameters = true;
    ASSERT_EQ(ApplyProgramOptions(program.document, options, prompter), ApplyResult::Applied);
    ASSERT_EQ(program.document.imageTail.size(), kRemoteTail);
    EXPECT_EQ(program.Get(0xFDC, 4), 0x41A3F0u);
    EXPECT_EQ(program.Get(0x41A3F0), 0x82u);
    EXPECT_EQ(program.Get(0x41A400 + 2999), 0x3Cu); // room for 3,072 bytes in a remote tail
    EXPECT_EQ(program.Get(0x41A400 + 3000), 0u);
}

} // namespace
} // namespace orvix
