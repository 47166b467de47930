#include "app/about_dlg.h"

#include "resources/main_dialog.h"

namespace orvix {

CAboutDlg::CAboutDlg() : ui::DialogController(AboutDialogTemplate()) {}

} // namespace orvix
