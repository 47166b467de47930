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

// What each kind of line writes is in the patch scenarios; here the counts and whether an entry
// lies within the calibration table (276 to 1676), which the dialogs reload after a patch.
TEST(PatchFileTest, EntriesAreCountedAndTheCalibrationTableNoticed) {
    const std::tuple<std::string, int, int, bool> cases[] = {
        {"275,*,0\n", 1, 0, false},
        {"276,*,0\n", 1, 0, true},
        {"1676,*,1\n", 1, 0, true},
        {"1677,*,2\n", 1, 0, false},
        {"40,99,40\n41,41,42\n", 1, 1, false}, // the new byte in place: applied already
    };
    for (const auto& [text, applied, already, calibration] : cases) {
        auto image = Image();
        const PatchOutcome outcome = ApplyPatchText(image, text);
        EXPECT_EQ(outcome.applied, applied) << text;
        EXPECT_EQ(outcome.alreadyApplied, already) << text;
        EXPECT_EQ(outcome.touchesCalibration, calibration) << text;
    }
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
