#include "cli/cli_prompter.h"

#include "resources/string_table.h"

namespace orvix::cli {

ui::Answer CliPrompter::ShowMessage(const ui::MessageRequest& request) {
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
    return std::nullopt; // the path always comes from the command line
}

std::optional<ui::Rgb> CliPrompter::ChooseColour(ui::Rgb) {
    return std::nullopt;
}

} // namespace orvix::cli
