#pragma once

// A dialog without a window for the commands: its model bound to a controller and initialised,
// then acted on as a user would, every posted close request handled after each act.

#include <memory>
#include <ostream>
#include <string_view>

#include "ui/dialog_controller.h"
#include "ui/dialog_model.h"
#include "ui/prompter.h"

namespace orvix::cli {

// Whether a value of the command line is a whole number written plainly: decimal digits with at
// most a leading minus, nothing else (no blanks, sign plus, base prefix, point or exponent).
bool IsWholeNumber(std::string_view text);

// The prompter of a command that writes card files. The tool reads and writes within one run, so
// a file that another program changed in between is refused, never written over: the question
// is shown as a refusal and answered No, whatever --yes says. Everything else goes to the tool's
// prompter.
class CommandPrompter : public ui::Prompter {
public:
    CommandPrompter(ui::Prompter& prompter, std::ostream& err) : prompter_(prompter), err_(err) {}

    ui::Answer ShowMessage(const ui::MessageRequest& request) override;
    std::optional<std::string> ChooseOpenFile(const ui::OpenFileRequest& request) override {
        return prompter_.ChooseOpenFile(request);
    }
    std::optional<ui::Rgb> ChooseColour(ui::Rgb initial) override {
        return prompter_.ChooseColour(initial);
    }

private:
    ui::Prompter& prompter_;
    std::ostream& err_;
};

// A command acts on one dialog; a child dialog it would open is cancelled.
class NoChildDialogs : public ui::DialogRunner {
public:
    int RunModal(ui::DialogController&) override { return ui::kIdCancel; }
};

class HeadlessDialog {
public:
    HeadlessDialog(const ui::DialogTemplate& dialogTemplate, std::ostream& err)
        : model_(dialogTemplate), err_(err) {}

    // Binds and initialises the controller; false when its initialisation ended the dialog.
    bool Open(std::unique_ptr<ui::DialogController> controller);

    ui::DialogModel& Model() { return model_; }
    void Click(int id);
    void Type(int id, std::string_view text);
    // Clicks a check box or radio button unless it shows that state; whether it shows it then
    // (a question answered No may have undone the click).
    bool ClickTo(int id, bool checked);
    // Whether a user could act on the control; when not, says so on err, naming the key.
    bool Reachable(std::string_view key, int id);
    bool EndedWithOk() const { return model_.Ended() && model_.Result() == ui::kIdOk; }

private:
    ui::DialogModel model_;
    std::ostream& err_;
    std::unique_ptr<ui::DialogController> controller_;
};

} // namespace orvix::cli
