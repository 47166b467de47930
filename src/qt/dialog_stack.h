#pragma once

#include <QPointer>
#include <QWidget>
#include <vector>

namespace orvix::qt {

// The dialogs open at the moment, innermost last: child dialogs and message boxes are
// parented to the innermost one. The runner and the prompter share one stack.
class DialogStack {
public:
    QWidget* Top() const { return dialogs_.empty() ? nullptr : dialogs_.back().data(); }
    void Push(QWidget* dialog) { dialogs_.emplace_back(dialog); }
    void Pop() { dialogs_.pop_back(); }
    std::size_t Size() const { return dialogs_.size(); }

private:
    std::vector<QPointer<QWidget>> dialogs_;
};

} // namespace orvix::qt
