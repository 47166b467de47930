#include "win32/app_icon.h"

#include "resources/main_dialog.h"

namespace orvix::win32 {

HICON IconResource(int resourceId, int size) {
    // LR_SHARED: the system keeps one copy per size for the whole run.
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId),
                                         IMAGE_ICON, size, size, LR_SHARED));
}

void SetWindowIcons(HWND window) {
    const int small = GetSystemMetrics(SM_CXSMICON);
    const int big = GetSystemMetrics(SM_CXICON);
    if (HICON icon = IconResource(IDR_MAINFRAME, small)) {
        SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
    if (HICON icon = IconResource(IDR_MAINFRAME, big)) {
        SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    }
}

} // namespace orvix::win32
