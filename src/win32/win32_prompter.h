#pragma once

#include "ui/prompter.h"
#include "win32/dialog_stack.h"

namespace orvix::win32 {

// Asks the person through Windows' own message box and common dialogs, owned by the dialog
// that is open.
class Win32Prompter : public ui::Prompter {
public:
    explicit Win32Prompter(DialogStack& stack) : stack_(stack) {}

    ui::Answer ShowMessage(const ui::MessageRequest& request) override;
    std::optional<std::string> ChooseOpenFile(const ui::OpenFileRequest& request) override;
    std::optional<ui::Rgb> ChooseColour(ui::Rgb initial) override;

private:
    DialogStack& stack_;
};

// The MessageBoxW flags of a request: its buttons, icon and default button.
unsigned MessageBoxFlags(const ui::MessageRequest& request);

} // namespace orvix::win32
