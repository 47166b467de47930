#include "ui/prompter.h"

namespace orvix::ui {

Answer Prompter::Message(int messageId, Buttons buttons, Icon icon, std::string argument,
                         Answer defaultAnswer) {
    return ShowMessage(
        MessageRequest{messageId, std::move(argument), buttons, icon, defaultAnswer});
}

Answer Prompter::Failure(int messageId, std::string detail, std::string argument, Icon icon) {
    MessageRequest request{messageId, std::move(argument), Buttons::Ok, icon};
    request.detail = std::move(detail);
    return ShowMessage(request);
}

Icon EffectiveIcon(const MessageRequest& request) {
    if (request.icon != Icon::Auto) {
        return request.icon;
    }
    switch (request.buttons) {
    case Buttons::Ok:
    case Buttons::OkCancel:
        return Icon::Warning;
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
        return Icon::Question;
    }
    return Icon::Warning;
}

Answer EffectiveDefault(const MessageRequest& request) {
    if (request.defaultAnswer != Answer::None) {
        return request.defaultAnswer;
    }
    switch (request.buttons) {
    case Buttons::Ok:
    case Buttons::OkCancel:
        return Answer::Ok;
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
        return Answer::Yes;
    }
    return Answer::Ok;
}

} // namespace orvix::ui
