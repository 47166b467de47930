#include "cli/demo_card.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <span>

#include "calibration/servo_table.h"
#include "cli_runner.h"
#include "options/option_sites.h"
#include "storage/byte_order.h"

namespace orvix::test {
namespace {

using cli::MakeDemoImage;

std::vector<std::uint32_t> FindArmPatterns(const std::vector<std::uint8_t>& image) {
    std::vector<std::uint32_t> found;
    auto at = image.begin();
    while ((at = std::search(at, image.end(), kArmPattern.begin(), kArmPattern.end())) !=
           image.end()) {
        found.push_back(static_cast<std::uint32_t>(at - image.begin()));
        ++at;
    }
    return found;
}

std::array<int, 6> ColourRecord(const std::vector<std::uint8_t>& image, std::uint32_t address) {
    std::array<int, 6> values{};
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = *ReadI16(image, address + 2 * i);
    }
    return values;
}

std::array<int, 6> Twice(EyeColour colour) {
    return {colour.red, colour.green, colour.blue, colour.red, colour.green, colour.blue};
}

TEST(DemoCardTest, MakesACardOfEachLayoutWithStandardCalibration) {
    TempFolder temp;
    for (const auto& [layoutName, size, layoutB] :
         {std::tuple{"A", std::size_t{4'301'707}, false}, {"B", std::size_t{4'309'671}, true}}) {
        SCOPED_TRACE(layoutName);
        const auto folder = temp / (std::string("card") + layoutName + "/sub");
        const CliResult result =
            RunCommandLine(temp, {"demo", folder.string(), "--layout", layoutName});
        ASSERT_EQ(result.status, 0) << result.err;
        const std::vector<std::uint8_t> image = ReadBytes(folder / "STARTUP.BIN");
        ASSERT_EQ(image.size(), size);
        EXPECT_EQ(image[7600] == 23, layoutB);
        for (int k = 0; k < kServoCount; ++k) {
            EXPECT_EQ(*ReadI16(image, 276 + 70 * k),
                      kServoTable[static_cast<std::size_t>(k)].standard);
            EXPECT_EQ(*ReadI16(image, 276 + 70 * k + 2), -32767);
            EXPECT_EQ(*ReadI16(image, 276 + 70 * k + 4), 32767);
        }
        const std::string note = ReadText(folder / "DEMO.txt");
        EXPECT_NE(note.find("orvix2-cli"), std::string::npos);
        EXPECT_NE(note.find("合成データ"), std::string::npos);
        EXPECT_NE(note.find("synthetic"), std::string::npos);
    }
}

TEST(DemoCardTest, RefusesToReplaceAnExistingImage) {
    TempFolder temp;
    const std::vector<std::uint8_t> existing{1, 2, 3};
    WriteBytes(temp / "card/STARTUP.BIN", existing);
    const CliResult result = RunCommandLine(temp, {"demo", (temp / "card").string()});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("already exists"), std::string::npos) << result.err;
    EXPECT_EQ(ReadBytes(temp / "card/STARTUP.BIN"), existing);
    EXPECT_FALSE(std::filesystem::exists(temp / "card/DEMO.txt"));
}

TEST(DemoCardTest, IsTheSameEveryTime) {
    EXPECT_EQ(MakeDemoImage(Layout::A), MakeDemoImage(Layout::A));
}

// The options read back by the rules the program change dialog reads them with.
TEST(DemoCardTest, HoldsEveryOptionAtItsStandardValue) {
    for (const Layout layout : {Layout::A, Layout::B}) {
        SCOPED_TRACE(layout == Layout::A ? "A" : "B");
        const bool b = layout == Layout::B;
        const std::vector<std::uint8_t> image = MakeDemoImage(layout);
        EXPECT_EQ(image[0xFD2], 1);                                             // torque
        EXPECT_EQ(*ReadU32(image, b ? 0x5296 : 0x526E), b ? 0x5476u : 0x544Eu); // voltage
        EXPECT_EQ(image[b ? 0x32777 : 0x31EA7], 0xCA);                          // timeout
        EXPECT_EQ(image[b ? 0x3277B : 0x31EAB], 0x00);
        EXPECT_EQ(image[0xD6D], 0xD1); // face recognition
        EXPECT_EQ(*ReadU32(image, b ? 0x4F8A : 0x4F62), b ? 0x5271u : 0x5249u);
        EXPECT_EQ(image[b ? 0x3642 : 0x361A], 1); // face direction
        EXPECT_EQ(image[b ? 0x362C : 0x3604], 1);
        EXPECT_EQ(image[0x1A0B], 0xD1); // voice recognition
        EXPECT_EQ(image[b ? 0x74A6 : 0x747E], 0xD1);
        EXPECT_EQ(*ReadU32(image, 0xAF4), 0xADCu);
        EXPECT_EQ(*ReadU32(image, 0xB5A), 0xAE1u);
        for (const PerLayout& site : kVoiceRecognitionNineSites) {
            EXPECT_EQ(image[site.In(layout)], 0xD5) << std::hex << site.In(layout);
        }
        const std::int32_t steps = *ReadI32(image, b ? 0x163E85 : 0x16273C);
        EXPECT_GE(steps, 1);
        EXPECT_LE(steps, 9'999);
        EXPECT_EQ(*ReadI32(image, b ? 0x27152B : 0x26FD60), steps);
        EXPECT_EQ(*ReadU32(image, 0xFDC), 0x164Cu); // no servo parameter extension
        for (const PerLayout& record : kFirstColourRecords) {
            EXPECT_EQ(ColourRecord(image, record.In(layout)), Twice(kStandardOrange));
        }
        for (const PerLayout& record : kSecondColourRecords) {
            EXPECT_EQ(ColourRecord(image, record.In(layout)), Twice(kEnergySavingOrange));
        }
        EXPECT_EQ(ColourRecord(image, 0x1342), (std::array<int, 6>{175, 70, 0, 175, 70, 0}));
        EXPECT_NE(image[0xE45], 0xDB); // no arm angle change yet
        EXPECT_NE(image[b ? 0x709C : 0x7074], 0xDB);
    }
}

TEST(DemoCardTest, ArmPatternStandsOnlyAtTheDemoRecords) {
    for (const Layout layout : {Layout::A, Layout::B}) {
        SCOPED_TRACE(layout == Layout::A ? "A" : "B");
        std::vector<std::uint8_t> image = MakeDemoImage(layout);
        const std::vector<std::uint32_t> records = cli::DemoArmRecords(layout);
        EXPECT_EQ(FindArmPatterns(image), records);
        EXPECT_TRUE(std::ranges::any_of(records, [](auto p) { return p < 0x7000; }));
        EXPECT_TRUE(std::ranges::any_of(records, [](auto p) { return p >= 0x7000; }));
        for (const std::uint32_t p : records) {
            EXPECT_EQ(*ReadI16(image, p + 0x42), 300);
            EXPECT_EQ(*ReadI16(image, p + 0x4E), -300);
        }
        // The arm change and the shoulder limit raise the first value of the records to 475;
        // then the fixed marks read 0xDB, as they do in the robot's program.
        for (const std::uint32_t p : records) {
            WriteU16(image, p + 0x42, 475);
        }
        EXPECT_EQ(image[0xE45], 0xDB);
        EXPECT_EQ(image[layout == Layout::B ? 0x709C : 0x7074], 0xDB);
    }
}

} // namespace
} // namespace orvix::test
