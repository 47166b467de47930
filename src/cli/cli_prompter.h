#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "ui/prompter.h"

namespace orvix::cli {

// Shows every message on standard error as its text and answers each question without a person:
// No (or Cancel) unless the command line said --yes. It never offers a file or colour chooser.
class CliPrompter : public ui::Prompter {
public:
    CliPrompter(std::ostream& err, bool answerYes) : err_(err), answerYes_(answerYes) {}

    ui::Answer ShowMessage(const ui::MessageRequest& request) override;
    std::optional<std::string> ChooseOpenFile(const ui::OpenFileRequest& request) override;
    std::optional<ui::Rgb> ChooseColour(ui::Rgb initial) override;

private:
    std::ostream& err_;
    bool answerYes_;
};

} // namespace orvix::cli
