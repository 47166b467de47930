#include "support/test_runner.h"

#include <gtest/gtest.h>

namespace orvix::test {

TestRunner::~TestRunner() {
    Verify();
}

TestRunner& TestRunner::Expect(int resourceId, Script script) {
    script_.push_back(Step{resourceId, std::move(script)});
    return *this;
}

int TestRunner::RunModal(ui::DialogController& dialog) {
    const int resourceId = dialog.Template().resourceId;
    ui::DialogModel model(dialog.Template());
    dialog.Attach(model);
    dialog.OnInitDialog();
    model.ProcessPosted();
    if (script_.empty() || script_.front().resourceId != resourceId) {
        ADD_FAILURE() << "dialog " << resourceId << " was opened but not expected";
        model.EndDialog(ui::kIdCancel);
        return model.Result();
    }
    const Step step = std::move(script_.front());
    script_.pop_front();
    if (!model.Ended() && step.script) {
        step.script(model);
    }
    if (!model.Ended()) {
        ADD_FAILURE() << "dialog " << resourceId << " is still open after its script";
        model.EndDialog(ui::kIdCancel);
    }
    return model.Result();
}

void TestRunner::Verify() {
    for (const Step& step : script_) {
        ADD_FAILURE() << "dialog " << step.resourceId << " was expected but never opened";
    }
    script_.clear();
}

OpenDialog::OpenDialog(ui::DialogController& dialog) : model_(dialog.Template()) {
    dialog.Attach(model_);
    dialog.OnInitDialog();
    model_.ProcessPosted();
}

} // namespace orvix::test
