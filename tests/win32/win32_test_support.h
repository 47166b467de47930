#pragma once

// What the tests of the Windows front end share: a script of steps run from inside the dialogs'
// own message loops, as a person would act, and readers of the windows on screen.

#include <windows.h>

#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "ui/dialog_controller.h"
#include "ui/prompter.h"
#include "win32/dialog_stack.h"
#include "win32/win32_prompter.h"
#include "win32/win32_runner.h"

namespace orvix::test {

// The text of a window, as UTF-8.
std::string TextOf(HWND window);
// The innermost window that takes input: the dialog or message box a person would act on.
HWND ActiveWindow();

// Sends a control's notification to its dialog, as the control does when a person uses it.
void Notify(HWND dialog, int id, int code);
// A click on a button, check box or radio button.
inline void ClickOn(HWND dialog, int id) {
    Notify(dialog, id, BN_CLICKED);
}
// Typing into an edit: its text replaced, as a person's typing changes it (EN_CHANGE follows).
void TypeInto(HWND dialog, int id, std::string_view text);

// What a message box showed: caption, text, button IDs in order, icon and default button.
struct ShownBox {
    std::string caption;
    std::string text;
    std::vector<int> buttons;
    ui::Icon icon = ui::Icon::None;
    int defaultButton = 0;
};
ShownBox ReadBox(HWND box);

// Steps run one after the other from the message loops of the open dialogs and boxes; a step
// returns false while what it waits for has not appeared, and is tried again. A script that
// stalls, or a window still open when it is over, fails the test and ends the program, since a
// modal loop would never return.
class Script {
public:
    using Step = std::function<bool()>;
    Script();
    ~Script();
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;

    Script& Then(Step step);
    // A step on the innermost dialog of the stack, once it is the window in front and its
    // caption is this one.
    Script& InDialog(std::string_view caption, std::function<void(HWND)> action);
    // Answers the message box in front with a button, after checking its caption and its
    // message against the documented buttons, icon and default of messageId.
    Script& AnswerBox(int messageId, int button);
    bool Done() const { return steps_.empty(); }

    win32::DialogStack stack;
    win32::Win32Prompter prompter{stack};
    win32::Win32DialogRunner runner{stack};
    ui::UiServices services{prompter, runner};

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void RunReady();

    std::deque<Step> steps_;
    UINT_PTR timer_ = 0;
    int waited_ = 0;
};

// A controller for any template that records the events that reach it; OK and cancel end it.
class RecordingDialog : public ui::DialogController {
public:
    using ui::DialogController::DialogController;
    void OnInitDialog() override {
        if (onInit) {
            onInit(Model());
        }
    }
    bool Dispatch(int id, ui::Event event) override {
        events.push_back({id, event});
        if (event == ui::Event::Clicked && (id == ui::kIdOk || id == ui::kIdCancel)) {
            Model().EndDialog(id);
        }
        return true;
    }
    std::function<void(ui::DialogModel&)> onInit;
    std::vector<std::pair<int, ui::Event>> events;
};

} // namespace orvix::test
