#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

#include "ui/dialog_template.h"

namespace orvix::win32 {

// The window classes and styles a template's control is made with.
struct ControlStyle {
    const wchar_t* windowClass;
    DWORD style;
    DWORD exStyle;
};
ControlStyle StyleOf(const ui::ControlTemplate& control);

// The ID a control without one gets in the dialog, as a resource script's IDC_STATIC.
inline constexpr WORD kStaticId = 0xFFFF;

// A DLGTEMPLATEEX in memory: the dialog's size, styles, caption and font, and every control of
// the template in dialog units, in tab order. The words are aligned as DialogBoxIndirectParamW
// needs them.
std::vector<WORD> BuildDialogTemplate(const ui::DialogTemplate& dialogTemplate);

// The renderer's other half, once Windows has made the dialog from that template: the windows
// of the controls by their index in the template, the icons drawn and the spins buddied.
class TemplateDialog {
public:
    TemplateDialog(HWND dialog, const ui::DialogTemplate& dialogTemplate);

    HWND Handle() const { return dialog_; }
    const ui::DialogTemplate& Template() const { return template_; }
    // The window of the template's control at this index (a group box, label and icon too).
    HWND WindowAt(std::size_t index) const { return windows_.at(index); }
    // The window of the control with this ID, or null.
    HWND Window(int id) const;
    // The index of the control with this ID, or the number of controls.
    std::size_t IndexOf(int id) const;

    // Buddies a spin's arrows to its edit; the model keeps the value, the arrows only step.
    void SetSpinBuddy(int spinId, int editId);

private:
    HWND dialog_;
    const ui::DialogTemplate& template_;
    std::vector<HWND> windows_;
};

} // namespace orvix::win32
