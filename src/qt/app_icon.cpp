#include "qt/app_icon.h"

#include <QString>

// The resources live in a static library: nothing refers to them, so the linker would drop them
// unless they are registered by hand.
static void RegisterIconResources() {
    Q_INIT_RESOURCE(orvix2_icons);
}

namespace orvix::qt {

QPixmap IconPixmap(int resourceId) {
    static const bool registered = (RegisterIconResources(), true);
    (void)registered;
    return QPixmap(QStringLiteral(":/icons/%1.png").arg(resourceId));
}

QIcon IconResource(int resourceId) {
    return QIcon(IconPixmap(resourceId));
}

} // namespace orvix::qt
