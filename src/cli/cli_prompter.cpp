#include "cli/cli_prompter.h"

#include <algorithm>

#include "resources/string_table.h"

namespace orvix::cli {

ui::Answer CliPrompter::ShowMessage(const ui::MessageRequest& request) {
    shown_.push_back(request.messageId);
    err_ << MessageText(request) << '\n';
    if (!request.detail.empty()) {
        err_ << request.detail << '\n';
    }
    switch (request.buttons) {
    case ui::Buttons::Ok:
        return ui::Answer::Ok;
    case ui::Buttons::OkCancel:
        return answerYes_ ? ui::Answer::Ok : ui::Answer::Cancel;
    case ui::Buttons::YesNo:
    case ui::Buttons::YesNoCancel:
        return answerYes_ ? ui::Answer::Yes : ui::Answer::No;
    }
    return ui::Answer::No;
}

std::optional<std::string> CliPrompter::ChooseOpenFile(const ui::OpenFileRequest&) {
    return chosenFile_;
}

std::optional<ui::Rgb> CliPrompter::ChooseColour(ui::Rgb) {
    return chosenColour_;
}

bool CliPrompter::Shown(int messageId) const {
    return std::find(shown_.begin(), shown_.end(), messageId) != shown_.end();
}

} // namespace orvix::cli
