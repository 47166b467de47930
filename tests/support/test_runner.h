#pragma once

#include <deque>
#include <functional>

#include "ui/dialog_controller.h"
#include "ui/dialog_model.h"

namespace orvix::test {

// Runs child dialogs in tests: initialisation, then the test's script for that dialog. Every
// dialog opened must be expected, in order; the script must end the dialog.
class TestRunner : public ui::DialogRunner {
public:
    using Script = std::function<void(ui::DialogModel&)>;

    TestRunner() = default;
    TestRunner(const TestRunner&) = delete;
    TestRunner& operator=(const TestRunner&) = delete;
    ~TestRunner() override;

    TestRunner& Expect(int resourceId, Script script);
    int RunModal(ui::DialogController& dialog) override;
    void Verify();

private:
    struct Step {
        int resourceId;
        Script script;
    };
    std::deque<Step> script_;
};

// A dialog opened by the test itself: its model, bound to its controller and initialised.
class OpenDialog {
public:
    explicit OpenDialog(ui::DialogController& dialog);
    ui::DialogModel& Model() { return model_; }
    ui::DialogModel* operator->() { return &model_; }

private:
    ui::DialogModel model_;
};

} // namespace orvix::test
