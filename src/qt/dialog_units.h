#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

#include "ui/dialog_template.h"

namespace orvix::qt {

inline constexpr double kDialogPointSize = 9.0;

// The dialog font: MS UI Gothic where it exists, else a Japanese sans-serif; scale 2.0 gives the
// 200% size.
QFont DialogFont(double scale = 1.0);

// Converts dialog units to pixels from a font's metrics, as the platform's MapDialogRect does:
// x × average character width / 4, y × line height / 8. Rectangles map corner by corner,
// so controls that touch in dialog units still touch in pixels.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    double BaseX() const { return baseX_; }
    double BaseY() const { return baseY_; }
    int X(int units) const;
    int Y(int units) const;
    QRect Map(const ui::Rect& rect) const;
    QSize MapSize(int width, int height) const;

private:
    double baseX_;
    double baseY_;
};

} // namespace orvix::qt
