#include "qt/qt_prompter.h"

#include "resources/string_table.h"

#include <QCloseEvent>
#include <QColorDialog>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMessageBox>

namespace orvix::qt {

namespace {

QMessageBox::Icon ToQtIcon(ui::Icon icon) {
    switch (icon) {
    case ui::Icon::Warning:
        return QMessageBox::Warning;
    case ui::Icon::Question:
        return QMessageBox::Question;
    case ui::Icon::Error:
        return QMessageBox::Critical;
    case ui::Icon::Information:
        return QMessageBox::Information;
    case ui::Icon::Auto:
    case ui::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQtButtons(ui::Buttons buttons) {
    switch (buttons) {
    case ui::Buttons::Ok:
        return QMessageBox::Ok;
    case ui::Buttons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case ui::Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case ui::Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButton ToQtButton(ui::Answer answer) {
    switch (answer) {
    case ui::Answer::Ok:
        return QMessageBox::Ok;
    case ui::Answer::Cancel:
        return QMessageBox::Cancel;
    case ui::Answer::Yes:
        return QMessageBox::Yes;
    case ui::Answer::No:
        return QMessageBox::No;
    case ui::Answer::None:
        break;
    }
    return QMessageBox::NoButton;
}

ui::Answer FromQtButton(QMessageBox::StandardButton button) {
    switch (button) {
    case QMessageBox::Ok:
        return ui::Answer::Ok;
    case QMessageBox::Yes:
        return ui::Answer::Yes;
    case QMessageBox::No:
        return ui::Answer::No;
    default:
        return ui::Answer::Cancel;
    }
}

// A Yes/No question has no way out but its two answers: Qt would take Esc and the close box
// as No.
class NoEscape : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

ui::Answer QtPrompter::ShowMessage(const ui::MessageRequest& request) {
    QMessageBox box(ToQtIcon(ui::EffectiveIcon(request)), QString::fromUtf8(ui::kMessageCaption),
                    FromUtf8(MessageText(request)), ToQtButtons(request.buttons), stack_.Top());
    box.setTextFormat(Qt::PlainText);
    if (!request.detail.empty()) {
        box.setDetailedText(FromUtf8(request.detail));
    }
    box.setDefaultButton(ToQtButton(ui::EffectiveDefault(request)));
    NoEscape noEscape;
    if (request.buttons == ui::Buttons::YesNo) {
        box.installEventFilter(&noEscape);
    }
    box.exec();
    return FromQtButton(box.standardButton(box.clickedButton()));
}

std::optional<std::string> QtPrompter::ChooseOpenFile(const ui::OpenFileRequest& request) {
    QFileDialog dialog(stack_.Top());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(FromUtf8(request.filterLabel) + QStringLiteral(" (") +
                         FromUtf8(request.pattern) + QStringLiteral(")"));
    if (!request.initialFolder.empty()) {
        dialog.setDirectory(QFile::decodeName(request.initialFolder.c_str()));
    }
    if (!request.initialName.empty()) {
        dialog.selectFile(FromUtf8(request.initialName));
    }
    dialog.setDefaultSuffix(FromUtf8(request.defaultExtension));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return QFile::encodeName(dialog.selectedFiles().first()).toStdString();
}

std::optional<ui::Rgb> QtPrompter::ChooseColour(ui::Rgb initial) {
    const QColor chosen =
        QColorDialog::getColor(QColor(initial.red, initial.green, initial.blue), stack_.Top());
    if (!chosen.isValid()) {
        return std::nullopt;
    }
    return ui::Rgb{chosen.red(), chosen.green(), chosen.blue()};
}

} // namespace orvix::qt
