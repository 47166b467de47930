#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include "qt/qt_prompter.h"
#include "qt/qt_runner.h"
#include "qt_test_support.h"
#include "resources/main_dialog.h"
#include "resources/string_table.h"

namespace orvix::test {
namespace {

using namespace main_dlg;
using qt::TemplateDialog;

class QtRunnerTest : public testing::Test {
protected:
    TemplateDialog* OpenDialog() const { return qobject_cast<TemplateDialog*>(stack.Top()); }

    // Ends whatever is still open, so that a failed script cannot hang the run.
    void Abandon(const char* why) {
        ADD_FAILURE() << why;
        if (TemplateDialog* dialog = OpenDialog()) {
            dialog->done(ui::kIdCancel);
        }
    }

    qt::DialogStack stack;
    qt::QtDialogRunner runner{stack};
};

TEST_F(QtRunnerTest, RunsTheDialogUntilItsModelEndsItAndReturnsTheResult) {
    RecordingDialog about(AboutDialogTemplate());
    bool wasShown = false;
    WhenRunning([&] {
        TemplateDialog* dialog = OpenDialog();
        if (dialog == nullptr) {
            return Abandon("no dialog is open");
        }
        wasShown = dialog->isVisible() && dialog->isModal();
        QTest::mouseClick(dialog->Widget<QPushButton>(ui::kIdOk), Qt::LeftButton);
    });
    EXPECT_EQ(runner.RunModal(about), ui::kIdOk);
    EXPECT_TRUE(wasShown);
    EXPECT_EQ(about.clicks, std::vector<int>{ui::kIdOk});
    EXPECT_EQ(stack.Size(), 0u);
}

TEST_F(QtRunnerTest, InitialisationRunsBeforeTheDialogIsShown) {
    RecordingDialog dialog(MainDialogTemplate());
    std::string fieldAtStart;
    dialog.onInit = [](ui::DialogModel& model) {
        model.SetText(1004, "25");
        model.SetFocus(1004);
    };
    WhenRunning([&] {
        TemplateDialog* view = OpenDialog();
        if (view == nullptr) {
            return Abandon("no dialog is open");
        }
        fieldAtStart = view->Widget<QLineEdit>(1004)->text().toStdString();
        EXPECT_EQ(view->focusWidget(), view->Widget(1004));
        QTest::keyClick(view, Qt::Key_Escape);
    });
    EXPECT_EQ(runner.RunModal(dialog), ui::kIdCancel);
    EXPECT_EQ(fieldAtStart, "25");
}

TEST_F(QtRunnerTest, ADialogThatEndsWhileInitialisingIsNeverShown) {
    RecordingDialog dialog(MainDialogTemplate());
    dialog.onInit = [](ui::DialogModel& model) { model.EndDialog(7); };
    // Would the runner show the dialog anyway, this ends it from inside its event loop.
    bool shown = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        if (TemplateDialog* view = OpenDialog()) {
            shown = true;
            view->done(0);
        }
    });
    guard.start(0);
    EXPECT_EQ(runner.RunModal(dialog), 7);
    EXPECT_FALSE(shown);
}

TEST_F(QtRunnerTest, APostedCloseDuringInitialisationEndsWithCancel) {
    RecordingDialog dialog(MainDialogTemplate());
    dialog.onInit = [](ui::DialogModel& model) { model.PostClose(); };
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        if (OpenDialog() != nullptr) {
            Abandon("the dialog was shown");
        }
    });
    guard.start(0);
    EXPECT_EQ(runner.RunModal(dialog), ui::kIdCancel);
    EXPECT_EQ(dialog.clicks, std::vector<int>{ui::kIdCancel});
}

TEST_F(QtRunnerTest, ChildDialogsAndMessagesBelongToTheDialogThatIsOpen) {
    qt::QtPrompter prompter(stack);
    RecordingDialog about(AboutDialogTemplate());
    RecordingDialog main(MainDialogTemplate());
    QWidget* mainView = nullptr;
    QWidget* childParent = nullptr;
    QWidget* messageParent = nullptr;
    int childResult = 0;
    ui::Answer answer = ui::Answer::None;
    main.onClick = [&](int id) {
        if (id == IDC_READ) {
            childResult = runner.RunModal(about);
        } else if (id == IDC_RESTORE) {
            answer = prompter.Message(IDP_REMOVE_RANGE_LIMIT, ui::Buttons::YesNo);
        }
    };
    WhenRunning([&] {
        mainView = OpenDialog();
        if (mainView == nullptr) {
            return Abandon("no dialog is open");
        }
        WhenRunning([&] {
            TemplateDialog* child = OpenDialog();
            if (child == nullptr || child == mainView) {
                return Abandon("the about box is not open");
            }
            childParent = child->parentWidget();
            QTest::keyClick(child, Qt::Key_Return);
        });
        QTest::mouseClick(OpenDialog()->Widget<QPushButton>(IDC_READ), Qt::LeftButton);
        WhenRunning([&] {
            QMessageBox* box = FindTopLevel<QMessageBox>();
            if (box == nullptr) {
                return Abandon("no message box is open");
            }
            messageParent = box->parentWidget();
            box->button(QMessageBox::No)->click();
        });
        QTest::mouseClick(OpenDialog()->Widget<QPushButton>(IDC_RESTORE), Qt::LeftButton);
        QTest::mouseClick(OpenDialog()->Widget<QPushButton>(IDC_CLOSE), Qt::LeftButton);
    });
    EXPECT_EQ(runner.RunModal(main), IDC_CLOSE);
    ASSERT_NE(mainView, nullptr);
    EXPECT_EQ(childParent, mainView);
    EXPECT_EQ(childResult, ui::kIdOk);
    EXPECT_EQ(messageParent, mainView);
    EXPECT_EQ(answer, ui::Answer::No);
    EXPECT_EQ(stack.Size(), 0u);
}

} // namespace
} // namespace orvix::test
