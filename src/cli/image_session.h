#pragma once

// The document and a main dialog without a window, loaded the way the main dialog loads, except
// that the tool never changes the file the editor remembers.

#include <filesystem>
#include <ostream>
#include <string>

#include "calibration/editor_document.h"
#include "ui/dialog_model.h"
#include "ui/prompter.h"

namespace orvix::cli {

// What a command works with besides its arguments.
struct CommandContext {
    std::ostream& out;
    std::ostream& err;
    ui::Prompter& prompter;
    std::filesystem::path settingsFile; // Orvix2.ini; its folder also holds the backups
};

class ImageSession {
public:
    ImageSession(const CommandContext& context, const std::string& imagePath,
                 std::uint32_t table = 0, bool checkRange = true);

    bool Load();
    bool Save();

    EditorDocument& Document() { return document_; }
    ui::DialogModel& Model() { return model_; }
    bool AttenuatorShown() const;

private:
    const CommandContext& context_;
    EditorDocument document_;
    ui::DialogModel model_;
};

} // namespace orvix::cli
