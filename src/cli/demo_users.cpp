// The demo card's user register: a made-up name table spelt from the syllable table, and the ten
// user files with two users registered.

#include <array>
#include <span>
#include <string>
#include <vector>

#include "cli/demo_card.h"
#include "storage/byte_order.h"
#include "storage/file_io.h"
#include "users/user_record.h"

namespace orvix::cli {

namespace {

// Plain kana are codes 1 to 46; the honorific endings ちゃん, くん and さん 47 to 49.
constexpr std::uint8_t kPlainKana = 46;
constexpr std::uint8_t kFirstHonorific = 47;

void PutEntry(std::vector<std::uint8_t>& table, int index, std::array<std::uint8_t, 5> codes) {
    const std::size_t at = static_cast<std::size_t>(index) * kNameEntrySize;
    std::copy(codes.begin(), codes.end(), table.begin() + static_cast<std::ptrdiff_t>(at));
    WriteU16(table, at + 5, static_cast<std::uint16_t>(index)); // the name number
}

} // namespace

std::vector<std::uint8_t> MakeDemoNameTable() {
    std::vector<std::uint8_t> table(kNameTableSize, 0);
    std::array<std::uint8_t, 5> none;
    none.fill(kNoSyllable);
    PutEntry(table, 0, none); // a new user's entry, never offered
    for (int index = 1; index < kNameEntryCount; ++index) {
        // Two or three kana picked by a multiplicative hash of the index; every fourth name ends
        // in an honorific.
        const std::uint32_t mix = static_cast<std::uint32_t>(index) * 2654435761u;
        std::array<std::uint8_t, 5> codes = none;
        const std::size_t length = 2 + (mix >> 29) % 2;
        for (std::size_t i = 0; i < length; ++i) {
            codes[i] = static_cast<std::uint8_t>(1 + (mix >> (7 * i)) % kPlainKana);
        }
        if (index % 4 == 0) {
            codes[length] = static_cast<std::uint8_t>(kFirstHonorific + (index / 4) % 3);
        }
        PutEntry(table, index, codes);
    }
    PutEntry(table, kDemoTaroEntry, {16, 43, 3, 48, kNoSyllable}); // たろうくん
    return table;
}

std::array<UserRecord, 2> DemoUsers() {
    UserRecord first;
    first.userNumber = 1;
    first.nameIndex = kDemoTaroEntry;
    first.birthday = {5, 5};
    first.lessonDays = DayMask(0) | DayMask(6);
    first.garbageDays = DayMask(1) | DayMask(4);
    UserRecord second;
    second.userNumber = 2;
    second.nameIndex = 1000;
    second.birthday = {11, 3};
    second.anniversary = {6, 1};
    second.specialDay = {12, 24};
    second.lessonDays = DayMask(2);
    second.garbageDays = DayMask(3) | DayMask(6);
    return {first, second};
}

bool WriteDemoUsers(const std::filesystem::path& folder, std::ostream& err) {
    const auto write = [&](const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
        if (!WriteFileAtomically(path, {bytes})) {
            err << "orvix2-cli: cannot write " << Utf8FromPath(path) << '\n';
            return false;
        }
        return true;
    };
    if (!write(folder / kNameTableFile, MakeDemoNameTable())) {
        return false;
    }
    std::error_code error;
    std::filesystem::create_directories(folder / "user", error);
    const std::array<UserRecord, 2> users = DemoUsers();
    for (int slot = 0; slot < kUserSlotCount; ++slot) {
        const UserRecord record = slot < static_cast<int>(users.size())
                                      ? users[static_cast<std::size_t>(slot)]
                                      : UserRecord{};
        const std::string name = UserFileName(slot).substr(std::string("user\\").size());
        if (!write(folder / "user" / name, record.Bytes())) {
            return false;
        }
    }
    return true;
}

} // namespace orvix::cli
