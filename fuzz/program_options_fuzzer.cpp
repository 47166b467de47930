// The program change options on an image of any content: reading them, applying them with
// answers taken from the input, and the eye colours. Whatever the image holds, nothing is read or
// written outside it and its tail, and a refused apply leaves the image as it was.
//
// The input chooses the image, every option, the answers and the code files (see below).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

#include "calibration/editor_document.h"
#include "options/program_options.h"
#include "options/remote_extension.h"

namespace {

namespace fs = std::filesystem;

// Answers each question with one of its own buttons, chosen by two bits of the input a question.
class InputPrompter : public orvix::ui::Prompter {
public:
    explicit InputPrompter(std::uint8_t answers) : answers_(answers) {}
    orvix::ui::Answer ShowMessage(const orvix::ui::MessageRequest& request) override {
        using orvix::ui::Answer;
        const unsigned bits = (answers_ >> (2 * (asked_++ % 4))) & 3u;
        switch (request.buttons) {
        case orvix::ui::Buttons::Ok:
            return Answer::Ok;
        case orvix::ui::Buttons::OkCancel:
            return bits == 0 ? Answer::Ok : Answer::Cancel;
        case orvix::ui::Buttons::YesNo:
            return bits == 0 ? Answer::Yes : Answer::No;
        case orvix::ui::Buttons::YesNoCancel:
            return bits == 0 ? Answer::Yes : (bits == 1 ? Answer::No : Answer::Cancel);
        }
        return Answer::Ok;
    }
    std::optional<std::string> ChooseOpenFile(const orvix::ui::OpenFileRequest&) override {
        return std::nullopt;
    }
    std::optional<orvix::ui::Rgb> ChooseColour(orvix::ui::Rgb initial) override {
        if ((answers_ & 0x80) != 0) {
            return std::nullopt; // cancelled
        }
        return orvix::ui::Rgb{initial.green, initial.blue, answers_};
    }

private:
    std::uint8_t answers_;
    unsigned asked_ = 0;
};

// The code files beside the settings file, in eight variants: bit 0 leaves SERVO.BIN out, bit 1
// REMOTE.BIN, bit 2 VOICE.BIN (each present as an empty file when bit 3 is set too, and
// REMOTEBLK.BIN then holds the wrong bytes).
fs::path CodeFolder(unsigned variant) {
    static const fs::path base = [] {
        std::string pattern = (fs::temp_directory_path() / "orvix2-fuzz-code-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        return fs::path(pattern);
    }();
    // Registered after the folder's name, so that it runs before the name is destroyed.
    static const bool cleanup = std::atexit([] {
                                    std::error_code ignored;
                                    fs::remove_all(base, ignored);
                                }) == 0;
    (void)cleanup;
    static bool made[16] = {};
    const fs::path path = base / std::to_string(variant);
    if (!made[variant]) {
        made[variant] = true;
        fs::create_directories(path);
        const auto put = [&](const char* name, std::vector<std::uint8_t> bytes, unsigned bit) {
            const bool broken = (variant & 8) != 0;
            if ((variant & bit) != 0 && !broken) {
                return;
            }
            if ((variant & bit) != 0) {
                bytes.clear();
            }
            std::ofstream out(path / name, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<std::streamsize>(bytes.size()));
        };
        std::vector<std::uint8_t> blocks = orvix::SyntheticRemoteBlocks();
        if ((variant & 8) != 0) {
            blocks[0] ^= 0xFF;
        }
        put("REMOTEBLK.BIN", blocks, 0);
        put("SERVO.BIN", std::vector<std::uint8_t>(100, 0x5A), 1);
        put("REMOTE.BIN", std::vector<std::uint8_t>(60, 0x7C), 2);
        put("VOICE.BIN", std::vector<std::uint8_t>(50, 0x6B), 4);
    }
    return path;
}

// Image sizes: a small file, the two programs alone, layout A with the servo extension, the
// programs with a remote extension, and sizes just off them.
constexpr std::size_t kSizes[] = {0x2000,    4'301'707, 4'309'671, 4'304'779,
                                  4'730'880, 4'738'844, 4'301'706, 4'301'800};
// Where the walking step count stands in layout A and B; a count the apply accepts is put there
// unless the input asks for the image's own bytes.
constexpr std::uint32_t kWalkSites[2][2] = {{0x16273C, 0x26FD60}, {0x163E85, 0x27152B}};
constexpr std::int32_t kStepChoices[] = {0, 10'000, -1, 1, 9'999, 500};

} // namespace

// Input: byte 0 the image (bits 0-2 its size, bit 3 layout B, bit 4 a tail, bit 5 a remote
// tail rather than a servo tail, bit 6 the image's own step count kept); bytes 1 to 3 the options
// chosen, one bit each; byte 4 the answers, two bits a question; byte 5 the step count; byte 6 the
// start code and the delay; byte 7 the code files; then (32-bit address, byte) writes into the
// image and its tail before the options are read.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 8) {
        return 0;
    }
    orvix::EditorDocument document("");
    document.codeFolder = CodeFolder(data[7] % 16).string();
    const std::uint8_t shape = data[0];
    document.image.assign(kSizes[shape % 8], 0);
    document.buildVariant = (shape & 0x08) != 0;
    if ((shape & 0x10) != 0) {
        document.imageTail.assign((shape & 0x20) != 0 ? 429'173 : 3'072, 0);
    }
    const std::size_t layout = document.buildVariant ? 1 : 0;
    const std::int32_t steps = 1 + data[5] * 37;
    if ((shape & 0x40) == 0) {
        for (const std::uint32_t site : kWalkSites[layout]) {
            if (site + 4 <= document.image.size()) {
                std::memcpy(document.image.data() + site, &steps, 4); // little-endian host
            }
        }
    }
    for (std::size_t i = 8; i + 5 <= size; i += 5) {
        const std::uint32_t address = static_cast<std::uint32_t>(data[i]) |
                                      static_cast<std::uint32_t>(data[i + 1]) << 8 |
                                      static_cast<std::uint32_t>(data[i + 2]) << 16 |
                                      static_cast<std::uint32_t>(data[i + 3]) << 24;
        const std::size_t whole = document.image.size() + document.imageTail.size();
        const std::size_t at = address % whole;
        (at < document.image.size() ? document.image[at]
                                    : document.imageTail[at - document.image.size()]) = data[i + 4];
    }

    orvix::ReadOptionsResult read = orvix::ReadProgramOptions(document);
    orvix::ProgramOptions& options = read.options;
    const std::uint32_t choices = static_cast<std::uint32_t>(data[1]) |
                                  static_cast<std::uint32_t>(data[2]) << 8 |
                                  static_cast<std::uint32_t>(data[3]) << 16;
    const auto chosen = [&](int bit) { return (choices >> bit & 1u) != 0; };
    options.torqueOn = chosen(0);
    options.voiceRecognition = chosen(1);
    options.voltageMonitor = chosen(2);
    options.timeoutMonitor = chosen(3);
    options.faceRecognition = chosen(4);
    options.faceDirection = chosen(5);
    options.armAngleChange = chosen(6) && !options.armAngleFixed;
    options.shoulderLimit = chosen(7);
    options.servoParameters = chosen(8);
    options.remoteSupport = options.remoteSupport || chosen(9);
    options.bluetooth = options.bluetoothChangeable ? chosen(10) : options.bluetooth;
    options.remoteConnection = chosen(11);
    options.voicePlayback = chosen(12);
    options.syncReceive = chosen(13);
    document.programChanged = chosen(14);
    if (chosen(15)) {
        options.walkSteps = kStepChoices[data[5] % std::size(kStepChoices)];
    }
    options.startCode = chosen(16) ? 1 + data[6] * 257 : options.startCode;
    options.syncStartDelay = chosen(17) ? static_cast<std::int8_t>(data[6]) * 3 : data[6];

    InputPrompter prompter(data[4]);
    const std::vector<std::uint8_t> before = document.image;
    const std::vector<std::uint8_t> tailBefore = document.imageTail;
    const orvix::ApplyResult result = orvix::ApplyProgramOptions(document, options, prompter);
    if (result != orvix::ApplyResult::Applied) {
        // A refused apply leaves the image as it was.
        if (document.image != before || document.imageTail != tailBefore) {
            std::abort();
        }
    } else {
        // What was applied reads back.
        const orvix::ProgramOptions again = orvix::ReadProgramOptions(document).options;
        if (again.torqueOn != options.torqueOn || again.voltageMonitor != options.voltageMonitor ||
            again.timeoutMonitor != options.timeoutMonitor ||
            again.faceRecognition != options.faceRecognition ||
            again.faceDirection != options.faceDirection || again.walkSteps != options.walkSteps ||
            again.voiceRecognition != options.voiceRecognition) {
            std::abort();
        }
    }
    if (chosen(18)) {
        orvix::SetStandardEyeColour(document, chosen(19), chosen(20));
    } else if (chosen(21)) {
        orvix::ChooseEyeColour(document, prompter, chosen(19), chosen(20));
    }
    orvix::ReadProgramOptions(document);
    return 0;
}
