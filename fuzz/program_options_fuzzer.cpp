// The program change options on an image of any content: reading them, applying them with
// answers taken from the input, and the eye colours. Whatever the image holds, nothing is read or
// written outside it and its tail, and a refused apply leaves the image as it was.
//
// Input: byte 0 chooses the image size and marks, byte 1 and 2 the options and the answers, the
// rest are (32-bit address, byte) writes into the image before the options are read.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "calibration/editor_document.h"
#include "options/program_options.h"
#include "options/remote_extension.h"

namespace {

namespace fs = std::filesystem;

class InputPrompter : public orvix::ui::Prompter {
public:
    explicit InputPrompter(std::uint8_t answers) : answers_(answers) {}
    orvix::ui::Answer ShowMessage(const orvix::ui::MessageRequest&) override {
        const unsigned bits = (answers_ >> (2 * (asked_++ % 4))) & 3u;
        return bits == 0   ? orvix::ui::Answer::Yes
               : bits == 1 ? orvix::ui::Answer::No
                           : (bits == 2 ? orvix::ui::Answer::Cancel : orvix::ui::Answer::Ok);
    }
    std::optional<std::string> ChooseOpenFile(const orvix::ui::OpenFileRequest&) override {
        return std::nullopt;
    }
    std::optional<orvix::ui::Rgb> ChooseColour(orvix::ui::Rgb initial) override {
        return orvix::ui::Rgb{initial.green, initial.blue, answers_};
    }

private:
    std::uint8_t answers_;
    unsigned asked_ = 0;
};

fs::path CodeFolder() {
    static const fs::path folder = [] {
        const fs::path path = fs::temp_directory_path() / "orvix2-options-fuzzer-code";
        fs::create_directories(path);
        const auto put = [&](const char* name, const std::vector<std::uint8_t>& bytes) {
            std::ofstream out(path / name, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<std::streamsize>(bytes.size()));
        };
        put("REMOTEBLK.BIN", orvix::SyntheticRemoteBlocks());
        put("SERVO.BIN", std::vector<std::uint8_t>(100, 0x5A));
        put("VOICE.BIN", std::vector<std::uint8_t>(50, 0x6B));
        put("REMOTE.BIN", std::vector<std::uint8_t>(60, 0x7C));
        return path;
    }();
    return folder;
}

constexpr std::size_t kSizes[] = {0x2000,    4'301'707, 4'309'671, 4'304'779,
                                  4'730'880, 4'301'800, 4'301'706, 4'800'000};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    orvix::EditorDocument document("");
    document.codeFolder = CodeFolder().string();
    const std::uint8_t shape = data[0];
    document.image.assign(kSizes[shape % 8], 0);
    document.buildVariant = (shape & 0x08) != 0;
    if ((shape & 0x10) != 0) {
        document.imageTail.assign((shape & 0x20) != 0 ? 429'173 : 3'072, 0);
    }
    for (std::size_t i = 3; i + 5 <= size; i += 5) {
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
    const std::uint8_t choices = data[1];
    options.remoteSupport = options.remoteSupport || (choices & 0x01) != 0;
    options.bluetooth = (choices & 0x02) != 0;
    options.servoParameters = (choices & 0x04) != 0;
    options.armAngleChange = (choices & 0x08) != 0 && !options.armAngleFixed;
    options.shoulderLimit = (choices & 0x10) != 0;
    options.voiceRecognition = (choices & 0x20) != 0;
    options.syncStartDelay = static_cast<std::int8_t>(data[2]) * 3;
    options.startCode = static_cast<std::int32_t>(data[2]) * 1000 - 100'000;
    document.programChanged = (choices & 0x40) != 0;

    InputPrompter prompter(data[2]);
    const std::vector<std::uint8_t> before = document.image;
    const orvix::ApplyResult result = orvix::ApplyProgramOptions(document, options, prompter);
    if (result != orvix::ApplyResult::Applied && document.image != before) {
        std::abort();
    }
    if ((choices & 0x80) != 0) {
        orvix::SetStandardEyeColour(document, (data[2] & 1) != 0, (data[2] & 2) != 0);
    } else {
        orvix::ChooseEyeColour(document, prompter, (data[2] & 1) != 0, (data[2] & 2) != 0);
    }
    orvix::ReadProgramOptions(document);
    return 0;
}
