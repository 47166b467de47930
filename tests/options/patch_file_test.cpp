#include "options/patch_file.h"

#include <gtest/gtest.h>
#include <string>

namespace orvix {
namespace {

// An image of 2,000 bytes, byte i holding i mod 256.
std::vector<std::uint8_t> Image() {
    std::vector<std::uint8_t> image(2000);
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(i);
    }
    return image;
}

TEST(PatchFileTest, EntriesApplyInFileOrderAndCount) {
    struct Case {
        std::string text;
        int applied;
        int already;
        bool calibration;
        std::vector<std::pair<std::size_t, std::uint8_t>> bytes; // what the image then holds
    };
    const Case cases[] = {
        // Headers, comments and blank lines are skipped; a fourth column is ignored.
        {"address,old,new\r\n# note\n; note\n\n0x00000010,0x10,0x88,x\r\n",
         1,
         0,
         false,
         {{16, 0x88}}},
        {"300,*,0\n301,255,7\n302,-1,9\n", 3, 0, true, {{300, 0}, {301, 7}, {302, 9}}},
        {"20,0x14,0x1ff\n 21,9,9\n", 1, 0, false, {{20, 0xFF}}}, // " 21" is no entry
        {"1676,0x8c,1\n1677,0x8d,2\n", 2, 0, true, {{1676, 1}, {1677, 2}}},
        {"1677,0x8d,2\n", 1, 0, false, {{1677, 2}}},
        // The new byte in place counts as applied already, whatever the expected byte says.
        {"40,99,40\n41,41,42\n", 1, 1, false, {{41, 42}}},
        {"0X1e,30,31\n", 1, 0, false, {{30, 31}}},
        // A byte-order mark is skipped; CR alone ends a line as LF and CR LF do.
        {"\xEF\xBB\xBF"
         "10,10,1\r11,11,2\r\n0x0000000C,12,3",
         3,
         0,
         false,
         {{10, 1}, {11, 2}, {12, 3}}},
        {"# only a comment\n", 0, 0, false, {}},
        // A long line is one line: its later part never becomes an entry of its own.
        {"5,5,6," + std::string(70, ' ') + "77,77,1\n", 1, 0, false, {{5, 6}}},
    };
    for (const Case& c : cases) {
        auto image = Image();
        const PatchOutcome outcome = ApplyPatchText(image, c.text);
        EXPECT_EQ(outcome.applied, c.applied) << c.text;
        EXPECT_EQ(outcome.alreadyApplied, c.already) << c.text;
        EXPECT_EQ(outcome.errorLine, 0) << c.text;
        EXPECT_EQ(outcome.touchesCalibration, c.calibration) << c.text;
        auto expected = Image();
        for (const auto& [at, value] : c.bytes) {
            expected[at] = value;
        }
        EXPECT_EQ(image, expected) << c.text;
    }
    auto image = Image();
    ASSERT_EQ(ApplyPatchText(image, "50,50,7\n").applied, 1);
    EXPECT_EQ(ApplyPatchText(image, "50,50,7\n").alreadyApplied, 1); // a second run
}

// An error ends the reading and leaves the image as it was: the file applies whole or not at all.
// Its line is named; an address is given only for an entry refused.
TEST(PatchFileTest, AnErrorPutsEveryByteBack) {
    struct Case {
        std::string text;
        int line;
        std::string lineText;
        std::int64_t refused; // -1: a line that is no entry
    };
    const Case cases[] = {
        {"10,10,1\n11,99,2\n12,12,3\n", 2, "11,99,2", 11}, // a differing byte
        {"10,10,1\n12,34\n13,13,3\n", 2, "12,34", -1},     // no two commas
        {"10,10,1\n2000,*,1\n", 2, "2000,*,1", 2000},      // beyond the image
        {"10,10,1\n4294967291,*,1\n", 2, "4294967291,*,1", 0xFFFFFFFB},
        {"0xFFFFFFFF,*,1\n", 1, "0xFFFFFFFF,*,1", 0xFFFFFFFF},
        {"10,10,1\n10,1,2\n11,1,3\n", 3, "11,1,3", 11}, // the same byte twice, then a refusal
        {"7\n8,\n10,10,1\n", 1, "7", -1},
        // Addresses read whole: never another address, never 0 for a field without a digit.
        {"0x0000000064,*,5\n", 1, "0x0000000064,*,5", -1},
        {"10,10,1\r4294967396,*,5\r", 2, "4294967396,*,5", -1},
        {"0x,*,5\n", 1, "0x,*,5", -1},
        {"1x,*,5\n", 1, "1x,*,5", -1},
        {"10,,5\n", 1, "10,,5", -1},
        {"10,*,\n", 1, "10,*,", -1},
        {"10,*,0x\n", 1, "10,*,0x", -1},
        {"10,*,*\n", 1, "10,*,*", -1},
    };
    for (const Case& c : cases) {
        auto image = Image();
        const PatchOutcome outcome = ApplyPatchText(image, c.text);
        EXPECT_EQ(outcome.errorLine, c.line) << c.text;
        EXPECT_EQ(outcome.errorText, c.lineText) << c.text;
        EXPECT_EQ(outcome.refusedAddress ? std::int64_t{*outcome.refusedAddress} : -1, c.refused)
            << c.text;
        EXPECT_EQ(image, Image()) << c.text;
    }
}

} // namespace
} // namespace orvix
