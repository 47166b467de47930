#pragma once

#include <QIcon>
#include <QPixmap>

namespace orvix::qt {

// An icon resource by its number (128 is the application's), from the resources built into
// orvix2_qt; a null pixmap when there is none.
QPixmap IconPixmap(int resourceId);
QIcon IconResource(int resourceId);

} // namespace orvix::qt
