// The templates laid out with the dialog font at 100% and 200%: nothing overlaps, no text is cut
// off, and pictures of the dialogs are written for a person to look at.

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QStyleOptionGroupBox>
#include <gtest/gtest.h>
#include <sstream>

#include "calibration/servo_table.h"
#include "qt_test_support.h"
#include "resources/main_dialog.h"

namespace orvix::test {
namespace {

using ui::ControlKind;
using ui::ControlTemplate;

std::string Name(const ControlTemplate& control) {
    std::ostringstream name;
    name << '"' << control.text << "\" (" << control.id << ")";
    return name.str();
}

std::string Describe(const QRect& rect) {
    std::ostringstream text;
    text << rect.x() << "," << rect.y() << " " << rect.width() << "x" << rect.height();
    return text.str();
}

// Whether a text of this size fits a rectangle; the reason when it does not.
testing::AssertionResult Fits(const QSize& text, const QRect& room) {
    if (text.width() <= room.width() && text.height() <= room.height()) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure()
           << "needs " << text.width() << "x" << text.height() << " but has " << Describe(room);
}

testing::AssertionResult TextFits(QWidget* widget) {
    const QFontMetrics metrics(widget->font());
    QStyle* style = widget->style();
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        QStyle::SubElement contents = QStyle::SE_PushButtonContents;
        if (qobject_cast<QCheckBox*>(widget)) {
            contents = QStyle::SE_CheckBoxContents;
        } else if (qobject_cast<QRadioButton*>(widget)) {
            contents = QStyle::SE_RadioButtonContents;
        }
        const QSize text = metrics.size(Qt::TextShowMnemonic, button->text());
        return Fits(text, style->subElementRect(contents, &option, widget));
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        if (label->text().isEmpty()) {
            return testing::AssertionSuccess(); // an icon
        }
        const QRect wrapped =
            metrics.boundingRect(QRect(0, 0, label->width(), 100000),
                                 Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, label->text());
        return Fits(wrapped.size(), label->contentsRect());
    }
    if (auto* box = qobject_cast<QGroupBox*>(widget)) {
        QStyleOptionGroupBox option;
        option.initFrom(box);
        option.text = box->title();
        option.textAlignment = box->alignment();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QRect title =
            style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
        return Fits(metrics.size(0, box->title()), title.intersected(box->rect()));
    }
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        // The fields hold numbers such as "-1500"; QLineEdit keeps 2 pixels each side.
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.lineWidth = style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
        const QRect room = style->subElementRect(QStyle::SE_LineEditContents, &option, edit);
        return Fits(metrics.size(0, "-1500") + QSize(4, 0), room);
    }
    return testing::AssertionSuccess();
}

struct LayoutCase {
    const char* name;
    const ui::DialogTemplate& (*dialogTemplate)();
    double fontScale;
};

void PrintTo(const LayoutCase& layout, std::ostream* out) {
    *out << layout.name;
}

class LayoutTest : public testing::TestWithParam<LayoutCase> {
protected:
    LayoutTest()
        : controller(GetParam().dialogTemplate()), dialog(controller, GetParam().fontScale) {}

    const ui::DialogTemplate& Template() const { return GetParam().dialogTemplate(); }
    QRect Geometry(std::size_t i) const { return dialog.view.WidgetAt(i)->geometry(); }
    bool IsGroup(std::size_t i) const {
        return Template().controls[i].kind == ControlKind::GroupBox;
    }

    RecordingDialog controller;
    RenderedDialog dialog;
};

TEST_P(LayoutTest, NoTwoControlsOverlap) {
    // Hidden controls count too: they are shown in some states.
    const auto& controls = Template().controls;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            if (!IsGroup(i) && !IsGroup(j)) {
                EXPECT_FALSE(Geometry(i).intersects(Geometry(j)))
                    << Name(controls[i]) << " at " << Describe(Geometry(i)) << " overlaps "
                    << Name(controls[j]) << " at " << Describe(Geometry(j));
            }
        }
    }
}

TEST_P(LayoutTest, EveryControlLiesInTheDialogAndWhollyInOrOutOfEachGroupBox) {
    const auto& controls = Template().controls;
    const int titleHeight = QFontMetrics(dialog.view.font()).height();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        EXPECT_TRUE(dialog.view.rect().contains(Geometry(i))) << Name(controls[i]);
        for (std::size_t g = 0; g < controls.size(); ++g) {
            if (!IsGroup(g) || g == i || !Geometry(g).intersects(Geometry(i))) {
                continue;
            }
            EXPECT_TRUE(Geometry(g).contains(Geometry(i)))
                << Name(controls[i]) << " crosses the frame of " << Name(controls[g]);
            EXPECT_GE(Geometry(i).top(), Geometry(g).top() + titleHeight)
                << Name(controls[i]) << " reaches into the title of " << Name(controls[g]);
        }
    }
}

TEST_P(LayoutTest, NoTextIsCutOff) {
    const auto& controls = Template().controls;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        EXPECT_TRUE(TextFits(dialog.view.WidgetAt(i))) << Name(controls[i]);
    }
}

// The main dialog as it looks with a file loaded; the others as they open.
void ShowLoadedState(ui::DialogModel& model) {
    if (model.Template().resourceId != IDD_ORVIX_DIALOG) {
        return;
    }
    for (const ServoInfo& servo : kServoTable) {
        model.SetInt(servo.fieldId, servo.standard);
    }
    model.SetCheck(main_dlg::IDC_TABLE_ORIGIN, true);
    model.SetCheck(main_dlg::IDC_CHECK_RANGE, true);
    for (int id : {main_dlg::IDC_WRITE, main_dlg::IDC_PROGRAM_CHANGE, main_dlg::IDC_SETTINGS_DATA,
                   main_dlg::IDC_USER_DATA}) {
        model.Enable(id, true);
    }
}

TEST_P(LayoutTest, WritesAPictureOfTheDialog) {
    ShowLoadedState(dialog.model);
    std::vector<std::pair<std::string, QPixmap>> pictures;
    dialog.view.show();
    const std::string suffix = GetParam().fontScale == 1.0 ? "" : "-200";
    const std::string base = "dialog-" + std::to_string(Template().resourceId);
    pictures.emplace_back(base + suffix, dialog.view.grab());
    if (Template().resourceId == IDD_ORVIX_DIALOG) {
        // The short variant of the image shows the attenuator too.
        for (int id : {main_dlg::IDC_ATTENUATOR, main_dlg::IDC_ATTENUATOR_SPIN,
                       main_dlg::IDC_ATTENUATOR_LABEL, main_dlg::IDC_ATTENUATOR_SCALE}) {
            dialog.model.Show(id, true);
        }
        dialog.model.SetInt(main_dlg::IDC_ATTENUATOR, 3);
        pictures.emplace_back(base + "-attenuator" + suffix, dialog.view.grab());
    }
    const QDir folder(ORVIX2_SCREENSHOT_FOLDER);
    ASSERT_TRUE(folder.mkpath("."));
    for (const auto& [name, picture] : pictures) {
        EXPECT_EQ(picture.size(), dialog.view.size());
        const QString path = folder.filePath(QString::fromStdString(name + ".png"));
        EXPECT_TRUE(picture.save(path)) << path.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Templates, LayoutTest,
                         testing::Values(LayoutCase{"MainDialog", &MainDialogTemplate, 1.0},
                                         LayoutCase{"MainDialogAt200", &MainDialogTemplate, 2.0},
                                         LayoutCase{"AboutBox", &AboutDialogTemplate, 1.0},
                                         LayoutCase{"AboutBoxAt200", &AboutDialogTemplate, 2.0}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace orvix::test
