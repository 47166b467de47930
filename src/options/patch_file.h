#pragma once

// CSV patch files: lines of "address,expected,new" that change single bytes of STARTUP.BIN, each
// with the byte expected there before the change.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
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
    int applied = 0;                 // entries that wrote their byte
    int alreadyApplied = 0;          // entries whose new byte already stood there
    bool touchesCalibration = false; // an applied address lies in the calibration table
    // The first error, which ends the reading: its line (counted from 1; 0 when there was none),
    // the line's text, and what is wrong with it. A refused entry also gives its address.
    int errors = 0; // 1 when an error ended the reading
    int errorLine = 0;
    std::string errorText;
    std::string problem;
    std::optional<std::uint32_t> refusedAddress;
};

// Applies the entries of a patch file's text to the image, in file order. A UTF-8 byte-order mark
// at the start is skipped; a line ends at CR, LF or CR LF and is read whole. A line that does not
// begin with a digit is skipped (headers, comments, blank lines). The address is read whole: "0x"
// or "0X" and one to eight hexadecimal digits, or decimal digits of at most 32 bits. The expected
// and new values are read as the patch files write them ("0x" and up to eight hexadecimal digits,
// else decimal as C's atoi reads them) and cut to their low byte; an expected "*" or 255 matches
// any byte. A field without a digit, a line without two commas, an entry whose byte differs from
// its expected one and an address outside the image are errors that end the reading. Whole or not
// at all: after an error, every byte the file changed is put back.
PatchOutcome ApplyPatchText(std::span<std::uint8_t> image, std::string_view text);

// What choosing and applying a patch file came to.
struct PatchFileResult {
    bool applied = false; // message 162 was shown: the image holds the file's entries
};

// Lets the user choose a patch file, applies it to the image and reports the outcome (messages
// 161 to 164; an error names its line in the details). A file without entries is passed over in
// silence. Nothing is saved here.
PatchFileResult ChooseAndApplyPatchFile(EditorDocument& document, ui::Prompter& prompter);

} // namespace orvix
