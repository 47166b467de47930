#pragma once

// Writing the checked image of the editor's document to its file on the card (image_file.h's
// save, after the values are stored into the image).

#include "calibration/editor_document.h"
#include "ui/prompter.h"

namespace orvix {

// Writes document.image and its tail to document.imagePath. The card's lock is held only while
// the file is read and written, never while the person is asked or told something: a file
// another program changed since it was read is asked about with the lock released (message 173;
// the tool, which does not ask, refuses), and written only if, under the lock again, it still
// holds what was asked about (else asked again). What the write replaces is backed up and the
// save recorded in the card's history; a history entry that cannot be begun stops the save
// (message 192, nothing written), one that cannot be completed is said after it (message 193).
// True when the file was written.
bool WriteImageToCard(EditorDocument& document, ui::Prompter& prompter);

} // namespace orvix
