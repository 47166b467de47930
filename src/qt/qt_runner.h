#pragma once

#include <QFont>

#include "qt/dialog_stack.h"
#include "qt/dialog_units.h"
#include "ui/dialog_controller.h"

namespace orvix::qt {

// Runs a dialog modally with widgets: builds its model and its view, initialises the
// controller and runs the dialog's own event loop until the model ends it.
class QtDialogRunner : public ui::DialogRunner {
public:
    explicit QtDialogRunner(DialogStack& stack, QFont font = DialogFont());

    int RunModal(ui::DialogController& dialog) override;

    const QFont& Font() const { return font_; }
    void SetFont(const QFont& font) { font_ = font; }

private:
    DialogStack& stack_;
    QFont font_;
};

} // namespace orvix::qt
