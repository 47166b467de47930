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
    QWidget* messageParent = nullptr;
    QWidget* childParent = nullptr;
    RecordingDialog child(AboutDialogTemplate());
    shown.onClick = [&](int) {
        BoxAnswer answer(QMessageBox::Ok);
        prompter.Message(IDP_WRITE_PROGRAM_DONE);
        messageParent = answer.parent;
        WhenRunning([&] {
            QWidget* about = QApplication::activeModalWidget();
            childParent = about->parentWidget();
            QTest::keyClick(about, Qt::Key_Escape);
        });
        runner.RunModal(child);
    };
    WhenRunning([&] {
        auto* view = FindTopLevel<TemplateDialog>();
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(stack.Top(), view);
        EXPECT_TRUE(view->isModal());
        EXPECT_EQ(view->Widget<QLineEdit>(1004)->text(), "25");
        EXPECT_EQ(view->focusWidget(), view->Widget(1004));
        QTest::mouseClick(view->Widget(IDC_READ), Qt::LeftButton);
        EXPECT_EQ(messageParent, view);
        EXPECT_EQ(childParent, view);
        QTest::keyClick(view, Qt::Key_Escape);
    });
    EXPECT_EQ(runner.RunModal(shown), ui::kIdCancel);
    EXPECT_EQ(stack.Size(), 0u);

    RecordingDialog ends(MainDialogTemplate());
    ends.onInit = [](ui::DialogModel& model) { model.EndDialog(7); };
    RecordingDialog closes(MainDialogTemplate());
    closes.onInit = [](ui::DialogModel& model) { model.PostClose(); };
    // Would the runner show these anyway, a guard ends them from inside their event loop.
    bool shownAfterEnding = false;
    QObject guards; // a guard still waiting dies with it
    const auto guard = [&] {
        QTimer::singleShot(0, &guards, [&] {
            if (auto* view = FindTopLevel<TemplateDialog>()) {
                shownAfterEnding = true;
                view->done(0);
            }
        });
    };
    guard();
    EXPECT_EQ(runner.RunModal(ends), 7);
    guard();
    EXPECT_EQ(runner.RunModal(closes), ui::kIdCancel);
    EXPECT_EQ(closes.clicks, std::vector<int>{ui::kIdCancel});
    EXPECT_FALSE(shownAfterEnding);
}

TEST_F(QtServicesTest, AMessageHasTheCaptionTheTextJapaneseButtonsItsIconAndDefault) {
    BoxAnswer no(QMessageBox::No);
    EXPECT_EQ(prompter.Message(IDP_NO_NUMBER, ui::Buttons::YesNoCancel), ui::Answer::No);
    EXPECT_EQ(no.caption, "Orvix2");
    EXPECT_EQ(no.text, "数字が入力されていません");
    EXPECT_EQ(no.icon, QMessageBox::Question);
    EXPECT_EQ(no.buttons, (QStringList{"いいえ", "はい", "キャンセル"}));
    EXPECT_EQ(no.defaultButton, "はい");
    EXPECT_EQ(no.parent, nullptr); // no dialog is open

    BoxAnswer ok(QMessageBox::Ok);
    EXPECT_EQ(prompter.Message(IDP_BINARY_WRITE_FAILED, ui::Buttons::Ok, ui::Icon::Auto,
                               "VOLUME.BIN", ui::Answer::None, "VOLUME.BIN: Permission denied"),
              ui::Answer::Ok);
    EXPECT_EQ(ok.icon, QMessageBox::Warning);
    EXPECT_EQ(ok.text, "バイナリファイル[VOLUME.BIN]の書込に失敗しました。");
    EXPECT_EQ(ok.detail, "VOLUME.BIN: Permission denied");

    // Esc cancels, but cannot answer a Yes/No question.
    BoxAnswer escaped(QMessageBox::Ok, true);
    EXPECT_EQ(prompter.Message(IDP_REMOVE_RANGE_LIMIT, ui::Buttons::OkCancel, ui::Icon::Information,
                               {}, ui::Answer::Cancel),
              ui::Answer::Cancel);
    EXPECT_EQ(escaped.icon, QMessageBox::Information);
    EXPECT_EQ(escaped.defaultButton, "キャンセル");
    EXPECT_FALSE(escaped.stayedOpenOnEscape);
    BoxAnswer yes(QMessageBox::Yes, true);
    EXPECT_EQ(prompter.Message(IDP_NO_NUMBER, ui::Buttons::YesNo), ui::Answer::Yes);
    EXPECT_TRUE(yes.stayedOpenOnEscape);
}

TEST_F(QtServicesTest, TheChoosersStartWhereAskedAndReturnTheChoice) {
    TempFolder folder;
    WriteBytes(folder / "STARTUP.BIN", {1, 2, 3});
    const ui::OpenFileRequest request{"ﾍﾟﾁ2実行ﾌｧｲﾙ", "STARTUP.BIN", "BIN", "STARTUP.BIN",
                                      folder.Path().string()};
    WhenRunning([&] {
        auto* chooser = FindTopLevel<QFileDialog>();
        ASSERT_NE(chooser, nullptr);
        EXPECT_EQ(chooser->nameFilters(), QStringList{"ﾍﾟﾁ2実行ﾌｧｲﾙ (STARTUP.BIN)"});
        EXPECT_EQ(chooser->directory().absolutePath().toStdString(), folder.Path().string());
        EXPECT_EQ(chooser->defaultSuffix(), "BIN");
        // As the open button does; accept() checks that the named file exists.
        QMetaObject::invokeMethod(chooser, "accept");
    });
    const std::optional<std::string> chosen = prompter.ChooseOpenFile(request);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(std::filesystem::path(*chosen), folder / "STARTUP.BIN");
    WhenRunning([] {
        if (auto* chooser = FindTopLevel<QFileDialog>()) {
            chooser->reject();
        }
    });
    EXPECT_FALSE(prompter.ChooseOpenFile(request).has_value());

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
