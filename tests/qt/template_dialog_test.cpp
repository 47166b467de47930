// The templates rendered with the dialog font at 100% and 200%: every control a widget of its
// kind in its place, and nothing overlapping or cut off. The renderings are kept as pictures for
// a look at the layouts.

#include "qt_test_support.h"
#include "resources/history_dialog.h"
#include "resources/program_dialog.h"
#include "resources/settings_dialog.h"
#include "resources/user_dialogs.h"

namespace orvix::test {
namespace {

using qt::DialogFont;
using qt::DialogUnits;
using ui::ControlKind;
using ui::ControlTemplate;

TEST(DialogUnitsTest, UnitsFollowTheFontAndNeighboursStillTouch) {
    for (double scale : {1.0, 2.0}) {
        SCOPED_TRACE(scale);
        const QFont font = DialogFont(scale);
        const DialogUnits units(font);
        const QFontMetrics metrics(font);
        // Four units across are an average letter; three lines of 8 units hold three lines.
        EXPECT_NEAR(
            units.X(4 * 52),
            metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"), 1.0);
        EXPECT_GE(units.Y(24),
                  metrics.boundingRect(QRect(0, 0, 1000, 1000), 0, "声\n小\n大").height());
        EXPECT_LT(units.Y(24), 4 * metrics.height());
        // An edit and its spin side by side, as in the main dialog, touch at every offset.
        for (int x = 0; x < 40; ++x) {
            const QRect edit = units.Map(ui::Rect{x, 7, 30, 13});
            const QRect spin = units.Map(ui::Rect{x + 30, 7, 10, 13});
            EXPECT_EQ(edit.right() + 1, spin.left()) << "at x = " << x;
        }
    }
}

std::string Name(const ControlTemplate& control) {
    return '"' + std::string(control.text) + "\" (" + std::to_string(control.id) + ")";
}

// The text a widget shows, the size it needs as the widget lays it out and the room it has.
std::tuple<QString, QSize, QRect> TextOf(QWidget* widget) {
    const QFontMetrics metrics(widget->font());
    QStyle* style = widget->style();
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const QStyle::SubElement contents =
            qobject_cast<QCheckBox*>(widget)      ? QStyle::SE_CheckBoxContents
            : qobject_cast<QRadioButton*>(widget) ? QStyle::SE_RadioButtonContents
                                                  : QStyle::SE_PushButtonContents;
        return {button->text(), metrics.size(Qt::TextShowMnemonic, button->text()),
                style->subElementRect(contents, &option, widget)};
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        const int flags = label->wordWrap() ? Qt::TextWordWrap : 0;
        const QRect width(0, 0, label->contentsRect().width(), 100000);
        return {label->text(), metrics.boundingRect(width, flags, label->text()).size(),
                label->contentsRect()};
    }
    if (auto* box = qobject_cast<QGroupBox*>(widget)) {
        if (box->title().isEmpty()) {
            return {}; // a bare frame
        }
        // The style sizes the title's place by the title's ink; the room is the box beside it.
        QStyleOptionGroupBox option;
        option.initFrom(box);
        option.text = box->title();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QRect label =
            style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
        return {box->title(), metrics.size(0, box->title()),
                QRect(label.left(), label.top(), box->width() - 2 * label.left(), label.height())
                    .intersected(box->rect())};
    }
    auto* edit = qobject_cast<QLineEdit*>(widget);
    if (edit == nullptr) {
        return {};
    }
    // The fields hold numbers such as "-1500"; QLineEdit keeps 2 pixels each side.
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.lineWidth = style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
    return {edit->text(), metrics.size(0, "-1500") + QSize(4, 0),
            style->subElementRect(QStyle::SE_LineEditContents, &option, edit)};
}

// Keeps the dialog as <id>.png and, drawn at twice the pixel density, as <id>@2x.png.
void SaveScreenshots(QWidget& view, const QString& name) {
    const QDir folder(QStringLiteral(ORVIX2_SCREENSHOT_DIR));
    ASSERT_TRUE(folder.mkpath(QStringLiteral(".")));
    EXPECT_TRUE(view.grab().save(folder.filePath(name + QStringLiteral(".png"))));
    QPixmap twice(view.size() * 2);
    twice.setDevicePixelRatio(2.0);
    view.render(&twice);
    EXPECT_TRUE(twice.save(folder.filePath(name + QStringLiteral("@2x.png"))));
}

// Hidden controls count too: they are shown in some states. Qt stacks children in the order of
// the child list, the last on top.
TEST(TemplateDialogTest, EveryControlIsAWidgetOfItsKindInItsPlaceAndNothingOverlapsOrIsCutOff) {
    for (const auto& [dialogTemplate, fontScale] :
         {std::pair(&MainDialogTemplate, 1.0), std::pair(&MainDialogTemplate, 2.0),
          std::pair(&AboutDialogTemplate, 1.0), std::pair(&AboutDialogTemplate, 2.0),
          std::pair(&ProgramDialogTemplate, 1.0), std::pair(&ProgramDialogTemplate, 2.0),
          std::pair(&SettingsDialogTemplate, 1.0), std::pair(&SettingsDialogTemplate, 2.0),
          std::pair(&UserDialogTemplate, 1.0), std::pair(&UserDialogTemplate, 2.0),
          std::pair(&DateDialogTemplate, 1.0), std::pair(&DateDialogTemplate, 2.0),
          std::pair(&HistoryDialogTemplate, 1.0), std::pair(&HistoryDialogTemplate, 2.0)}) {
        SCOPED_TRACE(std::string(dialogTemplate().title) + " at " + std::to_string(fontScale));
        RecordingDialog controller(dialogTemplate());
        RenderedDialog dialog(controller, fontScale);
        const std::vector<ControlTemplate>& controls = controller.Template().controls;
        const QObjectList stacking = dialog.view.children();
        const int titleHeight = QFontMetrics(dialog.view.font()).height();
        EXPECT_FALSE(dialog.view.windowIcon().isNull());
        if (fontScale == 1.0) {
            SaveScreenshots(dialog.view, QString::number(controller.Template().resourceId));
        }
        for (std::size_t i = 0; i < controls.size(); ++i) {
            const ControlTemplate& control = controls[i];
            QWidget* widget = dialog.view.WidgetAt(i);
            const QRect rect = widget->geometry();
            SCOPED_TRACE(Name(control));
            if (control.kind != ControlKind::DropDownList) { // closed, a list is one line high
                EXPECT_EQ(rect, dialog.view.Units().Map(control.rect));
            }
            const auto [text, needs, room] = TextOf(widget);
            const bool isIcon = control.kind == ControlKind::Icon; // its text names the picture
            EXPECT_EQ(text.toStdString(), isIcon ? "" : control.text);
            EXPECT_LE(needs.width(), room.width());
            EXPECT_LE(needs.height(), room.height());
            if (auto* label = qobject_cast<QLabel*>(widget)) { // long texts wrap; the icon shows
                EXPECT_TRUE(isIcon ? !label->pixmap().isNull() : label->wordWrap());
            }
            EXPECT_TRUE(dialog.view.rect().contains(rect));
            for (std::size_t j = 0; j < controls.size(); ++j) {
                const QRect other = dialog.view.WidgetAt(j)->geometry();
                if (j == i || control.kind == ControlKind::GroupBox || !rect.intersects(other)) {
                    continue;
                }
                if (controls[j].kind != ControlKind::GroupBox) {
                    EXPECT_GT(j, i) << "overlaps " << Name(controls[j]); // each pair once
                    continue;
                }
                EXPECT_TRUE(other.contains(rect)) << "crosses the frame of " << Name(controls[j]);
                const int title = controls[j].text.empty() ? 0 : titleHeight; // a bare frame
                EXPECT_GE(rect.top(), other.top() + title)
                    << "in the title of " << Name(controls[j]);
                EXPECT_LT(stacking.indexOf(dialog.view.WidgetAt(j)), stacking.indexOf(widget))
                    << "behind " << Name(controls[j]);
            }
        }
    }
}

// The first dark pixel from x rightwards within the rows from top to bottom; -1 for none.
int FirstInk(const QImage& picture, int x, int top, int bottom) {
    for (; x < picture.width(); ++x) {
        for (int y = top; y <= bottom; ++y) {
            if (qGray(picture.pixel(x, y)) < 100) {
                return x;
            }
        }
    }
    return -1;
}

// The history dialog with rows as a card's saves give them: each column begins under its header.
TEST(TemplateDialogTest, TheHistoryListsColumnsStandUnderTheirHeaders) {
    using namespace history_dlg;
    for (double fontScale : {1.0, 2.0}) {
        RecordingDialog controller(HistoryDialogTemplate());
        controller.onInit = [](ui::DialogModel& model) {
            model.SetTabStops(IDC_ENTRIES, {kEntryStops.begin(), kEntryStops.end()});
            model.SetTabStops(IDC_DIFFERENCES, {kDifferenceStops.begin(), kDifferenceStops.end()});
            model.AddItems(
                IDC_ENTRIES,
                {"14\t2026-12-07T10:42:13\tSTARTUP.BIN, VOLUME.BIN\twalkSteps 12→4, VOLUME 7→5",
                 "13\t2026-12-07T10:31:05\tVOLUME.BIN\tVOLUME 5→7",
                 "12\t2026-12-07T10:30:00\tSTARTUP.BIN\tID2 原点 25→30, ID3 原点 -10→-12, "
                 "ID4 原点 0→3, ID5 原点 7→9, ID6 原点 1→2",
                 "9\t\t\t読めない記録: not a history entry"});
            model.SelectItem(IDC_ENTRIES, 2);
            model.AddItems(IDC_DIFFERENCES,
                           {"サーボ値\tID2 origin\t25\t30", "プログラム\twalkSteps\t4\t12",
                            "設定データ\tvolume\t5\t7", "ユーザ\tuser1 name\t(なし)\tたろう"});
        };
        RenderedDialog dialog(controller, fontScale);
        if (fontScale == 1.0) {
            SaveScreenshots(dialog.view, QStringLiteral("134-rows"));
        }
        // A row of the headers' own texts (the four labels before each list) stands under them.
        const std::vector<ControlTemplate>& controls = controller.Template().controls;
        for (const auto& [list, stops] :
             {std::pair(IDC_ENTRIES, kEntryStops), std::pair(IDC_DIFFERENCES, kDifferenceStops)}) {
            const auto at = std::find_if(controls.begin(), controls.end(),
                                         [list](const ControlTemplate& c) { return c.id == list; });
            std::string headers;
            for (auto header = at - 4; header != at; ++header) {
                headers += std::string(header->text) + (header + 1 != at ? "\t" : "");
            }
            dialog.model.AddItem(list, headers);
            auto* widget = dialog.view.Widget<QListWidget>(list);
            const QRect row =
                widget->visualItemRect(widget->item(widget->count() - 1))
                    .translated(widget->viewport()->mapTo(&dialog.view, QPoint(0, 0)));
            const QRect header = dialog.view.WidgetAt(at - controls.begin() - 1)->geometry();
            const QImage picture = dialog.view.grab().toImage();
            for (int column = 0; column <= 3; ++column) {
                SCOPED_TRACE(std::to_string(list) + " column " + std::to_string(column) + " at " +
                             std::to_string(fontScale));
                const int start = widget->geometry().left() - dialog.view.Units().X(2) +
                                  (column == 0 ? 0 : dialog.view.Units().X(stops[column - 1]));
                EXPECT_NEAR(FirstInk(picture, start, header.top(), header.bottom()),
                            FirstInk(picture, start, row.top(), row.bottom()), fontScale);
            }
        }
    }
}

} // namespace
} // namespace orvix::test
