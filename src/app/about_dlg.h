#pragma once

#include "ui/dialog_controller.h"

namespace orvix {

// The about box: icon, name and version, and an OK button that closes it.
class CAboutDlg : public ui::DialogController {
public:
    CAboutDlg();
    bool Dispatch(int, ui::Event) override { return false; }
};

} // namespace orvix
