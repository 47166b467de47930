#pragma once

// Loading and saving STARTUP.BIN in its binary or text form, and the value fields of the main
// dialog that show one of its three calibration tables.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "calibration/editor_document.h"
#include "ui/dialog_model.h"
#include "ui/prompter.h"

namespace orvix {

// Loads the image (asking for a path first when askForPath is set) and puts the selected table
// into the fields. True on success and when the user cancels the file dialog; false after a
// failure, whose message has been shown, with imagePath empty.
bool LoadImageFile(EditorDocument& document, ui::DialogModel& dialog, ui::Prompter& prompter,
                   bool askForPath);

// Checks the attenuator (while it is shown) and the twenty servo fields, stores them into the
// image and writes the file (with its tail) through a backup and an atomic write.
bool SaveImageFile(ui::DialogModel& dialog, ui::Prompter& prompter, EditorDocument& document);

// The checks of one field; the value on success. The focus and the message on failure.
std::optional<int> ReadValueField(ui::DialogModel& dialog, ui::Prompter& prompter, int fieldId,
                                  const EditorDocument& document, int low, int high);

// The six-character values of the text form: "0x" and four lower-case hexadecimal digits of a
// 16-bit two's-complement value. The parser expects the "x" at position + 1.
std::optional<std::int16_t> ParseHexValue(std::span<const std::uint8_t> text, std::size_t position);
bool FormatHexValue(int value, std::span<std::uint8_t> text, std::size_t position);

// The built-in value of servo k in a table: its standard origin correction, or the unlimited
// lower or upper limit.
int StandardTableValue(int k, std::uint32_t table);

// Puts the built-in values of the selected table into the fields, after asking.
void RestoreStandardValues(EditorDocument& document, ui::DialogModel& dialog,
                           ui::Prompter& prompter);

// Empties the attenuator and the servo fields, hides the attenuator and disables the buttons
// that need an image; the emptied fields are no edit of the user's.
void ClearValueFields(EditorDocument& document, ui::DialogModel& dialog);

// The attenuator (where the image carries one) and the selected table as the image holds them,
// in either form; none where a value cannot be read.
struct TableSnapshot {
    std::optional<int> attenuator;
    std::array<std::optional<int>, 20> servos;

    friend bool operator==(const TableSnapshot&, const TableSnapshot&) = default;
};
TableSnapshot ReadTableValues(const EditorDocument& document);

// After the image changed in memory (a patch file): puts into the fields each value that differs
// from before, so that the next save keeps it; the other fields keep what the user typed.
void ShowTableValues(const EditorDocument& document, const TableSnapshot& before,
                     ui::DialogModel& dialog);

// Sets the ranges of the twenty servo spins by the table and the range limit.
void ApplySpinRanges(const EditorDocument& document, ui::DialogModel& dialog);

} // namespace orvix
