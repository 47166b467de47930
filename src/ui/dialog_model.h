#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/dialog_template.h"

namespace orvix::ui {

enum class Event {
    Clicked,          // a user click on an enabled button, check box or radio button
    Changed,          // an edit's text was set, by the user or by the program
    SelectionChanged, // a user choice in a drop-down list or a list box
    SysCommand,       // an entry of the system (context) menu
};

// Receives the notifications of a model: the dialog's controller.
class EventSink {
public:
    virtual ~EventSink() = default;
    // Returns false when no handler took the event.
    virtual bool Dispatch(int id, Event event) = 0;
};

// Told about every change of state, so that a view can follow the model.
class ModelObserver {
public:
    virtual ~ModelObserver() = default;
    virtual void ControlChanged(int id) = 0;
    virtual void FocusChanged(int id) = 0;
    virtual void DialogEnded(int result) = 0;
};

// The distance of a list box's tab stops when none are set, in dialog units.
inline constexpr int kDefaultTabStop = 32;

struct SystemMenuEntry {
    int command = 0;
    std::string text;
    std::string shortcut; // a key name such as "F1", or empty
};

// Reads a number as the platform's dialog-item conversion does: leading blanks and one minus
// sign, then decimal digits; anything else, or a value beyond the signed 32-bit range, is none.
std::optional<int> ParseDialogInt(std::string_view text);
// The same number read whole, so that a range check can refuse what 32 bits would not hold; a
// number beyond 64 bits reads as the nearest 64-bit limit.
std::optional<long long> ParseDialogWholeNumber(std::string_view text);

// The state of every control of one dialog, with a program face for controllers and a user
// face for the view and the tests.
class DialogModel {
public:
    explicit DialogModel(const DialogTemplate& dialogTemplate);
    DialogModel(const DialogModel&) = delete;
    DialogModel& operator=(const DialogModel&) = delete;

    const DialogTemplate& Template() const { return template_; }
    void SetEventSink(EventSink* sink) { sink_ = sink; }
    void SetObserver(ModelObserver* observer) { observer_ = observer; }
    bool HasControl(int id) const { return Find(id) != nullptr; }

    // --- program face -------------------------------------------------------------------
    void SetText(int id, std::string_view text);
    // At most maxChars characters (not bytes) of the text.
    std::string GetText(int id, std::size_t maxChars = std::string::npos) const;
    void SetInt(int id, int value);
    std::optional<int> GetInt(int id) const; // none when the text is no number
    int GetIntOrZero(int id) const { return GetInt(id).value_or(0); }

    void SetCheck(int id, bool checked);
    bool IsChecked(int id) const;
    void Enable(int id, bool enabled);
    bool IsEnabled(int id) const;
    void Show(int id, bool visible);
    bool IsVisible(int id) const;

    void ClearItems(int id);
    void AddItem(int id, std::string_view text);
    // Many items with one change notification, so that a view rebuilds its list once.
    void AddItems(int id, std::vector<std::string> texts);
    int ItemCount(int id) const;
    std::string ItemText(int id, int index) const;
    void SelectItem(int id, int index); // an index that is no item leaves no selection
    int Selection(int id) const;        // -1 for none
    // Where a list box's tab-separated columns start, in dialog units from its left edge; a
    // column with no stop of its own starts at a multiple of kDefaultTabStop.
    void SetTabStops(int id, std::vector<int> stops);
    const std::vector<int>& TabStops(int id) const;

    void SetSpinRange(int id, int low, int high);
    int SpinLow(int id) const;
    int SpinHigh(int id) const;
    int SpinBuddy(int id) const;

    void SetFocus(int id);
    int Focus() const { return focus_; }

    void AppendSystemMenu(int command, std::string_view text, std::string_view shortcut = {});
    const std::vector<SystemMenuEntry>& SystemMenu() const { return systemMenu_; }

    void EndDialog(int result);
    bool Ended() const { return ended_; }
    int Result() const { return result_; }
    // Asks for the dialog to close once the current notification has been handled.
    void PostClose() { closePosted_ = true; }
    // Handles a posted close request, if any; the view and the runners call it after an event.
    void ProcessPosted();

    // --- user face ----------------------------------------------------------------------
    void Click(int id);
    void Type(int id, std::string_view text);
    void StepSpin(int spinId, int delta); // +1 for the upper arrow, -1 for the lower one
    void ChooseItem(int id, int index);
    void PressEscape();
    void PressEnter();
    void CloseBox();
    void SystemCommand(int command);
    // The spin whose buddy is this edit, or 0.
    int SpinForBuddy(int editId) const;

private:
    struct Control {
        const ControlTemplate* tpl = nullptr;
        std::string text;
        bool checked = false;
        bool enabled = true;
        bool visible = true;
        std::vector<std::string> items;
        int selection = -1;
        std::vector<int> tabStops;
        int low = 0;
        int high = 100;
        int buddy = 0;
    };

    Control* Find(int id);
    const Control* Find(int id) const;
    Control& Get(int id);
    const Control& Get(int id) const;
    bool UserCanReach(const Control& control) const;
    void Notify(int id, Event event);
    void Changed(int id);
    void Command(int id); // a button's command, with the platform's defaults for OK and cancel
    void UncheckRadioGroup(std::size_t index);

    const DialogTemplate& template_;
    std::vector<Control> controls_;
    std::vector<SystemMenuEntry> systemMenu_;
    EventSink* sink_ = nullptr;
    ModelObserver* observer_ = nullptr;
    int focus_ = 0;
    bool ended_ = false;
    bool closePosted_ = false;
    int result_ = 0;
};

} // namespace orvix::ui
