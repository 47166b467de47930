#include "support/scripted_prompter.h"

#include "resources/string_table.h"

#include <gtest/gtest.h>

namespace orvix::test {

ScriptedPrompter::~ScriptedPrompter() {
    Verify();
}

ScriptedPrompter& ScriptedPrompter::Expect(int messageId, ui::Answer answer) {
    script_.push_back(Step{Kind::Message, messageId, answer, {}, {}});
    return *this;
}

ScriptedPrompter& ScriptedPrompter::ExpectOpenFile(std::optional<std::string> chosenPath) {
    script_.push_back(Step{Kind::OpenFile, 0, ui::Answer::Ok, std::move(chosenPath), {}});
    return *this;
}

ScriptedPrompter& ScriptedPrompter::ExpectColour(std::optional<ui::Rgb> chosen) {
    script_.push_back(Step{Kind::Colour, 0, ui::Answer::Ok, {}, chosen});
    return *this;
}

std::string ScriptedPrompter::Describe(const Step& step) {
    switch (step.kind) {
    case Kind::Message:
        return "message " + std::to_string(step.messageId);
    case Kind::OpenFile:
        return "an open-file dialog";
    case Kind::Colour:
        return "a colour chooser";
    }
    return "?";
}

ui::Answer ScriptedPrompter::ShowMessage(const ui::MessageRequest& request) {
    messages_.push_back(request);
    if (script_.empty()) {
        ADD_FAILURE() << "message " << request.messageId << " (" << MessageText(request)
                      << ") was shown but not expected";
        return ui::EffectiveDefault(request);
    }
    const Step step = script_.front();
    script_.pop_front();
    if (step.kind != Kind::Message || step.messageId != request.messageId) {
        ADD_FAILURE() << "expected " << Describe(step) << ", but message " << request.messageId
                      << " (" << MessageText(request) << ") was shown";
        return ui::EffectiveDefault(request);
    }
    return step.answer;
}

std::optional<ScriptedPrompter::Step> ScriptedPrompter::Take(Kind kind, const char* what) {
    if (script_.empty() || script_.front().kind != kind) {
        ADD_FAILURE() << what << " was shown but "
                      << (script_.empty() ? "nothing" : Describe(script_.front()))
                      << " was expected";
        return std::nullopt;
    }
    Step step = script_.front();
    script_.pop_front();
    return step;
}

std::optional<std::string> ScriptedPrompter::ChooseOpenFile(const ui::OpenFileRequest& request) {
    fileRequests_.push_back(request);
    const auto step = Take(Kind::OpenFile, "an open-file dialog");
    return step ? step->path : std::nullopt;
}

std::optional<ui::Rgb> ScriptedPrompter::ChooseColour(ui::Rgb initial) {
    colourRequests_.push_back(initial);
    const auto step = Take(Kind::Colour, "a colour chooser");
    return step ? step->colour : std::nullopt;
}

void ScriptedPrompter::Verify() {
    for (const Step& step : script_) {
        ADD_FAILURE() << Describe(step) << " was expected but never shown";
    }
    script_.clear();
}

} // namespace orvix::test
