// The runner and the prompter, which share one stack of open dialogs, and the editor's main
// dialog run through them as a person would use it.

#include "app/about_dlg.h"
#include "calibration/orvix_dlg.h"
#include "calibration/servo_table.h"
#include "qt_test_support.h"
#include "resources/string_table.h"
#include "support/temp_folder.h"

namespace orvix::test {
namespace {

using namespace main_dlg;
using qt::TemplateDialog;

class QtServicesTest : public testing::Test {
protected:
    TemplateDialog* OpenDialog() const { return qobject_cast<TemplateDialog*>(stack.Top()); }

    qt::DialogStack stack;
    qt::QtDialogRunner runner{stack};
    qt::QtPrompter prompter{stack};
};

TEST_F(QtServicesTest, TheRunnerShowsADialogOnceInitialisedAndNeverOneThatEndedThere) {
    RecordingDialog shown(MainDialogTemplate());
    shown.onInit = [](ui::DialogModel& model) {
        model.SetText(1004, "25");
        model.SetFocus(1004);
    };
    WhenRunning([&] {
        TemplateDialog* view = OpenDialog();
        ASSERT_NE(view, nullptr);
        EXPECT_TRUE(view->isVisible() && view->isModal());
        EXPECT_EQ(view->Widget<QLineEdit>(1004)->text(), "25");
        EXPECT_EQ(view->focusWidget(), view->Widget(1004));
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
            if (TemplateDialog* view = OpenDialog()) {
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
    const ui::MessageRequest question{IDP_VALUES_CHANGED, {}, ui::Buttons::YesNoCancel};
    BoxAnswer no(QMessageBox::No);
    EXPECT_EQ(prompter.ShowMessage(question), ui::Answer::No);
    EXPECT_EQ(no.caption, "Orvix2");
    EXPECT_EQ(no.text.toStdString(), MessageText(question));
    EXPECT_EQ(no.icon, QMessageBox::Question);
    EXPECT_EQ(no.buttons, (QStringList{"いいえ", "はい", "キャンセル"}));
    EXPECT_EQ(no.defaultButton, "はい");
    EXPECT_EQ(no.parent, nullptr); // no dialog is open

    BoxAnswer ok(QMessageBox::Ok);
    EXPECT_EQ(prompter.ShowMessage({IDP_BINARY_READ_FAILED, "VOLUME.BIN", ui::Buttons::Ok}),
              ui::Answer::Ok);
    EXPECT_EQ(ok.icon, QMessageBox::Warning);
    EXPECT_EQ(ok.buttons, QStringList{"OK"});
    EXPECT_TRUE(ok.text.contains("VOLUME.BIN"));

    // Esc cancels, but cannot answer a Yes/No question.
    BoxAnswer escaped(QMessageBox::Ok, true);
    EXPECT_EQ(prompter.ShowMessage({IDP_REMOVE_RANGE_LIMIT,
                                    {},
                                    ui::Buttons::OkCancel,
                                    ui::Icon::Information,
                                    ui::Answer::Cancel}),
              ui::Answer::Cancel);
    EXPECT_EQ(escaped.icon, QMessageBox::Information);
    EXPECT_EQ(escaped.defaultButton, "キャンセル");
    EXPECT_FALSE(escaped.stayedOpenOnEscape);
    BoxAnswer yes(QMessageBox::Yes, true);
    EXPECT_EQ(prompter.ShowMessage({IDP_REMOVE_RANGE_LIMIT, {}, ui::Buttons::YesNo}),
              ui::Answer::Yes);
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

// Step a value with the Up key, open the about box over the dialog, write the file, answer the
// message, close: children and messages belong to the dialog that is open.
TEST_F(QtServicesTest, TheMainDialogStepsAServoWithTheUpKeyWritesTheFileAndCloses) {
    TempFolder folder;
    // Zeros but for the origin corrections, which the range limit wants near their standard.
    std::vector<std::uint8_t> image(4301707, 0);
    const auto put = [&image](int servo, int value) {
        const auto offset = static_cast<std::size_t>(BinaryValueOffset(servo, 0));
        image.at(offset) = static_cast<std::uint8_t>(value & 0xFF);
        image.at(offset + 1) = static_cast<std::uint8_t>((value >> 8) & 0xFF);
    };
    for (int k = 0; k < kServoCount; ++k) {
        put(k, kServoTable[static_cast<std::size_t>(k)].standard);
    }
    put(0, -20);
    WriteBytes(folder / "STARTUP.BIN", image);

    ui::UiServices services{prompter, runner};
    COrvixDlg dialog(services, (folder / "Orvix2.ini").string(), (folder / "STARTUP.BIN").string(),
                     [&] {
                         CAboutDlg about;
                         runner.RunModal(about);
                     });
    WhenRunning([&] {
        TemplateDialog* view = OpenDialog();
        ASSERT_NE(view, nullptr);
        QLineEdit* field = view->Widget<QLineEdit>(1004); // the servo of ID 2
        EXPECT_EQ(field->text(), "-20");
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Up);
        EXPECT_EQ(field->text(), "-19");

        WhenRunning([&] {
            TemplateDialog* about = OpenDialog();
            ASSERT_NE(about, view);
            EXPECT_EQ(about->parentWidget(), view);
            QTest::keyClick(about, Qt::Key_Return);
        });
        view->actions().value(0)->trigger(); // the system menu's only entry
        EXPECT_EQ(OpenDialog(), view);

        auto* write = view->Widget<QPushButton>(IDC_WRITE);
        EXPECT_EQ(write->text(), "書出し");
        BoxAnswer written(QMessageBox::Ok);
        QTest::mouseClick(write, Qt::LeftButton);
        EXPECT_EQ(written.text.toStdString(), LoadString(IDP_WRITE_PROGRAM_DONE));
        EXPECT_EQ(written.parent, view);

        BoxAnswer unexpected(QMessageBox::No); // written, so closing asks nothing
        QTest::mouseClick(view->Widget(IDC_CLOSE), Qt::LeftButton);
        EXPECT_TRUE(unexpected.text.isEmpty())
            << "closing asked: " << unexpected.text.toStdString();
        if (view->isVisible()) {
            ADD_FAILURE() << "the main dialog did not close";
            view->done(ui::kIdCancel);
        }
    });
    EXPECT_EQ(runner.RunModal(dialog), ui::kIdCancel);
    put(0, -19); // and nothing else changed
    EXPECT_TRUE(ReadBytes(folder / "STARTUP.BIN") == image);
}

} // namespace
} // namespace orvix::test
