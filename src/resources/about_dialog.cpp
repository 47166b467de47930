#include "resources/main_dialog.h"
#include "resources/translation.h"

namespace orvix {

using namespace ui;

namespace {

DialogTemplate MakeAboutDialog() {
    return DialogTemplate{
        IDD_ABOUTBOX,
        "バージョン情報 Orvix",
        170,
        62,
        {
            Control(ControlKind::Icon, 0, "128", 11, 14, 21, 21),
            Control(ControlKind::Label, 0, kVersionText, 42, 18, 120, 10),
            Control(ControlKind::DefPushButton, kIdOk, "OK", 113, 41, 50, 14, kGroup),
        },
    };
}

} // namespace

const DialogTemplate& AboutDialogTemplate() {
    return LocalizedTemplate<MakeAboutDialog>();
}

} // namespace orvix
