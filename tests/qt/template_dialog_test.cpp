// The templates rendered with the dialog font at 100% and 200%: every control a widget of its
// kind in its place, nothing overlapping or cut off, and pictures for a person to look at.

#include "calibration/servo_table.h"
#include "qt_test_support.h"

namespace orvix::test {
namespace {

using qt::DialogFont;
using qt::DialogUnits;
using ui::ControlKind;
using ui::ControlTemplate;

TEST(DialogUnitsTest, UnitsFollowTheFontAndRectanglesMapCornerByCorner) {
    for (double scale : {1.0, 2.0}) {
        const QFont font = DialogFont(scale);
        const DialogUnits units(font);
        const QFontMetrics metrics(font);
        // Four units across are an average letter; three lines of 8 units hold three lines.
        EXPECT_NEAR(
            units.X(4 * 52),
            metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"), 1.0)
            << scale;
        EXPECT_GE(units.Y(24),
                  metrics.boundingRect(QRect(0, 0, 1000, 1000), 0, "声\n小\n大").height())
            << scale;
        EXPECT_LT(units.Y(24), 4 * metrics.height()) << scale;
    }
    const QSize small = DialogUnits(DialogFont()).MapSize(560, 286);
    const QSize large = DialogUnits(DialogFont(2.0)).MapSize(560, 286);
    EXPECT_NEAR(large.width(), 2.0 * small.width(), 0.05 * large.width());
    EXPECT_NEAR(large.height(), 2.0 * small.height(), 0.05 * large.height());

    const DialogUnits units(DialogFont());
    // An edit and its spin side by side, as in the main dialog, still touch at every offset.
    for (int x = 0; x < 40; ++x) {
        const QRect edit = units.Map(ui::Rect{x, 7, 30, 13});
        const QRect spin = units.Map(ui::Rect{x + 30, 7, 10, 13});
        EXPECT_EQ(edit.right() + 1, spin.left()) << "at x = " << x;
        EXPECT_EQ(edit.top(), spin.top());
        EXPECT_EQ(edit.height(), spin.height());
    }
}

// The widget class of each kind of control, in the order of ControlKind.
constexpr const char* kWidgetClass[] = {
    "QPushButton",           "QPushButton", "QCheckBox", "QRadioButton", "QLineEdit", "QLineEdit",
    "orvix::qt::SpinArrows", "QComboBox",   "QGroupBox", "QLabel",       "QLabel"};

std::string Name(const ControlTemplate& control) {
    return '"' + std::string(control.text) + "\" (" + std::to_string(control.id) + ")";
}

// The text a widget shows, the size it needs and the room it has for it.
struct ShownText {
    QString text;
    QSize needs{0, 0};
    QRect room;
};

ShownText TextOf(QWidget* widget) {
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
        const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
        return {
            label->text(),
            metrics.boundingRect(QRect(0, 0, label->width(), 100000), flags, label->text()).size(),
            label->contentsRect()};
    }
    if (auto* box = qobject_cast<QGroupBox*>(widget)) {
        QStyleOptionGroupBox option;
        option.initFrom(box);
        option.text = box->title();
        option.textAlignment = box->alignment();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        return {box->title(), metrics.size(0, box->title()),
                style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box)
                    .intersected(box->rect())};
    }
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        // The fields hold numbers such as "-1500"; QLineEdit keeps 2 pixels each side.
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.lineWidth = style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
        return {edit->text(), metrics.size(0, "-1500") + QSize(4, 0),
                style->subElementRect(QStyle::SE_LineEditContents, &option, edit)};
    }
    return {};
}

struct LayoutCase {
    const char* name;
    const ui::DialogTemplate& (*dialogTemplate)();
    double fontScale;
};

void PrintTo(const LayoutCase& layout, std::ostream* out) {
    *out << layout.name;
}

class TemplateDialogTest : public testing::TestWithParam<LayoutCase> {
protected:
    TemplateDialogTest()
        : controller(GetParam().dialogTemplate()), dialog(controller, GetParam().fontScale) {}

    const std::vector<ControlTemplate>& Controls() const { return controller.Template().controls; }
    QWidget* At(std::size_t i) const { return dialog.view.WidgetAt(i); }
    bool IsGroup(std::size_t i) const { return Controls()[i].kind == ControlKind::GroupBox; }

    RecordingDialog controller;
    RenderedDialog dialog;
};

TEST_P(TemplateDialogTest, EveryControlIsAWidgetOfItsKindWithItsLabelAndStateInItsPlace) {
    const ui::DialogTemplate& shape = controller.Template();
    EXPECT_EQ(dialog.view.windowTitle().toStdString(), shape.title);
    EXPECT_EQ(dialog.view.minimumSize(), dialog.view.Units().MapSize(shape.width, shape.height));
    EXPECT_EQ(dialog.view.maximumSize(), dialog.view.minimumSize());
    EXPECT_FALSE(dialog.view.windowIcon().isNull());
    for (std::size_t i = 0; i < Controls().size(); ++i) {
        const ControlTemplate& control = Controls()[i];
        QWidget* widget = At(i);
        SCOPED_TRACE(Name(control));
        EXPECT_STREQ(widget->metaObject()->className(),
                     kWidgetClass[static_cast<int>(control.kind)]);
        EXPECT_EQ(widget->parentWidget(), &dialog.view);
        const bool isIcon = control.kind == ControlKind::Icon; // its text names the picture
        EXPECT_EQ(TextOf(widget).text.toStdString(), isIcon ? "" : control.text);
        EXPECT_EQ(widget->isEnabled(), (control.style & ui::kDisabled) == 0);
        EXPECT_EQ(widget->isHidden(), (control.style & ui::kHidden) != 0);
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            EXPECT_FALSE(button->isChecked());
        }
        // Enter and the radio groups belong to the model.
        if (auto* push = qobject_cast<QPushButton*>(widget)) {
            EXPECT_FALSE(push->autoDefault());
            EXPECT_EQ(push->isDefault(), control.kind == ControlKind::DefPushButton);
        }
        if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
            EXPECT_FALSE(radio->autoExclusive());
        }
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            EXPECT_EQ(edit->isReadOnly(), control.kind == ControlKind::ReadOnlyEdit);
        }
        if (auto* label = qobject_cast<QLabel*>(widget); label != nullptr && !isIcon) {
            EXPECT_TRUE(label->wordWrap() && label->textFormat() == Qt::PlainText);
        } else if (label != nullptr) { // the application's icon, scaled to its rectangle
            const QSize shown = label->pixmap().size();
            EXPECT_FALSE(shown.isEmpty());
            EXPECT_TRUE(shown.width() <= label->width() && shown.height() <= label->height());
            EXPECT_TRUE(shown.width() == label->width() || shown.height() == label->height());
        }
        if (control.kind != ControlKind::DropDownList) { // closed, a list is one line high
            EXPECT_EQ(widget->geometry(), dialog.view.Units().Map(control.rect));
        }
    }
}

TEST_P(TemplateDialogTest, NothingOverlapsOrIsCutOffAndControlsLieWhollyInsideGroupBoxes) {
    // Qt stacks children in the order of the child list, the last on top. Hidden controls count
    // too: they are shown in some states.
    const QObjectList stacking = dialog.view.children();
    const int titleHeight = QFontMetrics(dialog.view.font()).height();
    for (std::size_t i = 0; i < Controls().size(); ++i) {
        const QRect rect = At(i)->geometry();
        const std::string name = Name(Controls()[i]);
        const ShownText text = TextOf(At(i));
        EXPECT_TRUE(text.needs.width() <= text.room.width() &&
                    text.needs.height() <= text.room.height())
            << name << " needs " << testing::PrintToString(QRect(QPoint(), text.needs)) << " in "
            << testing::PrintToString(text.room);
        EXPECT_TRUE(dialog.view.rect().contains(rect)) << name;
        for (std::size_t j = 0; j < Controls().size(); ++j) {
            const QRect other = At(j)->geometry();
            if (j == i || IsGroup(i) || !rect.intersects(other)) {
                continue;
            }
            if (!IsGroup(j)) {
                if (j > i) { // each pair once
                    ADD_FAILURE() << name << " at " << testing::PrintToString(rect) << " overlaps "
                                  << Name(Controls()[j]) << " at " << testing::PrintToString(other);
                }
                continue;
            }
            const std::string group = Name(Controls()[j]);
            EXPECT_TRUE(other.contains(rect)) << name << " crosses the frame of " << group;
            EXPECT_GE(rect.top(), other.top() + titleHeight)
                << name << " is in the title of " << group;
            EXPECT_LT(stacking.indexOf(At(j)), stacking.indexOf(At(i)))
                << name << " is behind " << group;
        }
    }
}

TEST_P(TemplateDialogTest, WritesPicturesOfTheDialog) {
    const QDir folder(ORVIX2_SCREENSHOT_FOLDER);
    ASSERT_TRUE(folder.mkpath("."));
    const int id = controller.Template().resourceId;
    const auto save = [&](const std::string& variant) {
        const std::string name = "dialog-" + std::to_string(id) + variant +
                                 (GetParam().fontScale == 1.0 ? "" : "-200") + ".png";
        EXPECT_TRUE(dialog.view.grab().save(folder.filePath(QString::fromStdString(name)))) << name;
    };
    dialog.view.show();
    if (id != IDD_ORVIX_DIALOG) {
        return save("");
    }
    // The main dialog as it looks with a file loaded, and then with the attenuator too.
    for (int k = 0; k < kServoCount; ++k) {
        dialog.model.SetInt(ServoField(k), kServoTable[static_cast<std::size_t>(k)].standard);
    }
    dialog.model.SetCheck(main_dlg::IDC_TABLE_ORIGIN, true);
    dialog.model.SetCheck(main_dlg::IDC_CHECK_RANGE, true);
    for (int control : {main_dlg::IDC_WRITE, main_dlg::IDC_PROGRAM_CHANGE,
                        main_dlg::IDC_SETTINGS_DATA, main_dlg::IDC_USER_DATA}) {
        dialog.model.Enable(control, true);
    }
    save("");
    for (int control : {main_dlg::IDC_ATTENUATOR, main_dlg::IDC_ATTENUATOR_SPIN,
                        main_dlg::IDC_ATTENUATOR_LABEL, main_dlg::IDC_ATTENUATOR_SCALE}) {
        dialog.model.Show(control, true);
    }
    dialog.model.SetInt(main_dlg::IDC_ATTENUATOR, 3);
    save("-attenuator");
}

INSTANTIATE_TEST_SUITE_P(Templates, TemplateDialogTest,
                         testing::Values(LayoutCase{"MainDialog", &MainDialogTemplate, 1.0},
                                         LayoutCase{"MainDialogAt200", &MainDialogTemplate, 2.0},
                                         LayoutCase{"AboutBox", &AboutDialogTemplate, 1.0},
                                         LayoutCase{"AboutBoxAt200", &AboutDialogTemplate, 2.0}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace orvix::test
