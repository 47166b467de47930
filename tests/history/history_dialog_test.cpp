// The editor's change history dialog driven through its controls: a typed card, three saves, the
// list, the differences of a chosen entry, restores that bring back every byte (also past a file
// another program changed, after a second question), and the main dialog's entry that opens it.

#include <gtest/gtest.h>
#include <optional>
#include <regex>

#include "app/orvix_app.h"
#include "calibration/orvix_dlg.h"
#include "history/history_dialog.h"
#include "resources/history_dialog.h"
#include "resources/main_dialog.h"
#include "resources/string_table.h"
#include "resources/translation.h"
#include "storage/file_io.h"
#include "support/card_diff.h"
#include "support/scripted_prompter.h"
#include "support/test_runner.h"
#include "three_saves.h"

namespace orvix::test {
namespace {

using namespace history_dlg;
using ui::Answer;
using Texts = std::vector<std::string>;

class HistoryDialogTest : public ::testing::Test {
protected:
    HistoryDialogTest() {
        MakeHistoryCard("../scenarios/cards/layout_a.card", card_, temp_);
        states_ = ThreeSaves(temp_, card_);
    }

    // Chooses a row, presses the restore button and answers the questions in turn.
    void Restore(int row, std::initializer_list<std::pair<int, Answer>> answers) {
        Dialog().ChooseItem(IDC_ENTRIES, row);
        for (const auto& [message, answer] : answers) {
            prompter_.Expect(message, answer);
        }
        Dialog().Click(IDC_RESTORE_POINT);
    }
    ui::DialogModel& Dialog() { return dialog_->Model(); }
    // A list's rows with the recorded times, shown with a space for the T, as TIME.
    Texts Items(int id) {
        Texts items;
        for (int i = 0; i < Dialog().ItemCount(id); ++i) {
            items.push_back(std::regex_replace(
                Dialog().ItemText(id, i), std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)"), "TIME"));
        }
        return items;
    }

    TempFolder temp_;
    std::filesystem::path card_ = temp_ / "card";
    std::vector<CardFiles> states_;
    ScriptedPrompter prompter_;
    TestRunner runner_;
    ui::UiServices services_{prompter_, runner_};
    int reloads_ = 0;
    CHistoryDialog controller_{services_, card_, temp_ / "settings/backups",
                               [this] { ++reloads_; }};
    std::optional<OpenDialog> dialog_;
};

TEST_F(HistoryDialogTest, ListsTheSavesShowsAChosenPointAndRestoresItByteForByte) {
    dialog_.emplace(controller_);
    EXPECT_EQ(Items(IDC_ENTRIES),
              (Texts{"3\tTIME\tVOLUME.BIN\tペチ音量 5→7", "2\tTIME\tSTARTUP.BIN\t歩行歩数 4→12",
                     "1\tTIME\tSTARTUP.BIN\t右足 ID2(股横回転) 原点 25→30"}));
    EXPECT_FALSE(Dialog().IsEnabled(IDC_RESTORE_POINT)); // nothing chosen yet
    Restore(1, {{IDP_HISTORY_RESTORE, Answer::No}});
    EXPECT_EQ(std::tuple(Dialog().GetText(IDC_DIFFERENCES_TITLE), Items(IDC_DIFFERENCES),
                         prompter_.Messages().back().argument),
              std::tuple("2番の保存の前と今のカードとの違い",
                         Texts{"プログラム\t歩行歩数\t4\t12", "設定データ\tペチ音量\t5\t7"},
                         "STARTUP.BIN, VOLUME.BIN"));
    EXPECT_TRUE(SnapshotFolder(card_) == states_[3]);

    Restore(1, {{IDP_HISTORY_RESTORE, Answer::Yes}, {IDP_RESTORE_DONE, Answer::Ok}});
    EXPECT_TRUE(SnapshotFolder(card_) == states_[1]);
    // The restore is an entry of its own, listed as the restore it was; the chosen one stays
    // chosen and equals the card now.
    EXPECT_EQ(std::tuple(Items(IDC_ENTRIES).front(), Dialog().Selection(IDC_ENTRIES),
                         Items(IDC_DIFFERENCES), reloads_),
              std::tuple("4\tTIME\tSTARTUP.BIN, VOLUME.BIN\t2番の保存の前に戻す", 2,
                         Texts{"\t(違いはありません)"}, 1));
    Restore(2, {{IDP_HISTORY_ALREADY_AT_POINT, Answer::Ok}});
    EXPECT_TRUE(SnapshotFolder(card_) == states_[1]);
}

// In English the lists, the title of the differences and the restore question with its details
// hold no Japanese: the names come from the name table, the words from the catalogue.
TEST_F(HistoryDialogTest, InEnglishTheListsAndTheQuestionHoldNoJapanese) {
    ASSERT_TRUE(SetInterfaceLanguage(Language::English, {ORVIX2_TEST_CATALOGUE}));
    CHistoryDialog english{services_, card_, temp_ / "settings/backups", {}};
    OpenDialog open(english);
    open->ChooseItem(IDC_ENTRIES, 2);
    prompter_.Expect(IDP_HISTORY_RESTORE, Answer::No);
    open->Click(IDC_RESTORE_POINT);
    const ui::MessageRequest& asked = prompter_.Messages().back();
    Texts texts{open->GetText(IDC_DIFFERENCES_TITLE), MessageText(asked), asked.detail};
    for (const int list : {IDC_ENTRIES, IDC_DIFFERENCES}) {
        for (int i = 0; i < open->ItemCount(list); ++i) {
            texts.push_back(open->ItemText(list, i));
        }
    }
    SetInterfaceLanguage(Language::Japanese, {});
    EXPECT_EQ(texts.size(), 9u); // three entries, three differences
    for (const std::string& text : texts) {
        EXPECT_EQ(text.find_first_of("\xe3\xe4\xe5\xe6\xe7\xe8\xe9\xef"), std::string::npos)
            << text;
    }
    EXPECT_TRUE(asked.detail.find("right leg ID2 hip roll origin: 30 → 25") != std::string::npos)
        << asked.detail;
}

TEST_F(HistoryDialogTest, AFileChangedOutsideIsRestoredOnlyAfterASecondYesAndNoEntryIsRestorable) {
    WriteBytes(card_ / "VOLUME.BIN", {0x03, 0x00});
    CardFiles expected = states_[3];
    expected["STARTUP.BIN"] = states_[1]["STARTUP.BIN"];
    expected["VOLUME.BIN"] = {0x03, 0x00};
    dialog_.emplace(controller_);
    // No to the second question where that file is all there is to restore: nothing is written,
    // and the message says why.
    const CardFiles before = SnapshotFolder(card_);
    Restore(0, {{IDP_HISTORY_RESTORE, Answer::Yes},
                {IDP_RESTORE_CHANGED_OUTSIDE, Answer::No},
                {IDP_HISTORY_CHANGED_OUTSIDE, Answer::Ok}});
    EXPECT_EQ(prompter_.Messages().back().argument, "VOLUME.BIN");
    EXPECT_TRUE(SnapshotFolder(card_) == before);
    // No where there is more: the program file alone goes back, and the message names what was
    // restored and what was left; yes restores the setting.
    Restore(1, {{IDP_HISTORY_RESTORE, Answer::Yes},
                {IDP_RESTORE_CHANGED_OUTSIDE, Answer::No},
                {IDP_RESTORE_PARTLY_DONE, Answer::Ok}});
    EXPECT_EQ(std::pair(prompter_.Messages()[4].argument, prompter_.Messages()[4].detail),
              std::pair(std::string("VOLUME.BIN"), std::string("設定データ  ペチ音量: 3 → 5")));
    EXPECT_EQ(
        std::pair(prompter_.Messages()[5].argument, prompter_.Messages()[5].detail),
        std::pair(std::string("2番の保存の前"),
                  std::string("戻したファイル: STARTUP.BIN\nそのままのファイル: VOLUME.BIN")));
    EXPECT_TRUE(SnapshotFolder(card_) == expected);
    Restore(2, {{IDP_HISTORY_RESTORE, Answer::Yes},
                {IDP_RESTORE_CHANGED_OUTSIDE, Answer::Yes},
                {IDP_RESTORE_DONE, Answer::Ok}});
    EXPECT_TRUE(SnapshotFolder(card_) == states_[1]);

    // A hand-edited entry is listed as unreadable and cannot be restored.
    WriteText(temp_ / "settings/backups/history/000099.txt", "orvix2-history 1\nsequence 99\n");
    dialog_.emplace(controller_);
    Dialog().ChooseItem(IDC_ENTRIES, 0);
    EXPECT_EQ(std::tuple(Items(IDC_ENTRIES)[0], Items(IDC_DIFFERENCES),
                         Dialog().IsEnabled(IDC_RESTORE_POINT)),
              std::tuple("99\t\t\t読めない記録: 変更履歴の記録ではありません",
                         Texts{"読めない記録\t変更履歴の記録ではありません"}, false));
    // A point before it passed over it: the question says so before what changes.
    Restore(5, {{IDP_HISTORY_RESTORE, Answer::No}});
    EXPECT_EQ(prompter_.Messages().back().detail,
              "読めない記録を飛ばしました: 99\nサーボ値  右足 ID2(股横回転) 原点: 30 → 25");
}

// A restore whose entry cannot be begun writes nothing and says so (192, error); one whose entry
// cannot be completed after the write is done, reloads the card and says that (193, warning).
// The entry left pending lists as unfinished once the card no longer holds what it recorded.
TEST_F(HistoryDialogTest, ARestoreWhoseEntryFailsIsRefusedOrSaidAndItsEntryShowsUnfinished) {
    const std::filesystem::path history = temp_ / "settings/backups/history";
    const auto failing = [&](const char* ending) {
        SetFileFaultInjector([&history, ending](FileStep step, const std::filesystem::path& file) {
            return step == FileStep::Rename && file.parent_path() == history &&
                   file.extension() == ending;
        });
    };
    dialog_.emplace(controller_);
    failing(".pending");
    Restore(1, {{IDP_HISTORY_RESTORE, Answer::Yes}, {IDP_HISTORY_NOT_STARTED, Answer::Ok}});
    SetFileFaultInjector(nullptr);
    EXPECT_TRUE(SnapshotFolder(card_) == states_[3]);
    EXPECT_EQ(std::tuple(prompter_.Messages().back().argument, Items(IDC_ENTRIES).size(), reloads_),
              std::tuple(history.string(), 3u, 0));

    failing(".txt");
    Restore(1, {{IDP_HISTORY_RESTORE, Answer::Yes}, {IDP_HISTORY_NOT_FINISHED, Answer::Ok}});
    SetFileFaultInjector(nullptr);
    EXPECT_TRUE(SnapshotFolder(card_) == states_[1]);
    EXPECT_EQ(
        std::tuple(prompter_.Messages().back().argument, Items(IDC_ENTRIES).front(), reloads_),
        std::tuple(history.string(), "4\tTIME\tSTARTUP.BIN, VOLUME.BIN\t2番の保存の前に戻す", 1));
    WriteBytes(card_ / "VOLUME.BIN", {0x03, 0x00});
    dialog_.emplace(controller_);
    EXPECT_EQ(Items(IDC_ENTRIES).front(),
              "4\tTIME\tSTARTUP.BIN, VOLUME.BIN\t(未完了: 保存の終わりが確認されていません)");
}

// A card copied from a recorded one has no history of its own; the empty list names the card
// its files match.
TEST_F(HistoryDialogTest, ACopiedCardsEmptyListNamesTheRecordedCardItMatches) {
    std::filesystem::copy(card_, temp_ / "copy", std::filesystem::copy_options::recursive);
    CHistoryDialog copy{services_, temp_ / "copy", temp_ / "settings/backups", {}};
    OpenDialog dialog(copy);
    const std::string item = dialog->ItemText(IDC_ENTRIES, 0);
    EXPECT_EQ(
        std::tuple(dialog->ItemCount(IDC_ENTRIES),
                   std::regex_replace(item, std::regex(R"( \(.*\)$)"), ""),
                   dialog->IsEnabled(IDC_RESTORE_POINT)),
        std::tuple(1,
                   "\t\t\tこのカードの記録はありません。ファイルが記録のあるカードと一致します: " +
                       card_.string(),
                   false));
    dialog->ChooseItem(IDC_ENTRIES, 0);
    EXPECT_FALSE(dialog->IsEnabled(IDC_RESTORE_POINT));
}

// The system menu's entry after the about box opens the dialog on the chosen card, and a restore
// reads the program into the main dialog again. The card here is given as a folder whose
// STARTUP.BIN is damaged (too short to load): the history still opens, and restoring the point
// before the first save brings back every byte of the card and a loaded program.
TEST_F(HistoryDialogTest, TheMainDialogsSystemMenuOpensItAndARestoreReloadsTheImage) {
    const int id2 = kServoRows.front().fieldId;
    const std::vector<std::uint8_t>& good = states_[3]["STARTUP.BIN"];
    WriteBytes(card_ / "STARTUP.BIN", {good.begin(), good.begin() + 1675});
    prompter_.Expect(IDP_READ_PROGRAM_FAILED);
    runner_.Expect(IDD_ORVIX_DIALOG, [&](ui::DialogModel& main) {
        ASSERT_EQ(main.SystemMenu().size(), 3u);
        EXPECT_EQ(main.SystemMenu()[1].text, "変更履歴(&H)...");
        EXPECT_EQ(std::tuple(main.GetText(id2), main.IsEnabled(main_dlg::IDC_WRITE)),
                  std::tuple("", false));
        runner_.Expect(IDD_HISTORY_DIALOG, [&](ui::DialogModel& history) {
            history.ChooseItem(IDC_ENTRIES, 2);
            prompter_.Expect(IDP_HISTORY_RESTORE, Answer::Yes)
                .Expect(IDP_RESTORE_CHANGED_OUTSIDE, Answer::Yes)
                .Expect(IDP_RESTORE_DONE);
            history.Click(IDC_RESTORE_POINT);
            history.Click(IDC_CLOSE);
        });
        main.SystemCommand(IDM_HISTORY);
        EXPECT_EQ(std::tuple(main.GetText(id2), main.IsEnabled(main_dlg::IDC_WRITE)),
                  std::tuple("25", true));
        main.PressEscape();
    });
    COrvixApp(services_, temp_ / "settings", card_.string()).InitInstance();
    runner_.Verify();
    EXPECT_TRUE(SnapshotFolder(card_) == states_[0]);

    // Before any file was chosen there is no card: it says so. A file chosen with the read button
    // gives its card, also when it does not load.
    std::vector<std::filesystem::path> opened;
    MainDialogHooks hooks;
    hooks.history = [&](const std::filesystem::path& card, const std::function<void()>&) {
        opened.push_back(card);
    };
    COrvixDlg main(services_, (temp_ / "other.ini").string(), {}, hooks);
    OpenDialog dialog(main);
    prompter_.Expect(IDP_HISTORY_NO_IMAGE);
    dialog->SystemCommand(IDM_HISTORY);
    WriteBytes(temp_ / "other/STARTUP.BIN", {1, 2, 3});
    prompter_.ExpectOpenFile((temp_ / "other/STARTUP.BIN").string())
        .Expect(IDP_READ_PROGRAM_FAILED);
    dialog->Click(main_dlg::IDC_READ);
    dialog->SystemCommand(IDM_HISTORY);
    EXPECT_EQ(opened, std::vector<std::filesystem::path>{temp_ / "other"});
}

} // namespace
} // namespace orvix::test
