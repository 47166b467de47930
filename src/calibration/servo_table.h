#pragma once

// The servo table of the robot's program: the twenty servos ID2 to ID21 in record order, with
// where their calibration values lie in the binary and the text form of STARTUP.BIN and their
// standard origin corrections.

#include <array>
#include <cstdint>
#include <string_view>

#include "resources/main_dialog.h"

namespace orvix {

struct ServoInfo {
    int textPosition; // T: where the origin correction stands in the text form
    int standard;     // standard origin correction, tenths of a degree
};

inline constexpr int kServoCount = 20;
inline constexpr int kFirstServoId = 2;

// In record order, servo k being ID k + 2; the dialog's row of servo k is kServoRows[k].
inline constexpr std::array<ServoInfo, kServoCount> kServoTable{{
    {1227, 25},   // ID2
    {1566, 120},  // ID3
    {1905, -260}, // ID4
    {2244, 160},  // ID5
    {2583, -20},  // ID6
    {2922, -35},  // ID7
    {3261, -110}, // ID8
    {3600, 260},  // ID9
    {3941, -155}, // ID10
    {4284, 40},   // ID11
    {4627, 20},   // ID12
    {4970, 20},   // ID13
    {5313, 75},   // ID14
    {5656, -85},  // ID15
    {5999, -55},  // ID16
    {6342, 560},  // ID17
    {6685, 350},  // ID18
    {7028, 50},   // ID19
    {7371, -590}, // ID20
    {7714, -295}, // ID21
}};
static_assert(kServoRows.size() == kServoTable.size());

// The value field of servo k in the main dialog.
constexpr int ServoField(int k) {
    return kServoRows[static_cast<std::size_t>(k)].fieldId;
}

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

static_assert(kServoTableEnd == 1676);

} // namespace orvix
