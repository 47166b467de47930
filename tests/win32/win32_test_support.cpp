#include "win32_test_support.h"

// windows.h names a function of its own so; the string table's is meant here.
#undef LoadString

#include <cstdio>
#include <cstdlib>

#include "resources/string_table.h"
#include "support/documented_messages.h"
#include "win32/wide_text.h"

namespace orvix::test {

namespace {

constexpr UINT kTickMs = 20;
constexpr int kPatienceTicks = 1500; // 30 s without the awaited window: the run is stuck

Script* running = nullptr;

bool IsDialogClass(HWND window) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    return std::wstring_view(name) == L"#32770";
}

BOOL CALLBACK FindActive(HWND window, LPARAM found) {
    if (IsWindowVisible(window) && IsWindowEnabled(window) && IsDialogClass(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

ui::Icon IconOf(HWND box) {
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        const auto icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
        if (icon == nullptr) {
            continue;
        }
        // The system's icons by number: IDI_WARNING, IDI_QUESTION, IDI_ERROR, IDI_INFORMATION.
        const std::pair<int, ui::Icon> known[] = {{32515, ui::Icon::Warning},
                                                  {32514, ui::Icon::Question},
                                                  {32513, ui::Icon::Error},
                                                  {32516, ui::Icon::Information}};
        for (const auto& [number, kind] : known) {
            if (icon == LoadIconW(nullptr, MAKEINTRESOURCEW(number))) {
                return kind;
            }
        }
        return ui::Icon::Auto; // an icon, but none of the system's
    }
    return ui::Icon::None;
}

} // namespace

std::string TextOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return win32::Utf8(text);
}

HWND ActiveWindow() {
    // The windows of a thread are listed from the top of the z-order down; owners below the
    // modal window are disabled.
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindActive, reinterpret_cast<LPARAM>(&found));
    return found;
}

void Notify(HWND dialog, int id, int code) {
    // Posted, so that a step whose click opens a modal window returns first.
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, code),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void TypeInto(HWND dialog, int id, std::string_view text) {
    // WM_SETTEXT on an edit sends EN_CHANGE, as typing does.
    SetWindowTextW(GetDlgItem(dialog, id), win32::Wide(text).c_str());
}

ShownBox ReadBox(HWND box) {
    ShownBox shown;
    shown.caption = TextOf(box);
    shown.text = TextOf(GetDlgItem(box, 0xFFFF)); // the text of a message box
    for (int id : {IDOK, IDYES, IDNO, IDCANCEL}) {
        HWND button = GetDlgItem(box, id);
        if (button != nullptr && IsWindowVisible(button)) {
            shown.buttons.push_back(id);
        }
    }
    shown.icon = IconOf(box);
    for (int id : shown.buttons) { // the button Enter presses is drawn as the default one
        if ((GetWindowLongW(GetDlgItem(box, id), GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON) {
            shown.defaultButton = id;
        }
    }
    return shown;
}

Script::Script() {
    timer_ = SetTimer(nullptr, 0, kTickMs, Tick);
    running = this;
}

Script::~Script() {
    KillTimer(nullptr, timer_);
    running = nullptr;
}

Script& Script::Then(Step step) {
    steps_.push_back(std::move(step));
    return *this;
}

Script& Script::InDialog(std::string_view caption, std::function<void(HWND)> action) {
    return Then([this, caption = std::string(caption), action] {
        HWND active = ActiveWindow();
        if (active == nullptr || active != stack.Top() || TextOf(active) != caption) {
            return false;
        }
        action(active);
        return true;
    });
}

Script& Script::AnswerBox(int messageId, int button) {
    return Then([this, messageId, button] {
        HWND box = ActiveWindow();
        if (box == nullptr || box == stack.Top()) {
            return false;
        }
        const ShownBox shown = ReadBox(box);
        SCOPED_TRACE("message " + std::to_string(messageId) + ": " + shown.text);
        EXPECT_EQ(shown.caption, ui::kMessageCaption);
        EXPECT_EQ(GetWindow(box, GW_OWNER), stack.Top());   // the innermost dialog's
        const std::string_view raw = LoadString(messageId); // up to its argument, if any
        EXPECT_TRUE(shown.text.starts_with(raw.substr(0, raw.find("%1"))));
        bool documented = false;
        for (const DocumentedMessage& message : kMessages) {
            if (message.id != messageId) {
                continue;
            }
            using B = ui::Buttons;
            const std::vector<int> buttons =
                message.buttons == B::Ok         ? std::vector{IDOK}
                : message.buttons == B::OkCancel ? std::vector{IDOK, IDCANCEL}
                : message.buttons == B::YesNo    ? std::vector{IDYES, IDNO}
                                                 : std::vector{IDYES, IDNO, IDCANCEL};
            const int enter = message.enter == ui::Answer::Ok    ? IDOK
                              : message.enter == ui::Answer::Yes ? IDYES
                              : message.enter == ui::Answer::No  ? IDNO
                                                                 : IDCANCEL;
            if (shown.buttons == buttons) {
                documented = true;
                EXPECT_EQ(shown.icon, message.icon);
                EXPECT_EQ(shown.defaultButton, enter);
            }
        }
        EXPECT_TRUE(documented) << "shown with buttons no documented form of it has";
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
        return true;
    });
}

void CALLBACK Script::Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (running != nullptr) {
        running->RunReady();
    }
}

void Script::RunReady() {
    // A step is taken off before it runs: one that opens a modal window (a message sent) runs the
    // loop again, and the steps after it go on from there.
    bool done = false;
    if (!steps_.empty()) {
        const Step step = std::move(steps_.front());
        steps_.pop_front();
        done = step();
        if (!done) {
            steps_.push_front(step);
        }
    }
    if (done) {
        waited_ = 0;
    } else if (++waited_ > kPatienceTicks) { // a window left open after the script waits too
        HWND active = ActiveWindow();
        std::fprintf(stderr, "The script waited in vain (%zu steps left); in front: \"%s\"\n",
                     steps_.size(), active != nullptr ? TextOf(active).c_str() : "nothing");
        std::fflush(stderr);
        std::_Exit(1);
    }
}

} // namespace orvix::test
