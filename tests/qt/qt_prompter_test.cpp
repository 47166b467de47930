#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include "qt/qt_prompter.h"
#include "qt_test_support.h"
#include "resources/string_table.h"
#include "support/temp_folder.h"

namespace orvix::test {
namespace {

// What a message box showed, read while it was open.
struct ShownBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QString defaultButton;
    QWidget* parent = nullptr;
    bool stayedOpenOnEscape = false;
};

// "はい(&Y)" reads "はい".
QString WithoutMnemonic(QString text) {
    return text.remove(QRegularExpression(QStringLiteral("\\(&.\\)$")));
}

class QtPrompterTest : public testing::Test {
protected:
    // Shows a message and answers it with the given button once it has been read.
    ui::Answer Show(const ui::MessageRequest& request, QMessageBox::StandardButton answer,
                    bool tryEscape = false) {
        WhenRunning([this, answer, tryEscape] {
            QMessageBox* box = FindTopLevel<QMessageBox>();
            if (box == nullptr) {
                ADD_FAILURE() << "no message box is open";
                return;
            }
            shown.caption = box->windowTitle();
            shown.text = box->text();
            shown.icon = box->icon();
            for (QAbstractButton* button : box->buttons()) {
                shown.buttons.append(WithoutMnemonic(button->text()));
            }
            shown.buttons.sort();
            shown.defaultButton =
                box->defaultButton() ? WithoutMnemonic(box->defaultButton()->text()) : "";
            shown.parent = box->parentWidget();
            if (tryEscape) {
                QTest::keyClick(box, Qt::Key_Escape);
                shown.stayedOpenOnEscape = box->isVisible();
                if (!shown.stayedOpenOnEscape) {
                    return;
                }
            }
            box->button(answer)->click();
        });
        return prompter.ShowMessage(request);
    }

    qt::DialogStack stack;
    qt::QtPrompter prompter{stack};
    ShownBox shown;
};

TEST_F(QtPrompterTest, AQuestionHasTheCaptionTheTextAndJapaneseButtons) {
    QWidget owner;
    stack.Push(&owner);
    const ui::MessageRequest request{IDP_VALUES_CHANGED, {}, ui::Buttons::YesNoCancel};
    EXPECT_EQ(Show(request, QMessageBox::No), ui::Answer::No);
    EXPECT_EQ(shown.caption, "Orvix2");
    EXPECT_EQ(shown.text.toStdString(), ui::MessageText(request));
    EXPECT_EQ(shown.icon, QMessageBox::Question);
    EXPECT_EQ(shown.buttons, (QStringList{"いいえ", "はい", "キャンセル"}));
    EXPECT_EQ(shown.defaultButton, "はい");
    EXPECT_EQ(shown.parent, &owner);
    stack.Pop();
}

TEST_F(QtPrompterTest, AnOkMessageIsAWarningWithItsArgumentFilledIn) {
    const ui::MessageRequest request{IDP_BINARY_READ_FAILED, "VOLUME.BIN", ui::Buttons::Ok};
    EXPECT_EQ(Show(request, QMessageBox::Ok), ui::Answer::Ok);
    EXPECT_EQ(shown.icon, QMessageBox::Warning);
    EXPECT_EQ(shown.buttons, QStringList{"OK"});
    EXPECT_TRUE(shown.text.contains("VOLUME.BIN"));
    EXPECT_FALSE(shown.text.contains("%1"));
    EXPECT_EQ(shown.parent, nullptr);
}

TEST_F(QtPrompterTest, AnExplicitIconAndDefaultAreKept) {
    const ui::MessageRequest request{IDP_REMOVE_RANGE_LIMIT,
                                     {},
                                     ui::Buttons::OkCancel,
                                     ui::Icon::Information,
                                     ui::Answer::Cancel};
    EXPECT_EQ(Show(request, QMessageBox::Cancel), ui::Answer::Cancel);
    EXPECT_EQ(shown.icon, QMessageBox::Information);
    EXPECT_EQ(shown.defaultButton, "キャンセル");
}

TEST_F(QtPrompterTest, EscapeCannotAnswerAYesNoQuestionButCancelsOtherwise) {
    const ui::MessageRequest question{IDP_REMOVE_RANGE_LIMIT, {}, ui::Buttons::YesNo};
    EXPECT_EQ(Show(question, QMessageBox::Yes, true), ui::Answer::Yes);
    EXPECT_TRUE(shown.stayedOpenOnEscape);

    const ui::MessageRequest withCancel{IDP_VALUES_CHANGED, {}, ui::Buttons::YesNoCancel};
    EXPECT_EQ(Show(withCancel, QMessageBox::Yes, true), ui::Answer::Cancel);
    EXPECT_FALSE(shown.stayedOpenOnEscape);
}

TEST_F(QtPrompterTest, TheFileChooserOffersTheFilterFolderAndName) {
    TempFolder folder;
    WriteBytes(folder / "STARTUP.BIN", {1, 2, 3});
    const ui::OpenFileRequest request{"ﾍﾟﾁ2実行ﾌｧｲﾙ", "STARTUP.BIN", "BIN", "STARTUP.BIN",
                                      folder.Path().string()};
    QStringList filters;
    QString directory;
    QString suffix;
    WhenRunning([&] {
        auto* chooser = FindTopLevel<QFileDialog>();
        if (chooser == nullptr) {
            ADD_FAILURE() << "no file dialog is open";
            return;
        }
        filters = chooser->nameFilters();
        directory = chooser->directory().absolutePath();
        suffix = chooser->defaultSuffix();
        // As the open button does; accept() checks that the named file exists.
        QMetaObject::invokeMethod(chooser, "accept");
    });
    const std::optional<std::string> chosen = prompter.ChooseOpenFile(request);
    EXPECT_EQ(filters, QStringList{"ﾍﾟﾁ2実行ﾌｧｲﾙ (STARTUP.BIN)"});
    EXPECT_EQ(directory.toStdString(), folder.Path().string());
    EXPECT_EQ(suffix, "BIN");
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(std::filesystem::path(*chosen), folder / "STARTUP.BIN");

    WhenRunning([] {
        if (auto* chooser = FindTopLevel<QFileDialog>()) {
            chooser->reject();
        }
    });
    EXPECT_FALSE(prompter.ChooseOpenFile(request).has_value());
}

TEST_F(QtPrompterTest, TheColourChooserStartsAtTheGivenColourAndReturnsTheChoice) {
    QColor initial;
    WhenRunning([&] {
        auto* chooser = FindTopLevel<QColorDialog>();
        if (chooser == nullptr) {
            ADD_FAILURE() << "no colour dialog is open";
            return;
        }
        initial = chooser->currentColor();
        chooser->setCurrentColor(QColor(10, 200, 30));
        chooser->accept();
    });
    const std::optional<ui::Rgb> chosen = prompter.ChooseColour(ui::Rgb{255, 128, 0});
    EXPECT_EQ(initial, QColor(255, 128, 0));
    EXPECT_EQ(chosen, (ui::Rgb{10, 200, 30}));
}

} // namespace
} // namespace orvix::test
