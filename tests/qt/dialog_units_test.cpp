#include <QFontInfo>
#include <QFontMetrics>
#include <QStringList>
#include <gtest/gtest.h>

#include "qt/dialog_units.h"

namespace orvix::test {
namespace {

using qt::DialogFont;
using qt::DialogUnits;

TEST(DialogUnitsTest, FourUnitsAcrossAreAnAverageLetterAndEightDownALineOfText) {
    for (double scale : {1.0, 2.0}) {
        const QFont font = DialogFont(scale);
        const DialogUnits units(font);
        const QFontMetrics metrics(font);
        const int alphabet =
            metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        EXPECT_NEAR(units.X(4 * 52), alphabet, 1.0) << scale;
        // Three lines of 8 units hold three lines of text, as on the platform.
        EXPECT_GE(units.Y(24),
                  metrics.boundingRect(QRect(0, 0, 1000, 1000), 0, "声\n小\n大").height())
            << scale;
        EXPECT_LT(units.Y(24), 4 * metrics.height()) << scale;
    }
}

TEST(DialogUnitsTest, RectanglesMapCornerByCornerSoNeighboursStillTouch) {
    const DialogUnits units(DialogFont());
    // An edit and its spin side by side, as in the main dialog, at every offset of a row.
    for (int x = 0; x < 40; ++x) {
        const QRect edit = units.Map(ui::Rect{x, 7, 30, 13});
        const QRect spin = units.Map(ui::Rect{x + 30, 7, 10, 13});
        EXPECT_EQ(edit.right() + 1, spin.left()) << "at x = " << x;
        EXPECT_EQ(edit.top(), spin.top());
        EXPECT_EQ(edit.height(), spin.height());
    }
    const QRect rect = units.Map(ui::Rect{10, 20, 30, 40});
    EXPECT_EQ(rect.left(), units.X(10));
    EXPECT_EQ(rect.top(), units.Y(20));
    EXPECT_EQ(rect.left() + rect.width(), units.X(40));
    EXPECT_EQ(rect.top() + rect.height(), units.Y(60));
}

TEST(DialogUnitsTest, LayoutsScaleWithTheFont) {
    const DialogUnits normal(DialogFont());
    const DialogUnits doubled(DialogFont(2.0));
    const QSize small = normal.MapSize(560, 286);
    const QSize large = doubled.MapSize(560, 286);
    EXPECT_NEAR(large.width(), 2.0 * small.width(), 0.05 * large.width());
    EXPECT_NEAR(large.height(), 2.0 * small.height(), 0.05 * large.height());
}

} // namespace
} // namespace orvix::test
