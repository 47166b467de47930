#pragma once

// The eye colours of the robot's program: the colour records the options read, and the eye colour
// operations of the program change dialog, which change the image at once.

#include "calibration/editor_document.h"
#include "options/option_sites.h"
#include "ui/prompter.h"

namespace orvix {

// What the first colour records show: the standard orange, dimmed for energy saving, and the
// second colour the same as the first (no blinking).
struct EyeColourChoice {
    bool standard = false;
    bool energySaving = false;
    bool noBlink = false;
};
EyeColourChoice ReadEyeColourChoice(const EditorDocument& document);

// Writes the built-in orange colours into every colour record.
void SetStandardEyeColour(EditorDocument& document, bool energySaving, bool noBlink);

// Offers the colour chooser with the current first colour and writes the chosen one; false when
// the user cancels.
bool ChooseEyeColour(EditorDocument& document, ui::Prompter& prompter, bool energySaving,
                     bool noBlink);

// Record 0 of the first and of the second colour, as R, G, B.
EyeColour FirstEyeColour(const EditorDocument& document);
EyeColour SecondEyeColour(const EditorDocument& document);

} // namespace orvix
