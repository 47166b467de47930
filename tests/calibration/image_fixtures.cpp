#include "image_fixtures.h"

#include <cstdio>

namespace orvix::test {

TableValues DistinctValues(int table) {
    TableValues values{};
    for (int k = 0; k < kServos; ++k) {
        const int standard = kDocumentedStandard[static_cast<std::size_t>(k)];
        values[static_cast<std::size_t>(k)] =
            table == 0 ? standard + k - 10 : (table == 1 ? -1000 - 11 * k : 900 + 13 * k);
    }
    return values;
}

std::vector<std::uint8_t> MakeBinaryImage(std::size_t size, int attenuator) {
    std::vector<std::uint8_t> image(size);
    for (std::size_t i = 0; i < size; ++i) {
        image[i] = static_cast<std::uint8_t>(i * 31 + 7);
    }
    if (size > 16) {
        image[16] = static_cast<std::uint8_t>(attenuator);
    }
    for (int table = 0; table < 3; ++table) {
        const TableValues values = DistinctValues(table);
        for (int k = 0; k < kServos; ++k) {
            const std::size_t offset = DocumentedBinaryOffset(k, table);
            if (offset + 2 <= size) {
                const auto bits = static_cast<std::uint16_t>(values[static_cast<std::size_t>(k)]);
                image[offset] = static_cast<std::uint8_t>(bits);
                image[offset + 1] = static_cast<std::uint8_t>(bits >> 8);
            }
        }
    }
    if (size > 7600) {
        image[7600] = 0;
    }
    return image;
}

namespace {

std::string HexText(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04x", static_cast<unsigned>(value) & 0xFFFF);
    return text;
}

} // namespace

std::vector<std::uint8_t> MakeTextImage(std::size_t size, int attenuator) {
    std::vector<std::uint8_t> image(size, ' ');
    const auto put = [&](std::size_t at, const std::string& text) {
        for (std::size_t i = 0; i < text.size() && at + i < size; ++i) {
            image[at + i] = static_cast<std::uint8_t>(text[i]);
        }
    };
    if (attenuator < 0) {
        put(202, "adr=\"0x0046\"");
    } else {
        put(size == 4011 ? 220 : 202, HexText(attenuator));
    }
    for (int table = 0; table < 3; ++table) {
        const TableValues values = DistinctValues(table);
        for (int k = 0; k < kServos; ++k) {
            put(DocumentedTextPosition(k, table), HexText(values[static_cast<std::size_t>(k)]));
        }
    }
    return image;
}

} // namespace orvix::test
