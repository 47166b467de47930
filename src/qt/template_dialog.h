#pragma once

#include <QDialog>
#include <QFont>
#include <cstddef>
#include <vector>

#include "qt/dialog_units.h"
#include "ui/dialog_template.h"

namespace orvix::qt {

// The renderer: a dialog built from any template, one widget per control at the rectangle the
// template gives in dialog units. It has no behaviour of its own; the keys and the close box
// that would end a QDialog are turned into signals for the binder.
class TemplateDialog : public QDialog {
    Q_OBJECT

public:
    TemplateDialog(const ui::DialogTemplate& dialogTemplate, const QFont& font,
                   QWidget* parent = nullptr);

    const ui::DialogTemplate& Template() const { return template_; }
    const DialogUnits& Units() const { return units_; }

    // The widget of the template's control at this index (a group box, label and icon too).
    QWidget* WidgetAt(std::size_t index) const { return widgets_.at(index); }
    // The widget of the control with this ID, or null.
    QWidget* Widget(int id) const;
    template <class T> T* Widget(int id) const { return qobject_cast<T*>(Widget(id)); }

    // Esc: Qt's own handling calls this.
    void reject() override;

signals:
    void EscapePressed();
    void EnterPressed();
    void CloseBoxPressed();
    void BackgroundMenuRequested(const QPoint& globalPos);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* MakeWidget(const ui::ControlTemplate& control);
    void Place(QWidget* widget, const ui::ControlTemplate& control);

    const ui::DialogTemplate& template_;
    DialogUnits units_;
    std::vector<QWidget*> widgets_;
};

// Whether a key event is Enter or Return, the keys that press the default button.
bool IsEnterKey(const QKeyEvent& event);

} // namespace orvix::qt
