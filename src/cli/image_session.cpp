#include "cli/image_session.h"

#include <system_error>

#include "calibration/image_file.h"
#include "resources/main_dialog.h"
#include "storage/file_io.h"

namespace orvix::cli {

ImageSession::ImageSession(const CommandContext& context, const std::string& imagePath,
                           std::uint32_t table, bool checkRange)
    : context_(context), document_(Utf8FromPath(context.settingsFile)),
      model_(MainDialogTemplate()) {
    document_.rememberImagePath = false;
    // The tool reads and writes within one lock of the card: a file changed meanwhile was
    // changed by a program that ignores the lock, and is not written over.
    document_.askBeforeOverwritingChanges = false;
    document_.checkRange = checkRange;
    document_.tableSelector = table;
    std::error_code error;
    const std::filesystem::path path = PathFromUtf8(imagePath);
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    document_.imagePath = Utf8FromPath(error ? path : absolute);
}

bool ImageSession::Load() {
    return LoadImageFile(document_, model_, context_.prompter, false);
}

bool ImageSession::Save() {
    return SaveImageFile(model_, context_.prompter, document_);
}

bool ImageSession::AttenuatorShown() const {
    return model_.IsVisible(main_dlg::IDC_ATTENUATOR);
}

} // namespace orvix::cli
