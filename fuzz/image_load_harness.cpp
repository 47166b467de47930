#include "image_load_harness.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "calibration/editor_document.h"
#include "calibration/image_file.h"
#include "calibration/servo_table.h"
#include "resources/main_dialog.h"
#include "ui/dialog_model.h"
#include "ui/prompter.h"

namespace orvix::fuzz {

namespace {

// OK to every notice, No to every question; no file, no colour.
class SilentPrompter : public ui::Prompter {
public:
    ui::Answer ShowMessage(const ui::MessageRequest& request) override {
        const bool question =
            request.buttons == ui::Buttons::YesNo || request.buttons == ui::Buttons::YesNoCancel;
        return question ? ui::Answer::No : ui::Answer::Ok;
    }
    std::optional<std::string> ChooseOpenFile(const ui::OpenFileRequest&) override {
        return std::nullopt;
    }
    std::optional<ui::Rgb> ChooseColour(ui::Rgb) override { return std::nullopt; }
};

// One folder per process, so that parallel fuzzing jobs never share a file.
struct ScratchFolder {
    std::filesystem::path path;

    ScratchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "orvix2-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        path = pattern;
    }
    ~ScratchFolder() {
        std::error_code error;
        std::filesystem::remove_all(path, error);
    }
};

[[noreturn]] void Fail(const char* what, const std::string& text) {
    std::fprintf(stderr, "%s: \"%s\"\n", what, text.c_str());
    std::abort();
}

void CheckInt16Text(const std::string& text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < -32768 ||
        value > 32767) {
        Fail("a loaded field holds no 16-bit number", text);
    }
}

} // namespace

void LoadImageBytes(std::span<const std::uint8_t> bytes, std::string_view fileName) {
    static const ScratchFolder scratch;
    const std::filesystem::path imagePath = scratch.path / fileName;
    {
        std::ofstream out(imagePath, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            Fail("cannot write", imagePath.string());
        }
    }
    // Each table fills the fields from other places in the image.
    for (std::uint32_t table = 0; table < 3; ++table) {
        EditorDocument document((scratch.path / "Orvix2.ini").string()); // never made
        document.rememberImagePath = false;
        document.imagePath = imagePath.string();
        document.tableSelector = table;
        ui::DialogModel model(MainDialogTemplate());
        SilentPrompter prompter;
        if (!LoadImageFile(document, model, prompter, false)) {
            continue;
        }
        for (int k = 0; k < kServoCount; ++k) {
            CheckInt16Text(model.GetText(ServoField(k)));
        }
        // The text form without an attenuator leaves its field empty.
        if (const std::string attenuator = model.GetText(main_dlg::IDC_ATTENUATOR);
            !attenuator.empty()) {
            CheckInt16Text(attenuator);
        }
    }
}

} // namespace orvix::fuzz
