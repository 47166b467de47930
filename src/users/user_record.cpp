#include "users/user_record.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <vector>

#include "resources/string_table.h"
#include "settings/setting_store.h"
#include "storage/byte_order.h"
#include "storage/card_lock.h"
#include "storage/file_io.h"

namespace orvix {

namespace {

// The robot's syllable table: the text of each code of a name entry, ten codes a line. Some texts
// stand under more than one code; each code keeps its own.
constexpr std::array<std::string_view, kSyllableCount> kSyllableTable{
    "",     "あ",   "い",   "う",   "え",   "お",   "か",   "き",     "く",   "け",   // 0
    "こ",   "さ",   "し",   "す",   "せ",   "そ",   "た",   "ち",     "つ",   "て",   // 10
    "と",   "な",   "に",   "ぬ",   "ね",   "の",   "は",   "ひ",     "ふ",   "へ",   // 20
    "ほ",   "ま",   "み",   "む",   "め",   "も",   "や",   "ゆ",     "よ",   "ら",   // 30
    "り",   "る",   "れ",   "ろ",   "わ",   "を",   "ん",   "ちゃん", "くん", "さん", // 40
    "",     "",     "ー",   "",     "",     "",     "",     "",       "っ",   "",     // 50
    "",     "",     "が",   "ぎ",   "ぐ",   "げ",   "ご",   "ざ",     "じ",   "ず",   // 60
    "ぜ",   "ぞ",   "だ",   "ぢ",   "づ",   "で",   "ど",   "ば",     "び",   "ぶ",   // 70
    "べ",   "ぼ",   "ぱ",   "ぴ",   "ぷ",   "ぺ",   "ぽ",   "きゃ",   "きゅ", "きょ", // 80
    "しゃ", "しゅ", "しょ", "ちゃ", "ちゅ", "ちょ", "ひゅ", "にゃ",   "にゅ", "にょ", // 90
    "ひゃ", "ひゅ", "ひょ", "きゅ", "みゃ", "みゅ", "みょ", "びゃ",   "びゅ", "びょ", // 100
    "ぎゃ", "ぎゅ", "ぎょ", "じゃ", "じゅ", "じょ", "じゃ", "じゅ",   "じょ", "びゅ", // 110
    "びゃ", "びゅ", "びょ", "ぴゃ", "ぴゅ", "ぴょ", "ふぃ", "べぇ",   "ぼぉ", "しぇ", // 120
    "ちぇ", "てぃ", "どぅ", "ふぁ", "ふぃ", "ふぇ", "ふぉ", "じぇ",   "びぃ", "どぅ", // 130
    "ばぁ", "びぃ", "べぇ", "ぼぉ",                                                   // 140
};

// Places in a user file and in a name entry.
constexpr std::size_t kUserNumberAt = 0;
constexpr std::size_t kNameIndexAt = 1;
constexpr std::size_t kBirthdayAt = 3;
constexpr std::size_t kAnniversaryAt = 5;
constexpr std::size_t kSpecialDayAt = 7;
constexpr std::size_t kLessonDaysAt = 9;
constexpr std::size_t kGarbageDaysAt = 10;
constexpr std::size_t kReservedAt = 11;
constexpr std::size_t kNameNumberAt = 5;

UserDate DateAt(std::span<const std::uint8_t> record, std::size_t at) {
    return UserDate{record[at], record[at + 1]};
}

void PutDate(std::span<std::uint8_t> record, std::size_t at, UserDate date) {
    record[at] = date.month;
    record[at + 1] = date.day;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A number as strtol reads it in base 10 from the start of the text: blanks, a sign, digits up
// to the first other character; no digits read as 0, and a number beyond the 32-bit range as the
// nearest limit.
std::int64_t ReadLeadingNumber(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && IsBlank(text[at])) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = std::min(value * 10 + (text[at] - '0'), kLimit);
    }
    return negative ? std::max(-value, std::int64_t{std::numeric_limits<std::int32_t>::min()})
                    : std::min(value, std::int64_t{std::numeric_limits<std::int32_t>::max()});
}

} // namespace

UserRecord UserRecord::FromBytes(std::span<const std::uint8_t> bytes) {
    std::array<std::uint8_t, kUserRecordSize> padded{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), padded.size()), padded.begin());
    UserRecord record;
    record.userNumber = padded[kUserNumberAt];
    record.nameIndex = ReadI16(padded, kNameIndexAt).value_or(0);
    record.birthday = DateAt(padded, kBirthdayAt);
    record.anniversary = DateAt(padded, kAnniversaryAt);
    record.specialDay = DateAt(padded, kSpecialDayAt);
    record.lessonDays = padded[kLessonDaysAt];
    record.garbageDays = padded[kGarbageDaysAt];
    record.reserved = padded[kReservedAt];
    return record;
}

std::array<std::uint8_t, kUserRecordSize> UserRecord::Bytes() const {
    std::array<std::uint8_t, kUserRecordSize> bytes{};
    bytes[kUserNumberAt] = userNumber;
    WriteU16(bytes, kNameIndexAt, static_cast<std::uint16_t>(nameIndex));
    PutDate(bytes, kBirthdayAt, birthday);
    PutDate(bytes, kAnniversaryAt, anniversary);
    PutDate(bytes, kSpecialDayAt, specialDay);
    bytes[kLessonDaysAt] = lessonDays;
    bytes[kGarbageDaysAt] = garbageDays;
    bytes[kReservedAt] = 0;
    return bytes;
}

NameEntry NameTable::Entry(int index) const {
    std::array<std::uint8_t, kNameEntrySize> bytes{};
    if (Holds(index)) {
        const std::size_t at = static_cast<std::size_t>(index) * kNameEntrySize;
        if (at < bytes_.size()) {
            std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(at),
                        std::min(kNameEntrySize, bytes_.size() - at), bytes.begin());
        }
    }
    NameEntry entry;
    std::copy_n(bytes.begin(), kNameSyllables, entry.syllableCodes.begin());
    entry.nameNumber = ReadI16(bytes, kNameNumberAt).value_or(0);
    return entry;
}

std::string_view SyllableText(std::uint8_t code) {
    if (code == kNoSyllable) {
        return {};
    }
    return code < kSyllableCount ? kSyllableTable[code] : kUnknownSyllable;
}

std::string NameText(const NameEntry& entry) {
    std::string text;
    for (const std::uint8_t code : entry.syllableCodes) {
        text += SyllableText(code);
    }
    return text;
}

std::string NameText(const NameTable& table, int index) {
    return NameText(table.Entry(index));
}

std::string UserFileName(int slot) {
    char name[32];
    std::snprintf(name, sizeof name, "user\\user%02d.log", slot);
    return name;
}

std::string FormatDateText(int month, int day) {
    return std::to_string(month) + "/" + std::to_string(day);
}

std::optional<UserDate> ParseDateText(std::string_view text) {
    if (text.empty()) {
        return UserDate{};
    }
    const std::size_t slash = text.find('/');
    if (slash == std::string_view::npos) {
        return std::nullopt;
    }
    const std::int64_t month = ReadLeadingNumber(text);
    const std::int64_t day = ReadLeadingNumber(text.substr(slash + 1));
    if (month < 1 || month > 12 || day < 1 || day > 31) {
        return std::nullopt;
    }
    return UserDate{static_cast<std::uint8_t>(month), static_cast<std::uint8_t>(day)};
}

bool LoadNameTable(EditorDocument& document, ui::Prompter& prompter) {
    std::vector<std::uint8_t> bytes;
    FileError error;
    if (!ReadCardFile(CardFolder(document), kNameTableFile, bytes, &error)) {
        prompter.Failure(IDP_BINARY_READ_FAILED, error.Describe(), kNameTableFile, ui::Icon::Error);
        return false;
    }
    bytes.resize(kNameTableSize, 0);
    document.nameTable = std::move(bytes);
    return true;
}

bool ReadUserRecord(EditorDocument& document, ui::Prompter& prompter, int slot,
                    FilesAsRead* asRead) {
    return ReadBinaryFile(document, prompter, UserFileName(slot), kNoSlot, true, asRead);
}

UserRecord BufferedUserRecord(const EditorDocument& document) {
    return UserRecord::FromBytes(document.settingBuffer);
}

void BufferUserRecord(EditorDocument& document, const UserRecord& record) {
    if (document.settingBuffer.size() < kSettingBufferSize) {
        document.settingBuffer.resize(kSettingBufferSize, 0);
    }
    const auto bytes = record.Bytes();
    std::copy(bytes.begin(), bytes.end(), document.settingBuffer.begin());
}

bool WriteUserRecord(EditorDocument& document, ui::Prompter& prompter, int slot,
                     FilesAsRead& asRead) {
    UserRecord record = BufferedUserRecord(document);
    record.reserved = 0;
    BufferUserRecord(document, record);
    // The record's own 12 bytes: whatever followed them in a longer file is dropped.
    const auto bytes = record.Bytes();
    const CardFileWrite file{UserFileName(slot), {bytes.begin(), bytes.end()}, true};
    return WriteCardFiles(document, prompter, {&file, 1}, asRead);
}

namespace {

// Holds back the messages of a write made under the card lock until the lock is let go, so that
// no message box keeps the card busy for other programs. A question cannot wait for its answer:
// it gets No, which writes nothing over another program's change.
class HeldMessages : public ui::Prompter {
public:
    explicit HeldMessages(ui::Prompter& prompter) : prompter_(prompter) {}
    HeldMessages(const HeldMessages&) = delete;
    HeldMessages& operator=(const HeldMessages&) = delete;

    ui::Answer ShowMessage(const ui::MessageRequest& request) override {
        if (request.buttons != ui::Buttons::Ok) {
            return ui::Answer::No;
        }
        held_.push_back(request);
        return ui::Answer::Ok;
    }
    std::optional<std::string> ChooseOpenFile(const ui::OpenFileRequest&) override { return {}; }
    std::optional<ui::Rgb> ChooseColour(ui::Rgb) override { return {}; }

    void Show() {
        for (const ui::MessageRequest& request : held_) {
            prompter_.ShowMessage(request);
        }
        held_.clear();
    }

private:
    ui::Prompter& prompter_;
    std::vector<ui::MessageRequest> held_;
};

} // namespace

UserSlots ReadUserSlots(const EditorDocument& document, FilesAsRead& asRead) {
    UserSlots slots;
    // A consistent view of the files: no other writer is half way through them.
    const CardLock lock(CardFolder(document));
    if (lock.GetState() == CardLock::State::Busy) {
        return slots;
    }
    for (int slot = 0; slot < kUserSlotCount; ++slot) {
        std::vector<std::uint8_t> bytes;
        if (!ReadCardFile(CardFolder(document), UserFileName(slot), bytes)) {
            continue;
        }
        slots[static_cast<std::size_t>(slot)] = UserRecord::FromBytes(bytes);
        asRead[UserFileName(slot)] = std::move(bytes);
    }
    return slots;
}

int RegisterNewUser(EditorDocument& document, ui::Prompter& prompter, FilesAsRead& asRead,
                    UserSlots& slots) {
    HeldMessages held(prompter);
    int written = -1;
    {
        // Held from the reading to the write (whose own lock of this process is had at once), so
        // that no other writer takes the slot in between.
        const std::filesystem::path folder = CardFolder(document);
        const CardLock lock(folder);
        if (lock.GetState() == CardLock::State::Busy) {
            held.Failure(IDP_CARD_BUSY, lock.Error().Describe(), Utf8FromPath(folder));
        } else {
            slots = ReadUserSlots(document, asRead);
            const auto free = std::find_if(slots.begin(), slots.end(), [](const auto& record) {
                return record && !record->InUse();
            });
            if (free != slots.end()) {
                const int slot = static_cast<int>(free - slots.begin());
                UserRecord record;
                record.userNumber = static_cast<std::uint8_t>(slot + 1);
                BufferUserRecord(document, record);
                if (WriteUserRecord(document, held, slot, asRead)) {
                    *free = record;
                    written = slot;
                }
            }
        }
    }
    held.Show();
    return written;
}

UserListRow MakeListRow(const NameTable& table, int slot, const UserRecord& record) {
    const NameEntry entry = table.Entry(record.nameIndex);
    UserListRow row{slot, record, std::nullopt, NameText(entry)};
    if (entry.nameNumber > 0) {
        row.nameNumber = entry.nameNumber;
    }
    return row;
}

bool LoadUserList(EditorDocument& document, ui::Prompter& prompter, UserListReceiver& receiver,
                  FilesAsRead* asRead) {
    if (document.settingBuffer.empty()) {
        document.settingBuffer.assign(kSettingBufferSize, 0);
    }
    if (!LoadNameTable(document, prompter)) {
        return false;
    }
    const NameTable table(document.nameTable);
    for (int slot = 0; slot < kUserSlotCount; ++slot) {
        if (!ReadUserRecord(document, prompter, slot, asRead)) {
            return false;
        }
        const UserRecord record = BufferedUserRecord(document);
        if (!record.InUse()) {
            receiver.AddFreeSlot(slot);
            continue;
        }
        if (!NameTable::Holds(record.nameIndex)) {
            prompter.Message(IDP_USER_DATA_WRONG, ui::Buttons::Ok, ui::Icon::Error,
                             UserFileName(slot));
            return false;
        }
        receiver.AddUser(MakeListRow(table, slot, record));
    }
    return true;
}

} // namespace orvix
