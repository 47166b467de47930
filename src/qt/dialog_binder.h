#pragma once

#include <QObject>
#include <QPoint>
#include <cstddef>
#include <unordered_map>

class QListWidget;
class QMenu;

#include "qt/template_dialog.h"
#include "ui/dialog_model.h"

namespace orvix::qt {

// Binds a rendered dialog to its model both ways: what the person does goes to the model's
// user face; every change of the model is copied into the widgets with their signals blocked,
// so nothing comes back as a second event.
class DialogBinder : public QObject, public ui::ModelObserver {
public:
    DialogBinder(TemplateDialog& view, ui::DialogModel& model);
    ~DialogBinder() override;
    DialogBinder(const DialogBinder&) = delete;
    DialogBinder& operator=(const DialogBinder&) = delete;

    // Turns the model's system menu entries into the background menu and their shortcuts; the
    // controller appends them during its initialisation, so the runner calls this after it.
    void BindSystemMenu();

    void ControlChanged(int id) override;
    void FocusChanged(int id) override;
    void DialogEnded(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Connect(std::size_t index);
    void Sync(std::size_t index);
    void SyncList(QListWidget& list, int id);
    void ShowSystemMenu(const QPoint& globalPos);
    void ShowMenuButton(QMenu& menu);

    TemplateDialog& view_;
    ui::DialogModel& model_;
    std::unordered_map<int, std::size_t> indexById_;
};

} // namespace orvix::qt
