// The demo card's setting files: every file of the settings data dialog with a value a robot
// could hold (the standard value where there is one), and the servo compliance files.

#include <array>
#include <span>
#include <string>
#include <vector>

#include "cli/demo_card.h"
#include "settings/setting_files.h"
#include "storage/file_io.h"

namespace orvix::cli {

namespace {

using Bytes = std::vector<std::uint8_t>;

// A value as its file holds it: little-endian, width bytes.
Bytes LittleEndian(std::int64_t value, std::size_t width) {
    Bytes bytes(width);
    for (std::size_t i = 0; i < width; ++i) {
        bytes[i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(value) >> (8 * i));
    }
    return bytes;
}

} // namespace

bool WriteDemoSettings(const std::filesystem::path& folder, std::ostream& err) {
    std::vector<std::pair<std::string, Bytes>> files;
    for (const SettingFile& file : kSettingFiles) {
        if (file.standard) {
            files.emplace_back(file.name, LittleEndian(*file.standard, file.width));
        }
    }
    const auto add = [&](int slot, Bytes bytes) {
        files.emplace_back(SettingFileOf(slot).name, std::move(bytes));
    };
    add(kSlotBirthday, {4, 1});                  // the 1st of April
    add(kSlotVolume, {kDemoVolume, 0});          // a two-byte file, as the robot writes it
    add(kSlotTvMaker, {kTvMakerWritten | 0, 0}); // manual
    add(kSlotPowerUps, LittleEndian(0x8, 8));    // the first instalment's power-up
    add(kSlotWakeUp, {0, 30, 10, 0, 7, 12, 26}); // 26/12/07 10:30:00
    files.emplace_back(std::string(kHeadSwitchFile), Bytes{0});
    for (int number = kServoLegFirst; number <= kServoArmLast; ++number) {
        if (number > kServoLegLast && number < kServoArmFirst) {
            continue;
        }
        for (const bool walking : {false, true}) {
            files.emplace_back(ServoFileName(number, walking), kDemoServoParameters);
        }
    }
    for (const auto& [name, bytes] : files) {
        const std::filesystem::path path = CardFilePath(folder, name);
        std::error_code error;
        std::filesystem::create_directories(path.parent_path(), error);
        if (!WriteFileAtomically(path, {std::span<const std::uint8_t>(bytes)})) {
            err << "orvix2-cli: cannot write " << Utf8FromPath(path) << '\n';
            return false;
        }
    }
    return true;
}

} // namespace orvix::cli
