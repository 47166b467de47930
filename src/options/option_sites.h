#pragma once

// The places of the robot's program that the program change options read and patch: the known
// image sizes, the option sites of the two known layouts with their on and off values, the eye
// colour records, the arm movement records and the servo parameter hook. Every address is a byte
// offset into STARTUP.BIN; 32-bit values are little-endian and need not be aligned.

#include <array>
#include <cstddef>
#include <cstdint>

#include "calibration/editor_document.h" // kServoExtensionSize, the build marker

namespace orvix {

// The two known builds of the robot's program; image byte 7600 equal to 23 marks layout B
// (EditorDocument::buildVariant).
enum class Layout { A, B };

constexpr Layout LayoutOf(bool buildVariant) {
    return buildVariant ? Layout::B : Layout::A;
}

// A value that may differ between the layouts: an address, or a value written at one.
struct PerLayout {
    std::uint32_t a = 0;
    std::uint32_t b = 0;

    constexpr std::uint32_t In(Layout layout) const { return layout == Layout::B ? b : a; }
};

// The same value in both layouts.
constexpr PerLayout Both(std::uint32_t value) {
    return PerLayout{value, value};
}

// The address of a site in the given layout.
constexpr std::uint32_t AddressIn(PerLayout site, Layout layout) {
    return site.In(layout);
}

// --- Image sizes -----------------------------------------------------------------------------

inline constexpr std::uint32_t kImageSizeLayoutA = 4'301'707; // 0x41A38B, the program alone
inline constexpr std::uint32_t kImageSizeLayoutB = 4'309'671; // 0x41C2A7, the program alone
inline constexpr PerLayout kBaseImageSize{kImageSizeLayoutA, kImageSizeLayoutB};
inline constexpr std::uint32_t kRemoteExtensionSize = 429'173;
// Layout A saved with its servo extension.
inline constexpr std::uint32_t kImageSizeWithServoExtension =
    kImageSizeLayoutA + static_cast<std::uint32_t>(kServoExtensionSize); // 4,304,779
// An image saved with a remote extension is at least this long.
inline constexpr std::uint32_t kImageSizeWithRemoteExtension =
    kImageSizeLayoutA + kRemoteExtensionSize; // 4,730,880 = 0x483000

// Layout B saved with the remote extension this editor builds.
inline constexpr std::uint32_t kImageSizeLayoutBWithRemoteExtension =
    kImageSizeLayoutB + kRemoteExtensionSize; // 4,738,844

static_assert(kImageSizeLayoutB - kImageSizeLayoutA == 0x1F1C);
static_assert(kImageSizeLayoutBWithRemoteExtension == 4'738'844);
static_assert(kImageSizeWithServoExtension == 4'304'779);
static_assert(kImageSizeWithRemoteExtension == 0x483000);

// --- The robot's code --------------------------------------------------------------------------

inline constexpr std::uint8_t kOpJump = 0x81;   // followed by a 32-bit address
inline constexpr std::uint8_t kOpCall = 0x82;   // followed by a 32-bit address
inline constexpr std::uint8_t kOpReturn = 0x83; // returns from a call

// --- Simple option sites -------------------------------------------------------------------------

// One byte with its value for the option on and off.
struct ByteSite {
    PerLayout address;
    std::uint8_t on;
    std::uint8_t off;
};

// A 32-bit value, usually a jump address, with its values for the option on and off.
struct WordSite {
    PerLayout address;
    PerLayout on;
    PerLayout off;
};

// Servo torque: on (standard) or off, when the robot goes limp.
inline constexpr ByteSite kTorqueSite{Both(0xFD2), 1, 0};

inline constexpr WordSite kVoltageMonitorSite{{0x526E, 0x5296}, {0x544E, 0x5476}, {0x52D2, 0x52FA}};

// Timeout monitoring: two bytes; the first tells whether it is on.
inline constexpr std::array<ByteSite, 2> kTimeoutMonitorSites{{
    {{0x31EA7, 0x32777}, 0xCA, 0xC4},
    {{0x31EAB, 0x3277B}, 0x00, 0x40},
}};

// Face recognition while idling: the byte tells whether it is on, the jump follows it.
inline constexpr ByteSite kFaceRecognitionByte{Both(0xD6D), 0xD1, 0xD2};
inline constexpr WordSite kFaceRecognitionJump{
    {0x4F62, 0x4F8A}, {0x5249, 0x5271}, {0x4F3D, 0x4F65}};

// Face direction control while idling: written in this order; the second tells whether it is on.
inline constexpr std::array<ByteSite, 2> kFaceDirectionSites{{
    {{0x361A, 0x3642}, 1, 0},
    {{0x3604, 0x362C}, 1, 0},
}};
inline constexpr std::size_t kFaceDirectionReadSite = 1;

// --- Voice recognition ---------------------------------------------------------------------------

// The two bytes; the first tells whether voice recognition is on.
inline constexpr std::array<ByteSite, 2> kVoiceRecognitionBytes{{
    {Both(0x1A0B), 0xD1, 0xD5},
    {{0x747E, 0x74A6}, 0xD1, 0xD5},
}};

// The entry of the remote extension, where voice recognition jumps while it is off and remote
// support is chosen.
inline constexpr std::uint32_t kRemoteExtensionEntry = 0x41C400;

// The two jump addresses, the same in both layouts.
struct VoiceJump {
    std::uint32_t address;
    std::uint32_t on;
    std::uint32_t offWithoutRemote;
    std::uint32_t offWithRemote;
};
inline constexpr std::array<VoiceJump, 2> kVoiceRecognitionJumps{{
    {0xAF4, 0xADC, 0x10CB, kRemoteExtensionEntry},
    {0xB5A, 0xAE1, 0xAE1, kRemoteExtensionEntry},
}};

// The nine single bytes.
inline constexpr std::uint8_t kVoiceRecognitionNineOn = 0xD5;
inline constexpr std::uint8_t kVoiceRecognitionNineOff = 0xD0;
inline constexpr std::array<PerLayout, 9> kVoiceRecognitionNineSites{{
    {0x2E82, 0x2EAA},
    {0x36E78, 0x385C1},
    {0x36F9E, 0x386E7},
    {0x763F3, 0x77B3C},
    {0x765AE, 0x77CF7},
    {0xCBD3E, 0xCD487},
    {0xCBF5B, 0xCD6A4},
    {0x281F74, 0x283E90},
    {0x282191, 0x2840AD},
}};

// --- Walking step count
// ----------------------------------------------------------------------------

// The count stands as a signed 32-bit value at both sites; it is read from the first.
inline constexpr std::array<PerLayout, 2> kWalkStepSites{{
    {0x16273C, 0x163E85},
    {0x26FD60, 0x27152B},
}};
inline constexpr std::int32_t kWalkStepsMin = 1;
inline constexpr std::int32_t kWalkStepsMax = 9'999;

// --- Servo parameter extension (layout A only) -------------------------------------------------

// The hook: a jump address that leads to the servo stub while the extension is installed.
inline constexpr std::uint32_t kServoHookSite = 0xFDC;
inline constexpr std::uint32_t kServoHookStandard = 0x164C; // as the program comes
inline constexpr std::uint32_t kServoStubAddress = 0x41A3F0;
inline constexpr std::uint32_t kServoHookInstalled = kServoStubAddress;
inline constexpr std::size_t kServoStubSize = 10; // call the servo code, then jump on
inline constexpr std::uint32_t kServoCodeAddress = 0x41A400;
inline constexpr std::size_t kServoCodeMaxRead = 3'072; // bytes read from SERVO.BIN
// Within a ServoExtension tail, which starts right after a layout A program.
inline constexpr std::size_t kServoStubTailIndex = kServoStubAddress - kImageSizeLayoutA;
inline constexpr std::size_t kServoCodeTailIndex = kServoCodeAddress - kImageSizeLayoutA;
inline constexpr std::size_t kServoCodeRoom = kServoExtensionSize - kServoCodeTailIndex;

static_assert(kServoStubTailIndex == 101 && kServoCodeTailIndex == 117 && kServoCodeRoom == 2'955);

// --- Eye colour
// --------------------------------------------------------------------------------------

// A colour record: six signed 16-bit values R, G, B, R, G, B (the same colour twice).
inline constexpr std::size_t kColourRecordSize = 12;

struct EyeColour {
    std::int16_t red;
    std::int16_t green;
    std::int16_t blue;
};
inline constexpr EyeColour kStandardOrange{175, 70, 0};
inline constexpr EyeColour kEnergySavingOrange{90, 35, 0};
inline constexpr EyeColour kDimOrange{45, 17, 0};

// The first colour, shown while idling; record 0 is the one the options are read from.
inline constexpr std::array<PerLayout, 13> kFirstColourRecords{{
    Both(0x1342),
    Both(0x139A),
    Both(0x1524),
    Both(0x1577),
    {0x1FAA, 0x1FD2},
    {0x448D, 0x44B5},
    {0x4617, 0x463F},
    {0x49F5, 0x4A1D},
    {0x4B8E, 0x4BB6},
    {0x4BFA, 0x4C22},
    {0x4C7D, 0x4CA5},
    {0x4CE9, 0x4D11},
    {0x4F09, 0x4F31},
}};

// The second colour, shown while the robot blinks.
inline constexpr std::array<PerLayout, 4> kSecondColourRecords{{
    Both(0xE79),
    Both(0xF11),
    Both(0xFA9),
    {0x4E5D, 0x4E85},
}};

// --- Arm movement records
// --------------------------------------------------------------------------

// Marks an arm movement record; the arm values follow it at fixed offsets.
inline constexpr std::array<std::uint8_t, 7> kArmPattern{0x90, 0x00, 0x0A, 0x00, 0x00, 0x80, 0x00};
// Six signed 16-bit values; the two bytes between two values are not part of them.
inline constexpr std::array<std::uint32_t, 6> kArmValueOffsets{0x42, 0x46, 0x4A, 0x4E, 0x52, 0x56};
// The idle arm angle change writes these.
inline constexpr std::array<std::int16_t, 6> kIdleArmValues{475, 125, 10, -475, -125, -10};
// A scan goes on this far past a record it patched.
inline constexpr std::uint32_t kArmRecordStride = 0x86;
// Records below this address take the idle arm values; those from it on the shoulder limit.
inline constexpr std::uint32_t kShoulderRecordsStart = 0x7000;
// The shoulder limit keeps the first value at least this and the fourth at most its negative.
inline constexpr std::int16_t kShoulderLimit = 475;
inline constexpr std::size_t kShoulderRaisedValue = 0; // index into kArmValueOffsets
inline constexpr std::size_t kShoulderLoweredValue = 3;

// Once patched, these bytes read 0xDB (the low byte of 475): the idle arm angle change, and the
// shoulder limit, are in the image for good.
inline constexpr std::uint8_t kArmFixedMark = 0xDB;
inline constexpr PerLayout kArmAngleFixedSite = Both(0xE45);
inline constexpr PerLayout kShoulderLimitFixedSite{0x7074, 0x709C};

static_assert((kIdleArmValues[0] & 0xFF) == kArmFixedMark);

} // namespace orvix
