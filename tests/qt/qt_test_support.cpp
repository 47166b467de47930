#include "qt_test_support.h"

#include <QTimer>

namespace orvix::test {

using ui::Event;

void RecordingDialog::OnInitDialog() {
    if (onInit) {
        onInit(Model());
    }
}

bool RecordingDialog::Dispatch(int id, Event event) {
    static constexpr ui::MessageEntry<RecordingDialog> map[] = {
        ui::On(ui::kIdOk, Event::Clicked, &RecordingDialog::OnEnd),
        ui::On(ui::kIdCancel, Event::Clicked, &RecordingDialog::OnEnd),
        ui::OnRange(3, 0xFFFF, Event::Clicked, &RecordingDialog::OnClicked),
        ui::OnRange(1, 0xFFFF, Event::Changed, &RecordingDialog::OnChanged),
        ui::OnRange(1, 0xFFFF, Event::SelectionChanged, &RecordingDialog::OnSelection),
        ui::OnRange(0, 0xFFFF, Event::SysCommand, &RecordingDialog::OnCommand),
    };
    return ui::DispatchMessageMap<RecordingDialog>(*this, map, id, event);
}

void RecordingDialog::OnEnd(int id) {
    clicks.push_back(id);
    Model().EndDialog(id);
}

void RecordingDialog::OnClicked(int id) {
    clicks.push_back(id);
    if (onClick) {
        onClick(id);
    }
}

void RecordingDialog::OnChanged(int id) {
    changes.push_back(id);
}
void RecordingDialog::OnSelection(int id) {
    selections.push_back(id);
}
void RecordingDialog::OnCommand(int id) {
    commands.push_back(id);
}

RenderedDialog::RenderedDialog(ui::DialogController& controller, double fontScale)
    : model(controller.Template()), view(controller.Template(), qt::DialogFont(fontScale)),
      binder(view, model) {
    controller.Attach(model);
    controller.OnInitDialog();
    binder.BindSystemMenu();
    model.ProcessPosted();
}

void WhenRunning(std::function<void()> action) {
    QTimer::singleShot(0, qApp, std::move(action));
}

} // namespace orvix::test
