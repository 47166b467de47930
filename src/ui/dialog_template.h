#pragma once

#include <string_view>
#include <vector>

namespace orvix::ui {

// The platform's OK and cancel commands.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

enum class ControlKind {
    PushButton,
    DefPushButton,
    CheckBox,
    RadioButton,
    Edit,
    ReadOnlyEdit,
    Spin,
    DropDownList,
    ListBox, // a single-selection list; its items may hold tab-separated columns
    GroupBox,
    Label,
    Icon, // a static picture: its text names the icon resource ("128")
};

// Initial state flags of a control, as a resource script would give them.
enum Style : unsigned {
    kNone = 0,
    kDisabled = 1u << 0,
    kHidden = 1u << 1,
    kGroup = 1u << 2, // first radio button of a group
};

// A rectangle in dialog units.
struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct ControlTemplate {
    int id = 0; // 0 for labels and group boxes that need none
    ControlKind kind = ControlKind::Label;
    std::string_view text;
    Rect rect;
    unsigned style = kNone;
    int buddy = 0; // a spin's edit; 0 takes the control just before it
};

struct DialogTemplate {
    int resourceId = 0;
    std::string_view title;
    int width = 0; // dialog units
    int height = 0;
    std::vector<ControlTemplate> controls; // in tab order

    const ControlTemplate* Find(int id) const;
};

// Short makers so that templates read like a resource script.
constexpr ControlTemplate Control(ControlKind kind, int id, std::string_view text, int x, int y,
                                  int width, int height, unsigned style = kNone) {
    return ControlTemplate{id, kind, text, Rect{x, y, width, height}, style, 0};
}

} // namespace orvix::ui
