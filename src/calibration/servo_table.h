#pragma once

// The servo table of the robot's program: the twenty servos ID2 to ID21 in record order, with
// where their calibration values lie in the binary and the text form of STARTUP.BIN, their
// standard origin corrections, and how the main dialog shows them.

#include <array>
#include <cstdint>
#include <string_view>

namespace orvix {

enum class ServoGroup { RightLeg, LeftLeg, Waist, Head, RightArm, LeftArm };

struct ServoInfo {
    std::string_view rowLabel; // "ID2(股横回転)": the servo, then its joint label
    ServoGroup group;
    int fieldId;                     // the value field of the main dialog
    int spinId;                      // its spin button
    int textPosition;                // T: where the origin correction stands in the text form
    int standard;                    // standard origin correction, tenths of a degree
    std::string_view directionLabel; // body part, then the upper arrow's and lower arrow's way
};

inline constexpr int kServoCount = 20;
inline constexpr int kFirstServoId = 2;

inline constexpr std::array<ServoInfo, kServoCount> kServoTable{{
    {"ID2(股横回転)", ServoGroup::RightLeg, 1004, 1005, 1227, 25, "足\n開\n閉"},
    {"ID3(股縦回転)", ServoGroup::RightLeg, 1006, 1007, 1566, 120, "足\n後\n前"},
    {"ID4(ヒザ)", ServoGroup::RightLeg, 1008, 1009, 1905, -260, "足\n畳\n伸"},
    {"ID5(足首縦回転)", ServoGroup::RightLeg, 1010, 1011, 2244, 160, "ﾂﾏ先\n上\n下"},
    {"ID6(足首横回転)", ServoGroup::RightLeg, 1012, 1013, 2583, -20, "足外側\n上方向\n下方向"},
    {"ID7(股横回転)", ServoGroup::LeftLeg, 1014, 1015, 2922, -35, "足\n閉\n開"},
    {"ID8(股縦回転)", ServoGroup::LeftLeg, 1016, 1017, 3261, -110, "足\n前\n後"},
    {"ID9(ヒザ)", ServoGroup::LeftLeg, 1018, 1019, 3600, 260, "足\n伸\n畳"},
    {"ID10(足首縦回転)", ServoGroup::LeftLeg, 1020, 1021, 3941, -155, "ﾂﾏ先\n下\n上"},
    {"ID11(足首横回転)", ServoGroup::LeftLeg, 1022, 1023, 4284, 40, "足外側\n下方向\n上方向"},
    {"ID12(腰旋回)", ServoGroup::Waist, 1024, 1025, 4627, 20, "上半身\n右\n左"},
    {"ID13(首旋回)", ServoGroup::Head, 1026, 1027, 4970, 20, "顔\n左\n右"},
    {"ID14(横回転)", ServoGroup::Head, 1028, 1029, 5313, 75, "頭\n左\n右"},
    {"ID15(縦回転)", ServoGroup::Head, 1030, 1031, 5656, -85, "顔\n下\n上"},
    {"ID16(肩縦回転)", ServoGroup::RightArm, 1032, 1033, 5999, -55, "腕\n前\n後"},
    {"ID17(肩横回転)", ServoGroup::RightArm, 1034, 1035, 6342, 560, "腕\n下\n上"},
    {"ID18(ヒジ)", ServoGroup::RightArm, 1036, 1037, 6685, 350, "腕\n縮\n伸"},
    {"ID19(肩縦回転)", ServoGroup::LeftArm, 1038, 1039, 7028, 50, "腕\n後\n前"},
    {"ID20(肩横回転)", ServoGroup::LeftArm, 1040, 1041, 7371, -590, "腕\n上\n下"},
    {"ID21(ヒジ)", ServoGroup::LeftArm, 1042, 1043, 7714, -295, "腕\n伸\n縮"},
}};

// Binary form: the servo records and the values in them.
inline constexpr int kServoRecordBase = 276;
inline constexpr int kServoRecordSize = 70;
inline constexpr int kServoTableEnd = kServoRecordBase + kServoCount * kServoRecordSize; // 1676

// Text form: the three values of a servo stand this many characters apart.
inline constexpr int kTextValueStride = 7;

// Range-limit tables: the built-in values, which leave the movement unlimited.
inline constexpr int kStandardLowerLimit = -32767;
inline constexpr int kStandardUpperLimit = 32767;

// Origin corrections stay within this many tenths of their standard while the range limit is on,
// and within plus or minus kOriginLimitOff when it is off.
inline constexpr int kOriginRangeLimit = 150;
inline constexpr int kOriginLimitOff = 1500;

// "ID2" of "ID2(股横回転)".
constexpr std::string_view ServoName(const ServoInfo& servo) {
    return servo.rowLabel.substr(0, servo.rowLabel.find('('));
}

// "股横回転" of "ID2(股横回転)".
constexpr std::string_view JointLabel(const ServoInfo& servo) {
    const auto open = servo.rowLabel.find('(');
    return servo.rowLabel.substr(open + 1, servo.rowLabel.size() - open - 2);
}

constexpr int ServoRecordOffset(int k) {
    return kServoRecordBase + kServoRecordSize * k;
}

// Where the value of table t (0 origin, 1 lower limit, 2 upper limit) of servo k lies.
constexpr int BinaryValueOffset(int k, int table) {
    return ServoRecordOffset(k) + 2 * table;
}
constexpr int TextValuePosition(int k, int table) {
    return kServoTable[static_cast<std::size_t>(k)].textPosition + kTextValueStride * table;
}

static_assert(ServoName(kServoTable[8]) == "ID10");
static_assert(JointLabel(kServoTable[8]) == "足首縦回転");
static_assert(kServoTableEnd == 1676);

} // namespace orvix
