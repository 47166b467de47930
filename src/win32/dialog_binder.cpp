#include "win32/dialog_binder.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "win32/wide_text.h"

namespace orvix::win32 {

using ui::ControlKind;

namespace {

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

void SetTextIfChanged(HWND window, const std::wstring& text) {
    if (WindowText(window) != text) { // setting the text would move an edit's cursor
        SetWindowTextW(window, text.c_str());
    }
}

// The items a list or drop-down list shows.
std::vector<std::wstring> ShownItems(HWND window, bool list) {
    const UINT count = list ? LB_GETCOUNT : CB_GETCOUNT;
    const UINT length = list ? LB_GETTEXTLEN : CB_GETLBTEXTLEN;
    const UINT get = list ? LB_GETTEXT : CB_GETLBTEXT;
    std::vector<std::wstring> items;
    const auto n = SendMessageW(window, count, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        std::wstring text(static_cast<std::size_t>(SendMessageW(window, length, i, 0)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(
            SendMessageW(window, get, i, reinterpret_cast<LPARAM>(text.data()))));
        items.push_back(std::move(text));
    }
    return items;
}

} // namespace

DialogBinder::DialogBinder(TemplateDialog& view, ui::DialogModel& model)
    : view_(view), model_(model) {
    const auto& controls = view_.Template().controls;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].kind == ControlKind::Spin) {
            view_.SetSpinBuddy(controls[i].id, model_.SpinBuddy(controls[i].id));
        }
        if (controls[i].id != 0) {
            Sync(i);
        }
    }
    model_.SetObserver(this);
}

DialogBinder::~DialogBinder() {
    model_.SetObserver(nullptr);
}

void DialogBinder::BindSystemMenu() {
    if (model_.SystemMenu().empty()) {
        return;
    }
    HMENU menu = GetSystemMenu(view_.Handle(), FALSE);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    for (const ui::SystemMenuEntry& entry : model_.SystemMenu()) {
        std::string text = entry.text;
        if (!entry.shortcut.empty()) {
            text += '\t' + entry.shortcut;
        }
        AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(entry.command), Wide(text).c_str());
    }
}

bool DialogBinder::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (message) {
    case WM_COMMAND:
        Command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return true;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code != UDN_DELTAPOS) {
            return false;
        }
        const auto* step = reinterpret_cast<const NMUPDOWN*>(lParam);
        if (syncing_ == 0 && step->iDelta != 0) {
            model_.StepSpin(static_cast<int>(header->idFrom), step->iDelta > 0 ? +1 : -1);
        }
        result = TRUE; // the arrows keep no position of their own
        return true;
    }
    case WM_CLOSE:
        model_.CloseBox();
        return true;
    case WM_SYSCOMMAND: {
        // Windows keeps the low four bits of a system command for itself.
        const int command = static_cast<int>(wParam & 0xFFF0);
        for (const ui::SystemMenuEntry& entry : model_.SystemMenu()) {
            if (entry.command == command) {
                model_.SystemCommand(command);
                return true;
            }
        }
        return false;
    }
    case WM_HELP: // F1, wherever the focus is
        for (const ui::SystemMenuEntry& entry : model_.SystemMenu()) {
            if (entry.shortcut == "F1") {
                model_.SystemCommand(entry.command);
                result = TRUE;
                return true;
            }
        }
        return false;
    default:
        return false;
    }
}

void DialogBinder::Command(int id, int code, HWND control) {
    if (syncing_ != 0) {
        return;
    }
    const std::size_t index = view_.IndexOf(id);
    const bool known = index < view_.Template().controls.size();
    // Esc sends IDCANCEL and Enter without a default button IDOK, whether or not such a
    // button exists or is enabled: the model decides what they do.
    if (id == ui::kIdCancel && (control == nullptr || code == BN_CLICKED)) {
        model_.PressEscape();
        return;
    }
    if (!known) {
        if (id == ui::kIdOk) {
            model_.PressEnter();
        }
        return;
    }
    // Only the notifications of a person's action; an edit's EN_UPDATE and the like are not.
    switch (view_.Template().controls[index].kind) {
    case ControlKind::PushButton:
    case ControlKind::DefPushButton:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
        if (code != BN_CLICKED) {
            return;
        }
        model_.Click(id);
        break;
    case ControlKind::Edit:
        if (code != EN_CHANGE) {
            return;
        }
        model_.Type(id, Utf8(WindowText(view_.WindowAt(index))));
        break;
    case ControlKind::DropDownList:
        if (code != CBN_SELCHANGE) {
            return;
        }
        model_.ChooseItem(id, static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0)));
        break;
    case ControlKind::ListBox:
        if (code != LBN_SELCHANGE) {
            return;
        }
        model_.ChooseItem(id, static_cast<int>(SendMessageW(control, LB_GETCURSEL, 0, 0)));
        break;
    default:
        return;
    }
    // The model may have refused what the control shows (a disabled control, a radio button
    // that stays as it was).
    if (!model_.Ended()) {
        Sync(index);
    }
}

void DialogBinder::Sync(std::size_t index) {
    const ui::ControlTemplate& control = view_.Template().controls[index];
    const int id = control.id;
    HWND window = view_.WindowAt(index);
    ++syncing_;
    const bool enabled = model_.IsEnabled(id);
    if ((IsWindowEnabled(window) != FALSE) != enabled) {
        EnableWindow(window, enabled);
    }
    const bool visible = model_.IsVisible(id);
    if (((GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0) != visible) {
        ShowWindow(window, visible ? SW_SHOWNA : SW_HIDE);
    }
    const std::wstring text = Wide(model_.GetText(id));
    switch (control.kind) {
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
        SendMessageW(window, BM_SETCHECK, model_.IsChecked(id) ? BST_CHECKED : BST_UNCHECKED, 0);
        [[fallthrough]];
    case ControlKind::PushButton:
    case ControlKind::DefPushButton:
    case ControlKind::Edit:
    case ControlKind::ReadOnlyEdit:
    case ControlKind::GroupBox:
    case ControlKind::Label:
        SetTextIfChanged(window, text);
        break;
    case ControlKind::DropDownList:
        SyncItems(window, id, false);
        SendMessageW(window, CB_SETCURSEL, static_cast<WPARAM>(model_.Selection(id)), 0);
        break;
    case ControlKind::ListBox: {
        SyncItems(window, id, true);
        const std::vector<int>& stops = model_.TabStops(id);
        if (stops.empty()) {
            SendMessageW(window, LB_SETTABSTOPS, 0, 0); // every kDefaultTabStop units
        } else {
            std::vector<int> units(stops.begin(), stops.end());
            SendMessageW(window, LB_SETTABSTOPS, units.size(),
                         reinterpret_cast<LPARAM>(units.data()));
        }
        InvalidateRect(window, nullptr, TRUE);
        SendMessageW(window, LB_SETCURSEL, static_cast<WPARAM>(model_.Selection(id)), 0);
        break;
    }
    case ControlKind::Spin:
    case ControlKind::Icon:
        break;
    }
    --syncing_;
}

void DialogBinder::SyncItems(HWND window, int id, bool list) {
    std::vector<std::wstring> items;
    for (int i = 0; i < model_.ItemCount(id); ++i) {
        items.push_back(Wide(model_.ItemText(id, i)));
    }
    if (ShownItems(window, list) == items) {
        return;
    }
    SendMessageW(window, WM_SETREDRAW, FALSE, 0);
    SendMessageW(window, list ? LB_RESETCONTENT : CB_RESETCONTENT, 0, 0);
    for (const std::wstring& item : items) {
        SendMessageW(window, list ? LB_ADDSTRING : CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(item.c_str()));
    }
    SendMessageW(window, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(window, nullptr, TRUE);
}

void DialogBinder::ControlChanged(int id) {
    const std::size_t index = view_.IndexOf(id);
    if (index < view_.Template().controls.size()) {
        Sync(index);
    }
}

void DialogBinder::FocusChanged(int id) {
    HWND window = view_.Window(id);
    if (window == nullptr) {
        return;
    }
    // As the dialog manager moves the focus, so that the default button follows; an edit's text
    // is selected, so that typing replaces it.
    SendMessageW(view_.Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(window), TRUE);
    const ControlKind kind = view_.Template().controls[view_.IndexOf(id)].kind;
    if (kind == ControlKind::Edit || kind == ControlKind::ReadOnlyEdit) {
        SendMessageW(window, EM_SETSEL, 0, -1);
    }
}

void DialogBinder::DialogEnded(int result) {
    EndDialog(view_.Handle(), result);
}

} // namespace orvix::win32
