#include "settings/power_ups.h"

namespace orvix {

namespace {

int BoxOf(std::size_t row) {
    return kFirstPowerUpBox + static_cast<int>(row);
}

std::uint64_t BitOf(const PowerUp& powerUp) {
    return std::uint64_t{1} << powerUp.bit;
}

} // namespace

std::uint64_t AllPowerUpsMask() {
    std::uint64_t mask = 0;
    for (const PowerUp& powerUp : kPowerUpTable) {
        mask |= BitOf(powerUp);
    }
    return mask;
}

void FillPowerUpBoxes(ui::DialogModel& dialog, std::uint64_t flags) {
    for (std::size_t row = 0; row < kPowerUpTable.size(); ++row) {
        if ((flags & BitOf(kPowerUpTable[row])) != 0) {
            dialog.SetCheck(BoxOf(row), true);
        }
    }
    dialog.SetCheck(kAllPowerUpsBox, flags == AllPowerUpsMask());
}

std::uint64_t CollectPowerUpFlags(const ui::DialogModel& dialog, std::uint64_t flags) {
    for (std::size_t row = 0; row < kPowerUpTable.size(); ++row) {
        const std::uint64_t bit = BitOf(kPowerUpTable[row]);
        flags = dialog.IsChecked(BoxOf(row)) ? flags | bit : flags & ~bit;
    }
    return flags;
}

void SetAllPowerUpBoxes(ui::DialogModel& dialog, bool checked) {
    for (std::size_t row = 0; row < kPowerUpTable.size(); ++row) {
        dialog.SetCheck(BoxOf(row), checked);
    }
}

} // namespace orvix
