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

// One place an option writes, as the robot's program documents it.
struct Site {
    std::uint32_t address;
    int width;
    std::uint32_t on;
    std::uint32_t off;
};

std::vector<Site> DocumentedSites(bool layoutB) {
    std::vector<Site> sites;
    if (!layoutB) {
        sites = {{0xFD2, 1, 1, 0},         {0x526E, 4, 0x544E, 0x52D2}, {0x31EA7, 1, 0xCA, 0xC4},
                 {0x31EAB, 1, 0x00, 0x40}, {0xD6D, 1, 0xD1, 0xD2},      {0x4F62, 4, 0x5249, 0x4F3D},
                 {0x361A, 1, 1, 0},        {0x3604, 1, 1, 0},           {0x747E, 1, 0xD1, 0xD5}};
        for (std::uint32_t a : {0x2E82u, 0x36E78u, 0x36F9Eu, 0x763F3u, 0x765AEu, 0xCBD3Eu, 0xCBF5Bu,
                                0x281F74u, 0x282191u}) {
            sites.push_back({a, 1, 0xD5, 0xD0});
        }
    } else {
        sites = {{0xFD2, 1, 1, 0},         {0x5296, 4, 0x5476, 0x52FA}, {0x32777, 1, 0xCA, 0xC4},
                 {0x3277B, 1, 0x00, 0x40}, {0xD6D, 1, 0xD1, 0xD2},      {0x4F8A, 4, 0x5271, 0x4F65},
                 {0x3642, 1, 1, 0},        {0x362C, 1, 1, 0},           {0x74A6, 1, 0xD1, 0xD5}};
        for (std::uint32_t a : {0x2EAAu, 0x385C1u, 0x386E7u, 0x77B3Cu, 0x77CF7u, 0xCD487u, 0xCD6A4u,
                                0x283E90u, 0x2840ADu}) {
            sites.push_back({a, 1, 0xD5, 0xD0});
        }
    }
    sites.push_back({0x1A0B, 1, 0xD1, 0xD5});
    sites.push_back({0xAF4, 4, 0xADC, 0x10CB});
    sites.push_back({0xB5A, 4, 0xAE1, 0xAE1});
    return sites;
}

void PutArmPattern(ProgramDocument& program, std::uint32_t p) {
    const std::uint8_t pattern[] = {0x90, 0x00, 0x0A, 0x00, 0x00, 0x80, 0x00};
    for (std::uint32_t i = 0; i < 7; ++i) {
        program.Set(p + i, pattern[i]);
    }
}

void SetSimpleOptions(ProgramOptions& options, bool on) {
    options.torqueOn = options.voiceRecognition = options.voltageMonitor = on;
    options.timeoutMonitor = options.faceRecognition = options.faceDirection = on;
}

// Every simple option site of both layouts, written on and off and read back.
TEST(ProgramOptionsTest, SimpleOptionsRoundTripAtTheirSitesInBothLayouts) {
    for (const bool layoutB : {false, true}) {
        ProgramDocument program(layoutB ? kSizeB : kSizeA, layoutB);
        const std::uint32_t walkSites[2][2] = {{0x16273C, 0x26FD60}, {0x163E85, 0x27152B}};
        for (const bool on : {true, false, true}) {
            test::ScriptedPrompter prompter;
            ReadOptionsResult read = ReadProgramOptions(program.document);
            ASSERT_TRUE(read.accepted);
            SetSimpleOptions(read.options, on);
            read.options.walkSteps = on ? 9999 : 1;
            ASSERT_EQ(ApplyProgramOptions(program.document, read.options, prompter),
                      ApplyResult::Applied);
            EXPECT_TRUE(program.document.valuesChanged);
            for (const Site& site : DocumentedSites(layoutB)) {
                EXPECT_EQ(program.Get(site.address, site.width), on ? site.on : site.off)
                    << std::hex << site.address << " layout B " << layoutB;
            }
            for (std::uint32_t site : walkSites[layoutB]) {
                EXPECT_EQ(program.Get(site, 4), on ? 9999u : 1u) << std::hex << site;
            }
            const ProgramOptions back = ReadProgramOptions(program.document).options;
            EXPECT_EQ(back.torqueOn, on);
            EXPECT_EQ(back.voiceRecognition, on);
            EXPECT_EQ(back.voltageMonitor, on);
            EXPECT_EQ(back.timeoutMonitor, on);
            EXPECT_EQ(back.faceRecognition, on);
            EXPECT_EQ(back.faceDirection, on);
            EXPECT_EQ(back.walkSteps, on ? 9999 : 1);
        }
        // Layout B has no servo parameter option: its hook stays as it was.
        EXPECT_EQ(program.Get(0xFDC, 4), 0x164Cu);
    }
}

TEST(ProgramOptionsTest, RefusedBeforeAnythingIsWritten) {
    struct Case {
        std::int32_t walkSteps;
        bool armChange;
        std::vector<std::pair<int, Answer>> questions;
        ApplyResult result;
    };
    const Case cases[] = {
        {0, false, {{IDP_WALK_STEPS_RANGE, Answer::Ok}}, ApplyResult::WalkStepsRefused},
        {10000, false, {{IDP_WALK_STEPS_RANGE, Answer::Ok}}, ApplyResult::WalkStepsRefused},
        {5, true, {{IDP_CHANGE_ARM_ANGLE, Answer::No}}, ApplyResult::ArmRefused},
    };
    for (const Case& c : cases) {
        ProgramDocument program(kSizeA);
        PutArmPattern(program, 0x100);
        const auto before = program.document.image;
        test::ScriptedPrompter prompter;
        for (const auto& [id, answer] : c.questions) {
            prompter.Expect(id, answer);
        }
        ProgramOptions options = ReadProgramOptions(program.document).options;
        SetSimpleOptions(options, true);
        options.walkSteps = c.walkSteps;
        options.armAngleChange = c.armChange;
        options.shoulderLimit = c.armChange;
        EXPECT_EQ(ApplyProgramOptions(program.document, options, prompter), c.result);
        EXPECT_TRUE(program.document.image == before) << c.walkSteps;
        EXPECT_FALSE(program.document.valuesChanged);
        EXPECT_FALSE(options.armAngleChange || options.shoulderLimit);
    }
}

TEST(ProgramOptionsTest, ShortImagesAreRefusedAndReadAsZeroBeyondTheirEnd) {
    struct Case {
        std::size_t size;
        bool layoutB;
        bool accepted;
    };
    const Case cases[] = {{kSizeA - 1, false, false},
                          {kSizeA, false, true},
                          {kSizeB - 1, true, false}, // layout B's program is longer
                          {0x1000, false, false}};
    for (const Case& c : cases) {
        ProgramDocument program(c.size, c.layoutB);
        program.Set(0xFD2, 1);
        program.document.programChanged = true;
        const ReadOptionsResult read = ReadProgramOptions(program.document);
        EXPECT_EQ(read.accepted, c.accepted) << c.size;
        EXPECT_TRUE(read.options.torqueOn); // read before the refusal all the same
        EXPECT_FALSE(program.document.programChanged);
        if (c.size == 0x1000) {
            EXPECT_EQ(read.options.walkSteps, 0);
            EXPECT_FALSE(read.options.voltageMonitor);
        }
        ProgramOptions options = read.options;
        options.walkSteps = 4;
        test::ScriptedPrompter prompter;
        if (!c.accepted) {
            const auto before = program.document.image;
            EXPECT_EQ(ApplyProgramOptions(program.document, options, prompter),
                      ApplyResult::WrongProgram);
            SetStandardEyeColour(program.document, false, false);
            EXPECT_TRUE(program.document.image == before);
        }
    }
}

// --- eye colour --------------------------------------------------------------------------------

struct Rgb3 {
    int r, g, b;
};

void ExpectRecords(const ProgramDocument& program, const std::vector<std::uint32_t>& records,
                   Rgb3 colour) {
    for (std::uint32_t record : records) {
        for (int i = 0; i < 6; ++i) {
            const int channel = i % 3 == 0 ? colour.r : i % 3 == 1 ? colour.g : colour.b;
            EXPECT_EQ(static_cast<std::int16_t>(program.Get(record + 2u * i, 2)), channel)
                << std::hex << record << " value " << i;
        }
    }
}

const std::vector<std::uint32_t> kFirstA{0x1342, 0x139A, 0x1524, 0x1577, 0x1FAA, 0x448D, 0x4617,
                                         0x49F5, 0x4B8E, 0x4BFA, 0x4C7D, 0x4CE9, 0x4F09};
const std::vector<std::uint32_t> kFirstB{0x1342, 0x139A, 0x1524, 0x1577, 0x1FD2, 0x44B5, 0x463F,
                                         0x4A1D, 0x4BB6, 0x4C22, 0x4CA5, 0x4D11, 0x4F31};
const std::vector<std::uint32_t> kSecondA{0xE79, 0xF11, 0xFA9, 0x4E5D};
const std::vector<std::uint32_t> kSecondB{0xE79, 0xF11, 0xFA9, 0x4E85};

TEST(ProgramOptionsTest, StandardEyeColoursAndTheirReading) {
    struct Case {
        bool layoutB, energySaving, noBlink;
        Rgb3 first, second;
        bool readStandard, readEnergySaving;
    };
    const Case cases[] = {
        {false, false, false, {175, 70, 0}, {90, 35, 0}, true, false},
        {false, true, false, {90, 35, 0}, {45, 17, 0}, true, true},
        {true, true, true, {90, 35, 0}, {90, 35, 0}, true, true},
        {true, false, true, {175, 70, 0}, {175, 70, 0}, true, false},
    };
    for (const Case& c : cases) {
        ProgramDocument program(c.layoutB ? kSizeB : kSizeA, c.layoutB);
        SetStandardEyeColour(program.document, c.energySaving, c.noBlink);
        ExpectRecords(program, c.layoutB ? kFirstB : kFirstA, c.first);
        ExpectRecords(program, c.layoutB ? kSecondB : kSecondA, c.second);
        const ProgramOptions read = ReadProgramOptions(program.document).options;
        EXPECT_EQ(read.standardColour, c.readStandard);
        EXPECT_EQ(read.energySaving, c.readEnergySaving);
        EXPECT_EQ(read.noBlink, c.noBlink);
    }
    // Red 175 alone is no standard orange.
    ProgramDocument program(kSizeA);
    SetStandardEyeColour(program.document, false, false);
    program.Set(0x1342 + 2, 71, 2);
    EXPECT_FALSE(ReadProgramOptions(program.document).options.standardColour);
}

TEST(ProgramOptionsTest, ChosenEyeColour) {
    ProgramDocument program(kSizeA);
    SetStandardEyeColour(program.document, true, true); // (90, 35, 0) is stored
    test::ScriptedPrompter prompter;
    prompter.ExpectColour(ui::Rgb{200, 100, 50}).ExpectColour(std::nullopt);
    EXPECT_TRUE(ChooseEyeColour(program.document, prompter, true, false));
    ASSERT_EQ(prompter.ColourRequests().size(), 1u);
    EXPECT_EQ(prompter.ColourRequests()[0], (ui::Rgb{180, 70, 0})); // doubled for the chooser
    ExpectRecords(program, kFirstA, {100, 50, 25});
    ExpectRecords(program, kSecondA, {50, 25, 12});
    const auto before = program.document.image;
    EXPECT_FALSE(ChooseEyeColour(program.document, prompter, false, true));
    EXPECT_EQ(prompter.ColourRequests()[1], (ui::Rgb{200, 100, 50}));
    EXPECT_TRUE(program.document.image == before);
}

// --- arm movement records --------------------------------------------------------------------

std::vector<int> ArmValues(const ProgramDocument& program, std::uint32_t p) {
    std::vector<int> values;
    for (std::uint32_t offset : {0x42u, 0x46u, 0x4Au, 0x4Eu, 0x52u, 0x56u}) {
        values.push_back(static_cast<std::int16_t>(program.Get(p + offset, 2)));
    }
    return values;
}

TEST(ProgramOptionsTest, ArmChangeAndShoulderLimitScanTheirRecords) {
    ProgramDocument program(kSizeA);
    const std::vector<int> idle{475, 125, 10, -475, -125, -10};
    const std::vector<int> untouched{0, 0, 0, 0, 0, 0};
    PutArmPattern(program, 0x200);
    PutArmPattern(program, 0x200 + 0x85); // inside the stride of the first: not patched
    PutArmPattern(program, 0x6FFF);       // the last place of the idle records
    PutArmPattern(program, 0x7100);       // a shoulder record
    program.Set(0x7100 + 0x42, 500, 2);   // already above the limit: kept
    program.Set(0x7100 + 0x4E, static_cast<std::uint32_t>(-100), 2);
    PutArmPattern(program, 0x9000);
    program.Set(0x9000 + 0x46, 33, 2);     // not one of the two limited values
    PutArmPattern(program, kSizeA - 0x40); // its values would lie beyond the end
    const auto tailBytes = program.Bytes(kSizeA - 0x40, 0x40);

    test::ScriptedPrompter prompter;
    prompter.Expect(IDP_CHANGE_ARM_ANGLE, Answer::Yes);
    ProgramOptions options = ReadProgramOptions(program.document).options;
    options.walkSteps = 2;
    options.armAngleChange = true;
    options.shoulderLimit = true;
    ASSERT_EQ(ApplyProgramOptions(program.document, options, prompter), ApplyResult::Applied);
    EXPECT_EQ(ArmValues(program, 0x200), idle);
    EXPECT_EQ(ArmValues(program, 0x285), untouched);
    EXPECT_EQ(ArmValues(program, 0x6FFF), idle);
    EXPECT_EQ(ArmValues(program, 0x7100), (std::vector<int>{500, 0, 0, -475, 0, 0}));
    EXPECT_EQ(ArmValues(program, 0x9000), (std::vector<int>{475, 33, 0, -475, 0, 0}));
    EXPECT_EQ(program.Bytes(kSizeA - 0x40, 0x40), tailBytes);

    // The records of this image bear the marks of both changes now.
    program.Set(0xE45, 0xDB);
    const ProgramOptions read = ReadProgramOptions(program.document).options;
    EXPECT_TRUE(read.armAngleFixed && read.armAngleChange);
    EXPECT_EQ(read.shoulderLimitFixed, false); // 0x7074 is not patched in this image
    program.Set(0x7074, 0xDB);
    EXPECT_TRUE(ReadProgramOptions(program.document).options.shoulderLimitFixed);
}

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
        const ApplyResult result = ApplyProgramOptions(program.document, options, prompter);
        EXPECT_EQ(result,
                  answer == Answer::Yes ? ApplyResult::Applied : ApplyResult::ShoulderRefused);
        EXPECT_EQ(options.shoulderLimit, answer == Answer::Yes);
        EXPECT_EQ(ArmValues(program, 0x300)[0], 0); // the idle records are left alone
        EXPECT_EQ(ArmValues(program, 0x8000)[0], answer == Answer::Yes ? 475 : 0);
    }
}

} // namespace
} // namespace orvix
