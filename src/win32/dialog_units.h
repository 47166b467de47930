#pragma once

#include <windows.h>

#include "ui/dialog_template.h"

namespace orvix::win32 {

// The dialog font of the templates: MS UI Gothic, 9 points, asked for with the Japanese
// character set, so that a Windows without that face picks a Japanese one.
inline constexpr const wchar_t* kDialogFace = L"MS UI Gothic";
inline constexpr int kDialogPointSize = 9;
inline constexpr BYTE kDialogCharset = SHIFTJIS_CHARSET;

// A template rectangle in the pixels of a dialog, as Windows places the dialog's controls:
// position and size each converted by MapDialogRect.
RECT MapTemplateRect(HWND dialog, const ui::Rect& rect);

} // namespace orvix::win32
