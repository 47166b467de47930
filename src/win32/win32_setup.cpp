#include "win32/win32_setup.h"

#include <windows.h>

#include <commctrl.h>

namespace orvix::win32 {

void InitialiseCommonControls() {
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                  ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
}

} // namespace orvix::win32
