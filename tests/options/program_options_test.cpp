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

// One place an option writes, as the robot's program documents it: address, width, on, off.
struct Site {
    std::uint32_t address;
    int width;
    std::uint32_t on, off;
};

std::vector<Site> DocumentedSites(bool b) {
    std::vector<Site> sites{
        {0xFD2, 1, 1, 0},
        {b ? 0x5296u : 0x526Eu, 4, b ? 0x5476u : 0x544Eu, b ? 0x52FAu : 0x52D2u},
        {b ? 0x32777u : 0x31EA7u, 1, 0xCA, 0xC4},
        {b ? 0x3277Bu : 0x31EABu, 1, 0x00, 0x40},
        {0xD6D, 1, 0xD1, 0xD2},
        {b ? 0x4F8Au : 0x4F62u, 4, b ? 0x5271u : 0x5249u, b ? 0x4F65u : 0x4F3Du},
        {b ? 0x3642u : 0x361Au, 1, 1, 0},
        {b ? 0x362Cu : 0x3604u, 1, 1, 0},
        {0x1A0B, 1, 0xD1, 0xD5},
        {b ? 0x74A6u : 0x747Eu, 1, 0xD1, 0xD5},
        {0xAF4, 4, 0xADC, 0x10CB},
        {0xB5A, 4, 0xAE1, 0xAE1}};
    const std::uint32_t nine[2][9] = {
        {0x2E82, 0x36E78, 0x36F9E, 0x763F3, 0x765AE, 0xCBD3E, 0xCBF5B, 0x281F74, 0x282191},
        {0x2EAA, 0x385C1, 0x386E7, 0x77B3C, 0x77CF7, 0xCD487, 0xCD6A4, 0x283E90, 0x2840AD}};
    for (std::uint32_t address : nine[b]) {
        sites.push_back({address, 1, 0xD5, 0xD0});
    }
    return sites;
}

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

// Every simple option site of both layouts, written on and off and read back.
TEST(ProgramOptionsTest, SimpleOptionsRoundTripAtTheirSitesInBothLayouts) {
    for (const bool layoutB : {false, true}) {
        ProgramDocument program(layoutB ? kSizeB : kSizeA, layoutB);
        const std::uint32_t walkSites[2][2] = {{0x16273C, 0x26FD60}, {0x163E85, 0x27152B}};
        for (const bool on : {true, false, true}) {
            test::ScriptedPrompter prompter;
            ProgramOptions options = ReadProgramOptions(program.document).options;
            options.torqueOn = options.voiceRecognition = options.voltageMonitor = on;
            options.timeoutMonitor = options.faceRecognition = options.faceDirection = on;
            options.walkSteps = on ? 9999 : 1;
            ASSERT_EQ(ApplyProgramOptions(program.document, options, prompter),
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
            EXPECT_EQ(
                std::vector<bool>({back.torqueOn, back.voiceRecognition, back.voltageMonitor,
                                   back.timeoutMonitor, back.faceRecognition, back.faceDirection}),
                std::vector<bool>(6, on));
            EXPECT_EQ(back.walkSteps, on ? 9999 : 1);
        }
        EXPECT_EQ(program.Get(0xFDC, 4), 0x164Cu); // no servo option in layout B, off in A
    }
}

// Refusals come before the first write: the image is as it was.
TEST(ProgramOptionsTest, RefusalsWriteNothing) {
    struct Case {
        std::size_t size;
        bool layoutB;
        std::int32_t walkSteps;
        int question; // answered No (OK for a message)
        ApplyResult result;
    };
    const Case cases[] = {
        {kSizeA, false, 0, IDP_WALK_STEPS_RANGE, ApplyResult::WalkStepsRefused},
        {kSizeA, false, 10000, IDP_WALK_STEPS_RANGE, ApplyResult::WalkStepsRefused},
        {kSizeA, false, 5, IDP_CHANGE_ARM_ANGLE, ApplyResult::ArmRefused},
        {kSizeA - 1, false, 5, 0, ApplyResult::WrongProgram},
        {kSizeB - 1, true, 5, 0, ApplyResult::WrongProgram}, // layout B's program is longer
    };
    for (const Case& c : cases) {
        ProgramDocument program(c.size, c.layoutB);
        PutArmPattern(program, 0x100);
        program.Set(0xFD2, 1);
        program.document.programChanged = true;
        const ReadOptionsResult read = ReadProgramOptions(program.document);
        EXPECT_EQ(read.accepted, c.question != 0);
        EXPECT_TRUE(read.options.torqueOn); // read before a refusal all the same
        EXPECT_FALSE(program.document.programChanged);
        const auto before = program.document.image;
        test::ScriptedPrompter prompter;
        if (c.question != 0) {
            prompter.Expect(c.question,
                            c.question == IDP_CHANGE_ARM_ANGLE ? Answer::No : Answer::Ok);
        }
        ProgramOptions options = read.options;
        options.torqueOn = false;
        options.walkSteps = c.walkSteps;
        options.armAngleChange = options.shoulderLimit = true;
        EXPECT_EQ(ApplyProgramOptions(program.document, options, prompter), c.result);
        if (c.question == 0) {
            SetStandardEyeColour(program.document, false, false); // refused with the image
        }
        EXPECT_TRUE(program.document.image == before) << c.size;
        EXPECT_FALSE(program.document.valuesChanged);
    }
}

// --- eye colour --------------------------------------------------------------------------------

struct Rgb3 {
    int r, g, b;
};

void ExpectRecords(const ProgramDocument& program, bool layoutB, Rgb3 first, Rgb3 second) {
    const std::vector<std::uint32_t> firstA{0x1342, 0x139A, 0x1524, 0x1577, 0x1FAA, 0x448D, 0x4617,
                                            0x49F5, 0x4B8E, 0x4BFA, 0x4C7D, 0x4CE9, 0x4F09};
    const std::vector<std::uint32_t> firstB{0x1342, 0x139A, 0x1524, 0x1577, 0x1FD2, 0x44B5, 0x463F,
                                            0x4A1D, 0x4BB6, 0x4C22, 0x4CA5, 0x4D11, 0x4F31};
    const std::vector<std::uint32_t> secondA{0xE79, 0xF11, 0xFA9, 0x4E5D};
    const std::vector<std::uint32_t> secondB{0xE79, 0xF11, 0xFA9, 0x4E85};
    for (const bool ofFirst : {true, false}) {
        const Rgb3 c = ofFirst ? first : second;
        for (std::uint32_t record :
             ofFirst ? (layoutB ? firstB : firstA) : (layoutB ? secondB : secondA)) {
            for (std::uint32_t i = 0; i < 6; ++i) {
                const int channel = i % 3 == 0 ? c.r : i % 3 == 1 ? c.g : c.b;
                EXPECT_EQ(static_cast<std::int16_t>(program.Get(record + 2 * i, 2)), channel)
                    << std::hex << record << " value " << i;
            }
        }
    }
}

TEST(ProgramOptionsTest, EyeColours) {
    struct Case {
        bool layoutB, energySaving, noBlink;
        Rgb3 first, second;
    };
    const Case cases[] = {
        {false, false, false, {175, 70, 0}, {90, 35, 0}},
        {false, true, false, {90, 35, 0}, {45, 17, 0}},
        {true, true, true, {90, 35, 0}, {90, 35, 0}},
        {true, false, true, {175, 70, 0}, {175, 70, 0}},
    };
    for (const Case& c : cases) {
        ProgramDocument program(c.layoutB ? kSizeB : kSizeA, c.layoutB);
        SetStandardEyeColour(program.document, c.energySaving, c.noBlink);
        ExpectRecords(program, c.layoutB, c.first, c.second);
        const ProgramOptions read = ReadProgramOptions(program.document).options;
        EXPECT_TRUE(read.standardColour);
        EXPECT_EQ(read.energySaving, c.energySaving);
        EXPECT_EQ(read.noBlink, c.noBlink);
    }

    ProgramDocument program(kSizeA);
    SetStandardEyeColour(program.document, true, true); // (90, 35, 0) is stored
    test::ScriptedPrompter prompter;
    prompter.ExpectColour(ui::Rgb{200, 100, 50}).ExpectColour(std::nullopt);
    EXPECT_TRUE(ChooseEyeColour(program.document, prompter, true, false));
    EXPECT_EQ(prompter.ColourRequests()[0], (ui::Rgb{180, 70, 0})); // doubled for the chooser
    ExpectRecords(program, false, {100, 50, 25}, {50, 25, 12});
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

} // namespace
} // namespace orvix
