#pragma once

// A synthetic card for the user register tests, laid out as documented: NAMETBL.BIN of 2326
// entries of 8 bytes (five syllable codes, then the name number as a little-endian int16), and
// the user files user/user00.log to user/user09.log.

#include <array>

#include "calibration/editor_document.h"
#include "storage/file_io.h"
#include "support/temp_folder.h"

namespace orvix::test {

using Bytes = std::vector<std::uint8_t>;
inline const Bytes kFree(12, 0);

struct Entry {
    std::size_t index;
    std::array<std::uint8_t, 5> codes;
    std::int16_t number;
};

inline Bytes NameTableBytes(const std::vector<Entry>& entries) {
    Bytes bytes(18608, 0);
    for (const auto& [index, codes, number] : entries) {
        std::copy(codes.begin(), codes.end(), bytes.begin() + static_cast<long>(8 * index));
        bytes[8 * index + 5] = static_cast<std::uint8_t>(number);
        bytes[8 * index + 6] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(number) >> 8);
    }
    return bytes;
}

struct UserCard {
    UserCard() { document.imagePath = Utf8FromPath(File("STARTUP.BIN")); }
    std::filesystem::path File(const std::string& name) const { return folder / "card" / name; }
    std::filesystem::path UserFile(int slot) const {
        return File("user/user0" + std::to_string(slot) + ".log");
    }
    // The ten user files: the given ones first, the rest free.
    void PutUsers(const std::vector<Bytes>& users) const {
        for (std::size_t slot = 0; slot < 10; ++slot) {
            WriteBytes(UserFile(static_cast<int>(slot)), slot < users.size() ? users[slot] : kFree);
        }
    }

    TempFolder folder;
    EditorDocument document{""};
};

} // namespace orvix::test
