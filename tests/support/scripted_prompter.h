#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "ui/prompter.h"

namespace orvix::test {

// A prompter that answers from a script. Every message, file choice and colour choice must be
// expected, in order; one that was not expected, or expected and never asked, fails the test.
class ScriptedPrompter : public ui::Prompter {
public:
    ScriptedPrompter() = default;
    ScriptedPrompter(const ScriptedPrompter&) = delete;
    ScriptedPrompter& operator=(const ScriptedPrompter&) = delete;
    ~ScriptedPrompter() override;

    ScriptedPrompter& Expect(int messageId, ui::Answer answer = ui::Answer::Ok);
    ScriptedPrompter& ExpectOpenFile(std::optional<std::string> chosenPath);
    ScriptedPrompter& ExpectColour(std::optional<ui::Rgb> chosen);

    ui::Answer ShowMessage(const ui::MessageRequest& request) override;
    std::optional<std::string> ChooseOpenFile(const ui::OpenFileRequest& request) override;
    std::optional<ui::Rgb> ChooseColour(ui::Rgb initial) override;

    // Fails the test for every expectation not yet met, and forgets them.
    void Verify();

    const std::vector<ui::MessageRequest>& Messages() const { return messages_; }
    const std::vector<ui::OpenFileRequest>& FileRequests() const { return fileRequests_; }
    const std::vector<ui::Rgb>& ColourRequests() const { return colourRequests_; }

private:
    enum class Kind { Message, OpenFile, Colour };
    struct Step {
        Kind kind;
        int messageId = 0;
        ui::Answer answer = ui::Answer::Ok;
        std::optional<std::string> path;
        std::optional<ui::Rgb> colour;
    };
    static std::string Describe(const Step& step);
    std::optional<Step> Take(Kind kind, const char* what);

    std::deque<Step> script_;
    std::vector<ui::MessageRequest> messages_;
    std::vector<ui::OpenFileRequest> fileRequests_;
    std::vector<ui::Rgb> colourRequests_;
};

} // namespace orvix::test
