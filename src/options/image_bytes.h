#pragma once

// The one way to image addresses: an address below the image size lies in the image, one at or
// beyond it in the tail that the save writes after the image. Reads outside both give zero;
// writes outside both are refused whole and change nothing.

#include <cstddef>
#include <cstdint>
#include <span>

#include "calibration/editor_document.h"

namespace orvix {

// Whether all length bytes from address lie in the image or its tail.
bool InImage(const EditorDocument& document, std::uint64_t address, std::size_t length = 1);

std::uint8_t ImageU8(const EditorDocument& document, std::uint64_t address);
std::uint16_t ImageU16(const EditorDocument& document, std::uint64_t address);
std::uint32_t ImageU32(const EditorDocument& document, std::uint64_t address);

// Little-endian writes; false, with nothing written, when any byte lies outside.
bool PutImageU8(EditorDocument& document, std::uint64_t address, std::uint8_t value);
bool PutImageU16(EditorDocument& document, std::uint64_t address, std::uint16_t value);
bool PutImageU32(EditorDocument& document, std::uint64_t address, std::uint32_t value);
bool PutImageBytes(EditorDocument& document, std::uint64_t address,
                   std::span<const std::uint8_t> bytes);

// Whether the bytes at address equal these, all of them inside.
bool ImageHolds(const EditorDocument& document, std::uint64_t address,
                std::span<const std::uint8_t> bytes);

} // namespace orvix
