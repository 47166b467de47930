#include "win32/dialog_units.h"

namespace orvix::win32 {

RECT MapTemplateRect(HWND dialog, const ui::Rect& rect) {
    // The dialog manager converts x, y, cx and cy one by one, not the corners.
    RECT position{rect.x, rect.y, rect.width, rect.height};
    MapDialogRect(dialog, &position);
    return RECT{position.left, position.top, position.left + position.right,
                position.top + position.bottom};
}

} // namespace orvix::win32
