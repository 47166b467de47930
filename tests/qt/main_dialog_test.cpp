// The editor's main dialog run through the Qt front end, as a person would use it: step a value
// with the arrow key, write the file, answer the message, close.

#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include "calibration/orvix_dlg.h"
#include "calibration/servo_table.h"
#include "qt/qt_prompter.h"
#include "qt/qt_runner.h"
#include "qt_test_support.h"
#include "resources/main_dialog.h"
#include "resources/string_table.h"
#include "support/temp_folder.h"

namespace orvix::test {
namespace {

using namespace main_dlg;

constexpr std::size_t kImageSize = 4301707;
constexpr int kId2Field = 1004;

std::int16_t ReadInt16(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    return static_cast<std::int16_t>(bytes.at(offset) | (bytes.at(offset + 1) << 8));
}

void PutInt16(std::vector<std::uint8_t>& bytes, std::size_t offset, int value) {
    bytes.at(offset) = static_cast<std::uint8_t>(value & 0xFF);
    bytes.at(offset + 1) = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

// Answers the next message box with a button from inside its own event loop, and remembers
// its text; a box without that button is answered with its escape button.
class MessageAnswer {
public:
    explicit MessageAnswer(QMessageBox::StandardButton button) {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [this, button] {
            QMessageBox* box = FindTopLevel<QMessageBox>();
            if (box == nullptr) {
                return;
            }
            text_ = box->text();
            QAbstractButton* answer = box->button(button);
            (answer != nullptr ? answer : box->escapeButton())->click();
        });
    }
    void Arm() { timer_.start(0); }
    // Whether a box came while armed; disarms.
    bool Answered() {
        timer_.stop();
        return !text_.isEmpty();
    }
    const QString& Text() const { return text_; }

private:
    QTimer timer_;
    QString text_;
};

TEST(MainDialogQtTest, StepAServoWithTheUpKeyWriteTheFileAndClose) {
    TempFolder folder;
    // Zeros but for the origin corrections, which the range limit wants near their standard.
    std::vector<std::uint8_t> image(kImageSize, 0);
    for (int k = 0; k < kServoCount; ++k) {
        PutInt16(image, static_cast<std::size_t>(BinaryValueOffset(k, 0)),
                 kServoTable[static_cast<std::size_t>(k)].standard);
    }
    const std::size_t offset = static_cast<std::size_t>(BinaryValueOffset(0, 0));
    ASSERT_EQ(offset, 276u);
    PutInt16(image, offset, -20);
    WriteBytes(folder / "STARTUP.BIN", image);

    qt::DialogStack stack;
    qt::QtPrompter prompter(stack);
    qt::QtDialogRunner runner(stack);
    ui::UiServices services{prompter, runner};
    COrvixDlg dialog(services, (folder / "Orvix2.ini").string(), (folder / "STARTUP.BIN").string());

    QString loaded;
    QString stepped;
    bool writeEnabled = false;
    MessageAnswer written(QMessageBox::Ok);
    MessageAnswer unexpected(QMessageBox::No);

    WhenRunning([&] {
        auto* view = qobject_cast<qt::TemplateDialog*>(stack.Top());
        if (view == nullptr) {
            ADD_FAILURE() << "the main dialog is not open";
            return;
        }
        QLineEdit* field = view->Widget<QLineEdit>(kId2Field);
        loaded = field->text();
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Up);
        stepped = field->text();

        auto* write = view->Widget<QPushButton>(IDC_WRITE);
        writeEnabled = write->isEnabled();
        EXPECT_EQ(write->text(), "書出し");
        written.Arm();
        QTest::mouseClick(write, Qt::LeftButton);
        EXPECT_TRUE(written.Answered()) << "the write showed no message";

        // Written, so closing asks nothing.
        unexpected.Arm();
        QTest::mouseClick(view->Widget<QPushButton>(IDC_CLOSE), Qt::LeftButton);
        EXPECT_FALSE(unexpected.Answered()) << "closing asked: " << unexpected.Text().toStdString();
        if (view->isVisible()) {
            ADD_FAILURE() << "the main dialog did not close";
            view->done(ui::kIdCancel);
        }
    });
    EXPECT_EQ(runner.RunModal(dialog), ui::kIdCancel);

    EXPECT_EQ(loaded, "-20");
    EXPECT_EQ(stepped, "-19");
    EXPECT_TRUE(writeEnabled);
    EXPECT_EQ(written.Text().toStdString(), LoadString(IDP_WRITE_PROGRAM_DONE));
    const std::vector<std::uint8_t> onDisk = ReadBytes(folder / "STARTUP.BIN");
    ASSERT_EQ(onDisk.size(), kImageSize);
    EXPECT_EQ(ReadInt16(onDisk, offset), -19);
    // Only the stepped value changed.
    PutInt16(image, offset, -19);
    EXPECT_TRUE(onDisk == image);
}

} // namespace
} // namespace orvix::test
