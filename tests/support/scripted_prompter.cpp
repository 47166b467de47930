#include "support/scripted_prompter.h"

#include "resources/string_table.h"
#include "support/documented_messages.h"

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
    return step.kind == Kind::Message    ? "message " + std::to_string(step.messageId)
           : step.kind == Kind::OpenFile ? "an open-file dialog"
                                         : "a colour chooser";
}

namespace {

const char* Name(ui::Buttons buttons) {
    constexpr const char* kNames[] = {"OK", "OK/Cancel", "Yes/No", "Yes/No/Cancel"};
    return kNames[static_cast<int>(buttons)];
}

const char* Name(ui::Icon icon) {
    constexpr const char* kNames[] = {"auto", "no", "warning", "question", "error", "information"};
    return kNames[static_cast<int>(icon)];
}

const char* Name(ui::Answer answer) {
    constexpr const char* kNames[] = {"none", "OK", "Cancel", "Yes", "No"};
    return kNames[static_cast<int>(answer)];
}

bool Offers(ui::Buttons buttons, ui::Answer answer) {
    using B = ui::Buttons;
    const bool yesNo = buttons == B::YesNo || buttons == B::YesNoCancel;
    const bool cancel = buttons == B::OkCancel || buttons == B::YesNoCancel;
    return answer == (yesNo ? ui::Answer::Yes : ui::Answer::Ok) ||
           (yesNo && answer == ui::Answer::No) || (cancel && answer == ui::Answer::Cancel);
}

// Fails the test when the message is not shown in a form the documentation gives it.
void CheckDocumented(const ui::MessageRequest& request) {
    const ui::Icon icon = ui::EffectiveIcon(request);
    const ui::Answer enter = ui::EffectiveDefault(request);
    bool known = false;
    for (const DocumentedMessage& entry : kMessages) {
        if (entry.id != request.messageId) {
            continue;
        }
        known = true;
        if (entry.buttons == request.buttons && entry.icon == icon && entry.enter == enter) {
            return;
        }
    }
    ADD_FAILURE() << "message " << request.messageId << " (" << MessageText(request) << ") "
                  << (known ? "was shown as " : "is not documented; shown as ")
                  << Name(request.buttons) << ", " << Name(icon) << " icon, Enter " << Name(enter)
                  << (known ? ", not as documented" : "");
}

} // namespace

ui::Answer ScriptedPrompter::ShowMessage(const ui::MessageRequest& request) {
    messages_.push_back(request);
    CheckDocumented(request);
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
    if (!Offers(request.buttons, step.answer)) {
        ADD_FAILURE() << "message " << request.messageId << " offers " << Name(request.buttons)
                      << ", but the script answers " << Name(step.answer);
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
