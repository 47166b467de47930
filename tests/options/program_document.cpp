#include "program_document.h"

#include <gtest/gtest.h>

#include "storage/file_io.h"

namespace orvix::test {

ProgramDocument::ProgramDocument(std::size_t size, bool layoutB)
    : document(Utf8FromPath(folder / "Orvix2.ini")) {
    document.image.assign(size, 0);
    document.buildVariant = layoutB;
    if (layoutB) {
        document.image[7600] = 23;
    }
    if (size > 0xFDF) {
        Set(0xFDC, 0x164C, 4); // the servo hook as the program comes
    }
    document.imagePath = Utf8FromPath(folder / "STARTUP.BIN");
    document.isBinaryImage = true;
}

std::uint32_t ProgramDocument::Get(std::uint64_t address, int width) const {
    std::uint32_t value = 0;
    const auto bytes = Bytes(address, static_cast<std::size_t>(width));
    for (int i = width - 1; i >= 0; --i) {
        value = (value << 8) | bytes[static_cast<std::size_t>(i)];
    }
    return value;
}

std::vector<std::uint8_t> ProgramDocument::Bytes(std::uint64_t address, std::size_t length) const {
    std::vector<std::uint8_t> bytes;
    for (std::uint64_t a = address; a < address + length; ++a) {
        if (a < document.image.size()) {
            bytes.push_back(document.image[a]);
        } else if (a - document.image.size() < document.imageTail.size()) {
            bytes.push_back(document.imageTail[a - document.image.size()]);
        } else {
            ADD_FAILURE() << "address " << std::hex << a << " lies outside";
            bytes.push_back(0);
        }
    }
    return bytes;
}

void ProgramDocument::Set(std::uint64_t address, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) {
        const auto byte = static_cast<std::uint8_t>(value >> (8 * i));
        const std::uint64_t a = address + static_cast<std::uint64_t>(i);
        if (a < document.image.size()) {
            document.image[a] = byte;
        } else {
            document.imageTail.at(a - document.image.size()) = byte;
        }
    }
}

void ProgramDocument::WriteCode(const char* name, std::vector<std::uint8_t> bytes) const {
    WriteBytes(folder / name, bytes);
}

} // namespace orvix::test
