#pragma once

// CSV patch files: lines of "address,expected,new" that change single bytes of STARTUP.BIN, each
// with the byte expected there before the change.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "calibration/editor_document.h"
#include "ui/prompter.h"

namespace orvix {

// The calibration table: an entry applied inside it changes the main dialog's values.
inline constexpr std::int64_t kCalibrationFirstAddress = 276;
inline constexpr std::int64_t kCalibrationLastAddress = 1676;

// What applying a patch file did.
struct PatchOutcome {
    int applied = 0;                  // entries that wrote their byte
    int alreadyApplied = 0;           // entries whose new byte already stood there
    int errors = 0;                   // lines without two commas, and the refused entry
    std::uint32_t refusedAddress = 0; // the entry refused, 0 when none was
    bool touchesCalibration = false;  // an applied address lies in the calibration table
};

// Applies the entries of a patch file's text to the image, in file order. A line that does not
// begin with a digit is skipped (headers, comments, blank lines); lines are read whole. Fields
// starting "0x" or "0X" are hexadecimal (up to eight digits), others decimal as C's atoi reads
// them; the expected and new values are cut to their low byte, and an expected "*" or 255 matches
// any byte. An entry whose byte differs from its expected one, or whose address lies outside the
// image, is refused and ends the reading. Whole or not at all: when any error was counted, every
// byte the file changed is put back.
PatchOutcome ApplyPatchText(std::span<std::uint8_t> image, std::string_view text);

// What choosing and applying a patch file came to.
struct PatchFileResult {
    bool applied = false;            // message 162 was shown: the image holds the file's entries
    bool touchesCalibration = false; // an applied entry lies in the calibration table
};

// Lets the user choose a patch file, applies it to the image and reports the outcome (messages
// 161 to 164). Nothing is saved here.
PatchFileResult ChooseAndApplyPatchFile(EditorDocument& document, ui::Prompter& prompter);

} // namespace orvix
