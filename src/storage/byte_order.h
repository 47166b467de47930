#pragma once

// Little-endian values in byte buffers, checked against the bytes that exist: a read beyond the
// end gives nothing, a write beyond it changes nothing and returns false.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace orvix {

inline bool Fits(std::size_t size, std::size_t offset, std::size_t width) {
    return offset <= size && width <= size - offset;
}

inline std::optional<std::uint32_t> ReadUnsignedLE(std::span<const std::uint8_t> bytes,
                                                   std::size_t offset, std::size_t width) {
    if (!Fits(bytes.size(), offset, width)) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (std::size_t i = width; i-- > 0;) {
        value = (value << 8) | bytes[offset + i];
    }
    return value;
}

inline bool WriteUnsignedLE(std::span<std::uint8_t> bytes, std::size_t offset, std::size_t width,
                            std::uint32_t value) {
    if (!Fits(bytes.size(), offset, width)) {
        return false;
    }
    for (std::size_t i = 0; i < width; ++i) {
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
    return true;
}

inline std::optional<std::uint8_t> ReadU8(std::span<const std::uint8_t> bytes, std::size_t offset) {
    if (offset >= bytes.size()) {
        return std::nullopt;
    }
    return bytes[offset];
}

inline std::optional<std::int8_t> ReadI8(std::span<const std::uint8_t> bytes, std::size_t offset) {
    const auto value = ReadU8(bytes, offset);
    if (!value) {
        return std::nullopt;
    }
    return static_cast<std::int8_t>(*value);
}

inline std::optional<std::uint16_t> ReadU16(std::span<const std::uint8_t> bytes,
                                            std::size_t offset) {
    const auto value = ReadUnsignedLE(bytes, offset, 2);
    if (!value) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(*value);
}

inline std::optional<std::int16_t> ReadI16(std::span<const std::uint8_t> bytes,
                                           std::size_t offset) {
    const auto value = ReadU16(bytes, offset);
    if (!value) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(*value);
}

inline std::optional<std::uint32_t> ReadU32(std::span<const std::uint8_t> bytes,
                                            std::size_t offset) {
    return ReadUnsignedLE(bytes, offset, 4);
}

inline std::optional<std::int32_t> ReadI32(std::span<const std::uint8_t> bytes,
                                           std::size_t offset) {
    const auto value = ReadU32(bytes, offset);
    if (!value) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(*value);
}

inline bool WriteU8(std::span<std::uint8_t> bytes, std::size_t offset, std::uint8_t value) {
    return WriteUnsignedLE(bytes, offset, 1, value);
}

inline bool WriteU16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value) {
    return WriteUnsignedLE(bytes, offset, 2, value);
}

inline bool WriteU32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value) {
    return WriteUnsignedLE(bytes, offset, 4, value);
}

} // namespace orvix
