#pragma once

#include "ui/dialog_controller.h"
#include "win32/dialog_stack.h"

namespace orvix::win32 {

// Runs a dialog modally with Windows' dialog manager: builds its model, initialises the
// controller, makes the dialog from the template in memory and runs its loop until the model
// ends it.
class Win32DialogRunner : public ui::DialogRunner {
public:
    explicit Win32DialogRunner(DialogStack& stack) : stack_(stack) {}

    int RunModal(ui::DialogController& dialog) override;

private:
    DialogStack& stack_;
};

} // namespace orvix::win32
