#include "win32/win32_runner.h"

#include <windows.h>

#include <memory>

#include "ui/dialog_model.h"
#include "win32/dialog_binder.h"
#include "win32/template_dialog.h"

namespace orvix::win32 {

namespace {

// What the dialog procedure works with, for one run.
struct DialogRun {
    ui::DialogModel& model;
    DialogStack& stack;
    std::unique_ptr<TemplateDialog> view;
    std::unique_ptr<DialogBinder> binder;
};

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* run = reinterpret_cast<DialogRun*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        run->view = std::make_unique<TemplateDialog>(dialog, run->model.Template());
        run->binder = std::make_unique<DialogBinder>(*run->view, run->model);
        run->binder->BindSystemMenu();
        run->stack.Push(dialog);
        if (run->model.Focus() != 0) {
            run->binder->FocusChanged(run->model.Focus());
            return FALSE; // the focus is set
        }
        return TRUE;
    }
    auto* run = reinterpret_cast<DialogRun*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (run == nullptr || run->binder == nullptr) {
        return FALSE;
    }
    if (message == WM_DESTROY) {
        run->stack.Pop();
        run->binder.reset();
        return FALSE;
    }
    LRESULT result = 0;
    if (!run->binder->HandleMessage(message, wParam, lParam, result)) {
        return FALSE;
    }
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
    return TRUE;
}

} // namespace

int Win32DialogRunner::RunModal(ui::DialogController& dialog) {
    ui::DialogModel model(dialog.Template());
    dialog.Attach(model);
    // Messages shown while the dialog initialises belong to the dialog that opened it, as this
    // one is not on screen yet; the view takes the initialised state when it is made.
    dialog.OnInitDialog();
    model.ProcessPosted();
    if (model.Ended()) {
        return model.Result();
    }
    const std::vector<WORD> words = BuildDialogTemplate(dialog.Template());
    DialogRun run{model, stack_, nullptr, nullptr};
    const INT_PTR shown = DialogBoxIndirectParamW(
        GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(words.data()), stack_.Top(),
        DialogProc, reinterpret_cast<LPARAM>(&run));
    if (shown == -1) {
        return ui::kIdCancel; // the dialog could not be made
    }
    return model.Ended() ? model.Result() : ui::kIdCancel;
}

} // namespace orvix::win32
