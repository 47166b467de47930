#include "users/user_dialog.h"

#include <array>
#include <gtest/gtest.h>
#include <memory>
#include <tuple>

#include "resources/string_table.h"
#include "storage/file_io.h"
#include "support/scripted_prompter.h"
#include "support/temp_folder.h"
#include "support/test_runner.h"
#include "users/user_record.h"

namespace orvix::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using ui::Answer;
const Bytes kFree(12, 0);

// NAMETBL.BIN as documented: 2326 entries of 8 bytes, five syllable codes, then the name number
// as a little-endian int16.
struct Entry {
    std::size_t index;
    std::array<std::uint8_t, 5> codes;
    std::int16_t number;
};

Bytes NameTableBytes(const std::vector<Entry>& entries) {
    Bytes bytes(18608, 0);
    for (const auto& [index, codes, number] : entries) {
        std::copy(codes.begin(), codes.end(), bytes.begin() + static_cast<long>(8 * index));
        bytes[8 * index + 5] = static_cast<std::uint8_t>(number);
        bytes[8 * index + 6] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(number) >> 8);
    }
    return bytes;
}

// The documented syllable table, code 0 to 143, each text followed by "|".
constexpr const char* kDocumentedSyllables =
    "|あ|い|う|え|お|か|き|く|け|こ|さ|し|す|せ|そ|た|ち|つ|て|と|な|に|ぬ|ね|の|は|ひ|ふ|へ|"
    "ほ|ま|み|む|め|も|や|ゆ|よ|ら|り|る|れ|ろ|わ|を|ん|ちゃん|くん|さん|"
    "||ー||||||っ||||が|ぎ|ぐ|げ|ご|ざ|じ|ず|ぜ|ぞ|だ|ぢ|づ|で|ど|ば|び|ぶ|"
    "べ|ぼ|ぱ|ぴ|ぷ|ぺ|ぽ|きゃ|きゅ|きょ|しゃ|しゅ|しょ|ちゃ|ちゅ|ちょ|ひゅ|にゃ|にゅ|にょ|"
    "ひゃ|ひゅ|ひょ|きゅ|みゃ|みゅ|みょ|びゃ|びゅ|びょ|ぎゃ|ぎゅ|ぎょ|じゃ|じゅ|じょ|じゃ|じゅ|"
    "じょ|びゅ|"
    "びゃ|びゅ|びょ|ぴゃ|ぴゅ|ぴょ|ふぃ|べぇ|ぼぉ|しぇ|ちぇ|てぃ|どぅ|ふぁ|ふぃ|ふぇ|ふぉ|じぇ|"
    "びぃ|どぅ|"
    "ばぁ|びぃ|べぇ|ぼぉ|";

TEST(UserRecordTest, EachSyllableCodeHasItsDocumentedText) {
    std::string texts;
    for (int code = 0; code < 144; ++code) {
        texts += std::string(SyllableText(static_cast<std::uint8_t>(code))) + "|";
    }
    EXPECT_EQ(texts, kDocumentedSyllables);
}

// The whole text is read: the month from its start and the day from after the first slash, as
// strtol reads them (blanks and a sign first, up to the first other character).
TEST(UserRecordTest, DateTextsAreReadWhole) {
    const std::pair<const char*, std::optional<UserDate>> cases[] = {
        {"", UserDate{0, 0}},          {"12/25", UserDate{12, 25}},
        {" 1/ 1", UserDate{1, 1}},     {"2/31", UserDate{2, 31}},
        {"3/4/5", UserDate{3, 4}},     {"           12/31", UserDate{12, 31}},
        {"+4x/31日", UserDate{4, 31}}, {"0/5", std::nullopt},
        {"13/1", std::nullopt},        {"3/0", std::nullopt},
        {"3/32", std::nullopt},        {"3-4", std::nullopt},
        {"/5", std::nullopt},          {"12/", std::nullopt},
        {"３/４", std::nullopt},       {"4294967297/1", std::nullopt},
        {"-1/5", std::nullopt},        {" ", std::nullopt},
    };
    for (const auto& [text, date] : cases) {
        EXPECT_EQ(ParseDateText(text), date) << '"' << text << '"';
    }
}

// Slot 0: entry 1, born 3/15, lessons on Sunday and Saturday, garbage on Friday; a file of 16.
const Bytes kTaro{1, 1, 0, 3, 15, 0, 0, 0, 0, 0x41, 0x02, 0, 0xAA, 0xBB, 0xCC, 0xDD};
// Slot 1: user number 7 (not the slot's), entry 2, special day 1/1, wedding anniversary 12/24;
// its reserved byte set.
const Bytes kLong{7, 2, 0, 0, 0, 12, 24, 1, 1, 0, 0, 0x5A};

// Weekday boxes as a set: box first + i stands for day i, mask 0x40 >> i.
int Days(const ui::DialogModel& dialog, int first) {
    int days = 0;
    for (int i = 0; i < 7; ++i) {
        days |= dialog.IsChecked(first + i) ? 0x40 >> i : 0;
    }
    return days;
}

class UserDialogTest : public ::testing::Test {
protected:
    UserDialogTest() {
        document.imagePath = Utf8FromPath(File("STARTUP.BIN"));
        MakeCard({kTaro, kLong});
    }

    std::filesystem::path File(const std::string& name) const { return folder / "card" / name; }
    std::filesystem::path UserFile(int slot) const {
        return File("user/user0" + std::to_string(slot) + ".log");
    }
    // The name table, and the ten user files: the given ones first, the rest free.
    void MakeCard(const std::vector<Bytes>& users) {
        WriteBytes(File("NAMETBL.BIN"), NameTableBytes({{1, {16, 43, 3, 48, 0xFF}, 12},
                                                        {2, {47, 90, 143, 52, 58}, 0},
                                                        {3, {6, 0xFF, 0xFF, 0xFF, 0xFF}, -7},
                                                        {2324, {10, 10, 0xFF, 0, 0}, 2324},
                                                        {2325, {11, 0, 0, 0, 0}, 2325}}));
        for (std::size_t slot = 0; slot < 10; ++slot) {
            WriteBytes(UserFile(static_cast<int>(slot)), slot < users.size() ? users[slot] : kFree);
        }
    }
    ui::DialogModel& Open() {
        list = std::make_unique<CUserDialog>(services, document);
        open = std::make_unique<OpenDialog>(*list);
        return open->Model();
    }
    // The edit button of a slot, with a script for the user data dialog it opens.
    void Edit(int slot, TestRunner::Script script) {
        runner.Expect(133, std::move(script));
        open->Model().Click(1121 + slot);
    }

    TempFolder folder;
    EditorDocument document{""};
    ScriptedPrompter prompter;
    TestRunner runner;
    ui::UiServices services{prompter, runner};
    std::unique_ptr<CUserDialog> list;
    std::unique_ptr<OpenDialog> open;
};

// Names are whole however many bytes they take; a code without a text shows as "？". A short
// table, found in either letter case, reads its missing bytes as zero.
TEST_F(UserDialogTest, ANameIsItsSyllablesRead) {
    const std::pair<std::array<std::uint8_t, 5>, const char*> cases[] = {
        {{16, 43, 3, 48, 0xFF}, "たろうくん"},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, ""},
        {{0, 16, 0xFF, 50, 0}, "た"},
        {{144, 16, 254, 0xFF, 0xFF}, "？た？"},
        {{47, 90, 143, 52, 58}, "ちゃんしゃぼぉーっ"},
    };
    std::vector<Entry> entries;
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        entries.push_back({k + 1, cases[k].first, 0});
    }
    Bytes table = NameTableBytes(entries);
    table.resize(45); // up to the codes of the last entry
    std::filesystem::remove(File("NAMETBL.BIN"));
    WriteBytes(File("nametbl.bin"), table);
    ASSERT_TRUE(LoadNameTable(document, prompter));
    table.resize(18608, 0);
    EXPECT_TRUE(document.nameTable == table);
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        EXPECT_EQ(NameText(NameTable(document.nameTable), static_cast<int>(k) + 1),
                  cases[k].second);
    }
    // A second spelling and no exact one: not read, and the message says why.
    WriteBytes(File("NameTbl.bin"), table);
    prompter.Expect(IDP_BINARY_READ_FAILED);
    EXPECT_FALSE(LoadNameTable(document, prompter));
    EXPECT_TRUE(prompter.Messages().back().detail.ends_with("only in letter case"));
}

TEST_F(UserDialogTest, TheListShowsTheUsersAndOffersTheFreeSlots) {
    WriteBytes(UserFile(2), {7, 0x15, 0x09}); // short: in use, entry 2325
    WriteBytes(UserFile(3), {0, 0x30, 0x30, 3, 4});
    WriteBytes(UserFile(4), {5, 3, 0});
    ui::DialogModel& dialog = Open();
    const char* rows[][2] = {
        {"12", "たろうくん"}, {"", "ちゃんしゃぼぉーっ"}, {"2325", "さ"}, {"", ""}, {"", "か"}};
    for (int slot = 0; slot < 5; ++slot) {
        EXPECT_EQ(dialog.GetText(1101 + slot), rows[slot][0]) << slot;
        EXPECT_EQ(dialog.GetText(1111 + slot), rows[slot][1]) << slot;
        EXPECT_EQ(dialog.IsEnabled(1121 + slot), slot != 3) << slot;
    }
    EXPECT_TRUE(dialog.IsEnabled(3));
    // The user file is read afresh by the edit button; one gone since the list opened is reported.
    std::filesystem::remove(UserFile(1));
    prompter.Expect(IDP_BINARY_READ_FAILED);
    dialog.Click(1122);
    EXPECT_EQ(prompter.Messages().back().argument, "user\\user01.log");
    Edit(2, [](ui::DialogModel& data) { data.Click(1); }); // no name chosen: the row stays
    EXPECT_EQ(dialog.GetText(1113), "さ");
    MakeCard(std::vector<Bytes>(10, kLong));
    EXPECT_FALSE(Open().IsEnabled(3));
}

// A file that cannot be read, or a user whose name index addresses no entry, is named by its
// message.
TEST_F(UserDialogTest, AListThatCannotBeLoadedClosesAfterItsMessage) {
    const std::pair<const char*, Bytes> cases[] = {
        // no bytes: the file is missing
        {"NAMETBL.BIN", {}},
        {"user\\user05.log", {}},
        {"user\\user06.log", {1, 0x16, 0x09}},
        {"user\\user06.log", {1, 0xFF, 0xFF}},
    };
    for (const auto& [name, bytes] : cases) {
        MakeCard({kTaro});
        const std::string file = name[0] == 'u' ? "user/" + std::string(name + 5) : name;
        bytes.empty() ? void(std::filesystem::remove(File(file))) : WriteBytes(File(file), bytes);
        prompter.Expect(bytes.empty() ? IDP_BINARY_READ_FAILED : IDP_USER_DATA_WRONG);
        const ui::DialogModel& dialog = Open();
        const ui::MessageRequest& shown = prompter.Messages().back();
        EXPECT_EQ(std::tuple(shown.argument, shown.detail.empty(), shown.icon, dialog.Result()),
                  std::tuple(name, !bytes.empty(), ui::Icon::Error, ui::kIdCancel));
    }
}

// The first free slot each time; the button goes when the last free slot is used.
TEST_F(UserDialogTest, NewUsersFillTheFreeSlotsUntilNoneIsLeft) {
    MakeCard({kTaro, kTaro, kTaro, kTaro, kFree, kTaro, kTaro, kTaro, kTaro});
    ui::DialogModel& dialog = Open();
    prompter.Expect(IDP_CREATE_USER, Answer::No);
    dialog.Click(3);
    EXPECT_TRUE(ReadBytes(UserFile(4)) == kFree);
    for (const auto& [slot, created] : {std::pair(4, Bytes{5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
                                        std::pair(9, Bytes{10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})}) {
        prompter.Expect(IDP_CREATE_USER, Answer::Yes).Expect(IDP_USER_ADDED);
        dialog.Click(3);
        const ui::MessageRequest& added = prompter.Messages().back();
        EXPECT_EQ(std::tuple(added.argument, added.icon, ReadBytes(UserFile(slot)) == created,
                             dialog.IsEnabled(1121 + slot), dialog.IsEnabled(3)),
                  std::tuple(std::to_string(slot + 1), ui::Icon::None, true, true, slot == 4));
    }
}

TEST_F(UserDialogTest, TheDataDialogShowsTheRecordOfItsSlot) {
    const struct {
        Bytes user;
        const char* number;
        int selection;
        const char* dates[3];
        int lessons, garbage;
    } cases[] = {
        {kTaro, "12", 0, {"3/15", "", ""}, 0x41, 0x02},
        {kLong, "", 1, {"", "12/24", "1/1"}, 0, 0},
        {{3, 0, 0, 0, 7, 9, 0}, "", -1, {"", "", ""}, 0, 0}, // a new user; half dates are none
        {{4, 0x15, 0x09}, "2325", -1, {"", "", ""}, 0, 0},
    };
    for (const auto& c : cases) {
        MakeCard({c.user});
        Open();
        document.chosenNameIndex = 9;
        Edit(0, [&](ui::DialogModel& data) {
            EXPECT_EQ(std::tuple(document.chosenNameIndex, data.GetText(1119), data.Selection(1120),
                                 Days(data, 1105), Days(data, 1112)),
                      std::tuple(0, c.number, c.selection, c.lessons, c.garbage));
            for (int i = 0; i < 3; ++i) {
                EXPECT_EQ(data.GetText(1102 + i), c.dates[i]);
            }
            EXPECT_EQ(
                std::tuple(data.ItemCount(1120), data.ItemText(1120, 0), data.ItemText(1120, 2323)),
                std::tuple(2324, "たろうくん", "ここ"));
            data.ChooseItem(1120, 2); // entry 3: its number whatever it is
            EXPECT_EQ(std::tuple(data.GetText(1119), document.chosenNameIndex),
                      std::tuple("-7", 3));
            data.Type(1103, "5/5");
            data.PressEscape(); // writes nothing
        });
        EXPECT_EQ(document.currentUserSlot, 0);
        EXPECT_TRUE(ReadBytes(UserFile(0)) == c.user);
        EXPECT_EQ(open->Model().GetText(1101), c.number);
    }
}

// The record read when the edit button was pressed, with the dialog's changes, as 12 bytes; the
// row shows the chosen name whole.
TEST_F(UserDialogTest, OkWritesTheRecordAndTheChosenNameIntoItsRow) {
    Open();
    Edit(0, [](ui::DialogModel& data) {
        data.ChooseItem(1120, 1);
        data.Type(1102, " 4/31");
        data.Type(1104, "12/25");
        for (const int box : {1111, 1106, 1117}) { // Saturday lessons off, Monday on; no garbage
            data.Click(box);
        }
        data.Click(1);
        EXPECT_EQ(data.Result(), ui::kIdOk);
    });
    EXPECT_TRUE(ReadBytes(UserFile(0)) == Bytes({1, 2, 0, 4, 31, 0, 0, 12, 25, 0x60, 0, 0}));
    EXPECT_EQ(open->Model().GetText(1101), "0");
    EXPECT_EQ(open->Model().GetText(1111), "ちゃんしゃぼぉーっ");

    // A wrong date keeps the dialog open with the focus in its box, and writes nothing.
    Edit(1, [&](ui::DialogModel& data) { // no name chosen: the row stays
        for (const int box : {1102, 1103, 1104}) {
            data.Type(box, "13/1");
            prompter.Expect(IDP_DATE_WRONG);
            data.Click(1);
            EXPECT_EQ(std::tuple(prompter.Messages().back().icon, data.Focus(), data.Ended()),
                      std::tuple(ui::Icon::Error, box, false));
            EXPECT_TRUE(ReadBytes(UserFile(1)) == kLong);
            data.Type(box, "2/29");
        }
        data.Click(1105);
        data.Click(1111);
        data.Click(1);
    });
    EXPECT_TRUE(ReadBytes(UserFile(1)) == Bytes({7, 2, 0, 2, 29, 2, 29, 2, 29, 0x41, 0, 0}));
    EXPECT_EQ(open->Model().GetText(1102), "");
    EXPECT_EQ(open->Model().GetText(1112), "ちゃんしゃぼぉーっ");
}

// A write failing at any step leaves the card as it was and the dialog open.
TEST_F(UserDialogTest, AWriteFailingAtAnyStepChangesNothing) {
    for (const FileStep step : {FileStep::OpenTemporary, FileStep::Write, FileStep::Flush,
                                FileStep::FolderFlush, FileStep::Rename}) {
        ui::DialogModel& dialog = Open();
        SetFileFaultInjector(
            [&](FileStep now, const std::filesystem::path&) { return now == step; });
        prompter.Expect(IDP_CREATE_USER, Answer::Yes).Expect(IDP_BINARY_WRITE_FAILED);
        dialog.Click(3);
        EXPECT_FALSE(dialog.IsEnabled(1123));
        Edit(0, [&](ui::DialogModel& data) {
            data.ChooseItem(1120, 1);
            prompter.Expect(IDP_BINARY_WRITE_FAILED);
            data.Click(1);
            EXPECT_FALSE(data.Ended());
            data.PressEscape();
        });
        SetFileFaultInjector(nullptr);
        EXPECT_TRUE(ReadBytes(UserFile(0)) == kTaro && ReadBytes(UserFile(2)) == kFree);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(File("user")), {}), 10);
        EXPECT_EQ(dialog.GetText(1111), "たろうくん");
    }
}

// A user file another program wrote since it was read is written over only on Yes: No writes
// nothing, keeps the data dialog open with what was typed and leaves the new user's row free.
TEST_F(UserDialogTest, AUserFileChangedSinceItWasReadIsWrittenOverOnlyOnYes) {
    ui::DialogModel& dialog = Open();
    const Bytes other{3, 3, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0};
    WriteBytes(UserFile(2), other); // a user made elsewhere in the first free slot
    prompter.Expect(IDP_CREATE_USER, Answer::Yes).Expect(IDP_FILE_CHANGED_ELSEWHERE, Answer::No);
    dialog.Click(3);
    EXPECT_FALSE(dialog.IsEnabled(1123));
    Edit(0, [&](ui::DialogModel& data) {
        data.Type(1102, "5/5");
        WriteBytes(UserFile(0), other);
        prompter.Expect(IDP_FILE_CHANGED_ELSEWHERE, Answer::No);
        data.Click(1);
        EXPECT_EQ(std::tuple(data.Ended(), data.GetText(1102)), std::tuple(false, "5/5"));
        EXPECT_TRUE(ReadBytes(UserFile(0)) == other);
        prompter.Expect(IDP_FILE_CHANGED_ELSEWHERE, Answer::Yes);
        data.Click(1);
        EXPECT_TRUE(data.Ended());
    });
    // The record as the edit button read it, with the date typed; the other slots as they were.
    EXPECT_TRUE(ReadBytes(UserFile(0)) == Bytes({1, 1, 0, 5, 5, 0, 0, 0, 0, 0x41, 0x02, 0}));
    EXPECT_TRUE(ReadBytes(UserFile(1)) == kLong && ReadBytes(UserFile(3)) == kFree);
    EXPECT_EQ(std::tuple(prompter.Messages()[1].argument, prompter.Messages()[2].argument),
              std::tuple("user\\user02.log", "user\\user00.log"));
}

} // namespace
} // namespace orvix::test
