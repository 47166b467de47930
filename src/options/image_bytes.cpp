#include "options/image_bytes.h"

namespace orvix {

namespace {

std::uint8_t* ByteAt(EditorDocument& document, std::uint64_t address) {
    if (address < document.image.size()) {
        return &document.image[address];
    }
    const std::uint64_t index = address - document.image.size();
    return index < document.imageTail.size() ? &document.imageTail[index] : nullptr;
}

bool PutLE(EditorDocument& document, std::uint64_t address, std::size_t width,
           std::uint32_t value) {
    if (!InImage(document, address, width)) {
        return false;
    }
    for (std::size_t i = 0; i < width; ++i) {
        *ByteAt(document, address + i) = static_cast<std::uint8_t>(value >> (8 * i));
    }
    return true;
}

std::uint32_t GetLE(const EditorDocument& document, std::uint64_t address, std::size_t width) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < width; ++i) {
        value |= static_cast<std::uint32_t>(ImageU8(document, address + i)) << (8 * i);
    }
    return value;
}

} // namespace

bool InImage(const EditorDocument& document, std::uint64_t address, std::size_t length) {
    const std::uint64_t end = document.image.size() + document.imageTail.size();
    return address <= end && length <= end - address;
}

std::uint8_t ImageU8(const EditorDocument& document, std::uint64_t address) {
    if (address < document.image.size()) {
        return document.image[address];
    }
    const std::uint64_t index = address - document.image.size();
    return index < document.imageTail.size() ? document.imageTail[index] : 0;
}

std::uint16_t ImageU16(const EditorDocument& document, std::uint64_t address) {
    return static_cast<std::uint16_t>(GetLE(document, address, 2));
}

std::uint32_t ImageU32(const EditorDocument& document, std::uint64_t address) {
    return GetLE(document, address, 4);
}

bool PutImageU8(EditorDocument& document, std::uint64_t address, std::uint8_t value) {
    return PutLE(document, address, 1, value);
}

bool PutImageU16(EditorDocument& document, std::uint64_t address, std::uint16_t value) {
    return PutLE(document, address, 2, value);
}

bool PutImageU32(EditorDocument& document, std::uint64_t address, std::uint32_t value) {
    return PutLE(document, address, 4, value);
}

bool PutImageBytes(EditorDocument& document, std::uint64_t address,
                   std::span<const std::uint8_t> bytes) {
    if (!InImage(document, address, bytes.size())) {
        return false;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        *ByteAt(document, address + i) = bytes[i];
    }
    return true;
}

bool ImageHolds(const EditorDocument& document, std::uint64_t address,
                std::span<const std::uint8_t> bytes) {
    if (!InImage(document, address, bytes.size())) {
        return false;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (ImageU8(document, address + i) != bytes[i]) {
            return false;
        }
    }
    return true;
}

} // namespace orvix
