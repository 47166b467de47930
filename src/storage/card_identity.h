#pragma once

// A card's identity: its volume's serial number and the card folder's path inside that volume,
// "1234-ABCD:/pechi" ("/" for the volume's root), so that a card keeps its history wherever it
// is mounted and two card folders on one volume never share one. None where the volume has no
// serial to be found (a folder on a disk without one): the card folder then stands for the card.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "storage/platform.h"

namespace orvix {

// The volume a folder lies on: where it is mounted, the folder of the volume mounted there ("/"
// unless bound) and its serial number ("1234-ABCD").
using CardVolume = platform::Volume;

// Asks the system for a folder's volume (the one seam to the OS for identities).
using VolumeProbe = std::function<std::optional<CardVolume>(const std::filesystem::path& folder)>;

// Replaces the system's probe (tests); an empty one restores it.
void SetVolumeProbe(VolumeProbe probe);

// The volume of a folder, none when it cannot be found or has no serial.
std::optional<CardVolume> VolumeOf(const std::filesystem::path& folder);

// The identity of the card in that folder; empty when its volume has no serial.
std::string CardIdentity(const std::filesystem::path& cardFolder);

} // namespace orvix
