// STARTUP.BIN saved with its backup: an image of any content in either form is loaded, some value
// fields are typed, and it is saved, with earlier backups present and one step of one file write
// failing as the input says. A save writes the whole file or nothing; it changes only the bytes of
// the selected table's values (and the attenuator); its backup holds the file as it was; at most
// the first copy and twenty others are kept.
//
// Input: byte 0 the form and table (bits 0-1 the table, bit 2 the text form, bit 3 the range limit
// off); byte 1 the failing step (bits 0-2; 6 and 7 none) and at which write (bits 3-4); byte 2
// how many earlier backups there are (up to 24); bytes 3-5 three fields typed (servo k, value);
// the rest is the file.

#include "fuzz_support.h"
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

#include "calibration/editor_document.h"
#include "calibration/image_file.h"
#include "calibration/servo_table.h"
#include "resources/main_dialog.h"
#include "storage/file_backup.h"
#include "storage/file_io.h"
#include "support/documented_servos.h"
#include "ui/dialog_model.h"

namespace {

namespace fs = std::filesystem;
using namespace orvix;

const fs::path& Folder() {
    static const fs::path folder = fuzz::MakeScratchFolder("save");
    return folder;
}

class QuietPrompter : public ui::Prompter {
public:
    ui::Answer ShowMessage(const ui::MessageRequest& request) override {
        shown.push_back(request.messageId);
        return ui::Answer::Ok;
    }
    std::optional<std::string> ChooseOpenFile(const ui::OpenFileRequest&) override { return {}; }
    std::optional<ui::Rgb> ChooseColour(ui::Rgb) override { return {}; }
    std::vector<int> shown;
};

void Put(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> Read(const fs::path& path) {
    std::vector<std::uint8_t> bytes;
    Require(ReadWholeFile(path, bytes));
    return bytes;
}

constexpr const char* kTyped[] = {"0", "-1",   "25",    "150", "-150", "32767", "-32768", "7",
                                  "8", "1500", "-1501", "",    "-",    "12a",   "99999",  "255"};

// The bytes a save may change: the selected table's values, and the attenuator.
std::set<std::size_t> Changeable(bool text, std::size_t size, unsigned table) {
    std::set<std::size_t> places;
    for (int k = 0; k < test::kServos; ++k) {
        const std::size_t at =
            text ? test::kDocumentedTextPosition[static_cast<std::size_t>(k)] + 7 * table
                 : 276 + 70 * static_cast<std::size_t>(k) + 2 * table;
        for (std::size_t i = 0; i < (text ? 6u : 2u); ++i) {
            places.insert(at + i);
        }
    }
    const std::size_t attenuator = text ? (size == 4011 ? 220 : 202) : 16;
    for (std::size_t i = 0; i < (text ? 6u : 1u); ++i) {
        places.insert(attenuator + i);
    }
    return places;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 6) {
        return 0;
    }
    std::error_code error;
    fs::remove_all(Folder(), error);
    fs::create_directories(Folder() / "card");
    const unsigned table = (data[0] & 3u) % 3;
    const bool text = (data[0] & 4) != 0;
    const fs::path image = Folder() / "card" / (text ? "STARTUP.TXT" : "STARTUP.BIN");
    const std::vector<std::uint8_t> file(data + 6, data + size);

    // Earlier backups of other contents, each taken a second after the one before.
    const fs::path backups = Folder() / kBackupFolderName;
    const auto start = std::chrono::system_clock::now() - std::chrono::hours(1);
    for (unsigned i = 0; i < data[2] % 25u; ++i) {
        std::vector<std::uint8_t> older = file;
        older.push_back(static_cast<std::uint8_t>(i));
        Put(image, older);
        Require(BackUpFile(image, backups, start + std::chrono::seconds(i)));
    }
    Put(image, file);

    EditorDocument document((Folder() / "Orvix2.ini").string()); // never made
    document.rememberImagePath = false;
    document.imagePath = image.string();
    document.tableSelector = table;
    document.checkRange = (data[0] & 8) == 0;
    ui::DialogModel model(MainDialogTemplate());
    QuietPrompter prompter;
    if (!LoadImageFile(document, model, prompter, false)) {
        return 0;
    }
    for (std::size_t i = 3; i < 6; ++i) {
        model.SetText(ServoField(data[i] % kServoCount), kTyped[data[i] / 16]);
    }

    const unsigned failingStep = data[1] & 7u;
    int failingCall = (data[1] >> 3) & 3;
    if (failingStep < 6) {
        SetFileFaultInjector([&](FileStep step, const fs::path&) {
            if (static_cast<unsigned>(step) != failingStep || failingCall-- != 0) {
                return false;
            }
            return true;
        });
    }
    prompter.shown.clear();
    const bool saved = SaveImageFile(model, prompter, document);
    SetFileFaultInjector(nullptr);

    const std::vector<std::uint8_t> after = Read(image);
    // A failed save says so. A failed step need not fail the save: a backup copy that cannot be
    // read for the comparison is stored again, and a history entry that cannot be recorded after
    // the write does not undo it.
    Require(saved || !prompter.shown.empty());
    if (!saved) {
        Require(after == file); // whole or nothing
        return 0;
    }
    Require(after == document.image && after.size() == file.size());
    const std::set<std::size_t> changeable = Changeable(text, file.size(), table);
    for (std::size_t i = 0; i < file.size(); ++i) {
        Require(after[i] == file[i] || changeable.contains(i));
    }
    // The file as it was is among the backups, and they are pruned to the first and twenty more.
    bool kept = false;
    std::size_t copies = 0;
    for (const auto& entry : fs::recursive_directory_iterator(backups)) {
        if (entry.is_regular_file() && entry.path().filename().string().starts_with("STARTUP")) {
            ++copies;
            kept = kept || Read(entry.path()) == file;
        }
    }
    Require(kept && copies <= 1 + kBackupsKept);
    return 0;
}
