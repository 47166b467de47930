#pragma once

// Everything the Qt tests share: the widgets, QTest and the front end's own headers.
#include <QtTest/QTest>
#include <QtWidgets>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <ostream>
#include <vector>

#include "qt/dialog_binder.h"
#include "qt/qt_prompter.h"
#include "qt/qt_runner.h"
#include "qt/spin_arrows.h"
#include "resources/main_dialog.h"

// Readable Qt values in the messages of failed checks.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace orvix::test {

// A controller for any template that records what reaches it, by event. OK and cancel end the
// dialog with their ID unless the test keeps it open; the test may add to any other click.
class RecordingDialog : public ui::DialogController {
public:
    using ui::DialogController::DialogController;

    void OnInitDialog() override {
        if (onInit) {
            onInit(Model());
        }
    }
    bool Dispatch(int id, ui::Event event) override {
        events[event].push_back(id);
        if (event == ui::Event::Clicked &&
            (id == ui::kIdOk || (id == ui::kIdCancel && endsOnCancel))) {
            Model().EndDialog(id);
        } else if (event == ui::Event::Clicked && onClick) {
            onClick(id);
        }
        return true;
    }

    std::function<void(ui::DialogModel&)> onInit;
    std::function<void(int id)> onClick;
    bool endsOnCancel = true;
    std::map<ui::Event, std::vector<int>> events;
    std::vector<int>& clicks = events[ui::Event::Clicked];
    std::vector<int>& changes = events[ui::Event::Changed];
};

// A dialog rendered, bound and initialised as the runner does it, but not run: the test acts on
// its widgets directly.
class RenderedDialog {
public:
    explicit RenderedDialog(ui::DialogController& controller, double fontScale = 1.0)
        : model(controller.Template()), view(controller.Template(), qt::DialogFont(fontScale)),
          binder(view, model) {
        controller.Attach(model);
        controller.OnInitDialog();
        binder.BindSystemMenu();
        model.ProcessPosted();
    }

    ui::DialogModel model;
    qt::TemplateDialog view;
    qt::DialogBinder binder;
};

// The visible top-level widget of type T, or null.
template <class T> T* FindTopLevel() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* found = qobject_cast<T*>(widget); found != nullptr && found->isVisible()) {
            return found;
        }
    }
    return nullptr;
}

// Runs an action once the event loop of the dialog about to be opened is running.
inline void WhenRunning(std::function<void()> action) {
    QTimer::singleShot(0, qApp, std::move(action));
}

// Answers the next message box from inside its own event loop with a button (the box's escape
// button when it has no such button), after trying Esc when asked, and records what it showed.
// Destroyed before a box opens, it answers none.
class BoxAnswer : public QObject {
public:
    explicit BoxAnswer(QMessageBox::StandardButton button, bool tryEscape = false) {
        QTimer::singleShot(0, this, [this, button, tryEscape] {
            QMessageBox* box = FindTopLevel<QMessageBox>();
            if (box == nullptr) {
                return;
            }
            const QRegularExpression mnemonic(
                QStringLiteral("\\(&.\\)$")); // "はい(&Y)" reads "はい"
            QStringList buttons;
            for (QAbstractButton* shown : box->buttons()) {
                buttons.append(shown->text().remove(mnemonic));
            }
            buttons.sort();
            const QAbstractButton* enter = box->defaultButton();
            shown = {box->windowTitle(),
                     box->text(),
                     box->detailedText(),
                     QMetaEnum::fromType<QMessageBox::Icon>().valueToKey(box->icon()),
                     buttons.join(' '),
                     enter ? enter->text().remove(mnemonic) : ""};
            parent = box->parentWidget();
            if (tryEscape) {
                QTest::keyClick(box, Qt::Key_Escape);
            }
            if (box->isVisible()) {
                QAbstractButton* answer = box->button(button);
                (answer != nullptr ? answer : box->escapeButton())->click();
            }
        });
    }

    // The caption, text, detail, icon, sorted buttons and default button; empty while no box came.
    QStringList shown;
    QWidget* parent = nullptr;
};

} // namespace orvix::test
