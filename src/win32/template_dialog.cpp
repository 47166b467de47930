#include "win32/template_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <charconv>

#include "win32/app_icon.h"
#include "win32/dialog_units.h"
#include "win32/wide_text.h"

namespace orvix::win32 {

using ui::ControlKind;

namespace {

// The predefined classes of a dialog template, by atom.
constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kEditAtom = 0x0081;
constexpr WORD kStaticAtom = 0x0082;
constexpr WORD kListBoxAtom = 0x0083;
constexpr WORD kComboBoxAtom = 0x0085;

class TemplateWriter {
public:
    void Word(WORD value) { words_.push_back(value); }
    void Dword(DWORD value) {
        Word(LOWORD(value));
        Word(HIWORD(value));
    }
    void Short(int value) { Word(static_cast<WORD>(static_cast<short>(value))); }
    void Text(std::wstring_view text) {
        words_.insert(words_.end(), text.begin(), text.end());
        Word(0);
    }
    void Atom(WORD atom) {
        Word(0xFFFF);
        Word(atom);
    }
    void AlignDword() {
        if (words_.size() % 2 != 0) {
            Word(0);
        }
    }
    std::vector<WORD> Take() { return std::move(words_); }

private:
    std::vector<WORD> words_;
};

WORD AtomOf(const wchar_t* windowClass) {
    const std::wstring_view name(windowClass);
    if (name == WC_BUTTONW) {
        return kButtonAtom;
    }
    if (name == WC_EDITW) {
        return kEditAtom;
    }
    if (name == WC_STATICW) {
        return kStaticAtom;
    }
    if (name == WC_LISTBOXW) {
        return kListBoxAtom;
    }
    if (name == WC_COMBOBOXW) {
        return kComboBoxAtom;
    }
    return 0; // a common control: named
}

int ResourceNumber(std::string_view text) {
    int number = 0;
    std::from_chars(text.data(), text.data() + text.size(), number);
    return number;
}

} // namespace

ControlStyle StyleOf(const ui::ControlTemplate& control) {
    ControlStyle result{WC_BUTTONW, WS_CHILD | WS_TABSTOP, 0};
    // Check boxes and radio buttons are not automatic: the model decides their state.
    switch (control.kind) {
    case ControlKind::PushButton:
        result.style |= BS_PUSHBUTTON;
        break;
    case ControlKind::DefPushButton:
        result.style |= BS_DEFPUSHBUTTON;
        break;
    case ControlKind::CheckBox:
        result.style |= BS_CHECKBOX | BS_MULTILINE;
        break;
    case ControlKind::RadioButton:
        result.style |= BS_RADIOBUTTON | BS_MULTILINE;
        if ((control.style & ui::kGroup) == 0) {
            result.style &= ~WS_TABSTOP; // one stop for the group, at its first button
        }
        break;
    case ControlKind::Edit:
    case ControlKind::ReadOnlyEdit:
        result = {WC_EDITW, WS_CHILD | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
        if (control.kind == ControlKind::ReadOnlyEdit) {
            result.style |= ES_READONLY;
        }
        break;
    case ControlKind::Spin:
        // No UDS_SETBUDDYINT: the arrows ask the model, which writes the edit.
        result = {UPDOWN_CLASSW, WS_CHILD | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 0};
        break;
    case ControlKind::DropDownList:
        result = {WC_COMBOBOXW, WS_CHILD | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0};
        break;
    case ControlKind::ListBox:
        result = {WC_LISTBOXW,
                  WS_CHILD | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_USETABSTOPS |
                      LBS_NOINTEGRALHEIGHT,
                  WS_EX_CLIENTEDGE};
        break;
    case ControlKind::GroupBox:
        result = {WC_BUTTONW, WS_CHILD | BS_GROUPBOX, 0};
        break;
    case ControlKind::Label:
        result = {WC_STATICW, WS_CHILD | SS_LEFT | SS_NOPREFIX, 0};
        break;
    case ControlKind::Icon:
        // Centred and kept at the template's size; the view sets the icon at that size.
        result = {WC_STATICW, WS_CHILD | SS_ICON | SS_CENTERIMAGE | SS_REALSIZECONTROL, 0};
        break;
    }
    // Arrow keys move within a group only: every control but a following radio button starts one.
    if (control.kind != ControlKind::RadioButton || (control.style & ui::kGroup) != 0) {
        result.style |= WS_GROUP;
    }
    if ((control.style & ui::kDisabled) != 0) {
        result.style |= WS_DISABLED;
    }
    if ((control.style & ui::kHidden) == 0) {
        result.style |= WS_VISIBLE;
    }
    return result;
}

std::vector<WORD> BuildDialogTemplate(const ui::DialogTemplate& dialogTemplate) {
    TemplateWriter out;
    out.Word(1);      // dlgVer
    out.Word(0xFFFF); // signature: DLGTEMPLATEEX
    out.Dword(0);     // helpID
    out.Dword(0);     // exStyle
    out.Dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER);
    out.Word(static_cast<WORD>(dialogTemplate.controls.size()));
    out.Short(0);
    out.Short(0);
    out.Short(dialogTemplate.width);
    out.Short(dialogTemplate.height);
    out.Word(0); // no menu
    out.Word(0); // the dialog class
    out.Text(Wide(dialogTemplate.title));
    out.Word(kDialogPointSize);
    out.Word(FW_NORMAL);
    out.Word(MAKEWORD(FALSE, kDialogCharset)); // italic, charset
    out.Text(kDialogFace);

    for (const ui::ControlTemplate& control : dialogTemplate.controls) {
        const ControlStyle style = StyleOf(control);
        out.AlignDword();
        out.Dword(0); // helpID
        out.Dword(style.exStyle);
        out.Dword(style.style);
        out.Short(control.rect.x);
        out.Short(control.rect.y);
        out.Short(control.rect.width);
        out.Short(control.rect.height);
        out.Dword(control.id != 0 ? static_cast<DWORD>(control.id) : kStaticId);
        if (const WORD atom = AtomOf(style.windowClass); atom != 0) {
            out.Atom(atom);
        } else {
            out.Text(style.windowClass);
        }
        out.Text(control.kind == ControlKind::Icon ? std::wstring() : Wide(control.text));
        out.Word(0); // no creation data
    }
    return out.Take();
}

TemplateDialog::TemplateDialog(HWND dialog, const ui::DialogTemplate& dialogTemplate)
    : dialog_(dialog), template_(dialogTemplate) {
    // Windows makes the controls in template order, and keeps them in that order as children.
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        windows_.push_back(child);
    }
    windows_.resize(template_.controls.size(), nullptr);
    for (std::size_t i = 0; i < windows_.size(); ++i) {
        const ui::ControlTemplate& control = template_.controls[i];
        if (control.kind == ControlKind::Icon) {
            RECT rect{};
            GetClientRect(windows_[i], &rect);
            const int size = std::min(rect.right, rect.bottom);
            if (HICON icon = IconResource(ResourceNumber(control.text), size)) {
                SendMessageW(windows_[i], STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
            }
        }
    }
    SetWindowIcons(dialog);
}

HWND TemplateDialog::Window(int id) const {
    const std::size_t index = IndexOf(id);
    return index < windows_.size() ? windows_[index] : nullptr;
}

std::size_t TemplateDialog::IndexOf(int id) const {
    if (id == 0) {
        return template_.controls.size();
    }
    for (std::size_t i = 0; i < template_.controls.size(); ++i) {
        if (template_.controls[i].id == id) {
            return i;
        }
    }
    return template_.controls.size();
}

void TemplateDialog::SetSpinBuddy(int spinId, int editId) {
    HWND spin = Window(spinId);
    HWND edit = Window(editId);
    if (spin == nullptr || edit == nullptr) {
        return;
    }
    // The arrows take a width of their own when made: the template's is put back.
    const RECT rect = MapTemplateRect(dialog_, template_.controls[IndexOf(spinId)].rect);
    SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
    SetWindowPos(spin, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    // Up is more, and the position never reaches an end, so that each arrow always asks.
    SendMessageW(spin, UDM_SETRANGE32, 0, 1000);
    SendMessageW(spin, UDM_SETPOS32, 0, 500);
}

} // namespace orvix::win32
