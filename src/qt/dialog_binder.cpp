#include "qt/dialog_binder.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QSignalBlocker>
#include <QStyle>
#include <QToolButton>

#include "qt/list_columns.h"
#include "qt/spin_arrows.h"
#include "resources/translation.h"

namespace orvix::qt {

using ui::ControlKind;

namespace {

QString ToQString(const std::string& text) {
    return QString::fromStdString(text);
}

// The property that marks an action as one of the model's system menu entries.
constexpr const char* kSystemCommand = "systemCommand";

} // namespace

DialogBinder::DialogBinder(TemplateDialog& view, ui::DialogModel& model)
    : view_(view), model_(model) {
    const auto& controls = view_.Template().controls;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].id != 0) {
            indexById_.emplace(controls[i].id, i);
            Connect(i);
            Sync(i);
        }
    }
    connect(&view_, &TemplateDialog::EscapePressed, this, [this] { model_.PressEscape(); });
    connect(&view_, &TemplateDialog::EnterPressed, this, [this] { model_.PressEnter(); });
    connect(&view_, &TemplateDialog::CloseBoxPressed, this, [this] { model_.CloseBox(); });
    connect(&view_, &TemplateDialog::BackgroundMenuRequested, this,
            [this](const QPoint& pos) { ShowSystemMenu(pos); });
    model_.SetObserver(this);
}

DialogBinder::~DialogBinder() {
    model_.SetObserver(nullptr);
}

void DialogBinder::Connect(std::size_t index) {
    const ui::ControlTemplate& control = view_.Template().controls[index];
    const int id = control.id;
    QWidget* widget = view_.WidgetAt(index);
    switch (control.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefPushButton:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
        // Qt has already toggled a check box or radio button; the model decides its state.
        connect(static_cast<QAbstractButton*>(widget), &QAbstractButton::clicked, this,
                [this, id, index] {
                    model_.Click(id);
                    Sync(index);
                });
        break;
    case ControlKind::Edit:
    case ControlKind::ReadOnlyEdit:
        connect(static_cast<QLineEdit*>(widget), &QLineEdit::textEdited, this,
                [this, id, index](const QString& text) {
                    model_.Type(id, text.toStdString());
                    Sync(index);
                });
        widget->installEventFilter(this); // the arrow keys of a spin's buddy
        break;
    case ControlKind::Spin:
        connect(static_cast<SpinArrows*>(widget), &SpinArrows::Stepped, this,
                [this, id](int delta) { model_.StepSpin(id, delta); });
        break;
    case ControlKind::DropDownList:
        connect(static_cast<QComboBox*>(widget), &QComboBox::activated, this,
                [this, id, index](int item) {
                    model_.ChooseItem(id, item);
                    Sync(index);
                });
        break;
    case ControlKind::ListBox:
        // A row made current by a click or a key; the program's own changes come blocked.
        connect(static_cast<QListWidget*>(widget), &QListWidget::currentRowChanged, this,
                [this, id, index](int row) {
                    if (row >= 0) {
                        model_.ChooseItem(id, row);
                    }
                    Sync(index);
                });
        break;
    case ControlKind::GroupBox:
    case ControlKind::Label:
    case ControlKind::Icon:
        break;
    }
}

void DialogBinder::Sync(std::size_t index) {
    const ui::ControlTemplate& control = view_.Template().controls[index];
    const int id = control.id;
    QWidget* widget = view_.WidgetAt(index);
    const QSignalBlocker blocker(widget);
    widget->setEnabled(model_.IsEnabled(id));
    widget->setHidden(!model_.IsVisible(id));
    const QString text = ToQString(model_.GetText(id));
    switch (control.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefPushButton:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton: {
        auto* button = static_cast<QAbstractButton*>(widget);
        if (button->text() != text) {
            button->setText(text);
        }
        if (control.kind == ControlKind::CheckBox || control.kind == ControlKind::RadioButton) {
            button->setChecked(model_.IsChecked(id));
        }
        break;
    }
    case ControlKind::Edit:
    case ControlKind::ReadOnlyEdit: {
        auto* edit = static_cast<QLineEdit*>(widget);
        if (edit->text() != text) { // setting the text would move the cursor
            edit->setText(text);
        }
        break;
    }
    case ControlKind::DropDownList: {
        auto* combo = static_cast<QComboBox*>(widget);
        QStringList items;
        for (int i = 0; i < model_.ItemCount(id); ++i) {
            items.append(ToQString(model_.ItemText(id, i)));
        }
        QStringList shown;
        for (int i = 0; i < combo->count(); ++i) {
            shown.append(combo->itemText(i));
        }
        if (shown != items) {
            combo->clear();
            combo->addItems(items);
        }
        combo->setCurrentIndex(model_.Selection(id));
        break;
    }
    case ControlKind::ListBox:
        SyncList(*static_cast<QListWidget*>(widget), id);
        break;
    case ControlKind::GroupBox: {
        auto* box = static_cast<QGroupBox*>(widget);
        if (box->title() != text) {
            box->setTitle(text);
        }
        break;
    }
    case ControlKind::Label: {
        auto* label = static_cast<QLabel*>(widget);
        if (label->text() != text) {
            label->setText(text);
        }
        break;
    }
    case ControlKind::Spin:
    case ControlKind::Icon:
        break;
    }
}

void DialogBinder::SyncList(QListWidget& list, int id) {
    QStringList items;
    for (int i = 0; i < model_.ItemCount(id); ++i) {
        items.append(ToQString(model_.ItemText(id, i)));
    }
    QStringList shown;
    for (int i = 0; i < list.count(); ++i) {
        shown.append(list.item(i)->text());
    }
    if (shown != items) {
        list.clear();
        for (const QString& text : items) {
            auto* item = new QListWidgetItem(text, &list);
            // The whole row, for a column cut short.
            item->setToolTip(QString(text).replace(QLatin1Char('\t'), QStringLiteral("  ")));
        }
    }
    if (auto* columns = dynamic_cast<ListColumns*>(list.itemDelegate())) {
        QList<int> stops;
        for (int stop : model_.TabStops(id)) {
            stops.append(view_.Units().X(stop));
        }
        columns->SetStops(stops, view_.Units().X(ui::kDefaultTabStop));
        list.viewport()->update();
    }
    const int selection = model_.Selection(id);
    list.setCurrentRow(selection);
    if (selection < 0) {
        list.clearSelection();
    }
}

void DialogBinder::ControlChanged(int id) {
    const auto found = indexById_.find(id);
    if (found != indexById_.end()) {
        Sync(found->second);
    }
}

void DialogBinder::FocusChanged(int id) {
    if (QWidget* widget = view_.Widget(id)) {
        widget->setFocus(Qt::OtherFocusReason);
    }
}

void DialogBinder::DialogEnded(int result) {
    view_.done(result);
}

bool DialogBinder::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool up = key->key() == Qt::Key_Up;
        if ((up || key->key() == Qt::Key_Down) && key->modifiers() == Qt::NoModifier) {
            const int editId = watched->property("controlId").toInt();
            const int spinId = model_.SpinForBuddy(editId);
            if (spinId != 0) {
                model_.StepSpin(spinId, up ? +1 : -1);
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

void DialogBinder::BindSystemMenu() {
    auto* menu = new QMenu(&view_);
    for (const ui::SystemMenuEntry& entry : model_.SystemMenu()) {
        auto* action = new QAction(ToQString(entry.text), &view_);
        menu->addAction(action);
        action->setProperty(kSystemCommand, entry.command);
        if (!entry.shortcut.empty()) {
            action->setShortcut(QKeySequence(ToQString(entry.shortcut)));
            action->setShortcutContext(Qt::WindowShortcut);
        }
        const int command = entry.command;
        connect(action, &QAction::triggered, this,
                [this, command] { model_.SystemCommand(command); });
        view_.addAction(action); // so that its shortcut works while the dialog is active
    }
    if (!menu->isEmpty()) {
        ShowMenuButton(*menu);
    }
}

void DialogBinder::ShowMenuButton(QMenu& menu) {
    // The desktop shows no window menu of a dialog: a small button above the default button, in
    // no control's place, opens the entries, as F10 and a right click on the dialog do.
    auto* button = new QToolButton(&view_);
    button->setObjectName(QStringLiteral("system-menu"));
    button->setText(ToQString(std::string(Translate("メニュー"))));
    button->setToolTip(QStringLiteral("F10"));
    button->setMenu(&menu);
    button->setPopupMode(QToolButton::InstantPopup);
    auto* key = new QAction(&view_);
    key->setShortcut(QKeySequence(Qt::Key_F10));
    key->setShortcutContext(Qt::WindowShortcut);
    connect(key, &QAction::triggered, button, &QToolButton::showMenu);
    view_.addAction(key);
    // Room for the menu's arrow beside the text, which the size hint leaves out.
    const QSize size =
        button->sizeHint() + QSize(button->style()->pixelMetric(QStyle::PM_MenuButtonIndicator), 0);
    const int gap = view_.Units().Map(ui::Rect{0, 0, 0, 4}).height();
    for (std::size_t i = 0; i < view_.Template().controls.size(); ++i) {
        if (view_.Template().controls[i].kind == ControlKind::DefPushButton) {
            const QRect beside = view_.WidgetAt(i)->geometry();
            button->setGeometry(
                QRect(QPoint(beside.right() + 1 - size.width(), beside.top() - gap - size.height()),
                      size));
        }
    }
    button->show();
}

void DialogBinder::ShowSystemMenu(const QPoint& globalPos) {
    QList<QAction*> entries;
    for (QAction* action : view_.actions()) {
        if (action->property(kSystemCommand).isValid()) {
            entries.append(action);
        }
    }
    if (!entries.isEmpty()) {
        QMenu::exec(entries, globalPos, nullptr, &view_);
    }
}

} // namespace orvix::qt
