// The templates rendered with the dialog font at 100% and 200%: every control a widget of its
// kind in its place, and nothing overlapping or cut off. The renderings are kept as pictures for
// a look at the layouts.

#include "qt_test_support.h"
#include "resources/history_dialog.h"
#include "resources/names.h"
#include "resources/program_dialog.h"
#include "resources/settings_dialog.h"
#include "resources/translation.h"
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
void SaveScreenshots(QWidget& view, const QString& name, bool english) {
    const QDir folder(QStringLiteral(ORVIX2_SCREENSHOT_DIR) +
                      (english ? QStringLiteral("/en") : QString()));
    ASSERT_TRUE(folder.mkpath(QStringLiteral(".")));
    EXPECT_TRUE(view.grab().save(folder.filePath(name + QStringLiteral(".png"))));
    QPixmap twice(view.size() * 2);
    twice.setDevicePixelRatio(2.0);
    view.render(&twice);
    EXPECT_TRUE(twice.save(folder.filePath(name + QStringLiteral("@2x.png"))));
}

// Rows as a card's saves give them, with a row of the headers' texts to see the columns under
// the headers in the rendering.
void FillHistoryLists(ui::DialogModel& model) {
    using namespace history_dlg;
    model.SetTabStops(IDC_ENTRIES, {kEntryStops.begin(), kEntryStops.end()});
    model.SetTabStops(IDC_DIFFERENCES, {kDifferenceStops.begin(), kDifferenceStops.end()});
    const auto t = [](std::string_view text) { return std::string(Translate(text)); };
    model.AddItems(IDC_ENTRIES,
                   {t("番号") + "\t" + t("日時") + "\t" + t("ファイル") + "\t" + t("変更の内容"),
                    "14\t2026-12-07 10:42:13\tSTARTUP.BIN, VOLUME.BIN\t" +
                        ShownField("calibration", "ID16 origin") + " -50→-55, " +
                        ShownField("settings", "volume") + " 7→5",
                    "9\t\t\t" + t("読めない記録") + ": not a history entry"});
    model.SelectItem(IDC_ENTRIES, 1);
    model.AddItems(IDC_DIFFERENCES,
                   {t("分類") + "\t" + t("項目") + "\t" + t("その時点") + "\t" + t("今のカード"),
                    std::string(NameOf(kArea, "calibration")) + "\t" +
                        ShownField("calibration", "ID16 origin") + "\t-50\t-55",
                    std::string(NameOf(kArea, "users")) + "\t" +
                        ShownField("users", "user10 garbageDays") + "\t" + std::string(NoValue()) +
                        "\t" + ShownValue("users", "user10 garbageDays", "[0,3,6]")});
}

// Hidden controls count too: they are shown in some states. Qt stacks children in the order of
// the child list, the last on top.
// Both languages: the English texts must fit the same dialog units.
TEST(TemplateDialogTest, EveryControlIsAWidgetOfItsKindInItsPlaceAndNothingOverlapsOrIsCutOff) {
    for (const bool english : {false, true}) {
        ASSERT_TRUE(SetInterfaceLanguage(english ? Language::English : Language::Japanese,
                                         {ORVIX2_TEST_CATALOGUE}));
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
            if (dialogTemplate().resourceId == IDD_HISTORY_DIALOG) {
                controller.onInit = FillHistoryLists;
            }
            RenderedDialog dialog(controller, fontScale);
            const std::vector<ControlTemplate>& controls = controller.Template().controls;
            const QObjectList stacking = dialog.view.children();
            const int titleHeight = QFontMetrics(dialog.view.font()).height();
            EXPECT_FALSE(dialog.view.windowIcon().isNull());
            if (fontScale == 1.0) {
                SaveScreenshots(dialog.view, QString::number(controller.Template().resourceId),
                                english);
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
                if (auto* label =
                        qobject_cast<QLabel*>(widget)) { // long texts wrap; the icon shows
                    EXPECT_TRUE(isIcon ? !label->pixmap().isNull() : label->wordWrap());
                }
                EXPECT_TRUE(dialog.view.rect().contains(rect));
                if (control.kind == ControlKind::ReadOnlyEdit) { // looks read-only, takes no focus
                    EXPECT_FALSE(widget->isEnabled());
                }
                for (std::size_t j = 0; j < controls.size(); ++j) {
                    const QRect other = dialog.view.WidgetAt(j)->geometry();
                    if (j == i || control.kind == ControlKind::GroupBox ||
                        !rect.intersects(other)) {
                        continue;
                    }
                    if (controls[j].kind != ControlKind::GroupBox) {
                        EXPECT_GT(j, i) << "overlaps " << Name(controls[j]); // each pair once
                        continue;
                    }
                    EXPECT_TRUE(other.contains(rect))
                        << "crosses the frame of " << Name(controls[j]);
                    const int title = controls[j].text.empty() ? 0 : titleHeight; // a bare frame
                    EXPECT_GE(rect.top(), other.top() + title)
                        << "in the title of " << Name(controls[j]);
                    EXPECT_LT(stacking.indexOf(dialog.view.WidgetAt(j)), stacking.indexOf(widget))
                        << "behind " << Name(controls[j]);
                }
            }
        }
    }
    SetInterfaceLanguage(Language::Japanese, {});
}

} // namespace
} // namespace orvix::test
