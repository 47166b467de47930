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

// A value of width sizeof(T) read as T; nothing beyond the end.
template <class T>
std::optional<T> ReadLE(std::span<const std::uint8_t> bytes, std::size_t offset) {
    const auto value = ReadUnsignedLE(bytes, offset, sizeof(T));
    if (!value) {
        return std::nullopt;
    }
    return static_cast<T>(*value);
}

inline std::optional<std::uint8_t> ReadU8(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return ReadLE<std::uint8_t>(bytes, offset);
}
inline std::optional<std::int8_t> ReadI8(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return ReadLE<std::int8_t>(bytes, offset);
}
inline std::optional<std::uint16_t> ReadU16(std::span<const std::uint8_t> bytes,
                                            std::size_t offset) {
    return ReadLE<std::uint16_t>(bytes, offset);
}
inline std::optional<std::int16_t> ReadI16(std::span<const std::uint8_t> bytes,
                                           std::size_t offset) {
    return ReadLE<std::int16_t>(bytes, offset);
}
inline std::optional<std::uint32_t> ReadU32(std::span<const std::uint8_t> bytes,
                                            std::size_t offset) {
    return ReadLE<std::uint32_t>(bytes, offset);
}
inline std::optional<std::int32_t> ReadI32(std::span<const std::uint8_t> bytes,
                                           std::size_t offset) {
    return ReadLE<std::int32_t>(bytes, offset);
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
