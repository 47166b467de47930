#include "ui/dialog_model.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <stdexcept>

#include "storage/utf8_text.h"

namespace orvix::ui {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsButtonKind(ControlKind kind) {
    return kind == ControlKind::PushButton || kind == ControlKind::DefPushButton ||
           kind == ControlKind::CheckBox || kind == ControlKind::RadioButton;
}

} // namespace

std::optional<long long> ParseDialogWholeNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    const bool negative = i < text.size() && text[i] == '-';
    if (negative) {
        ++i;
    }
    const std::size_t digitsStart = i;
    // Counted towards the negative limit, which is one further than the positive one.
    constexpr long long kLow = std::numeric_limits<long long>::min();
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int digit = text[i] - '0';
        value = value < (kLow + digit) / 10 ? kLow : value * 10 - digit;
    }
    if (i == digitsStart) {
        return std::nullopt;
    }
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    if (i != text.size()) {
        return std::nullopt;
    }
    if (negative) {
        return value;
    }
    return value == kLow ? std::numeric_limits<long long>::max() : -value;
}

std::optional<int> ParseDialogInt(std::string_view text) {
    const std::optional<long long> value = ParseDialogWholeNumber(text);
    if (!value || *value > std::numeric_limits<int>::max() ||
        *value < std::numeric_limits<int>::min()) {
        return std::nullopt;
    }
    return static_cast<int>(*value);
}

DialogModel::DialogModel(const DialogTemplate& dialogTemplate) : template_(dialogTemplate) {
    controls_.reserve(template_.controls.size());
    for (std::size_t i = 0; i < template_.controls.size(); ++i) {
        const ControlTemplate& tpl = template_.controls[i];
        Control control;
        control.tpl = &tpl;
        control.enabled = (tpl.style & kDisabled) == 0;
        control.visible = (tpl.style & kHidden) == 0;
        if (tpl.kind != ControlKind::Edit && tpl.kind != ControlKind::ReadOnlyEdit &&
            tpl.kind != ControlKind::DropDownList && tpl.kind != ControlKind::ListBox) {
            control.text = std::string(tpl.text);
        }
        if (tpl.kind == ControlKind::Spin) {
            control.buddy = tpl.buddy != 0 ? tpl.buddy : (i > 0 ? template_.controls[i - 1].id : 0);
        }
        controls_.push_back(std::move(control));
    }
}

DialogModel::Control* DialogModel::Find(int id) {
    if (id == 0) {
        return nullptr;
    }
    for (Control& control : controls_) {
        if (control.tpl->id == id) {
            return &control;
        }
    }
    return nullptr;
}

const DialogModel::Control* DialogModel::Find(int id) const {
    return const_cast<DialogModel*>(this)->Find(id);
}

DialogModel::Control& DialogModel::Get(int id) {
    Control* control = Find(id);
    if (control == nullptr) {
        throw std::logic_error("dialog " + std::to_string(template_.resourceId) +
                               " has no control " + std::to_string(id));
    }
    return *control;
}

const DialogModel::Control& DialogModel::Get(int id) const {
    return const_cast<DialogModel*>(this)->Get(id);
}

void DialogModel::Changed(int id) {
    if (observer_ != nullptr) {
        observer_->ControlChanged(id);
    }
}

void DialogModel::Notify(int id, Event event) {
    if (ended_ || sink_ == nullptr) {
        return;
    }
    sink_->Dispatch(id, event);
}

// --- program face ---------------------------------------------------------------------------

void DialogModel::SetText(int id, std::string_view text) {
    Control& control = Get(id);
    control.text = std::string(text);
    Changed(id);
    if (control.tpl->kind == ControlKind::Edit || control.tpl->kind == ControlKind::ReadOnlyEdit) {
        Notify(id, Event::Changed); // even when the text is the same
    }
}

std::string DialogModel::GetText(int id, std::size_t maxChars) const {
    const Control& control = Get(id);
    if (maxChars == std::string::npos) {
        return control.text;
    }
    return CutToChars(control.text, maxChars);
}

void DialogModel::SetInt(int id, int value) {
    SetText(id, std::to_string(value));
}

std::optional<int> DialogModel::GetInt(int id) const {
    return ParseDialogInt(Get(id).text);
}

void DialogModel::SetCheck(int id, bool checked) {
    Control& control = Get(id);
    if (control.checked != checked) {
        control.checked = checked;
        Changed(id);
    }
}

bool DialogModel::IsChecked(int id) const {
    return Get(id).checked;
}

void DialogModel::Enable(int id, bool enabled) {
    Control& control = Get(id);
    if (control.enabled != enabled) {
        control.enabled = enabled;
        Changed(id);
    }
}

bool DialogModel::IsEnabled(int id) const {
    return Get(id).enabled;
}

void DialogModel::Show(int id, bool visible) {
    Control& control = Get(id);
    if (control.visible != visible) {
        control.visible = visible;
        Changed(id);
    }
}

bool DialogModel::IsVisible(int id) const {
    return Get(id).visible;
}

void DialogModel::ClearItems(int id) {
    Control& control = Get(id);
    control.items.clear();
    control.selection = -1;
    Changed(id);
}

void DialogModel::AddItem(int id, std::string_view text) {
    Get(id).items.emplace_back(text);
    Changed(id);
}

void DialogModel::AddItems(int id, std::vector<std::string> texts) {
    std::vector<std::string>& items = Get(id).items;
    items.insert(items.end(), std::make_move_iterator(texts.begin()),
                 std::make_move_iterator(texts.end()));
    Changed(id);
}

int DialogModel::ItemCount(int id) const {
    return static_cast<int>(Get(id).items.size());
}

std::string DialogModel::ItemText(int id, int index) const {
    const Control& control = Get(id);
    if (index < 0 || index >= static_cast<int>(control.items.size())) {
        return {};
    }
    return control.items[static_cast<std::size_t>(index)];
}

void DialogModel::SelectItem(int id, int index) {
    Control& control = Get(id);
    const bool valid = index >= 0 && index < static_cast<int>(control.items.size());
    control.selection = valid ? index : -1;
    Changed(id);
}

int DialogModel::Selection(int id) const {
    return Get(id).selection;
}

void DialogModel::SetTabStops(int id, std::vector<int> stops) {
    Get(id).tabStops = std::move(stops);
    Changed(id);
}

const std::vector<int>& DialogModel::TabStops(int id) const {
    return Get(id).tabStops;
}

void DialogModel::SetSpinRange(int id, int low, int high) {
    Control& control = Get(id);
    control.low = low;
    control.high = high;
    Changed(id);
}

int DialogModel::SpinLow(int id) const {
    return Get(id).low;
}
int DialogModel::SpinHigh(int id) const {
    return Get(id).high;
}
int DialogModel::SpinBuddy(int id) const {
    return Get(id).buddy;
}

void DialogModel::SetFocus(int id) {
    Get(id);
    focus_ = id;
    if (observer_ != nullptr) {
        observer_->FocusChanged(id);
    }
}

void DialogModel::AppendSystemMenu(int command, std::string_view text, std::string_view shortcut) {
    systemMenu_.push_back(SystemMenuEntry{command, std::string(text), std::string(shortcut)});
}

void DialogModel::EndDialog(int result) {
    if (ended_) {
        return;
    }
    ended_ = true;
    result_ = result;
    if (observer_ != nullptr) {
        observer_->DialogEnded(result);
    }
}

void DialogModel::ProcessPosted() {
    while (closePosted_ && !ended_) {
        closePosted_ = false;
        Command(kIdCancel);
    }
    closePosted_ = false;
}

// --- user face ------------------------------------------------------------------------------

bool DialogModel::UserCanReach(const Control& control) const {
    return !ended_ && control.enabled && control.visible;
}

void DialogModel::Command(int id) {
    if (ended_) {
        return;
    }
    const bool handled = sink_ != nullptr && sink_->Dispatch(id, Event::Clicked);
    if (!handled && (id == kIdOk || id == kIdCancel)) {
        EndDialog(id);
    }
}

void DialogModel::UncheckRadioGroup(std::size_t index) {
    // A group runs from a radio button marked as its first through the radio buttons that
    // follow it in tab order, up to the next first-of-group or a control of another kind.
    std::size_t first = index;
    while (first > 0 && (controls_[first].tpl->style & kGroup) == 0 &&
           controls_[first - 1].tpl->kind == ControlKind::RadioButton) {
        --first;
    }
    for (std::size_t i = first; i < controls_.size(); ++i) {
        Control& other = controls_[i];
        if (other.tpl->kind != ControlKind::RadioButton ||
            (i > first && (other.tpl->style & kGroup) != 0)) {
            break;
        }
        if (i != index && other.checked) {
            other.checked = false;
            Changed(other.tpl->id);
        }
    }
}

void DialogModel::Click(int id) {
    Control& control = Get(id);
    if (!UserCanReach(control) || !IsButtonKind(control.tpl->kind)) {
        return;
    }
    if (control.tpl->kind == ControlKind::CheckBox) {
        control.checked = !control.checked;
        Changed(id);
    } else if (control.tpl->kind == ControlKind::RadioButton) {
        UncheckRadioGroup(static_cast<std::size_t>(&control - controls_.data()));
        if (!control.checked) {
            control.checked = true;
            Changed(id);
        }
    }
    Command(id);
    ProcessPosted();
}

void DialogModel::Type(int id, std::string_view text) {
    Control& control = Get(id);
    if (!UserCanReach(control) || control.tpl->kind != ControlKind::Edit) {
        return;
    }
    SetText(id, text);
    ProcessPosted();
}

void DialogModel::StepSpin(int spinId, int delta) {
    Control& spin = Get(spinId);
    if (!UserCanReach(spin) || spin.tpl->kind != ControlKind::Spin || spin.buddy == 0) {
        return;
    }
    const Control& buddy = Get(spin.buddy);
    const long long current = ParseDialogInt(buddy.text).value_or(0);
    const long long low = std::min(spin.low, spin.high);
    const long long high = std::max(spin.low, spin.high);
    const long long next = std::clamp(current + delta, low, high);
    const std::string nextText = std::to_string(next);
    if (nextText != buddy.text) {
        SetText(spin.buddy, nextText);
    }
    ProcessPosted();
}

void DialogModel::ChooseItem(int id, int index) {
    Control& control = Get(id);
    const bool isList =
        control.tpl->kind == ControlKind::DropDownList || control.tpl->kind == ControlKind::ListBox;
    if (!UserCanReach(control) || !isList || index < 0 ||
        index >= static_cast<int>(control.items.size())) {
        return;
    }
    control.selection = index;
    Changed(id);
    Notify(id, Event::SelectionChanged);
    ProcessPosted();
}

void DialogModel::PressEscape() {
    Command(kIdCancel);
    ProcessPosted();
}

void DialogModel::CloseBox() {
    PressEscape();
}

void DialogModel::PressEnter() {
    for (const Control& control : controls_) {
        if (control.tpl->kind == ControlKind::DefPushButton) {
            if (UserCanReach(control)) {
                Command(control.tpl->id);
                ProcessPosted();
            }
            return;
        }
    }
}

void DialogModel::SystemCommand(int command) {
    Notify(command, Event::SysCommand);
    ProcessPosted();
}

int DialogModel::SpinForBuddy(int editId) const {
    for (const Control& control : controls_) {
        if (control.tpl->kind == ControlKind::Spin && control.buddy == editId) {
            return control.tpl->id;
        }
    }
    return 0;
}

} // namespace orvix::ui
