#pragma once

#include <windows.h>

#include <vector>

namespace orvix::win32 {

// The dialogs open at the moment, innermost last: child dialogs and message boxes are owned
// by the innermost one. The runner and the prompter share one stack.
class DialogStack {
public:
    HWND Top() const { return dialogs_.empty() ? nullptr : dialogs_.back(); }
    void Push(HWND dialog) { dialogs_.push_back(dialog); }
    void Pop() { dialogs_.pop_back(); }
    std::size_t Size() const { return dialogs_.size(); }

private:
    std::vector<HWND> dialogs_;
};

} // namespace orvix::win32
