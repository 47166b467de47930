#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include "qt/spin_arrows.h"
#include "qt_test_support.h"
#include "resources/main_dialog.h"

namespace orvix::test {
namespace {

using namespace main_dlg;
using ui::ControlKind;
using ui::DialogTemplate;

// Clicks a check box or radio button on its indicator, where Qt takes a click.
void ClickIndicator(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

class MainDialogBindingTest : public testing::Test {
protected:
    MainDialogBindingTest() { dialog.view.show(); }

    RecordingDialog controller{MainDialogTemplate()};
    RenderedDialog dialog{controller};
};

TEST_F(MainDialogBindingTest, AClickReachesTheHandlerOnlyWhileTheButtonIsEnabled) {
    QTest::mouseClick(dialog.view.Widget<QPushButton>(IDC_READ), Qt::LeftButton);
    QTest::mouseClick(dialog.view.Widget<QPushButton>(IDC_WRITE), Qt::LeftButton); // disabled
    EXPECT_EQ(controller.clicks, std::vector<int>{IDC_READ});

    dialog.model.Enable(IDC_WRITE, true);
    QTest::mouseClick(dialog.view.Widget<QPushButton>(IDC_WRITE), Qt::LeftButton);
    EXPECT_EQ(controller.clicks, (std::vector<int>{IDC_READ, IDC_WRITE}));
}

TEST_F(MainDialogBindingTest, ModelChangesReachTheWidgetsWithoutComingBack) {
    dialog.model.SetText(1004, "25");
    dialog.model.SetCheck(IDC_CHECK_RANGE, true);
    dialog.model.Enable(IDC_PROGRAM_CHANGE, true);
    dialog.model.Show(IDC_ATTENUATOR, true);
    dialog.model.SetText(IDC_ATTENUATOR_LABEL, "音量");
    dialog.model.Show(IDC_ATTENUATOR_LABEL, true);

    EXPECT_EQ(dialog.view.Widget<QLineEdit>(1004)->text(), "25");
    EXPECT_TRUE(dialog.view.Widget<QCheckBox>(IDC_CHECK_RANGE)->isChecked());
    EXPECT_TRUE(dialog.view.Widget<QPushButton>(IDC_PROGRAM_CHANGE)->isEnabled());
    EXPECT_TRUE(dialog.view.Widget(IDC_ATTENUATOR)->isVisible());
    EXPECT_EQ(dialog.view.Widget<QLabel>(IDC_ATTENUATOR_LABEL)->text(), "音量");
    EXPECT_TRUE(dialog.view.Widget(IDC_ATTENUATOR_LABEL)->isVisible());
    // The program's setting is one change notification, and the check box click none.
    EXPECT_EQ(controller.changes, std::vector<int>{1004});
    EXPECT_TRUE(controller.clicks.empty());

    dialog.model.SetCheck(IDC_CHECK_RANGE, false);
    dialog.model.Show(IDC_ATTENUATOR, false);
    EXPECT_FALSE(dialog.view.Widget<QCheckBox>(IDC_CHECK_RANGE)->isChecked());
    EXPECT_FALSE(dialog.view.Widget(IDC_ATTENUATOR)->isVisible());
}

TEST_F(MainDialogBindingTest, TypingGoesToTheModelAndKeepsTheCursor) {
    QLineEdit* edit = dialog.view.Widget<QLineEdit>(1006);
    edit->setFocus();
    QTest::keyClicks(edit, "-12");
    EXPECT_EQ(dialog.model.GetText(1006), "-12");
    EXPECT_EQ(controller.changes, (std::vector<int>{1006, 1006, 1006}));

    // The same text from the program leaves the cursor where the person put it.
    edit->setCursorPosition(1);
    dialog.model.SetText(1006, "-12");
    EXPECT_EQ(edit->cursorPosition(), 1);
    QTest::keyClick(edit, Qt::Key_5);
    EXPECT_EQ(dialog.model.GetText(1006), "-512");
}

TEST_F(MainDialogBindingTest, TheModelOwnsTheCheckBoxState) {
    // A handler that refuses to let the box be unchecked, as the range limit's question can.
    controller.onClick = [this](int id) {
        if (id == IDC_CHECK_RANGE) {
            dialog.model.SetCheck(IDC_CHECK_RANGE, true);
        }
    };
    auto* box = dialog.view.Widget<QCheckBox>(IDC_CHECK_RANGE);
    ClickIndicator(box);
    EXPECT_TRUE(box->isChecked());
    EXPECT_TRUE(dialog.model.IsChecked(IDC_CHECK_RANGE));
    ClickIndicator(box);
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(controller.clicks, (std::vector<int>{IDC_CHECK_RANGE, IDC_CHECK_RANGE}));
}

TEST_F(MainDialogBindingTest, RadioButtonsFollowTheModelsGroup) {
    dialog.model.SetCheck(IDC_TABLE_ORIGIN, true);
    auto* origin = dialog.view.Widget<QRadioButton>(IDC_TABLE_ORIGIN);
    auto* lower = dialog.view.Widget<QRadioButton>(IDC_TABLE_LOWER);
    auto* upper = dialog.view.Widget<QRadioButton>(IDC_TABLE_UPPER);
    ClickIndicator(lower);
    EXPECT_FALSE(origin->isChecked());
    EXPECT_TRUE(lower->isChecked());
    // A click on the checked button leaves it checked, and still reaches the handler.
    ClickIndicator(lower);
    EXPECT_TRUE(lower->isChecked());
    EXPECT_FALSE(upper->isChecked());
    EXPECT_EQ(controller.clicks, (std::vector<int>{IDC_TABLE_LOWER, IDC_TABLE_LOWER}));
    // The check box after the group is not part of it.
    dialog.model.SetCheck(IDC_CHECK_RANGE, true);
    ClickIndicator(upper);
    EXPECT_TRUE(dialog.view.Widget<QCheckBox>(IDC_CHECK_RANGE)->isChecked());
    EXPECT_FALSE(lower->isChecked());
}

TEST_F(MainDialogBindingTest, SpinArrowsAndTheArrowKeysStepTheBuddyWithinTheRange) {
    dialog.model.SetSpinRange(1005, -2, 2);
    dialog.model.SetText(1004, "0");
    auto* spin = dialog.view.Widget<qt::SpinArrows>(1005);
    QLineEdit* edit = dialog.view.Widget<QLineEdit>(1004);

    QTest::mouseClick(spin->UpButton(), Qt::LeftButton);
    EXPECT_EQ(edit->text(), "1");
    QTest::mouseClick(spin->DownButton(), Qt::LeftButton);
    QTest::mouseClick(spin->DownButton(), Qt::LeftButton);
    EXPECT_EQ(edit->text(), "-1");

    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Up);
    QTest::keyClick(edit, Qt::Key_Up);
    QTest::keyClick(edit, Qt::Key_Up);
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(edit->text(), "2"); // held at the top of the range
    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_EQ(dialog.model.GetText(1004), "1");
    EXPECT_EQ(controller.changes.size(), 1u + 3u + 3u + 1u);
    // The arrows leave the focus in the edit and repeat while held.
    EXPECT_TRUE(spin->UpButton()->focusPolicy() == Qt::NoFocus);
    EXPECT_TRUE(spin->UpButton()->autoRepeat());
    // A hidden spin does not step, not even by its buddy's keys.
    dialog.model.Show(IDC_ATTENUATOR, true);
    QTest::keyClick(dialog.view.Widget<QLineEdit>(IDC_ATTENUATOR), Qt::Key_Up);
    EXPECT_EQ(dialog.model.GetText(IDC_ATTENUATOR), "");
    dialog.model.Show(IDC_ATTENUATOR_SPIN, true);
    QTest::keyClick(dialog.view.Widget<QLineEdit>(IDC_ATTENUATOR), Qt::Key_Up);
    EXPECT_EQ(dialog.model.GetText(IDC_ATTENUATOR), "1");
}

TEST_F(MainDialogBindingTest, EscEndsTheDialogThroughButtonTwo) {
    QLineEdit* edit = dialog.view.Widget<QLineEdit>(1004);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(controller.clicks, std::vector<int>{ui::kIdCancel});
    EXPECT_TRUE(dialog.model.Ended());
    EXPECT_EQ(dialog.view.result(), ui::kIdCancel);
    EXPECT_FALSE(dialog.view.isVisible());
}

TEST_F(MainDialogBindingTest, TheCloseBoxAsksTheModelFirst) {
    // A controller that does not end on cancel keeps the window open.
    struct KeepOpen : RecordingDialog {
        using RecordingDialog::RecordingDialog;
        bool Dispatch(int id, ui::Event event) override {
            if (id == ui::kIdCancel && event == ui::Event::Clicked) {
                ++cancels;
                return true;
            }
            return RecordingDialog::Dispatch(id, event);
        }
        int cancels = 0;
    } keepOpen(MainDialogTemplate());
    RenderedDialog open(keepOpen);
    open.view.show();
    EXPECT_FALSE(open.view.close());
    EXPECT_TRUE(open.view.isVisible());
    EXPECT_EQ(keepOpen.cancels, 1);

    dialog.view.close();
    EXPECT_FALSE(dialog.view.isVisible());
    EXPECT_EQ(dialog.view.result(), ui::kIdCancel);
    EXPECT_EQ(controller.clicks, std::vector<int>{ui::kIdCancel});
}

TEST_F(MainDialogBindingTest, EnterPressesTheDefaultButtonOnce) {
    // Even on the default button itself, which Qt would press on its own as well.
    auto* close = dialog.view.Widget<QPushButton>(IDC_CLOSE);
    close->setFocus();
    QTest::keyClick(close, Qt::Key_Return);
    EXPECT_EQ(controller.clicks, std::vector<int>{IDC_CLOSE});
    EXPECT_EQ(dialog.view.result(), IDC_CLOSE);
}

TEST_F(MainDialogBindingTest, EnterInAFieldPressesTheDefaultButton) {
    QLineEdit* edit = dialog.view.Widget<QLineEdit>(1008);
    edit->setFocus();
    QTest::keyClicks(edit, "7");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(controller.clicks, std::vector<int>{IDC_CLOSE});
    EXPECT_EQ(dialog.model.GetText(1008), "7");
}

TEST_F(MainDialogBindingTest, EnterOnAnotherButtonDoesNotPressIt) {
    auto* read = dialog.view.Widget<QPushButton>(IDC_READ);
    read->setFocus();
    QTest::keyClick(read, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(controller.clicks, std::vector<int>{IDC_CLOSE});
}

TEST(AboutBoxBindingTest, EnterWithoutAHandlerEndsTheDialogWithOk) {
    struct NoHandlers : ui::DialogController {
        using ui::DialogController::DialogController;
        bool Dispatch(int, ui::Event) override { return false; }
    } about(AboutDialogTemplate());
    RenderedDialog dialog(about);
    dialog.view.show();
    QTest::keyClick(&dialog.view, Qt::Key_Return);
    EXPECT_TRUE(dialog.model.Ended());
    EXPECT_EQ(dialog.view.result(), ui::kIdOk);
}

TEST(SystemMenuTest, EntriesAppearInTheBackgroundMenuAndTheirShortcutsRunThem) {
    RecordingDialog controller(MainDialogTemplate());
    controller.onInit = [](ui::DialogModel& model) {
        model.AppendSystemMenu(IDM_ABOUTBOX, "バージョン情報 Orvix(&A)...", "F1");
    };
    RenderedDialog dialog(controller);
    dialog.view.show();

    const QList<QAction*> actions = dialog.view.actions();
    ASSERT_EQ(actions.size(), 1);
    EXPECT_EQ(actions[0]->text(), "バージョン情報 Orvix(&A)...");
    EXPECT_EQ(actions[0]->shortcut(), QKeySequence(Qt::Key_F1));

    dialog.view.activateWindow();
    QCoreApplication::processEvents(); // the activation is queued by the platform
    QTest::keyClick(dialog.view.Widget<QLineEdit>(1004), Qt::Key_F1);
    EXPECT_EQ(controller.commands, std::vector<int>{IDM_ABOUTBOX});

    // A right click on the background opens the menu; choosing the entry runs its command.
    QStringList shown;
    WhenRunning([&shown] {
        QMenu* menu = FindTopLevel<QMenu>();
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions()) {
            shown.append(action->text());
        }
        menu->actions().value(0)->trigger();
        menu->close();
    });
    const QPoint background(dialog.view.width() - 3, dialog.view.height() - 3);
    QContextMenuEvent event(QContextMenuEvent::Mouse, background,
                            dialog.view.mapToGlobal(background));
    QApplication::sendEvent(&dialog.view, &event);
    EXPECT_EQ(shown, QStringList{"バージョン情報 Orvix(&A)..."});
    EXPECT_EQ(controller.commands, (std::vector<int>{IDM_ABOUTBOX, IDM_ABOUTBOX}));
}

// A dialog with the kinds the main dialog lacks.
const DialogTemplate& ListTemplate() {
    static const DialogTemplate dialog{
        900,
        "一覧",
        200,
        80,
        {
            ui::Control(ControlKind::DropDownList, 1100, "", 10, 10, 80, 60),
            ui::Control(ControlKind::ReadOnlyEdit, 1101, "", 100, 10, 60, 13),
            ui::Control(ControlKind::DefPushButton, ui::kIdOk, "OK", 100, 60, 40, 14),
            ui::Control(ControlKind::PushButton, ui::kIdCancel, "キャンセル", 145, 60, 50, 14),
        },
    };
    return dialog;
}

TEST(DropDownListBindingTest, ItemsAndSelectionFollowTheModelAndAChoiceReachesTheHandler) {
    RecordingDialog controller(ListTemplate());
    controller.onInit = [](ui::DialogModel& model) {
        for (const char* item : {"なし", "赤", "青"}) {
            model.AddItem(1100, item);
        }
        model.SelectItem(1100, 2);
    };
    RenderedDialog dialog(controller);
    dialog.view.show();
    auto* combo = dialog.view.Widget<QComboBox>(1100);
    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(1), "赤");
    EXPECT_EQ(combo->currentIndex(), 2);
    // Closed, the list is one line high, not the template's open height.
    EXPECT_LT(combo->height(), dialog.view.Units().Y(60));
    EXPECT_TRUE(controller.selections.empty());

    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Up);
    EXPECT_EQ(dialog.model.Selection(1100), 1);
    EXPECT_EQ(controller.selections, std::vector<int>{1100});

    dialog.model.ClearItems(1100);
    dialog.model.AddItem(1100, "緑");
    EXPECT_EQ(combo->count(), 1);
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_EQ(controller.selections, std::vector<int>{1100});
}

TEST(DropDownListBindingTest, AReadOnlyEditShowsTheModelsTextButTakesNoTyping) {
    RecordingDialog controller(ListTemplate());
    RenderedDialog dialog(controller);
    dialog.view.show();
    dialog.model.SetText(1101, "3.68");
    QLineEdit* edit = dialog.view.Widget<QLineEdit>(1101);
    EXPECT_EQ(edit->text(), "3.68");
    edit->setFocus();
    QTest::keyClicks(edit, "9");
    EXPECT_EQ(edit->text(), "3.68");
    EXPECT_EQ(dialog.model.GetText(1101), "3.68");
}

} // namespace
} // namespace orvix::test
