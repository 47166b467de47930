#pragma once

// A dialog without a window for the commands: its model bound to a controller and initialised,
// then acted on as a user would, every posted close request handled after each act.

#include <memory>
#include <ostream>
#include <string_view>

#include "ui/dialog_controller.h"
#include "ui/dialog_model.h"

namespace orvix::cli {

// Whether a value of the command line is a whole number written plainly: decimal digits with at
// most a leading minus, nothing else (no blanks, sign plus, base prefix, point or exponent).
bool IsWholeNumber(std::string_view text);

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
