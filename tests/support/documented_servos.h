#pragma once

// The calibration places of STARTUP.BIN as the robot's program documents them, typed in here apart
// from the product's own servo table, so that a wrong position or standard value there fails.

#include <array>
#include <cstddef>

namespace orvix::test {

inline constexpr int kServos = 20;

// Text form: where the origin correction of servo k (ID k + 2) stands; the lower and upper
// limits follow 7 and 14 characters later.
inline constexpr std::array<std::size_t, kServos> kDocumentedTextPosition{
    1227, 1566, 1905, 2244, 2583, 2922, 3261, 3600, 3941, 4284,
    4627, 4970, 5313, 5656, 5999, 6342, 6685, 7028, 7371, 7714};

// Standard origin corrections, tenths of a degree.
inline constexpr std::array<int, kServos> kDocumentedStandard{25,  120,  -260, 160, -20,  -35, -110,
                                                              260, -155, 40,   20,  20,   75,  -85,
                                                              -55, 560,  350,  50,  -590, -295};

// Binary form: servo record k at 276 + 70 k, table t two bytes further each.
constexpr std::size_t DocumentedBinaryOffset(int k, int table) {
    return 276 + 70 * static_cast<std::size_t>(k) + 2 * static_cast<std::size_t>(table);
}

constexpr std::size_t DocumentedTextPosition(int k, int table) {
    return kDocumentedTextPosition[static_cast<std::size_t>(k)] +
           7 * static_cast<std::size_t>(table);
}

// The main dialog's value field of servo k and its spin button.
constexpr int DocumentedField(int k) {
    return 1004 + 2 * k;
}
constexpr int DocumentedSpin(int k) {
    return 1005 + 2 * k;
}

} // namespace orvix::test
