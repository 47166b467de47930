#include "qt/template_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <charconv>

#include "qt/app_icon.h"
#include "qt/list_columns.h"
#include "qt/spin_arrows.h"
#include "resources/main_dialog.h"

namespace orvix::qt {

using ui::ControlKind;

namespace {

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

int ResourceNumber(std::string_view text) {
    int number = 0;
    std::from_chars(text.data(), text.data() + text.size(), number);
    return number;
}

} // namespace

bool IsEnterKey(const QKeyEvent& event) {
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    return (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) &&
           modifiers == Qt::NoModifier;
}

TemplateDialog::TemplateDialog(const ui::DialogTemplate& dialogTemplate, const QFont& font,
                               QWidget* parent)
    : QDialog(parent), template_(dialogTemplate), units_(font),
      widgets_(dialogTemplate.controls.size(), nullptr) {
    setFont(font);
    setWindowTitle(ToQString(template_.title));
    setWindowIcon(IconResource(IDR_MAINFRAME));
    setFixedSize(units_.MapSize(template_.width, template_.height));

    // Group boxes first, so that they lie behind the controls inside them; the rest in tab
    // order, which is also Qt's focus order.
    for (std::size_t i = 0; i < widgets_.size(); ++i) {
        if (template_.controls[i].kind == ControlKind::GroupBox) {
            widgets_[i] = MakeWidget(template_.controls[i]);
        }
    }
    for (std::size_t i = 0; i < widgets_.size(); ++i) {
        if (widgets_[i] == nullptr) {
            widgets_[i] = MakeWidget(template_.controls[i]);
        }
    }
}

QWidget* TemplateDialog::MakeWidget(const ui::ControlTemplate& control) {
    const QString text = ToQString(control.text);
    QWidget* widget = nullptr;
    switch (control.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefPushButton: {
        auto* button = new QPushButton(text, this);
        // Enter belongs to the model: no button presses itself on Enter.
        button->setAutoDefault(false);
        button->setDefault(control.kind == ControlKind::DefPushButton);
        button->installEventFilter(this);
        widget = button;
        break;
    }
    case ControlKind::CheckBox:
        widget = new QCheckBox(text, this);
        break;
    case ControlKind::RadioButton: {
        auto* radio = new QRadioButton(text, this);
        radio->setAutoExclusive(false); // the model keeps the groups
        widget = radio;
        break;
    }
    case ControlKind::Edit:
    case ControlKind::ReadOnlyEdit: {
        auto* edit = new QLineEdit(this);
        edit->setReadOnly(control.kind == ControlKind::ReadOnlyEdit);
        widget = edit;
        break;
    }
    case ControlKind::Spin:
        widget = new SpinArrows(this);
        break;
    case ControlKind::DropDownList: {
        auto* combo = new QComboBox(this);
        combo->setEditable(false);
        widget = combo;
        break;
    }
    case ControlKind::ListBox: {
        auto* list = new QListWidget(this);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff); // long columns are cut short
        list->setUniformItemSizes(true);
        list->setItemDelegate(new ListColumns(list));
        widget = list;
        break;
    }
    case ControlKind::GroupBox:
        widget = new QGroupBox(text, this);
        break;
    case ControlKind::Label: {
        auto* label = new QLabel(text, this);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setWordWrap(true);
        widget = label;
        break;
    }
    case ControlKind::Icon: {
        auto* label = new QLabel(this);
        label->setAlignment(Qt::AlignCenter);
        widget = label;
        break;
    }
    }
    if (control.id != 0) {
        widget->setObjectName(QStringLiteral("control-%1").arg(control.id));
    }
    widget->setProperty("controlId", control.id);
    Place(widget, control);
    if (control.kind == ControlKind::Icon) {
        const QPixmap pixmap = IconPixmap(ResourceNumber(control.text));
        if (!pixmap.isNull()) {
            static_cast<QLabel*>(widget)->setPixmap(
                pixmap.scaled(widget->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
        }
    }
    return widget;
}

void TemplateDialog::Place(QWidget* widget, const ui::ControlTemplate& control) {
    QRect rect = units_.Map(control.rect);
    if (control.kind == ControlKind::DropDownList) {
        // A drop-down list's template height includes its open list; closed, it is one line.
        rect.setHeight(std::min(rect.height(), widget->sizeHint().height()));
    }
    widget->setGeometry(rect);
}

QWidget* TemplateDialog::Widget(int id) const {
    if (id == 0) {
        return nullptr;
    }
    for (std::size_t i = 0; i < widgets_.size(); ++i) {
        if (template_.controls[i].id == id) {
            return widgets_[i];
        }
    }
    return nullptr;
}

void TemplateDialog::reject() {
    emit EscapePressed();
}

void TemplateDialog::closeEvent(QCloseEvent* event) {
    // The dialog ends only when its model says so.
    event->ignore();
    emit CloseBoxPressed();
}

void TemplateDialog::keyPressEvent(QKeyEvent* event) {
    if (IsEnterKey(*event)) {
        event->accept();
        emit EnterPressed();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TemplateDialog::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    emit BackgroundMenuRequested(event->globalPos());
}

bool TemplateDialog::eventFilter(QObject* watched, QEvent* event) {
    // The default push button would press itself on Enter; the model decides instead.
    if (event->type() == QEvent::KeyPress && IsEnterKey(*static_cast<QKeyEvent*>(event))) {
        event->accept();
        emit EnterPressed();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace orvix::qt
