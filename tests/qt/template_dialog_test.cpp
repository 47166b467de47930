#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

#include "qt/app_icon.h"
#include "qt/spin_arrows.h"
#include "qt_test_support.h"
#include "resources/main_dialog.h"

namespace orvix::test {
namespace {

using qt::TemplateDialog;
using ui::ControlKind;
using ui::ControlTemplate;

QString Text(const ControlTemplate& control) {
    return QString::fromUtf8(control.text.data(), static_cast<qsizetype>(control.text.size()));
}

// The widget's own text, or why it is the wrong kind of widget.
testing::AssertionResult HasKindAndText(QWidget* widget, const ControlTemplate& control) {
    const auto fail = [&](const char* expected) {
        return testing::AssertionFailure()
               << "control " << control.id << " \"" << control.text << "\" should be a " << expected
               << " but is a " << widget->metaObject()->className();
    };
    const auto sameText = [&](const QString& text) {
        if (text == Text(control)) {
            return testing::AssertionSuccess();
        }
        return testing::AssertionFailure()
               << "control " << control.id << " reads \"" << text.toStdString() << "\"";
    };
    switch (control.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefPushButton: {
        auto* button = qobject_cast<QPushButton*>(widget);
        if (button == nullptr) {
            return fail("QPushButton");
        }
        if (button->autoDefault() ||
            button->isDefault() != (control.kind == ControlKind::DefPushButton)) {
            return testing::AssertionFailure() << "button " << control.id << " default flags";
        }
        return sameText(button->text());
    }
    case ControlKind::CheckBox:
        if (auto* box = qobject_cast<QCheckBox*>(widget)) {
            return sameText(box->text());
        }
        return fail("QCheckBox");
    case ControlKind::RadioButton:
        if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
            if (radio->autoExclusive()) {
                return testing::AssertionFailure() << "radio " << control.id << " is exclusive";
            }
            return sameText(radio->text());
        }
        return fail("QRadioButton");
    case ControlKind::Edit:
    case ControlKind::ReadOnlyEdit:
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            if (edit->isReadOnly() != (control.kind == ControlKind::ReadOnlyEdit)) {
                return testing::AssertionFailure() << "edit " << control.id << " read-only";
            }
            return edit->text().isEmpty() ? testing::AssertionSuccess()
                                          : testing::AssertionFailure() << "edit not empty";
        }
        return fail("QLineEdit");
    case ControlKind::Spin:
        return qobject_cast<qt::SpinArrows*>(widget) ? testing::AssertionSuccess()
                                                     : fail("SpinArrows");
    case ControlKind::DropDownList:
        if (auto* combo = qobject_cast<QComboBox*>(widget); combo && !combo->isEditable()) {
            return testing::AssertionSuccess();
        }
        return fail("non-editable QComboBox");
    case ControlKind::GroupBox:
        if (auto* box = qobject_cast<QGroupBox*>(widget)) {
            return sameText(box->title());
        }
        return fail("QGroupBox");
    case ControlKind::Label:
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            if (!label->wordWrap() || label->textFormat() != Qt::PlainText) {
                return testing::AssertionFailure() << "label \"" << control.text << "\" format";
            }
            return sameText(label->text());
        }
        return fail("QLabel");
    case ControlKind::Icon:
        if (auto* label = qobject_cast<QLabel*>(widget); label && !label->pixmap().isNull()) {
            return testing::AssertionSuccess();
        }
        return fail("QLabel with a picture");
    }
    return fail("known kind");
}

struct TemplateCase {
    const char* name;
    const ui::DialogTemplate& (*dialogTemplate)();
};

void PrintTo(const TemplateCase& param, std::ostream* out) {
    *out << param.name;
}

class EveryTemplateTest : public testing::TestWithParam<TemplateCase> {
protected:
    const ui::DialogTemplate& Template() const { return GetParam().dialogTemplate(); }
};

TEST_P(EveryTemplateTest, EveryControlIsAWidgetOfItsKindWithItsLabelAndInitialState) {
    RecordingDialog controller(Template());
    RenderedDialog dialog(controller);
    const auto& controls = Template().controls;
    ASSERT_FALSE(controls.empty());
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const ControlTemplate& control = controls[i];
        QWidget* widget = dialog.view.WidgetAt(i);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->parentWidget(), &dialog.view);
        EXPECT_TRUE(HasKindAndText(widget, control));
        EXPECT_EQ(widget->isEnabled(), (control.style & ui::kDisabled) == 0) << control.id;
        EXPECT_EQ(widget->isHidden(), (control.style & ui::kHidden) != 0) << control.id;
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            EXPECT_FALSE(button->isChecked()) << control.id;
        }
        if (control.id != 0) {
            EXPECT_EQ(dialog.view.Widget(control.id), widget);
        }
        if (control.kind != ControlKind::DropDownList) {
            EXPECT_EQ(widget->geometry(), dialog.view.Units().Map(control.rect)) << control.id;
        }
    }
}

TEST_P(EveryTemplateTest, TheWindowHasTheTitleTheSizeAndTheIconOfTheApplication) {
    RecordingDialog controller(Template());
    RenderedDialog dialog(controller);
    EXPECT_EQ(dialog.view.windowTitle().toStdString(), Template().title);
    const QSize size = dialog.view.Units().MapSize(Template().width, Template().height);
    EXPECT_EQ(dialog.view.minimumSize(), size);
    EXPECT_EQ(dialog.view.maximumSize(), size);
    EXPECT_FALSE(dialog.view.windowIcon().isNull());
    EXPECT_EQ(dialog.view.font(), qt::DialogFont());
}

TEST_P(EveryTemplateTest, GroupBoxesLieBehindTheControlsInsideThem) {
    RecordingDialog controller(Template());
    RenderedDialog dialog(controller);
    // Qt stacks the children of a widget in the order of its child list, the last on top.
    const QObjectList children = dialog.view.children();
    const auto& controls = Template().controls;
    for (std::size_t g = 0; g < controls.size(); ++g) {
        if (controls[g].kind != ControlKind::GroupBox) {
            continue;
        }
        QWidget* box = dialog.view.WidgetAt(g);
        for (std::size_t i = 0; i < controls.size(); ++i) {
            QWidget* widget = dialog.view.WidgetAt(i);
            if (i != g && box->geometry().intersects(widget->geometry())) {
                EXPECT_LT(children.indexOf(box), children.indexOf(widget))
                    << "\"" << controls[i].text << "\" " << controls[i].id;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Templates, EveryTemplateTest,
                         testing::Values(TemplateCase{"MainDialog", &MainDialogTemplate},
                                         TemplateCase{"AboutBox", &AboutDialogTemplate}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TemplateDialogTest, TheIconIsResource128ScaledToItsRectangle) {
    const QPixmap icon = qt::IconPixmap(IDR_MAINFRAME);
    ASSERT_FALSE(icon.isNull());
    EXPECT_GE(icon.width(), 64);
    EXPECT_TRUE(qt::IconPixmap(129).isNull());

    RecordingDialog controller(AboutDialogTemplate());
    RenderedDialog dialog(controller);
    auto* label = qobject_cast<QLabel*>(dialog.view.WidgetAt(0));
    ASSERT_NE(label, nullptr);
    const QSize shown = label->pixmap().size();
    EXPECT_LE(shown.width(), label->width());
    EXPECT_LE(shown.height(), label->height());
    EXPECT_TRUE(shown.width() == label->width() || shown.height() == label->height());
}

} // namespace
} // namespace orvix::test
