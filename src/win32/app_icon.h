#pragma once

#include <windows.h>

namespace orvix::win32 {

// An icon resource of the program by its number (128 is the application's), at a size in
// pixels; null when the program holds none. Shared icons: never destroyed.
HICON IconResource(int resourceId, int size);

// The application icon on a window's title bar and in the task switcher.
void SetWindowIcons(HWND window);

} // namespace orvix::win32
