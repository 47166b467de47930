#include "qt_test_support.h"

namespace orvix::test {
namespace {

using namespace main_dlg;

class MainDialogBindingTest : public testing::Test {
protected:
    MainDialogBindingTest() { dialog.view.show(); }

    template <class T = QWidget> T* W(int id) const { return dialog.view.Widget<T>(id); }
    // Clicks a check box or radio button on its indicator, where Qt takes a click.
    void ClickIndicator(int id) const {
        QTest::mouseClick(W(id), Qt::LeftButton, {}, QPoint(6, W(id)->height() / 2));
    }

    RecordingDialog controller{MainDialogTemplate()};
    RenderedDialog dialog{controller};
};

TEST_F(MainDialogBindingTest, ModelChangesReachTheWidgetsWithoutComingBackAndUserActsTheModel) {
    QTest::mouseClick(W(IDC_WRITE), Qt::LeftButton); // disabled in the template
    dialog.model.SetText(1004, "25");
    dialog.model.SetCheck(IDC_CHECK_RANGE, true);
    dialog.model.Enable(IDC_WRITE, true);
    dialog.model.Show(IDC_ATTENUATOR, true);
    dialog.model.SetText(IDC_ATTENUATOR_LABEL, "音量");
    EXPECT_EQ(W<QLineEdit>(1004)->text(), "25");
    EXPECT_TRUE(W<QCheckBox>(IDC_CHECK_RANGE)->isChecked());
    EXPECT_TRUE(W(IDC_ATTENUATOR)->isVisible());
    EXPECT_EQ(W<QLabel>(IDC_ATTENUATOR_LABEL)->text(), "音量");
    // The program's setting is one change notification, and the check box click none.
    EXPECT_EQ(controller.changes, std::vector<int>{1004});
    EXPECT_TRUE(controller.clicks.empty());
    QTest::mouseClick(W(IDC_WRITE), Qt::LeftButton);
    EXPECT_EQ(controller.clicks, std::vector<int>{IDC_WRITE});

    QLineEdit* edit = W<QLineEdit>(1006);
    edit->setFocus();
    QTest::keyClicks(edit, "-12");
    EXPECT_EQ(dialog.model.GetText(1006), "-12");
    EXPECT_EQ(controller.changes, (std::vector<int>{1004, 1006, 1006, 1006}));
    // The same text from the program leaves the cursor where the person put it.
    edit->setCursorPosition(1);
    dialog.model.SetText(1006, "-12");
    EXPECT_EQ(edit->cursorPosition(), 1);
    QTest::keyClick(edit, Qt::Key_5);
    EXPECT_EQ(dialog.model.GetText(1006), "-512");
}

TEST_F(MainDialogBindingTest, TheModelOwnsTheCheckBoxAndRadioButtonStates) {
    // A handler that refuses to let the box be unchecked, as the range limit's question can.
    controller.onClick = [this](int id) {
        if (id == IDC_CHECK_RANGE) {
            dialog.model.SetCheck(IDC_CHECK_RANGE, true);
        }
    };
    ClickIndicator(IDC_CHECK_RANGE);
    ClickIndicator(IDC_CHECK_RANGE);
    EXPECT_TRUE(W<QCheckBox>(IDC_CHECK_RANGE)->isChecked());
    EXPECT_TRUE(dialog.model.IsChecked(IDC_CHECK_RANGE));

    dialog.model.SetCheck(IDC_TABLE_ORIGIN, true);
    ClickIndicator(IDC_TABLE_LOWER);
    EXPECT_FALSE(W<QRadioButton>(IDC_TABLE_ORIGIN)->isChecked());
    EXPECT_TRUE(W<QRadioButton>(IDC_TABLE_LOWER)->isChecked());
    // A click on the checked button leaves it checked.
    ClickIndicator(IDC_TABLE_LOWER);
    EXPECT_TRUE(W<QRadioButton>(IDC_TABLE_LOWER)->isChecked());
    EXPECT_FALSE(W<QRadioButton>(IDC_TABLE_UPPER)->isChecked());
    // The check box after the group is not part of it.
    ClickIndicator(IDC_TABLE_UPPER);
    EXPECT_TRUE(W<QCheckBox>(IDC_CHECK_RANGE)->isChecked());
    EXPECT_FALSE(W<QRadioButton>(IDC_TABLE_LOWER)->isChecked());
    EXPECT_EQ(controller.clicks,
              (std::vector<int>{IDC_CHECK_RANGE, IDC_CHECK_RANGE, IDC_TABLE_LOWER, IDC_TABLE_LOWER,
                                IDC_TABLE_UPPER}));
}

TEST_F(MainDialogBindingTest, SpinArrowsAndTheArrowKeysStepTheBuddyWithinTheRange) {
    dialog.model.SetSpinRange(1005, -2, 2);
    dialog.model.SetText(1004, "0");
    auto* spin = W<qt::SpinArrows>(1005);
    QLineEdit* edit = W<QLineEdit>(1004);
    QTest::mouseClick(spin->UpButton(), Qt::LeftButton);
    EXPECT_EQ(edit->text(), "1");
    QTest::mouseClick(spin->DownButton(), Qt::LeftButton);
    QTest::mouseClick(spin->DownButton(), Qt::LeftButton);
    EXPECT_EQ(edit->text(), "-1");
    edit->setFocus();
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(edit, Qt::Key_Up);
    }
    EXPECT_EQ(edit->text(), "2"); // held at the top of the range
    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_EQ(dialog.model.GetText(1004), "1");
    EXPECT_EQ(controller.changes.size(), 1u + 3u + 3u + 1u);
    // The arrows leave the focus in the edit and repeat while held.
    EXPECT_EQ(spin->UpButton()->focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(spin->UpButton()->autoRepeat());
}

TEST_F(MainDialogBindingTest, EscAndTheCloseBoxGoThroughButtonTwoAndEnterPressesTheDefaultOnce) {
    controller.endsOnCancel = false; // open, every press can be counted
    QLineEdit* field = W<QLineEdit>(1008);
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_EQ(controller.clicks.size(), 1u);
    EXPECT_FALSE(dialog.view.close());
    EXPECT_EQ(controller.clicks.size(), 2u);
    // The default button is 閉じる, button 2 as well.
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(controller.clicks.size(), 3u);
    // Even on the default button itself, which Qt would press on its own as well.
    W(IDC_CLOSE)->setFocus();
    QTest::keyClick(W(IDC_CLOSE), Qt::Key_Return);
    EXPECT_EQ(controller.clicks.size(), 4u);
    W(IDC_READ)->setFocus();
    QTest::keyClick(W(IDC_READ), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(controller.clicks, std::vector<int>(5, IDC_CLOSE));
    EXPECT_TRUE(dialog.view.isVisible());

    controller.endsOnCancel = true;
    dialog.view.close();
    EXPECT_FALSE(dialog.view.isVisible());
    EXPECT_EQ(dialog.view.result(), ui::kIdCancel);
}

TEST_F(MainDialogBindingTest, SystemMenuEntriesAppearInTheBackgroundMenuAndTheirShortcutsRunThem) {
    // The controller appends them while it initialises; the runner binds them after it.
    dialog.model.AppendSystemMenu(IDM_ABOUTBOX, "バージョン情報 Orvix(&A)...", "F1");
    dialog.binder.BindSystemMenu();
    dialog.view.activateWindow();
    QCoreApplication::processEvents(); // the activation is queued by the platform
    QTest::keyClick(dialog.view.Widget(1004), Qt::Key_F1);
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

TEST(DropDownListBindingTest, ItemsAndSelectionFollowTheModelAndAChoiceReachesTheHandler) {
    // The kinds the main dialog lacks.
    ui::DialogTemplate lists{900, "一覧", 200, 80, {}};
    lists.controls = {ui::Control(ui::ControlKind::DropDownList, 1100, "", 10, 10, 80, 60),
                      ui::Control(ui::ControlKind::ReadOnlyEdit, 1101, "", 100, 10, 60, 13)};
    RecordingDialog controller(lists);
    RenderedDialog dialog(controller);
    dialog.view.show();
    for (const char* item : {"なし", "赤", "青"}) {
        dialog.model.AddItem(1100, item);
    }
    dialog.model.SelectItem(1100, 2);
    dialog.model.SetText(1101, "3.68");
    EXPECT_EQ(dialog.view.Widget<QLineEdit>(1101)->text(), "3.68");
    EXPECT_TRUE(dialog.view.Widget<QLineEdit>(1101)->isReadOnly());
    auto* combo = dialog.view.Widget<QComboBox>(1100);
    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(1), "赤");
    EXPECT_EQ(combo->currentIndex(), 2);
    // Closed, the list is one line high, not the template's open height.
    EXPECT_LT(combo->height(), dialog.view.Units().Y(60));

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

} // namespace
} // namespace orvix::test
