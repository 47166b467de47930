#include "qt/qt_runner.h"

#include "qt/dialog_binder.h"
#include "qt/template_dialog.h"
#include "ui/dialog_model.h"

namespace orvix::qt {

QtDialogRunner::QtDialogRunner(DialogStack& stack, QFont font)
    : stack_(stack), font_(std::move(font)) {}

int QtDialogRunner::RunModal(ui::DialogController& dialog) {
    ui::DialogModel model(dialog.Template());
    TemplateDialog view(dialog.Template(), font_, stack_.Top());
    DialogBinder binder(view, model);
    dialog.Attach(model);
    // Messages shown while the dialog initialises belong to the dialog that opened it, as
    // this one is not on screen yet.
    dialog.OnInitDialog();
    binder.BindSystemMenu();
    model.ProcessPosted();
    if (model.Ended()) {
        return model.Result();
    }
    stack_.Push(&view);
    view.exec();
    stack_.Pop();
    return model.Ended() ? model.Result() : ui::kIdCancel;
}

} // namespace orvix::qt
