#include "qt/dialog_units.h"

#include <QFontMetricsF>
#include <QStringList>
#include <cmath>

namespace orvix::qt {

QFont DialogFont(double scale) {
    QFont font;
    font.setFamilies(
        QStringList{QStringLiteral("MS UI Gothic"), QStringLiteral("Noto Sans CJK JP")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(kDialogPointSize * scale);
    return font;
}

DialogUnits::DialogUnits(const QFont& font) {
    // The average width is taken over the Latin letters, as the platform does. The height is
    // the pitch at which Qt lays out lines of text, in whole pixels: the platform lays lines out
    // at its character height, so eight units are one line there, and a label sized for three
    // lines must hold three lines here too.
    const QFontMetricsF metrics(font);
    baseX_ = metrics.horizontalAdvance(
                 QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
             52.0;
    baseY_ = std::ceil(metrics.lineSpacing());
}

int DialogUnits::X(int units) const {
    return static_cast<int>(std::lround(units * baseX_ / 4.0));
}

int DialogUnits::Y(int units) const {
    return static_cast<int>(std::lround(units * baseY_ / 8.0));
}

QRect DialogUnits::Map(const ui::Rect& rect) const {
    const int left = X(rect.x);
    const int top = Y(rect.y);
    return QRect(left, top, X(rect.x + rect.width) - left, Y(rect.y + rect.height) - top);
}

QSize DialogUnits::MapSize(int width, int height) const {
    return QSize(X(width), Y(height));
}

} // namespace orvix::qt
