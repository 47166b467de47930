#pragma once

#include <optional>
#include <string>

namespace orvix::ui {

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Icon { Auto, None, Warning, Question, Error, Information };
enum class Answer { None, Ok, Cancel, Yes, No };

// A message box: a string-table text with an optional %1 argument.
struct MessageRequest {
    int messageId = 0;
    std::string argument{};
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::Auto;
    Answer defaultAnswer = Answer::None; // None: the first button
    std::string detail{}; // why, "PATH: reason" in the interface's language; may be empty
};

struct OpenFileRequest {
    std::string filterLabel;      // "ﾍﾟﾁ2実行ﾌｧｲﾙ"
    std::string pattern;          // "STARTUP.BIN" or "*.CSV"
    std::string defaultExtension; // "BIN"
    std::string initialName;      // "STARTUP.BIN"
    std::string initialFolder;    // may be empty
};

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Everything that asks the person something goes through here.
class Prompter {
public:
    virtual ~Prompter() = default;
    virtual Answer ShowMessage(const MessageRequest& request) = 0;
    virtual std::optional<std::string> ChooseOpenFile(const OpenFileRequest& request) = 0;
    virtual std::optional<Rgb> ChooseColour(Rgb initial) = 0;

    // Shorthands for the common cases.
    Answer Message(int messageId, Buttons buttons = Buttons::Ok, Icon icon = Icon::Auto,
                   std::string argument = {}, Answer defaultAnswer = Answer::None);
    // A failure's message (OK only) with its reason below it, "PATH: ファイルが見つかりません".
    Answer Failure(int messageId, std::string detail, std::string argument = {},
                   Icon icon = Icon::Auto);
};

// The icon shown: an explicit one, or the one that goes with the buttons.
Icon EffectiveIcon(const MessageRequest& request);
// The answer that Enter gives: the explicit default, or the first button.
Answer EffectiveDefault(const MessageRequest& request);

// The caption of every message box.
inline constexpr const char* kMessageCaption = "Orvix2";

} // namespace orvix::ui
