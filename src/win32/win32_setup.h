#pragma once

namespace orvix::win32 {

// Registers the common controls the dialogs use (the spin's up-down arrows); with the
// program's manifest they are version 6, drawn in the current look.
void InitialiseCommonControls();

} // namespace orvix::win32
