#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "ui/prompter.h"

namespace orvix::cli {

// Shows every message on standard error as its text and answers each question without a person:
// No (or Cancel) unless the command line said --yes. A file or colour chooser is answered with
// what the command line gave, or cancelled.
class CliPrompter : public ui::Prompter {
public:
    CliPrompter(std::ostream& err, bool answerYes) : err_(err), answerYes_(answerYes) {}

    ui::Answer ShowMessage(const ui::MessageRequest& request) override;
    std::optional<std::string> ChooseOpenFile(const ui::OpenFileRequest& request) override;
    std::optional<ui::Rgb> ChooseColour(ui::Rgb initial) override;

    void SetChosenFile(std::string path) { chosenFile_ = std::move(path); }
    void SetChosenColour(ui::Rgb colour) { chosenColour_ = colour; }
    // Whether a message was shown.
    bool Shown(int messageId) const;

private:
    std::ostream& err_;
    bool answerYes_;
    std::optional<std::string> chosenFile_;
    std::optional<ui::Rgb> chosenColour_;
    std::vector<int> shown_;
};

} // namespace orvix::cli
