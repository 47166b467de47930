#pragma once

#include <windows.h>

#include <cstddef>

#include "ui/dialog_model.h"
#include "win32/template_dialog.h"

namespace orvix::win32 {

// Binds a rendered dialog to its model both ways: the notifications of what the person does go
// to the model's user face; every change of the model is copied into the controls while a guard
// keeps the notifications that causes (an edit's EN_CHANGE) from coming back as user events.
class DialogBinder : public ui::ModelObserver {
public:
    DialogBinder(TemplateDialog& view, ui::DialogModel& model);
    ~DialogBinder() override;
    DialogBinder(const DialogBinder&) = delete;
    DialogBinder& operator=(const DialogBinder&) = delete;

    // Appends the model's system menu entries to the window's own system menu; the controller
    // appends them during its initialisation, so the runner calls this after it.
    void BindSystemMenu();

    // The dialog procedure's share: true when the message was handled, with its result.
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    void ControlChanged(int id) override;
    void FocusChanged(int id) override;
    void DialogEnded(int result) override;

private:
    void Command(int id, int code, HWND control);
    void Sync(std::size_t index);
    void SyncItems(HWND window, int id, bool list);

    TemplateDialog& view_;
    ui::DialogModel& model_;
    int syncing_ = 0; // the controls are being set from the model
};

} // namespace orvix::win32
