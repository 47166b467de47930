#pragma once

#include "qt/dialog_stack.h"
#include "ui/prompter.h"

namespace orvix::qt {

// Asks the person through Qt's standard dialogs, parented to the dialog that is open.
class QtPrompter : public ui::Prompter {
public:
    explicit QtPrompter(DialogStack& stack) : stack_(stack) {}

    ui::Answer ShowMessage(const ui::MessageRequest& request) override;
    std::optional<std::string> ChooseOpenFile(const ui::OpenFileRequest& request) override;
    std::optional<ui::Rgb> ChooseColour(ui::Rgb initial) override;

private:
    DialogStack& stack_;
};

} // namespace orvix::qt
