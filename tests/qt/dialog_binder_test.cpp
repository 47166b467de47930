#include "qt_test_support.h"

namespace orvix::test {
namespace {

using namespace main_dlg;
using Ids = std::vector<int>;
using Bools = std::vector<bool>;

class MainDialogBindingTest : public testing::Test {
protected:
    MainDialogBindingTest() {
        dialog.view.show();
        dialog.view.activateWindow();
        QCoreApplication::processEvents(); // the activation is queued by the platform
    }

    template <class T = QWidget> T* W(int id) const { return dialog.view.Widget<T>(id); }
    bool Checked(int id) const { return W<QAbstractButton>(id)->isChecked(); }

    RecordingDialog controller{MainDialogTemplate()};
    RenderedDialog dialog{controller};
};

TEST_F(MainDialogBindingTest, ModelChangesReachTheWidgetsAndUserActsAndStepsTheModel) {
    dialog.model.SetText(1004, "25");
    dialog.model.SetText(IDC_ATTENUATOR_LABEL, "音量");
    dialog.model.SetCheck(IDC_CHECK_RANGE, true);
    dialog.model.Show(IDC_RESTORE, false);
    dialog.model.Enable(IDC_WRITE, true); // disabled in the template
    QTest::mouseClick(W(IDC_WRITE), Qt::LeftButton);
    EXPECT_EQ((QStringList{W<QLineEdit>(1004)->text(), W<QLabel>(IDC_ATTENUATOR_LABEL)->text()}),
              (QStringList{"25", "音量"}));
    EXPECT_EQ((Bools{Checked(IDC_CHECK_RANGE), W(IDC_RESTORE)->isVisible()}), (Bools{true, false}));

    QLineEdit* edit = W<QLineEdit>(1006);
    edit->setFocus();
    QTest::keyClicks(edit, "-12");
    // The same text from the program leaves the cursor where the person put it.
    edit->setCursorPosition(1);
    dialog.model.SetText(1006, "-12");
    QTest::keyClick(edit, Qt::Key_5);
    EXPECT_EQ(dialog.model.GetText(1006), "-512");
    // An edit's text set by the program is one change, typing one a key; the check box no click.
    EXPECT_EQ(std::pair(controller.clicks, controller.changes),
              std::pair(Ids{IDC_WRITE}, Ids{1004, 1006, 1006, 1006, 1006, 1006}));

    // The spin arrows and the arrow keys step the buddy.
    dialog.model.SetSpinRange(1005, -2, 2);
    dialog.model.SetText(1004, "0");
    auto* spin = W<qt::SpinArrows>(1005);
    for (QWidget* arrow : {spin->UpButton(), spin->UpButton(), spin->DownButton()}) {
        QTest::mouseClick(arrow, Qt::LeftButton);
    }
    EXPECT_EQ(W<QLineEdit>(1004)->text(), "1");
    W(1004)->setFocus();
    for (Qt::Key key : {Qt::Key_Up, Qt::Key_Up, Qt::Key_Down}) {
        QTest::keyClick(W(1004), key);
    }
    EXPECT_EQ(W<QLineEdit>(1004)->text(), "1"); // held at the top of the range, then down
}

TEST_F(MainDialogBindingTest, TheModelOwnsTheCheckBoxAndRadioButtonStates) {
    // A handler that refuses to let the box be unchecked, as the range limit's question can.
    controller.onClick = [this](int id) {
        if (id == IDC_CHECK_RANGE) {
            dialog.model.SetCheck(IDC_CHECK_RANGE, true);
        }
    };
    dialog.model.SetCheck(IDC_TABLE_ORIGIN, true);
    // Qt takes a click on the indicator. A click on the checked radio button leaves it checked.
    for (int id : {IDC_CHECK_RANGE, IDC_CHECK_RANGE, IDC_TABLE_LOWER, IDC_TABLE_LOWER}) {
        QTest::mouseClick(W(id), Qt::LeftButton, {}, QPoint(6, W(id)->height() / 2));
    }
    EXPECT_EQ(
        (Bools{Checked(IDC_CHECK_RANGE), Checked(IDC_TABLE_ORIGIN), Checked(IDC_TABLE_LOWER)}),
        (Bools{true, false, true}));
    dialog.model.SetCheck(IDC_TABLE_LOWER, false); // the program may leave none checked
    EXPECT_FALSE(Checked(IDC_TABLE_LOWER));
}

TEST_F(MainDialogBindingTest, EscAndTheCloseBoxGoThroughButtonTwoAndEnterPressesTheDefaultOnce) {
    controller.endsOnCancel = false; // open, every press can be counted
    QLineEdit* field = W<QLineEdit>(1008);
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_FALSE(dialog.view.close());
    QTest::keyClick(field, Qt::Key_Return); // the default button 閉じる is button 2 as well
    // On a push button too, which Qt would press on its own as well.
    for (int button : {IDC_CLOSE, IDC_READ}) {
        W(button)->setFocus();
        QTest::keyClick(W(button), Qt::Key_Enter, Qt::KeypadModifier);
        EXPECT_TRUE(W<QPushButton>(IDC_CLOSE)->isDefault()); // focus does not move the default
    }
    EXPECT_EQ(controller.clicks, Ids(5, IDC_CLOSE));
}

TEST_F(MainDialogBindingTest, SystemMenuEntriesAppearInTheBackgroundMenuAndTheirShortcutsRunThem) {
    // The controller appends them while it initialises; the runner binds them after it.
    dialog.model.AppendSystemMenu(IDM_ABOUTBOX, "バージョン情報 Orvix(&A)...", "F1");
    dialog.binder.BindSystemMenu();
    QTest::keyClick(W(1004), Qt::Key_F1);
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
    EXPECT_EQ(controller.events[ui::Event::SysCommand],
              (Ids{IDM_ABOUTBOX, IDM_ABOUTBOX})); // the key, then the menu

    // Seen on the dialog: a button in no control's place opens the same menu, and so does F10.
    auto* button = dialog.view.findChild<QToolButton*>(QStringLiteral("system-menu"));
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->isVisible() && dialog.view.rect().contains(button->geometry()));
    for (std::size_t i = 0; i < controller.Template().controls.size(); ++i) {
        EXPECT_FALSE(button->geometry().intersects(dialog.view.WidgetAt(i)->geometry())) << i;
    }
    EXPECT_EQ(button->menu()->actions().value(0)->text(), "バージョン情報 Orvix(&A)...");
    dialog.view.activateWindow(); // back from the menu above
    QCoreApplication::processEvents();
    WhenRunning([] {
        QMenu* menu = FindTopLevel<QMenu>();
        ASSERT_NE(menu, nullptr);
        menu->actions().value(0)->trigger();
        menu->close();
    });
    QTest::keyClick(W(1004), Qt::Key_F10);
    EXPECT_EQ(controller.events[ui::Event::SysCommand],
              (Ids{IDM_ABOUTBOX, IDM_ABOUTBOX, IDM_ABOUTBOX}));
}

TEST(DropDownListBindingTest, ItemsAndSelectionFollowTheModelAndAChoiceReachesTheHandler) {
    ui::DialogTemplate lists{900, "一覧", 200, 80, {}}; // a kind the main dialog lacks
    lists.controls = {ui::Control(ui::ControlKind::DropDownList, 1100, "", 10, 10, 80, 60)};
    RecordingDialog controller(lists);
    RenderedDialog dialog(controller);
    dialog.view.show();
    for (const char* item : {"なし", "赤", "青"}) {
        dialog.model.AddItem(1100, item);
    }
    dialog.model.SelectItem(1100, 2);
    auto* combo = dialog.view.Widget<QComboBox>(1100);
    EXPECT_EQ(std::pair(combo->count(), combo->currentText()), std::pair(3, QString("青")));
    EXPECT_LT(combo->height(), dialog.view.Units().Y(60)); // closed, one line high

    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Up);
    EXPECT_EQ(dialog.model.Selection(1100), 1);
    dialog.model.ClearItems(1100);
    dialog.model.AddItem(1100, "緑");
    EXPECT_EQ(std::pair(combo->count(), combo->currentIndex()), std::pair(1, -1));
    EXPECT_EQ(controller.events[ui::Event::SelectionChanged], Ids{1100}); // the user's choice alone
}

TEST(ListBoxBindingTest, ItemsAndSelectionFollowTheModelAndAClickOrAKeyIsAChoice) {
    ui::DialogTemplate lists{900, "一覧", 200, 80, {}};
    lists.controls = {ui::Control(ui::ControlKind::ListBox, 1100, "", 10, 10, 180, 60)};
    RecordingDialog controller(lists);
    RenderedDialog dialog(controller);
    dialog.view.show();
    dialog.model.AddItems(1100, {"12\t設定\tVOLUME", "3\t原点\tID2 原点 25→30"});
    dialog.model.SelectItem(1100, 1);
    auto* list = dialog.view.Widget<QListWidget>(1100);
    EXPECT_EQ((std::tuple(list->count(), list->currentRow(), list->item(0)->toolTip())),
              (std::tuple(2, 1, QString("12  設定  VOLUME"))));

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(0)).center());
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    dialog.model.SelectItem(1100, -1);
    EXPECT_EQ((std::pair(list->currentRow(), list->selectedItems().size())),
              (std::pair(-1, qsizetype{0})));
    EXPECT_EQ(controller.events[ui::Event::SelectionChanged], (Ids{1100, 1100}));
}

} // namespace
} // namespace orvix::test
