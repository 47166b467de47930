#pragma once

#include <QApplication>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <ostream>
#include <vector>

#include "qt/dialog_binder.h"
#include "qt/dialog_units.h"
#include "qt/template_dialog.h"
#include "ui/dialog_controller.h"
#include "ui/dialog_model.h"

// Readable QStrings in the messages of failed checks.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& texts, std::ostream* out) {
    *out << "{ \"" << texts.join("\", \"").toStdString() << "\" }";
}

namespace orvix::test {

// A controller for any template that records what reaches its message map. OK and cancel end
// the dialog with their ID; the test may add to any click.
class RecordingDialog : public ui::DialogController {
public:
    explicit RecordingDialog(const ui::DialogTemplate& dialogTemplate)
        : ui::DialogController(dialogTemplate) {}

    void OnInitDialog() override;
    bool Dispatch(int id, ui::Event event) override;

    std::function<void(ui::DialogModel&)> onInit;
    std::function<void(int id)> onClick;

    std::vector<int> clicks;
    std::vector<int> changes;
    std::vector<int> selections;
    std::vector<int> commands;

private:
    void OnEnd(int id);
    void OnClicked(int id);
    void OnChanged(int id);
    void OnSelection(int id);
    void OnCommand(int id);
};

// A dialog rendered and bound as the runner does it, initialised but not run: the test acts on
// its widgets directly.
class RenderedDialog {
public:
    explicit RenderedDialog(ui::DialogController& controller, double fontScale = 1.0);

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
void WhenRunning(std::function<void()> action);

} // namespace orvix::test
