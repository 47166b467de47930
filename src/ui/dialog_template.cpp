#include "ui/dialog_template.h"

namespace orvix::ui {

const ControlTemplate* DialogTemplate::Find(int id) const {
    if (id == 0) {
        return nullptr;
    }
    for (const ControlTemplate& control : controls) {
        if (control.id == id) {
            return &control;
        }
    }
    return nullptr;
}

} // namespace orvix::ui
