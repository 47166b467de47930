#pragma once

// Synthetic images of STARTUP.BIN for the calibration tests, laid out by the documented places.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "support/documented_servos.h"

namespace orvix::test {

using TableValues = std::array<int, kServos>;

// Values that differ per servo and table, so that a value read from the wrong place shows.
TableValues DistinctValues(int table);

// A binary image of the given size: filler bytes, then the three tables of DistinctValues
// (as far as they fit) and the attenuator byte.
std::vector<std::uint8_t> MakeBinaryImage(std::size_t size, int attenuator = 3);

// A text-form image: blanks with the six-character values at their positions; an attenuator
// value, or the mark of a file without one when attenuator is negative.
std::vector<std::uint8_t> MakeTextImage(std::size_t size, int attenuator);

} // namespace orvix::test
