#pragma once

// Every message the editor may show, with the buttons, the icon and the button Enter presses as the
// documentation gives them, typed in here apart from the product so that a question shown with the
// wrong buttons fails whichever test shows it. A message shown in two forms is listed twice.

#include "ui/prompter.h"

namespace orvix::test {

struct DocumentedMessage {
    int id;
    ui::Buttons buttons;
    ui::Icon icon;
    ui::Answer enter;
};

namespace documented {
using B = ui::Buttons;
using I = ui::Icon;
using A = ui::Answer;
// Failures and notices: OK with the warning icon unless the documentation names another.
inline constexpr DocumentedMessage kMessages[] = {
    {103, B::Ok, I::Warning, A::Ok},            // reading the program failed
    {104, B::Ok, I::Warning, A::Ok},            // wrong setting values in the text form
    {105, B::Ok, I::Warning, A::Ok},            // writing the program failed
    {106, B::Ok, I::Warning, A::Ok},            // no number entered
    {107, B::Ok, I::Warning, A::Ok},            // not a decimal number
    {108, B::Ok, I::Warning, A::Ok},            // outside the range %1
    {109, B::Ok, I::Warning, A::Ok},            // the program was written
    {110, B::YesNo, I::Question, A::Yes},       // restore the origin table
    {115, B::YesNo, I::Question, A::Yes},       // remove the range limit
    {116, B::YesNo, I::Question, A::Yes},       // values changed: on a table selection
    {116, B::YesNoCancel, I::Question, A::Yes}, // values changed: on closing
    {117, B::Ok, I::Warning, A::Ok},            // the program is wrong (plain box: the icon of OK)
    {141, B::Ok, I::Warning, A::Ok},            // voltage monitoring suppressed
    {142, B::YesNo, I::Question, A::Yes},       // restore the range tables
    {146, B::Ok, I::Warning, A::Ok},            // walking steps 1 to 9,999 (plain box)
    {148, B::YesNo, I::Question, A::Yes},       // enable remote support
    {151, B::Ok, I::Error, A::Ok},              // reading a code file failed
    {153, B::Ok, I::Error, A::Ok},              // reading a binary file failed
    {154, B::Ok, I::Error, A::Ok},              // writing a binary file failed
    {155, B::Ok, I::Error, A::Ok},              // the data range is wrong
    {156, B::Ok, I::Error, A::Ok},              // the user data is wrong
    {157, B::Ok, I::Error, A::Ok},              // the date is wrong
    {159, B::YesNo, I::Question, A::Yes},       // restore the settings
    {161, B::Ok, I::Error, A::Ok},              // reading the patch file failed
    {162, B::Ok, I::Information, A::Ok},        // the patch file was applied
    {163, B::Ok, I::Error, A::Ok},              // the patch file is wrong
    {164, B::Ok, I::Error, A::Ok},              // the patch is already applied
    {165, B::YesNo, I::Question, A::Yes},       // change the arm angle
    {166, B::YesNoCancel, I::Question, A::No},  // programs were added to STARTUP.BIN
    {167, B::YesNo, I::Question, A::Yes},       // the random value of the checked power-up
    {168, B::YesNo, I::Question, A::Yes},       // create a new user
    {169, B::Ok, I::None, A::Ok},               // user number %1 added
    {170, B::YesNo, I::Question, A::Yes},       // check all power-ups
    {171, B::YesNo, I::Question, A::Yes},       // uncheck all power-ups
    {172, B::OkCancel, I::Warning, A::Ok},      // the head switch talks
    {173, B::YesNo, I::Warning, A::No},         // the file changed since it was read
    {173, B::Ok, I::Warning, A::Ok},            // the same, as the tool's refusal: OK only
    {174, B::Ok, I::Warning, A::Ok},            // the card is busy (a failure: OK only)
    {175, B::YesNo, I::Question, A::No},        // restore the card to a point of its history
    {176, B::Ok, I::Warning, A::Ok},            // files changed outside: not restored
    {177, B::YesNo, I::Warning, A::No},         // restore the files changed outside as well
    {178, B::Ok, I::Error, A::Ok},              // the point cannot be restored
    {179, B::Ok, I::Information, A::Ok},        // restored
    {186, B::Ok, I::Warning, A::Ok},            // the change history needs a loaded program
    {187, B::YesNo, I::Question, A::No},        // restore these files to the point (the editor)
    {188, B::Ok, I::Information, A::Ok},        // the card already is that point
    {190, B::Ok, I::Information, A::Ok},        // the language takes effect at the next start
    {191, B::Ok, I::Error, A::Ok},              // Orvix2.ini could not be written
    // "The change history [%1] cannot be recorded, so nothing was written."
    {192, B::Ok, I::Error, A::Ok},
    // "The card was written, but recording the change history [%1] failed."
    {193, B::Ok, I::Warning, A::Ok},
    {194, B::Ok, I::Information, A::Ok}, // restored but the files changed outside
};
} // namespace documented

using documented::kMessages;

} // namespace orvix::test
