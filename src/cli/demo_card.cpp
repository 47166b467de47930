#include "cli/demo_card.h"

#include <random>
#include <span>
#include <string>
#include <system_error>

#include "calibration/editor_document.h"
#include "calibration/servo_table.h"
#include "options/code_files.h"
#include "options/remote_extension.h"
#include "resources/translation.h"
#include "storage/byte_order.h"
#include "storage/file_io.h"

namespace orvix::cli {

namespace {

// A fixed seed, so that every demo card of a layout is the same byte for byte.
constexpr std::uint32_t kFillerSeed = 0x0E1D2C3B;

// ArmPattern starts with this byte; the filler never produces it, so the pattern stands only
// where the demo puts it.
constexpr std::uint8_t kArmPatternLead = kArmPattern[0];

void FillDeterministically(std::vector<std::uint8_t>& image) {
    std::mt19937 generator(kFillerSeed); // its sequence is fixed by the standard
    for (std::size_t i = 0; i < image.size(); i += 4) {
        std::uint32_t word = generator();
        for (std::size_t j = 0; j < 4 && i + j < image.size(); ++j, word >>= 8) {
            const auto byte = static_cast<std::uint8_t>(word);
            image[i + j] = byte == kArmPatternLead ? static_cast<std::uint8_t>(byte + 1) : byte;
        }
    }
}

void Put16(std::vector<std::uint8_t>& image, std::uint32_t address, int value) {
    WriteU16(image, address, static_cast<std::uint16_t>(value));
}

void Put32(std::vector<std::uint8_t>& image, std::uint32_t address, std::uint32_t value) {
    WriteU32(image, address, value);
}

void PutByteOn(std::vector<std::uint8_t>& image, const ByteSite& site, Layout layout) {
    WriteU8(image, site.address.In(layout), site.on);
}

void PutWordOn(std::vector<std::uint8_t>& image, const WordSite& site, Layout layout) {
    Put32(image, site.address.In(layout), site.on.In(layout));
}

void PutColourRecord(std::vector<std::uint8_t>& image, std::uint32_t address, EyeColour colour) {
    for (std::uint32_t half = 0; half < 2; ++half) {
        const std::uint32_t at = address + half * kColourRecordSize / 2;
        Put16(image, at, colour.red);
        Put16(image, at + 2, colour.green);
        Put16(image, at + 4, colour.blue);
    }
}

void PutCalibration(std::vector<std::uint8_t>& image) {
    for (int k = 0; k < kServoCount; ++k) {
        const auto address = static_cast<std::uint32_t>(ServoRecordOffset(k));
        Put16(image, address, kServoTable[static_cast<std::size_t>(k)].standard);
        Put16(image, address + 2, kStandardLowerLimit);
        Put16(image, address + 4, kStandardUpperLimit);
    }
}

// The options as the robot's program comes: everything on, standard eye colours, no arm change,
// no servo parameter extension.
void PutStandardOptions(std::vector<std::uint8_t>& image, Layout layout) {
    PutByteOn(image, kTorqueSite, layout);
    PutWordOn(image, kVoltageMonitorSite, layout);
    for (const ByteSite& site : kTimeoutMonitorSites) {
        PutByteOn(image, site, layout);
    }
    PutByteOn(image, kFaceRecognitionByte, layout);
    PutWordOn(image, kFaceRecognitionJump, layout);
    for (const ByteSite& site : kFaceDirectionSites) {
        PutByteOn(image, site, layout);
    }
    for (const ByteSite& site : kVoiceRecognitionBytes) {
        PutByteOn(image, site, layout);
    }
    for (const VoiceJump& jump : kVoiceRecognitionJumps) {
        Put32(image, jump.address, jump.on);
    }
    for (const PerLayout& site : kVoiceRecognitionNineSites) {
        WriteU8(image, site.In(layout), kVoiceRecognitionNineOn);
    }
    for (const PerLayout& site : kWalkStepSites) {
        Put32(image, site.In(layout), static_cast<std::uint32_t>(kDemoWalkSteps));
    }
    Put32(image, kServoHookSite, kServoHookStandard);
    for (const PerLayout& record : kFirstColourRecords) {
        PutColourRecord(image, record.In(layout), kStandardOrange);
    }
    for (const PerLayout& record : kSecondColourRecords) {
        PutColourRecord(image, record.In(layout), kEnergySavingOrange);
    }
}

void PutArmRecords(std::vector<std::uint8_t>& image, Layout layout) {
    for (const std::uint32_t record : DemoArmRecords(layout)) {
        for (std::size_t i = 0; i < kArmPattern.size(); ++i) {
            WriteU8(image, record + static_cast<std::uint32_t>(i), kArmPattern[i]);
        }
        for (std::size_t i = 0; i < kArmValueOffsets.size(); ++i) {
            Put16(image, record + kArmValueOffsets[i], kDemoArmValues[i]);
        }
    }
}

std::string LayoutName(Layout layout) {
    return layout == Layout::B ? "B" : "A";
}

} // namespace

std::vector<std::uint32_t> DemoArmRecords(Layout layout) {
    const std::uint32_t firstValue = kArmValueOffsets[0];
    return {
        kArmAngleFixedSite.In(layout) - firstValue, // 0xE03
        0x2400,
        kShoulderLimitFixedSite.In(layout) - firstValue, // 0x7032, layout B 0x705A
        0x9000,
    };
}

std::vector<std::uint8_t> MakeDemoImage(Layout layout) {
    std::vector<std::uint8_t> image(kBaseImageSize.In(layout));
    FillDeterministically(image);
    PutCalibration(image);
    WriteU8(image, kBuildMarkerOffset, layout == Layout::B ? kBuildMarkerLayoutB : 0);
    PutArmRecords(image, layout);
    PutStandardOptions(image, layout);
    return image;
}

bool WriteDemoImage(const std::filesystem::path& folder, Layout layout, std::ostream& err) {
    const std::filesystem::path path = folder / kDemoImageName;
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(path, error))) {
        err << "orvix2-cli: "
            << Worded("%1は既にあります。試験用のカードはそれを置き換えません",
                      {Utf8FromPath(path)})
            << '\n';
        return false;
    }
    const std::vector<std::uint8_t> image = MakeDemoImage(layout);
    if (!WriteFileAtomically(path, {std::span<const std::uint8_t>(image)})) {
        err << "orvix2-cli: " << Worded("%1を書き込めません", {Utf8FromPath(path)}) << '\n';
        return false;
    }
    return true;
}

bool WriteDemoNote(const std::filesystem::path& folder, Layout layout, std::ostream& err) {
    const std::string layoutName = LayoutName(layout);
    const std::string text =
        "このカードは orvix2-cli が作った合成データです。ロボットの実物のファイルではありません。\n"
        "STARTUP.BIN はレイアウト" +
        layoutName +
        "の大きさで、標準の原点補正値と標準のオプション設定を持ち、ほかのバイトは埋め草です。\n"
        "\n"
        "This card is synthetic, made by orvix2-cli; it holds no file from a real robot.\n"
        "STARTUP.BIN has the size of layout " +
        layoutName +
        ", the standard origin corrections and the standard options; its other bytes are "
        "filler.\n"
        "\n"
        "code/ の SERVO.BIN, REMOTE.BIN, VOICE.BIN, REMOTEBLK.BIN "
        "も合成データで、ロボットのプログラム"
        "ではありません。ロボットでは動きません。\n"
        "The files in code/ (SERVO.BIN, REMOTE.BIN, VOICE.BIN, REMOTEBLK.BIN) are synthetic too: "
        "they are not robot code and do not run on a robot.\n"
        "\n"
        "NAMETBL.BIN は合成の名前表で、ロボットの名前表ではありません。user/ "
        "の10個のユーザファイル(2人登録済み)も合成データです。\n"
        "NAMETBL.BIN is a made-up name table, not the robot's list of names; the ten user files "
        "in user/ (two users registered) are synthetic too.\n";
    const std::filesystem::path path = folder / kDemoNoteName;
    if (!WriteTextFileAtomically(path, text)) {
        err << "orvix2-cli: " << Worded("%1を書き込めません", {Utf8FromPath(path)}) << '\n';
        return false;
    }
    return true;
}

bool WriteDemoCode(const std::filesystem::path& folder, std::ostream& err) {
    const std::filesystem::path code = folder / kDemoCodeFolderName;
    std::error_code error;
    std::filesystem::create_directories(code, error);
    const auto text = [](std::string_view note) {
        std::vector<std::uint8_t> bytes(note.begin(), note.end());
        bytes.push_back(0);
        return bytes;
    };
    const std::pair<std::string_view, std::vector<std::uint8_t>> files[] = {
        {kServoCodeFile, text("Orvix2 demo: SERVO.BIN, not robot code")},
        {kRemoteCodeFile, text("Orvix2 demo: REMOTE.BIN, not robot code")},
        {kVoiceCodeFile, text("Orvix2 demo: VOICE.BIN, not robot code")},
        {kRemoteBlocksFile, SyntheticRemoteBlocks()},
    };
    for (const auto& [name, bytes] : files) {
        const std::filesystem::path path = code / std::string(name);
        if (!WriteFileAtomically(path, {std::span<const std::uint8_t>(bytes)})) {
            err << "orvix2-cli: " << Worded("%1を書き込めません", {Utf8FromPath(path)}) << '\n';
            return false;
        }
    }
    return true;
}

bool MakeDemoCard(const std::filesystem::path& folder, Layout layout, std::ostream& err) {
    // Only a folder that is missing or empty: anything in it may be a real card, whatever its
    // files are called.
    std::error_code error;
    const auto status = std::filesystem::symlink_status(folder, error);
    if (std::filesystem::exists(status) &&
        (!std::filesystem::is_directory(folder, error) || error ||
         !std::filesystem::is_empty(folder, error) || error)) {
        err << "orvix2-cli: "
            << Worded("%1は空のフォルダではありません。試験用のカードは新しいか空のフォルダにだけ作"
                      "ります",
                      {Utf8FromPath(folder)})
            << '\n';
        return false;
    }
    std::filesystem::create_directories(folder, error);
    if (error || !std::filesystem::is_directory(folder, error)) {
        err << "orvix2-cli: " << Worded("フォルダ%1を作れません", {Utf8FromPath(folder)}) << '\n';
        return false;
    }
    return WriteDemoImage(folder, layout, err) && WriteDemoNote(folder, layout, err) &&
           WriteDemoCode(folder, err) && WriteDemoSettings(folder, err) &&
           WriteDemoUsers(folder, err);
}

} // namespace orvix::cli
