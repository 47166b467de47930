#pragma once

#include <span>

#include "ui/dialog_model.h"
#include "ui/dialog_template.h"

namespace orvix::ui {

class DialogRunner;
class Prompter;

// What a controller needs of its surroundings: someone to ask, and a way to run child dialogs.
struct UiServices {
    Prompter& prompter;
    DialogRunner& runner;
};

// One row of a message map: a control (or a range of control IDs), an event and its handler.
template <class Dialog> struct MessageEntry {
    int firstId;
    int lastId;
    Event event;
    void (Dialog::*handler)(int id);
};

template <class Dialog>
constexpr MessageEntry<Dialog> On(int id, Event event, void (Dialog::*handler)(int)) {
    return MessageEntry<Dialog>{id, id, event, handler};
}

template <class Dialog>
constexpr MessageEntry<Dialog> OnRange(int firstId, int lastId, Event event,
                                       void (Dialog::*handler)(int)) {
    return MessageEntry<Dialog>{firstId, lastId, event, handler};
}

// Runs the handler of the first entry that matches; false when none does.
template <class Dialog>
bool DispatchMessageMap(Dialog& dialog, std::span<const MessageEntry<Dialog>> map, int id,
                        Event event) {
    for (const MessageEntry<Dialog>& entry : map) {
        if (entry.event == event && id >= entry.firstId && id <= entry.lastId) {
            (dialog.*entry.handler)(id);
            return true;
        }
    }
    return false;
}

// The behaviour of one dialog, written against its control model.
class DialogController : public EventSink {
public:
    explicit DialogController(const DialogTemplate& dialogTemplate) : template_(dialogTemplate) {}
    ~DialogController() override = default;

    const DialogTemplate& Template() const { return template_; }
    // Binds the controller to the model of one run; the runner calls it before initialisation.
    void Attach(DialogModel& model) {
        model_ = &model;
        model.SetEventSink(this);
    }
    bool Attached() const { return model_ != nullptr; }
    DialogModel& Model() { return *model_; }
    const DialogModel& Model() const { return *model_; }

    // The dialog's initialisation, once its controls exist.
    virtual void OnInitDialog() {}

private:
    const DialogTemplate& template_;
    DialogModel* model_ = nullptr;
};

// Runs a dialog modally: builds its model, initialises it and returns its result.
class DialogRunner {
public:
    virtual ~DialogRunner() = default;
    virtual int RunModal(DialogController& dialog) = 0;
};

} // namespace orvix::ui
