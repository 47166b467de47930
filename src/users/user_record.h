#pragma once

// The user register on the card: ten user files of 12 bytes in the card's user folder, and the
// robot's name table NAMETBL.BIN, whose entries spell names as kana syllable codes. The editor
// reads the name table and reads and writes the user files; every write replaces the whole file.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "calibration/editor_document.h"
#include "settings/setting_store.h"
#include "ui/prompter.h"

namespace orvix {

inline constexpr int kUserSlotCount = 10;
inline constexpr std::size_t kUserRecordSize = 12;

inline constexpr const char* kNameTableFile = "NAMETBL.BIN";
inline constexpr int kNameEntryCount = 2326;
inline constexpr std::size_t kNameEntrySize = 8;
inline constexpr std::size_t kNameTableSize = kNameEntryCount * kNameEntrySize;
inline constexpr std::size_t kNameSyllables = 5;
// The name box offers entries 1 to 2324: entry 0 is a new user's, the last one is never offered.
inline constexpr int kFirstOfferedName = 1;
inline constexpr int kOfferedNameCount = 2324;

inline constexpr int kSyllableCount = 144;
inline constexpr std::uint8_t kNoSyllable = 0xFF;
// What a syllable code without a text shows, so that a broken entry is seen.
inline constexpr std::string_view kUnknownSyllable = "？";

// Days of a weekday set: 0 Sunday to 6 Saturday, Sunday in bit 6.
inline constexpr int kDayCount = 7;
constexpr std::uint8_t DayMask(int day) {
    return static_cast<std::uint8_t>(0x40 >> day);
}

// A yearly date; set only when both parts are non-zero.
struct UserDate {
    std::uint8_t month = 0;
    std::uint8_t day = 0;

    bool IsSet() const { return month != 0 && day != 0; }
    friend bool operator==(const UserDate&, const UserDate&) = default;
};

// One user file.
struct UserRecord {
    std::uint8_t userNumber = 0; // 0: the slot is free
    std::int16_t nameIndex = 0;  // the entry of the name table
    UserDate birthday;
    UserDate anniversary; // wedding anniversary
    UserDate specialDay;
    std::uint8_t lessonDays = 0;  // weekday set
    std::uint8_t garbageDays = 0; // weekday set
    std::uint8_t reserved = 0;

    bool InUse() const { return userNumber != 0; }

    // The first 12 bytes; bytes beyond the end of a shorter buffer read as zero.
    static UserRecord FromBytes(std::span<const std::uint8_t> bytes);
    // The 12 bytes of the file, the reserved byte written as 0.
    std::array<std::uint8_t, kUserRecordSize> Bytes() const;
};

struct NameEntry {
    std::array<std::uint8_t, kNameSyllables> syllableCodes{};
    std::int16_t nameNumber = 0; // the number the dialogs show beside the name
};

// The name table as read; an entry beyond its bytes reads as zero bytes.
class NameTable {
public:
    explicit NameTable(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    // Whether a name index addresses an entry: 0 to 2325.
    static bool Holds(int index) { return index >= 0 && index < kNameEntryCount; }
    NameEntry Entry(int index) const;

private:
    std::span<const std::uint8_t> bytes_;
};

// The text of a syllable code: empty for 0xFF, kUnknownSyllable for a code without a text.
std::string_view SyllableText(std::uint8_t code);

// The entry's syllable texts one after the other, however many bytes they take.
std::string NameText(const NameEntry& entry);
std::string NameText(const NameTable& table, int index);

// "user\user03.log": the card file of a slot.
std::string UserFileName(int slot);

// "3/15".
std::string FormatDateText(int month, int day);
// The whole text as month/day: empty is "not set" (0/0); otherwise the month is read from the
// start and the day from after the first slash as strtol reads them, and both must be in range
// (1 to 12, 1 to 31; the day is not checked against the month). None when it is no date.
std::optional<UserDate> ParseDateText(std::string_view text);

// Reads NAMETBL.BIN from the card into nameTable: its first 18608 bytes, the missing bytes of a
// shorter file as zero. Message 153 with the name and the reason when it cannot be read.
bool LoadNameTable(EditorDocument& document, ui::Prompter& prompter);

// Reads a slot's user file into settingBuffer (message 153 on failure), recording it whole in
// asRead when given.
bool ReadUserRecord(EditorDocument& document, ui::Prompter& prompter, int slot,
                    FilesAsRead* asRead = nullptr);
// The record in settingBuffer, and a record put there.
UserRecord BufferedUserRecord(const EditorDocument& document);
void BufferUserRecord(EditorDocument& document, const UserRecord& record);
// Writes the 12 bytes of the record in settingBuffer, reserved byte 0, as the slot's whole file,
// through the store's write of card files: under the card lock, only over the file asRead holds
// (or on the person's word), whole or not at all (message 154 on failure; the file is then
// unchanged).
bool WriteUserRecord(EditorDocument& document, ui::Prompter& prompter, int slot,
                     FilesAsRead& asRead);

// The ten user files as they are on the card now: each slot's record, or none where the file
// cannot be read.
using UserSlots = std::array<std::optional<UserRecord>, kUserSlotCount>;

// Reads the ten user files again under the card lock (none when the card stays busy), recording
// each one read whole in asRead.
UserSlots ReadUserSlots(const EditorDocument& document, FilesAsRead& asRead);

// Registers a new user in the first slot that is free on the card as it is now: holding the card
// lock, reads the ten user files again and writes the record of a new user (number slot + 1,
// nothing else) into the first free one, so that it never replaces a user another program
// registered and never asks. slots receives the files as read, the new user included. The slot
// written; -1 when no slot is free (nothing written) or the write failed (its message shown).
int RegisterNewUser(EditorDocument& document, ui::Prompter& prompter, FilesAsRead& asRead,
                    UserSlots& slots);

// One slot in use, as the user list shows it.
struct UserListRow {
    int slot = 0;
    UserRecord record;
    std::optional<std::int16_t> nameNumber; // only when above 0
    std::string name;
};

// The row of a slot in use; a name index that addresses no entry shows no name.
UserListRow MakeListRow(const NameTable& table, int slot, const UserRecord& record);

class UserListReceiver {
public:
    virtual ~UserListReceiver() = default;
    virtual void AddUser(const UserListRow& row) = 0;
    virtual void AddFreeSlot(int slot) = 0;
};

// Reads the name table and the ten user files in slot order, handing each slot to the receiver
// and recording each file in asRead when given. Stops with false at the first file that cannot
// be read (message 153) or at a name index that addresses no entry (message 156 with the file's
// name).
bool LoadUserList(EditorDocument& document, ui::Prompter& prompter, UserListReceiver& receiver,
                  FilesAsRead* asRead = nullptr);

} // namespace orvix
