#include "users/user_dialog.h"

#include <gtest/gtest.h>
#include <memory>
#include <tuple>

#include "resources/string_table.h"
#include "storage/file_io.h"
#include "support/card_diff.h"
#include "support/scripted_prompter.h"
#include "support/temp_folder.h"
#include "support/test_runner.h"
#include "users/user_record.h"

namespace orvix::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using ui::Answer;
const Bytes kFree(12, 0);

// A date is read as strtol reads it, blanks and a sign first (the other readings are the
// scenarios'): the month from the start, the day from after the first slash.
TEST(UserRecordTest, DateTextsMayStartWithBlanks) {
    EXPECT_EQ(ParseDateText(" 1/ 1"), (UserDate{1, 1}));
    EXPECT_EQ(ParseDateText("           12/31"), (UserDate{12, 31}));
    EXPECT_EQ(ParseDateText(" "), std::nullopt);
}

// Slot 0: entry 1, born 3/15, lessons on Sunday and Saturday, garbage on Friday; a file of 16.
const Bytes kTaro{1, 1, 0, 3, 15, 0, 0, 0, 0, 0x41, 0x02, 0, 0xAA, 0xBB, 0xCC, 0xDD};
// Slot 1: user number 7 (not the slot's), entry 2, special day 1/1, wedding anniversary 12/24;
// its reserved byte set.
const Bytes kLong{7, 2, 0, 0, 0, 12, 24, 1, 1, 0, 0, 0x5A};

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
    // The name table (entry 1 たろうくん number 12, 2 ちゃんしゃぼぉーっ 0, 2325 さ), and the ten
    // user files: the given ones first, the rest free.
    void MakeCard(const std::vector<Bytes>& users) {
        // 2,326 entries of 8 bytes: five syllable codes, the name number (int16), one byte.
        Bytes table(18608, 0);
        const std::pair<int, Bytes> entries[] = {{1, {16, 43, 3, 48, 0xFF, 12, 0}},
                                                 {2, {47, 90, 143, 52, 58, 0, 0}},
                                                 {2325, {11, 0, 0, 0, 0, 0x15, 0x09}}};
        for (const auto& [index, bytes] : entries) {
            std::copy(bytes.begin(), bytes.end(), table.begin() + 8 * index);
        }
        WriteBytes(File("NAMETBL.BIN"), table);
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

// The list shows each user's name number and name and an edit button for each user in use; the
// edit button reads its file afresh.
TEST_F(UserDialogTest, TheListShowsTheUsersAndOffersTheFreeSlots) {
    WriteBytes(UserFile(2), {7, 0x15, 0x09}); // short: in use, entry 2325
    WriteBytes(UserFile(3), {0, 0x30, 0x30, 3, 4});
    ui::DialogModel& dialog = Open();
    const char* rows[][2] = {
        {"12", "たろうくん"}, {"", "ちゃんしゃぼぉーっ"}, {"2325", "さ"}, {"", ""}};
    for (int slot = 0; slot < 4; ++slot) {
        EXPECT_EQ(std::tuple(dialog.GetText(1101 + slot), dialog.GetText(1111 + slot),
                             dialog.IsEnabled(1121 + slot)),
                  std::tuple(rows[slot][0], rows[slot][1], slot != 3))
            << slot;
    }
    std::filesystem::remove(UserFile(1));
    prompter.Expect(IDP_BINARY_READ_FAILED);
    dialog.Click(1122);
    EXPECT_EQ(prompter.Messages().back().argument, "user\\user01.log");
}

// A file that cannot be read, or a user whose name index addresses no entry, is named by its
// message, and the list closes.
TEST_F(UserDialogTest, AListThatCannotBeLoadedClosesAfterItsMessage) {
    const std::pair<const char*, Bytes> cases[] = {
        {"NAMETBL.BIN", {}}, // no bytes: the file is missing
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
        EXPECT_EQ(std::tuple(shown.argument, shown.detail.empty(), dialog.Result()),
                  std::tuple(name, !bytes.empty(), ui::kIdCancel));
    }
}

// No to the question makes no user (the bytes of a new user are the scenarios'); the button goes
// when the last free slot is used.
TEST_F(UserDialogTest, NewUsersFillTheFreeSlotsUntilNoneIsLeft) {
    MakeCard({kTaro, kTaro, kTaro, kTaro, kTaro, kTaro, kTaro, kTaro, kTaro});
    ui::DialogModel& dialog = Open();
    prompter.Expect(IDP_CREATE_USER, Answer::No);
    dialog.Click(3);
    EXPECT_TRUE(ReadBytes(UserFile(9)) == kFree);
    prompter.Expect(IDP_CREATE_USER, Answer::Yes).Expect(IDP_USER_ADDED);
    dialog.Click(3);
    EXPECT_EQ(std::tuple(prompter.Messages().back().argument, dialog.IsEnabled(1130),
                         dialog.IsEnabled(3)),
              std::tuple("10", true, false));
}

// OK puts the chosen name whole into the list's row; a wrong date keeps the dialog open with the
// focus in its box, and writes nothing.
TEST_F(UserDialogTest, OkWritesTheRecordAndTheChosenNameIntoItsRow) {
    Open();
    Edit(0, [](ui::DialogModel& data) {
        data.ChooseItem(1120, 1);
        data.Click(1);
    });
    EXPECT_EQ(std::tuple(open->Model().GetText(1101), open->Model().GetText(1111)),
              std::tuple("0", "ちゃんしゃぼぉーっ"));
    Edit(1, [&](ui::DialogModel& data) { // no name chosen: the row stays
        for (const int box : {1102, 1103, 1104}) {
            data.Type(box, "13/1");
            prompter.Expect(IDP_DATE_WRONG);
            data.Click(1);
            EXPECT_EQ(std::tuple(data.Focus(), data.Ended(), ReadBytes(UserFile(1)) == kLong),
                      std::tuple(box, false, true));
            data.Type(box, "2/29");
        }
        data.Click(1);
    });
    EXPECT_TRUE(ReadBytes(UserFile(1)) == Bytes({7, 2, 0, 2, 29, 2, 29, 2, 29, 0, 0, 0}));
    EXPECT_EQ(std::tuple(open->Model().GetText(1102), open->Model().GetText(1112)),
              std::tuple("", "ちゃんしゃぼぉーっ"));
}

// "新規作成" reads the card again: the new user goes into the first slot free on the card as it is
// now (past a user another program registered in the slot the list showed free, or into a slot
// another program freed), nothing is asked about the other program's change, which stays as it
// was, and the list shows the card. A card with no slot left gets no user, and a free slot that
// cannot be written gets none after its message.
TEST_F(UserDialogTest, ANewUserGoesIntoTheSlotFreeOnTheCardNowWithoutAsking) {
    const Bytes other{3, 2, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0};
    const std::vector<Bytes> nineUsers(9, kTaro);
    std::vector<Bytes> twoFree(10, kTaro);
    twoFree[0] = twoFree[1] = kFree;
    const auto record = [](std::uint8_t number) { // a new user's record with its name number
        Bytes bytes(12, 0);
        bytes[0] = number;
        return bytes;
    };
    struct Case {
        std::vector<Bytes> users; // at opening, the rest free
        int behind;               // the slot another program writes
        Bytes behindBytes;        // and what
        const char* file;         // the new user's file, or none
        Bytes record;             // and its bytes
        const char* rows;         // the rows with an edit button afterwards
        int readOnly = -1;        // a slot whose file refuses the write
    } cases[] = {
        {{kTaro, kLong}, 2, other, "user/user03.log", record(4), "1111000000"},
        {twoFree, 0, other, "user/user01.log", record(2), "1111111111"},
        {nineUsers, 9, other, nullptr, {}, "1111111111"},
        {nineUsers, 4, {0, 9}, "user/user04.log", record(5), "1111111110"},
        {{kTaro, kLong}, 2, other, nullptr, {}, "1110000000", 3},
    };
    for (const Case& c : cases) {
        MakeCard(c.users);
        ui::DialogModel& dialog = Open();
        WriteBytes(UserFile(c.behind), c.behindBytes);
        if (c.readOnly >= 0) {
            std::filesystem::permissions(UserFile(c.readOnly), std::filesystem::perms(0444));
        }
        CardFiles expected = SnapshotFolder(folder / "card");
        prompter.Expect(IDP_CREATE_USER, Answer::Yes);
        if (c.file != nullptr) {
            expected[c.file] = c.record;
            prompter.Expect(IDP_USER_ADDED);
        } else if (c.readOnly >= 0) {
            prompter.Expect(IDP_BINARY_WRITE_FAILED);
        }
        dialog.Click(3);
        prompter.Verify();
        EXPECT_TRUE(SnapshotFolder(folder / "card") == expected) << c.behind;
        std::string rows;
        for (int slot = 0; slot < 10; ++slot) {
            rows += dialog.IsEnabled(1121 + slot) ? '1' : '0';
        }
        EXPECT_EQ(std::tuple(rows, dialog.IsEnabled(3), dialog.GetText(1111 + c.behind)),
                  std::tuple(c.rows, rows.find('0') != std::string::npos,
                             c.behindBytes == other ? "ちゃんしゃぼぉーっ" : ""))
            << c.behind;
        if (c.file != nullptr || c.readOnly >= 0) {
            EXPECT_EQ(prompter.Messages().back().argument,
                      c.file != nullptr ? std::to_string(c.record[0]) : "user\\user03.log");
        }
    }
}

// A user file another program wrote since the edit button read it is written over only on Yes:
// No writes nothing and keeps the data dialog open with what was typed. Afterwards the list shows
// the card as it is, a user registered meanwhile too.
TEST_F(UserDialogTest, AnEditedUserChangedSinceItWasReadIsWrittenOverOnlyOnYes) {
    ui::DialogModel& dialog = Open();
    const Bytes other{3, 2, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0};
    Edit(0, [&](ui::DialogModel& data) {
        data.Type(1102, "5/5");
        WriteBytes(UserFile(0), other);
        WriteBytes(UserFile(5), other);
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
    EXPECT_EQ(prompter.Messages()[0].argument, "user\\user00.log");
    EXPECT_EQ(std::tuple(dialog.GetText(1116), dialog.IsEnabled(1126)),
              std::tuple("ちゃんしゃぼぉーっ", true));
}

} // namespace
} // namespace orvix::test
