#pragma once

// The QR power-ups: one per instalment of the robot's magazine, each a bit of the 64-bit flag
// set in QRCODE_FLAGBIT.BIN with a random value of its own, and their 42 check boxes.

#include <array>
#include <cstdint>
#include <string_view>

#include "ui/dialog_model.h"

namespace orvix {

struct PowerUp {
    std::string_view label;
    int bit;
    int randomValue;
};

// Instalment N (1 to 41) is row N - 1; its box is kFirstPowerUpBox + N - 1.
inline constexpr std::array<PowerUp, 41> kPowerUpTable{{
    {"第１回", 3, 0},   {"第２回", 22, 16}, {"第３回", 20, 3}, {"第４回", 40, 2},
    {"第５回", 17, 14}, {"第６回", 4, 0},   {"第７回", 47, 1}, {"第８回", 25, 3},
    {"第９回", 34, 21}, {"第10回", 15, 2},  {"第11回", 45, 5}, {"第12回", 31, 18},
    {"第13回", 32, 19}, {"第14回", 13, 3},  {"第15回", 1, 12}, {"第16回", 8, 0},
    {"第17回", 23, 17}, {"第18回", 21, 15}, {"第19回", 10, 2}, {"第20回", 27, 5},
    {"第21回", 9, 1},   {"第22回", 30, 8},  {"第23回", 39, 0}, {"第24回", 11, 13},
    {"第25回", 5, 0},   {"第26回", 24, 0},  {"第27回", 46, 6}, {"第28回", 28, 6},
    {"第29回", 35, 1},  {"第30回", 44, 4},  {"第31回", 41, 9}, {"第32回", 18, 7},
    {"第33回", 29, 7},  {"第34回", 43, 1},  {"第35回", 19, 1}, {"第36回", 42, 1},
    {"第37回", 33, 20}, {"第38回", 0, 0},   {"第39回", 16, 4}, {"第40回", 6, 1},
    {"第41回", 26, 4},
}};

// The union of the 41 bits; the others belong to no box and keep what the file holds.
std::uint64_t AllPowerUpsMask();

inline constexpr int kFirstPowerUpBox = 1140;
inline constexpr int kAllPowerUpsBox = 1181;
inline constexpr std::string_view kAllPowerUpsLabel = "全部";

// Checks the box of every set bit, and "全部" exactly when the flags are all 41 bits and no other.
void FillPowerUpBoxes(ui::DialogModel& dialog, std::uint64_t flags);

// The flags with the bit of every box as it is checked; bits of no box as they were.
std::uint64_t CollectPowerUpFlags(const ui::DialogModel& dialog, std::uint64_t flags);

// Checks or unchecks all 41 boxes (not a click: nothing is asked).
void SetAllPowerUpBoxes(ui::DialogModel& dialog, bool checked);

} // namespace orvix
