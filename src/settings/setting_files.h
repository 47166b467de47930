#pragma once

// The setting files of the robot's card: their names, the slot their length is kept in, the width
// of their value, the bit that marks them changed in the settings dialog, the limits of the value
// and the standard value that restore puts back.

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace orvix {

struct SettingFile {
    int slot;
    std::string_view name;
    std::size_t width;       // bytes of the value at the start of the file
    std::uint32_t changeBit; // in EditorDocument::settingsChanged; 0: never written
    std::int64_t low, high;  // what the value may be, checked before it is cut to its bytes
    std::optional<std::int32_t> standard;
};

inline constexpr std::int64_t kInt32Low = std::numeric_limits<std::int32_t>::min();
inline constexpr std::int64_t kInt32High = std::numeric_limits<std::int32_t>::max();
// A 16-bit voltage as the dialog shows it again: signed.
inline constexpr std::int64_t kVoltageLow = -32768;
inline constexpr std::int64_t kVoltageHigh = 32767;
// The random value: 0xFF is "variable"; a fixed value is any other byte, shown signed, so -1
// (0xFF) is no fixed value.
inline constexpr std::uint8_t kRandomVariable = 0xFF;
inline constexpr std::int64_t kRandomLow = -128;
inline constexpr std::int64_t kRandomHigh = 127;

enum SettingSlot : int {
    kSlotInitialised = 0,
    kSlotBirthday = 1,
    kSlotBoardError = 2,
    kSlotUserWarning = 3,
    kSlotRandom = 4,
    kSlotVolume = 5,
    kSlotTvMaker = 6,
    kSlotPowerUps = 7,
    kSlotTimeoutStand = 8,
    kSlotTimeoutSit = 9,
    kSlotTimeoutCharge = 10,
    kSlotVbatFirmware = 11,
    kSlotVbatHigh = 12,
    kSlotVbatLow = 13,
    kSlotVbatStop = 14,
    kSlotWakeUp = 15,
};

inline constexpr std::array<SettingFile, 16> kSettingFiles{{
    {kSlotInitialised, "INITPASSED.BIN", 1, 0x8000, 0, 1, 1},
    {kSlotBirthday, "MYBIRTHDAY.BIN", 2, 0x4000, 1, 12, std::nullopt}, // the month; the day below
    {kSlotBoardError, "ERRORCHKIGNORE.BIN", 1, 0x2000, 0, 1, 0},
    {kSlotUserWarning, "OPENINGALERTIGNORE.BIN", 1, 0x1000, 0, 1, 0},
    {kSlotRandom, "RND.BIN", 1, 0x800, kRandomLow, kRandomHigh, kRandomVariable},
    {kSlotVolume, "VOLUME.BIN", 1, 0x400, 0, 8, std::nullopt},
    {kSlotTvMaker, "TV_SETTING.BIN", 1, 0x200, 0, 7, std::nullopt},
    {kSlotPowerUps, "QRCODE_FLAGBIT.BIN", 8, 0x100, 0, 0, std::nullopt},
    {kSlotTimeoutStand, "IDLE_TIMEOUT_STAND.BIN", 4, 0x80, kInt32Low, kInt32High, 10800},
    {kSlotTimeoutSit, "IDLE_TIMEOUT_SITDOWN.BIN", 4, 0x40, kInt32Low, kInt32High, 10800},
    {kSlotTimeoutCharge, "IDLE_TIMEOUT_CHARGE.BIN", 4, 0x20, kInt32Low, kInt32High, 216000},
    {kSlotVbatFirmware, "VBATALART_INT.BIN", 2, 0x10, kVoltageLow, kVoltageHigh, 1870},
    {kSlotVbatHigh, "VBATALART_H.BIN", 2, 0x08, kVoltageLow, kVoltageHigh, 2300},
    {kSlotVbatLow, "VBATALART_L.BIN", 2, 0x04, kVoltageLow, kVoltageHigh, 2185},
    {kSlotVbatStop, "VBATALART_AUTOPOWOFF.BIN", 2, 0x02, kVoltageLow, kVoltageHigh, 2000},
    {kSlotWakeUp, "WAKEUP_DATETIME.BIN", 7, 0, 0, 0, std::nullopt}, // shown, never written
}};

constexpr const SettingFile& SettingFileOf(int slot) {
    return kSettingFiles[static_cast<std::size_t>(slot)];
}

inline constexpr std::int64_t kDayLow = 1;
inline constexpr std::int64_t kDayHigh = 31;
// The TV remote maker is the low five bits of its byte; 0x20 is set when it is written.
inline constexpr std::uint8_t kTvMakerMask = 0x1F;
inline constexpr std::uint8_t kTvMakerWritten = 0x20;

// The head switch: bit 0 of one byte.
inline constexpr std::string_view kHeadSwitchFile = "ENABLEINITML.BIN";
// The servo parameters change as two groups, legs and arms, each written only when its values
// changed, with its walking files when the walking box is checked; a click on the walking box
// with no value changed asks for the walking files of both.
inline constexpr std::uint32_t kChangedServoParameters = 0x10000; // the leg servos
inline constexpr std::uint32_t kChangedArmServoParameters = 0x20000;
inline constexpr std::uint32_t kChangedWalkingServoParameters = 0x40000;

// The servo compliance files: margin, slope, punch (signed bytes) and a zero, for the numbers
// of the leg and of the arm servos; "_off" holds the parameters used while walking.
inline constexpr int kServoLegFirst = 2, kServoLegLast = 11;
inline constexpr int kServoArmFirst = 16, kServoArmLast = 21;
inline constexpr std::size_t kServoFileWidth = 4;
inline constexpr std::int64_t kServoValueLow = -128, kServoValueHigh = 127;

// "servo\SV02_ON.BIN", or "servo\SV02_off.BIN" for the parameters used while walking.
std::string ServoFileName(int number, bool walking = false);

} // namespace orvix
