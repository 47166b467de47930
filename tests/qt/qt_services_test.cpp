// The runner and the prompter, which share one stack of open dialogs: children and messages
// belong to the dialog that is open.

#include "qt_test_support.h"
#include "resources/string_table.h"
#include "support/temp_folder.h"

namespace orvix::test {
namespace {

using namespace main_dlg;
using qt::TemplateDialog;

class QtServicesTest : public testing::Test {
protected:
    qt::DialogStack stack;
    qt::QtDialogRunner runner{stack};
    qt::QtPrompter prompter{stack};
};

TEST_F(QtServicesTest, TheRunnerShowsADialogInitialisedAndModalWithChildrenAndMessagesOverIt) {
    RecordingDialog shown(MainDialogTemplate());
    shown.onInit = [](ui::DialogModel& model) {
        model.SetText(1004, "25");
        model.SetFocus(1004);
    };
    std::vector<QWidget*> parents; // of the message, then of the child dialog
    RecordingDialog child(AboutDialogTemplate());
    shown.onClick = [&](int) {
        BoxAnswer answer(QMessageBox::Ok);
        prompter.Message(IDP_WRITE_PROGRAM_DONE);
        parents.push_back(answer.parent);
        WhenRunning([&] {
            parents.push_back(QApplication::activeModalWidget()->parentWidget());
            QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape);
        });
        runner.RunModal(child);
    };
    WhenRunning([&] {
        auto* view = FindTopLevel<TemplateDialog>();
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(stack.Top(), view);
        EXPECT_EQ(view->Widget<QLineEdit>(1004)->text(), "25");
        EXPECT_EQ(view->focusWidget(), view->Widget(1004));
        QTest::mouseClick(view->Widget(IDC_READ), Qt::LeftButton);
        EXPECT_EQ(parents, (std::vector<QWidget*>{view, view}));
        QTest::keyClick(view, Qt::Key_Escape);
    });
    EXPECT_EQ(runner.RunModal(shown), ui::kIdCancel);
    EXPECT_EQ(stack.Size(), 0u);

    RecordingDialog ends(MainDialogTemplate());
    ends.onInit = [](ui::DialogModel& model) { model.EndDialog(7); };
    bool shownAfterEnding = false; // were it shown anyway, this ends it from its event loop
    QObject guard;                 // which dies with it when no loop ran
    QTimer::singleShot(0, &guard, [&] {
        if (auto* view = FindTopLevel<TemplateDialog>()) {
            shownAfterEnding = true;
            view->done(0);
        }
    });
    EXPECT_EQ(runner.RunModal(ends), 7);
    EXPECT_FALSE(shownAfterEnding);
}

TEST_F(QtServicesTest, AMessageHasTheCaptionTheTextJapaneseButtonsItsIconAndDefault) {
    BoxAnswer no(QMessageBox::No);
    EXPECT_EQ(prompter.Message(IDP_NO_NUMBER, ui::Buttons::YesNoCancel), ui::Answer::No);
    EXPECT_EQ(no.shown, (QStringList{"Orvix2", "数字が入力されていません", "", "Question",
                                     "いいえ はい キャンセル", "はい"}));
    BoxAnswer ok(QMessageBox::Ok);
    EXPECT_EQ(
        prompter.Failure(IDP_BINARY_WRITE_FAILED, "VOLUME.BIN: Permission denied", "VOLUME.BIN"),
        ui::Answer::Ok);
    EXPECT_EQ(ok.shown,
              (QStringList{"Orvix2", "バイナリファイル[VOLUME.BIN]の書込に失敗しました。",
                           "VOLUME.BIN: Permission denied", "Warning", "OK 詳細を表示...", "OK"}));

    // Esc cancels, but cannot answer a Yes/No question.
    BoxAnswer escaped(QMessageBox::Ok, true);
    EXPECT_EQ(prompter.Message(IDP_REMOVE_RANGE_LIMIT, ui::Buttons::OkCancel, ui::Icon::Information,
                               {}, ui::Answer::Cancel),
              ui::Answer::Cancel);
    EXPECT_EQ(escaped.shown.mid(3), (QStringList{"Information", "OK キャンセル", "キャンセル"}));
    BoxAnswer yes(QMessageBox::Yes, true);
    EXPECT_EQ(prompter.Message(IDP_NO_NUMBER, ui::Buttons::YesNo), ui::Answer::Yes);
}

TEST_F(QtServicesTest, TheChoosersStartWhereAskedAndReturnTheChoice) {
    TempFolder folder;
    WriteBytes(folder / "STARTUP.BIN", {1, 2, 3});
    const ui::OpenFileRequest request{"ﾍﾟﾁ2実行ﾌｧｲﾙ", "STARTUP.BIN", "BIN", "STARTUP.BIN",
                                      folder.Path().string()};
    WhenRunning([&] {
        auto* chooser = FindTopLevel<QFileDialog>();
        ASSERT_NE(chooser, nullptr);
        EXPECT_EQ((QStringList{chooser->nameFilters().join('|'),
                               chooser->directory().absolutePath(), chooser->defaultSuffix()}),
                  (QStringList{"ﾍﾟﾁ2実行ﾌｧｲﾙ (STARTUP.BIN)",
                               QString::fromStdString(folder.Path().string()), "BIN"}));
        QMetaObject::invokeMethod(chooser, "accept"); // as the open button, if the file exists
    });
    EXPECT_EQ(prompter.ChooseOpenFile(request), (folder / "STARTUP.BIN").string());
    WhenRunning([] { FindTopLevel<QFileDialog>()->reject(); });
    EXPECT_EQ(prompter.ChooseOpenFile(request), std::nullopt);

    WhenRunning([] {
        auto* chooser = FindTopLevel<QColorDialog>();
        ASSERT_NE(chooser, nullptr);
        EXPECT_EQ(chooser->currentColor(), QColor(255, 128, 0));
        chooser->setCurrentColor(QColor(10, 200, 30));
        chooser->accept();
    });
    EXPECT_EQ(prompter.ChooseColour(ui::Rgb{255, 128, 0}), (ui::Rgb{10, 200, 30}));
}

} // namespace
} // namespace orvix::test
