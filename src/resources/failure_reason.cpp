#include "resources/failure_reason.h"

#include "resources/string_table.h"

namespace orvix {

std::string FailureReason(platform::FailureKind kind, int code) {
    using platform::FailureKind;
    switch (kind) {
    case FailureKind::NotFound:
        return std::string(LoadString(IDS_FAILURE_NOT_FOUND));
    case FailureKind::NoPermission:
        return std::string(LoadString(IDS_FAILURE_NO_PERMISSION));
    case FailureKind::InUse:
        return std::string(LoadString(IDS_FAILURE_IN_USE));
    case FailureKind::NoSpace:
        return std::string(LoadString(IDS_FAILURE_NO_SPACE));
    case FailureKind::InputOutput:
        return std::string(LoadString(IDS_FAILURE_INPUT_OUTPUT));
    case FailureKind::NotAFile:
        return std::string(LoadString(IDS_FAILURE_NOT_A_FILE));
    case FailureKind::TooLarge:
        return std::string(LoadString(IDS_FAILURE_TOO_LARGE));
    case FailureKind::Exists:
        return std::string(LoadString(IDS_FAILURE_EXISTS));
    case FailureKind::Other:
        break;
    }
    return MessageText(ui::MessageRequest{IDS_FAILURE_OTHER, std::to_string(code)});
}

} // namespace orvix
