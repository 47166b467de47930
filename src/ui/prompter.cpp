#include "ui/prompter.h"

namespace orvix::ui {

Answer Prompter::Message(int messageId, Buttons buttons, Icon icon, std::string argument,
                         Answer defaultAnswer, std::string detail) {
    return ShowMessage(MessageRequest{messageId, std::move(argument), buttons, icon, defaultAnswer,
                                      std::move(detail)});
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
