// The settings data dialog on a card whose setting files hold any bytes. Input: byte 0 the answers
// to its questions (two bits a question), byte 1 which step of which write fails, bytes 2 to 4
// which files are spelt in lower case; then the files, each a length byte (0xFF: the file is
// absent) and that many bytes; then pairs of bytes that click a control or type a number into it
// before OK is pressed. The dialog opens exactly when every setting file is there, shows a
// consistent state, and a save, a refusal or a failed write keeps the card's files whole: none
// shrinks, no file gets a second spelling, and a refused OK changes nothing.

#include <algorithm>
#include <array>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "calibration/editor_document.h"
#include "resources/settings_dialog.h"
#include "resources/string_table.h"
#include "settings/binary_dialog.h"
#include "settings/power_ups.h"
#include "storage/file_io.h"
#include "ui/prompter.h"

namespace {

namespace fs = std::filesystem;
using namespace orvix;
using namespace orvix::settings_dlg;

// The files the dialog reads, the first 17 of them required.
constexpr const char* kFiles[] = {"INITPASSED.BIN",           "WAKEUP_DATETIME.BIN",
                                  "MYBIRTHDAY.BIN",           "ERRORCHKIGNORE.BIN",
                                  "OPENINGALERTIGNORE.BIN",   "RND.BIN",
                                  "IDLE_TIMEOUT_STAND.BIN",   "IDLE_TIMEOUT_SITDOWN.BIN",
                                  "IDLE_TIMEOUT_CHARGE.BIN",  "VBATALART_INT.BIN",
                                  "VBATALART_H.BIN",          "VBATALART_L.BIN",
                                  "VBATALART_AUTOPOWOFF.BIN", "VOLUME.BIN",
                                  "TV_SETTING.BIN",           "QRCODE_FLAGBIT.BIN",
                                  "ENABLEINITML.BIN",         "servo/SV02_ON.BIN",
                                  "servo/SV16_ON.BIN"};
constexpr std::size_t kRequired = 17;
constexpr std::size_t kLegFile = 17, kArmFile = 18;

constexpr int kControls[] = {3,    1081, 1083, 1084, 1085, 1086, 1087, 1088, 1089, 1090, 1091,
                             1092, 1093, 1094, 1095, 1096, 1099, 1101, 1104, 1108, 1118, 1119,
                             1120, 1121, 1122, 1133, 1134, 1135, 1140, 1148, 1177, 1181};
constexpr const char* kNumbers[] = {"0",     "1",          "-1",          "8",
                                    "9",     "12",         "31",          "127",
                                    "128",   "254",        "255",         "-129",
                                    "65535", "65536",      "2147483648",  "abc",
                                    " -5 ",  "4294967296", "-2147483648", "99999999999999999999"};

// Answers each question with one of its own buttons, two bits of the input a question.
class InputPrompter : public ui::Prompter {
public:
    explicit InputPrompter(std::uint8_t answers) : answers_(answers) {}
    ui::Answer ShowMessage(const ui::MessageRequest& request) override {
        shown.push_back(request.messageId);
        const unsigned bits = (answers_ >> (2 * (shown.size() % 4))) & 3u;
        switch (request.buttons) {
        case ui::Buttons::Ok:
            return ui::Answer::Ok;
        case ui::Buttons::OkCancel:
            return bits == 0 ? ui::Answer::Ok : ui::Answer::Cancel;
        case ui::Buttons::YesNo:
            return bits == 0 ? ui::Answer::Yes : ui::Answer::No;
        case ui::Buttons::YesNoCancel:
            return bits == 0 ? ui::Answer::Yes : (bits == 1 ? ui::Answer::No : ui::Answer::Cancel);
        }
        return ui::Answer::Ok;
    }
    std::optional<std::string> ChooseOpenFile(const ui::OpenFileRequest&) override { return {}; }
    std::optional<ui::Rgb> ChooseColour(ui::Rgb) override { return {}; }
    std::vector<int> shown;

private:
    std::uint8_t answers_;
};

class NoRunner : public ui::DialogRunner {
public:
    int RunModal(ui::DialogController&) override { std::abort(); }
};

const fs::path& Card() {
    static const fs::path card = [] {
        std::string pattern = (fs::temp_directory_path() / "orvix2-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        return fs::path(pattern);
    }();
    return card;
}

std::map<std::string, std::vector<std::uint8_t>> Snapshot() {
    std::map<std::string, std::vector<std::uint8_t>> files;
    for (const auto& entry : fs::recursive_directory_iterator(Card())) {
        if (entry.is_regular_file()) {
            std::vector<std::uint8_t> bytes;
            if (!ReadWholeFile(entry.path(), bytes)) {
                std::abort();
            }
            files[entry.path().lexically_relative(Card()).generic_string()] = bytes;
        }
    }
    return files;
}

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::error_code error;
    fs::remove_all(Card(), error);
    // Registered after the folder's name, so that it runs before the name is destroyed.
    static const bool cleanup = std::atexit([] {
                                    std::error_code ignored;
                                    fs::remove_all(Card(), ignored);
                                }) == 0;
    (void)cleanup;
    fs::create_directories(Card() / "servo");
    if (size < 5) {
        return 0;
    }
    const std::uint8_t answers = data[0];
    const std::uint8_t fault = data[1];
    const std::uint32_t lowerCase = data[2] | static_cast<std::uint32_t>(data[3]) << 8 |
                                    static_cast<std::uint32_t>(data[4]) << 16;
    std::size_t at = 5;
    bool complete = true;
    std::array<bool, std::size(kFiles)> present{};
    for (std::size_t k = 0; k < std::size(kFiles); ++k) {
        const std::size_t length = at < size ? data[at++] : 0xFF;
        present[k] = length != 0xFF;
        if (!present[k]) {
            complete = complete && k >= kRequired;
            continue;
        }
        const std::size_t taken = std::min(length, size - at);
        std::string name = kFiles[k];
        if ((lowerCase >> k & 1u) != 0) {
            const std::size_t from = name.find('/') + 1; // the folder keeps its name
            std::transform(name.begin() + static_cast<std::ptrdiff_t>(from), name.end(),
                           name.begin() + static_cast<std::ptrdiff_t>(from),
                           [](char c) { return static_cast<char>(std::tolower(c)); });
        }
        std::ofstream(Card() / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(data + at), static_cast<std::streamsize>(taken));
        at += taken;
    }
    std::ofstream(Card() / "STARTUP.BIN") << "x";
    const auto before = Snapshot();

    InputPrompter prompter(answers);
    NoRunner runner;
    ui::UiServices services{prompter, runner};
    EditorDocument document("");
    document.imagePath = Utf8FromPath(Card() / "STARTUP.BIN");
    document.buildVariant = size % 2 == 1;
    CBinaryDialog dialog(services, document);
    ui::DialogModel model(dialog.Template());
    dialog.Attach(model);
    dialog.OnInitDialog();
    model.ProcessPosted();

    // Opens exactly when every setting file is there; a closed dialog wrote nothing.
    Require(model.Ended() != complete);
    if (!complete) {
        Require(model.Result() == ui::kIdCancel && Snapshot() == before);
        return 0;
    }
    Require(document.settingsChanged == 0);
    Require(model.IsChecked(IDC_RANDOM_VARIABLE) != model.IsChecked(IDC_RANDOM_FIXED));
    Require(model.IsEnabled(IDC_RANDOM_VALUE) == model.IsChecked(IDC_RANDOM_FIXED));
    int makers = 0;
    for (int id = IDC_TV_FIRST; id <= IDC_TV_LAST; ++id) {
        makers += model.IsChecked(id) ? 1 : 0;
    }
    Require(makers <= 1);
    Require(!model.IsChecked(IDC_SERVO_WALKING)); // whatever maker the TV file names
    Require(model.IsEnabled(IDC_LEG_MARGIN) == present[kLegFile]);
    Require(model.IsEnabled(IDC_ARM_MARGIN) == (present[kLegFile] && present[kArmFile]));
    Require(model.IsEnabled(IDC_SERVO_WALKING) == (present[kLegFile] && document.buildVariant));
    Require(model.IsChecked(kAllPowerUpsBox) == (document.powerUpFlags == AllPowerUpsMask()));

    for (int acts = 0; at + 1 < size && acts < 8; at += 2, ++acts) {
        const int id = kControls[data[at] % std::size(kControls)];
        const auto kind = dialog.Template().Find(id)->kind;
        if (kind == ui::ControlKind::Edit) {
            model.Type(id, kNumbers[data[at + 1] % std::size(kNumbers)]);
        } else {
            model.Click(id);
        }
    }
    prompter.shown.clear();
    // Bits 0-2 the step that fails (6 and 7: none), bits 3-7 at which of the steps of that kind.
    const unsigned failingStep = fault & 7u;
    int failingCall = fault >> 3;
    bool failed = false;
    if (failingStep < 6) {
        SetFileFaultInjector([&](FileStep step, const fs::path&) {
            if (static_cast<unsigned>(step) != failingStep || failingCall-- != 0) {
                return false;
            }
            failed = true;
            return true;
        });
    }
    model.Click(IDC_OK);
    SetFileFaultInjector(nullptr);
    const auto after = Snapshot();
    // A value out of its range, or a number beyond 32 bits, is refused before any write.
    const bool refused =
        !prompter.shown.empty() && (prompter.shown.front() == IDP_DATA_RANGE_WRONG ||
                                    prompter.shown.front() == IDP_OUT_OF_RANGE);
    // A refusal writes nothing and keeps the dialog; a failed write says so and keeps it open;
    // otherwise every write succeeded.
    if (refused) {
        Require(after == before && !model.Ended());
    } else if (failed) {
        Require(!model.Ended() && !prompter.shown.empty());
    } else {
        Require(model.Result() == ui::kIdOk && prompter.shown.empty());
    }
    std::map<std::string, int> spellings;
    for (const auto& [name, bytes] : after) {
        std::string folded = name;
        std::transform(folded.begin(), folded.end(), folded.begin(),
                       [](char c) { return static_cast<char>(std::tolower(c)); });
        Require(++spellings[folded] == 1);
    }
    for (const auto& [name, bytes] : before) {
        Require(after.contains(name) && after.at(name).size() >= bytes.size());
    }
    return 0;
}
