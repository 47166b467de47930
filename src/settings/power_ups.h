#pragma once

// The QR power-ups: one per instalment of the robot's magazine, each a bit of the 64-bit flag
// set in QRCODE_FLAGBIT.BIN with a random value of its own, and their 42 check boxes.

#include <array>
#include <cstdint>

#include "resources/settings_dialog.h"
#include "ui/dialog_model.h"

namespace orvix {

struct PowerUp {
    int bit;
    int randomValue;
};

// Instalment N (1 to 41) is row N - 1; its box and label are kPowerUpBoxes[N - 1] and
// kPowerUpLabels[N - 1].
inline constexpr std::array<PowerUp, kPowerUpCount> kPowerUpTable{{
    {3, 0},   {22, 16}, {20, 3},  {40, 2},  {17, 14}, {4, 0},   {47, 1}, {25, 3},  {34, 21},
    {15, 2},  {45, 5},  {31, 18}, {32, 19}, {13, 3},  {1, 12},  {8, 0},  {23, 17}, {21, 15},
    {10, 2},  {27, 5},  {9, 1},   {30, 8},  {39, 0},  {11, 13}, {5, 0},  {24, 0},  {46, 6},
    {28, 6},  {35, 1},  {44, 4},  {41, 9},  {18, 7},  {29, 7},  {43, 1}, {19, 1},  {42, 1},
    {33, 20}, {0, 0},   {16, 4},  {6, 1},   {26, 4},
}};

// The union of the 41 bits; the others belong to no box and keep what the file holds.
std::uint64_t AllPowerUpsMask();

// Checks the box of every set bit, and "全部" exactly when the flags are all 41 bits and no other.
void FillPowerUpBoxes(ui::DialogModel& dialog, std::uint64_t flags);

// The flags with the bit of every box as it is checked; bits of no box as they were.
std::uint64_t CollectPowerUpFlags(const ui::DialogModel& dialog, std::uint64_t flags);

// Checks or unchecks all 41 boxes (not a click: nothing is asked).
void SetAllPowerUpBoxes(ui::DialogModel& dialog, bool checked);

} // namespace orvix
