#include "users/user_dialog.h"

#include <gtest/gtest.h>
#include <memory>

#include "app/orvix_app.h"
#include "resources/main_dialog.h"
#include "resources/string_table.h"
#include "support/scripted_prompter.h"
#include "support/test_runner.h"
#include "user_card.h"

namespace orvix::test {
namespace {

using ui::Answer;

// Slot 0: entry 1, born 3/15, lessons on Sunday and Saturday, garbage on Friday; a file of 16.
const Bytes kTaro{1, 1, 0, 3, 15, 0, 0, 0, 0, 0x41, 0x02, 0, 0xAA, 0xBB, 0xCC, 0xDD};
// Slot 1: entry 2, special day 1/1, wedding anniversary 12/24.
const Bytes kLong{2, 2, 0, 0, 0, 12, 24, 1, 1, 0, 0, 0};

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
    void SetUp() override { MakeCard({kTaro, kLong}); }

    void MakeCard(const std::vector<Bytes>& users) {
        WriteBytes(card.File("NAMETBL.BIN"), NameTableBytes({{1, {16, 43, 3, 48, 0xFF}, 12},
                                                             {2, {47, 90, 143, 52, 58}, 0},
                                                             {3, {6, 0xFF, 0xFF, 0xFF, 0xFF}, -7},
                                                             {2324, {10, 10, 0xFF, 0, 0}, 2324},
                                                             {2325, {11, 0, 0, 0, 0}, 2325}}));
        card.PutUsers(users);
    }
    ui::DialogModel& Open() {
        list = std::make_unique<CUserDialog>(services, card.document);
        open = std::make_unique<OpenDialog>(*list);
        return open->Model();
    }
    // The edit button of a slot, with a script for the user data dialog it opens.
    void Edit(int slot, TestRunner::Script script) {
        runner.Expect(133, std::move(script));
        open->Model().Click(1121 + slot);
    }

    UserCard card;
    ScriptedPrompter prompter;
    TestRunner runner;
    ui::UiServices services{prompter, runner};
    std::unique_ptr<CUserDialog> list;
    std::unique_ptr<OpenDialog> open;
};

TEST_F(UserDialogTest, TheListShowsTheUsersAndOffersTheFreeSlots) {
    WriteBytes(card.UserFile(2), {7, 0x15, 0x09}); // short: in use, entry 2325
    WriteBytes(card.UserFile(3), {0, 0x30, 0x30, 3, 4});
    WriteBytes(card.UserFile(4), {5, 3, 0});
    const ui::DialogModel& dialog = Open();
    const char* rows[][2] = {
        {"12", "たろうくん"}, {"", "ちゃんしゃぼぉーっ"}, {"2325", "さ"}, {"", ""}, {"", "か"}};
    for (int slot = 0; slot < 5; ++slot) {
        EXPECT_EQ(dialog.GetText(1101 + slot), rows[slot][0]) << slot;
        EXPECT_EQ(dialog.GetText(1111 + slot), rows[slot][1]) << slot;
        EXPECT_EQ(dialog.IsEnabled(1121 + slot), slot != 3) << slot;
    }
    EXPECT_TRUE(dialog.IsEnabled(3));
    MakeCard(std::vector<Bytes>(10, kLong));
    EXPECT_FALSE(Open().IsEnabled(3));
}

TEST_F(UserDialogTest, AListThatCannotBeLoadedClosesAfterItsMessage) {
    const struct {
        const char* file;
        Bytes bytes; // none: the file is missing
        int message;
        const char* argument;
    } cases[] = {
        {"NAMETBL.BIN", {}, IDP_BINARY_READ_FAILED, "NAMETBL.BIN"},
        {"user/user05.log", {}, IDP_BINARY_READ_FAILED, "user\\user05.log"},
        {"user/user06.log", {1, 0x16, 0x09}, IDP_USER_DATA_WRONG, "user\\user06.log"},
        {"user/user06.log", {1, 0xFF, 0xFF}, IDP_USER_DATA_WRONG, "user\\user06.log"},
    };
    for (const auto& c : cases) {
        MakeCard({kTaro});
        c.bytes.empty() ? void(std::filesystem::remove(card.File(c.file)))
                        : WriteBytes(card.File(c.file), c.bytes);
        prompter.Expect(c.message);
        const ui::DialogModel& dialog = Open();
        EXPECT_EQ(prompter.Messages().back().argument, c.argument);
        EXPECT_EQ(prompter.Messages().back().detail.empty(), c.message == IDP_USER_DATA_WRONG);
        EXPECT_TRUE(dialog.Ended() && dialog.Result() == ui::kIdCancel) << c.argument;
        EXPECT_EQ(prompter.Messages().back().icon, ui::Icon::Error);
    }
}

// The first free slot each time; the button goes when the last free slot is used.
TEST_F(UserDialogTest, NewUsersFillTheFreeSlotsUntilNoneIsLeft) {
    MakeCard({kTaro, kTaro, kTaro, kTaro, kFree, kTaro, kTaro, kTaro, kTaro});
    ui::DialogModel& dialog = Open();
    prompter.Expect(IDP_CREATE_USER, Answer::No);
    dialog.Click(3);
    EXPECT_TRUE(ReadBytes(card.UserFile(4)) == kFree);
    for (const auto& [slot, created] : {std::pair(4, Bytes{5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
                                        std::pair(9, Bytes{10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})}) {
        prompter.Expect(IDP_CREATE_USER, Answer::Yes).Expect(IDP_USER_ADDED);
        dialog.Click(3);
        const ui::MessageRequest& added = prompter.Messages().back();
        EXPECT_EQ(std::tuple(added.argument, added.icon, ReadBytes(card.UserFile(slot)) == created,
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
        card.document.chosenNameIndex = 9;
        Edit(0, [&](ui::DialogModel& data) {
            EXPECT_EQ(std::tuple(card.document.chosenNameIndex, data.GetText(1119),
                                 data.Selection(1120), Days(data, 1105), Days(data, 1112)),
                      std::tuple(0, c.number, c.selection, c.lessons, c.garbage));
            for (int i = 0; i < 3; ++i) {
                EXPECT_EQ(data.GetText(1102 + i), c.dates[i]);
            }
            EXPECT_EQ(
                std::tuple(data.ItemCount(1120), data.ItemText(1120, 0), data.ItemText(1120, 2323)),
                std::tuple(2324, "たろうくん", "ここ"));
            data.ChooseItem(1120, 2); // entry 3: its number whatever it is
            EXPECT_EQ(std::tuple(data.GetText(1119), card.document.chosenNameIndex),
                      std::tuple("-7", 3));
            data.Type(1103, "5/5");
            data.PressEscape(); // writes nothing
        });
        EXPECT_EQ(card.document.currentUserSlot, 0);
        EXPECT_TRUE(ReadBytes(card.UserFile(0)) == c.user);
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
    EXPECT_TRUE(ReadBytes(card.UserFile(0)) == Bytes({1, 2, 0, 4, 31, 0, 0, 12, 25, 0x60, 0, 0}));
    EXPECT_EQ(open->Model().GetText(1101), "0");
    EXPECT_EQ(open->Model().GetText(1111), "ちゃんしゃぼぉーっ");

    Edit(1, [](ui::DialogModel& data) { // no name chosen: the row stays
        data.Click(1105);
        data.Click(1111);
        data.Click(1);
    });
    EXPECT_TRUE(ReadBytes(card.UserFile(1)) == Bytes({2, 2, 0, 0, 0, 12, 24, 1, 1, 0x41, 0, 0}));
    EXPECT_EQ(open->Model().GetText(1102), "");
    EXPECT_EQ(open->Model().GetText(1112), "ちゃんしゃぼぉーっ");
}

TEST_F(UserDialogTest, AWrongDateKeepsTheDialogOpenWithTheFocusInItsBox) {
    Open();
    for (const int box : {1102, 1103, 1104}) {
        Edit(1, [&](ui::DialogModel& data) {
            const Bytes before = ReadBytes(card.UserFile(1));
            data.Type(box, "13/1");
            prompter.Expect(IDP_DATE_WRONG);
            data.Click(1);
            EXPECT_EQ(prompter.Messages().back().icon, ui::Icon::Error);
            EXPECT_EQ(data.Focus(), box);
            EXPECT_TRUE(ReadBytes(card.UserFile(1)) == before);
            data.Type(box, "2/29");
            data.Click(1);
        });
        EXPECT_EQ(ReadBytes(card.UserFile(1)).at(3 + 2 * static_cast<std::size_t>(box - 1102)), 2);
    }
}

// The user file is read afresh by the edit button; one gone since the list opened is reported.
TEST_F(UserDialogTest, AnEditButtonWhoseFileIsGoneOpensNothing) {
    Open();
    std::filesystem::remove(card.UserFile(1));
    prompter.Expect(IDP_BINARY_READ_FAILED);
    open->Model().Click(1122);
    EXPECT_EQ(prompter.Messages().back().argument, "user\\user01.log");
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
        EXPECT_TRUE(ReadBytes(card.UserFile(0)) == kTaro && ReadBytes(card.UserFile(2)) == kFree);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(card.File("user")), {}), 10);
        EXPECT_EQ(dialog.GetText(1111), "たろうくん");
    }
}

// Button 10 of the main dialog opens the list on the loaded image's card.
TEST_F(UserDialogTest, TheUserDataButtonOpensTheList) {
    WriteBytes(card.File("STARTUP.BIN"), Bytes(4301707));
    runner.Expect(IDD_ORVIX_DIALOG, [&](ui::DialogModel& main) {
        runner.Expect(132, [](ui::DialogModel& users) {
            EXPECT_EQ(users.GetText(1111), "たろうくん");
            users.Click(2);
        });
        main.Click(main_dlg::IDC_USER_DATA);
        main.PressEscape();
    });
    COrvixApp app(services, card.folder.Path(), card.document.imagePath);
    app.InitInstance();
}

} // namespace
} // namespace orvix::test
