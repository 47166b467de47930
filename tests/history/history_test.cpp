// The card's history from the command line: a typed card, three saves, the entries they leave,
// restores that bring back every byte and record entries of their own, the points @first, @-N
// and @TIME, diff of hand-made cards, and the points that cannot be restored.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>

#include "history/card_meaning.h"
#include "history/card_points.h"
#include "storage/card_history.h"
#include "storage/card_identity.h"
#include "storage/file_io.h"
#include "support/card_diff.h"
#include "support/temp_folder.h"
#include "three_saves.h"

namespace orvix::test {
namespace {

const std::filesystem::path kData = ORVIX2_TEST_DATA;
using Bytes = std::vector<std::uint8_t>;

std::string Typed(const std::string& name) {
    return ReadText(kData / "history" / name);
}

class HistoryTest : public ::testing::Test {
protected:
    void SetUp() override { MakeHistoryCard("../scenarios/cards/layout_a.card", card_, temp_); }
    void TearDown() override { SetVolumeProbe({}); }

    CliResult Run(std::vector<std::string> arguments) { return RunCommandLine(temp_, arguments); }
    nlohmann::json Json(std::vector<std::string> arguments) {
        return nlohmann::json::parse(WithoutTimes(Run(arguments).out));
    }
    std::string At(const std::string& point = "") const { return card_.string() + point; }

    void ThreeSaves() { states_ = test::ThreeSaves(temp_, card_); }
    void ExpectRestored(const std::vector<std::string>& arguments, const CardFiles& state) {
        const CliResult result = Run(arguments);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_TRUE(SnapshotFolder(card_) == state) << arguments[1];
    }

    TempFolder temp_;
    std::filesystem::path card_ = temp_ / "card";
    std::filesystem::path backups_ = temp_ / "settings" / "backups";
    std::vector<CardFiles> states_;
};

TEST_F(HistoryTest, SavesAreEntriesAndEveryPointComesBackByteForByte) {
    ThreeSaves();
    EXPECT_EQ(WithoutTimes(Run({"history", At()}).out), Typed("history_three_saves.txt"));
    EXPECT_EQ(Json({"history", At(), "--json"}),
              nlohmann::json::parse(Typed("history_three_saves.json")));
    EXPECT_EQ(WithoutTimes(Run({"--lang", "en", "history", At()}).out),
              Typed("history_three_saves_en.txt"));

    // Asked and answered No: nothing written.
    const CliResult asked = Run({"restore", At("@-2")});
    EXPECT_EQ(asked.status, 1);
    EXPECT_TRUE(Contains(asked.err, "カードを[@-2]の時点に戻しますか？")) << asked.err;
    EXPECT_TRUE(Contains(asked.err, "プログラム\t歩行歩数: 12 → 4")) << asked.err;
    EXPECT_TRUE(Contains(asked.err, "--yes")) << asked.err; // how to confirm
    EXPECT_TRUE(SnapshotFolder(card_) == states_[3]);

    ExpectRestored({"restore", At("@-2"), "--yes"}, states_[1]);
    EXPECT_EQ(WithoutTimes(Run({"history", At()}).out), Typed("history_after_restore.txt"));
    const nlohmann::json restored = Json({"history", At(), "--json"});
    EXPECT_EQ(restored[0], nlohmann::json::parse(Typed("history_after_restore.json")));
    EXPECT_EQ(std::tuple(restored[1]["point"], restored[1]["sequence"], restored[3]["point"]),
              std::tuple("@-2", 3, "@-4"));
    ExpectRestored({"restore", At("@-1"), "--yes"}, states_[3]); // the restore undone
    ExpectRestored({"restore", At("@first"), "--yes"}, states_[0]);
    EXPECT_EQ(Run({"diff", At("@first"), At()}).status, 0);

    // A point in time: before the earliest save recorded after it.
    const char* times[] = {"2026-01-01T10:00:00", "2026-01-01T11:00:00", "2026-01-01T12:00:00"};
    for (int i = 0; i < 3; ++i) {
        const auto entry = backups_ / "history" / ("00000" + std::to_string(i + 1) + ".txt");
        WriteText(entry, std::regex_replace(ReadText(entry), std::regex("time [^\n]*"),
                                            std::string("time ") + times[i]));
    }
    ExpectRestored({"restore", At("@2026-01-01T11:30:00"), "--yes"}, states_[2]);
    ExpectRestored({"restore", At("@2026-01-01 10:30:00"), "--yes"}, states_[1]); // a space
    // After the last save: the card as it is now, for restore as for diff.
    const CliResult later = Run({"restore", At("@2099-01-01 00:00:00"), "--yes"});
    EXPECT_EQ(std::tuple(later.status, later.out),
              std::tuple(0, "戻すものはありません(2099-01-01 00:00:00より後の保存はありません)\n"));
    EXPECT_TRUE(SnapshotFolder(card_) == states_[1]);
    EXPECT_EQ(Run({"diff", At("@2099-01-01T00:00:00"), At()}).status, 0);
    // A time that names no real moment is refused alike, naming it.
    for (const char* time : {"@2026-02-31T10:00:00", "@2026-13-45T99:99:99"}) {
        const CliResult diff = Run({"diff", At(time), At()});
        const CliResult restore = Run({"restore", At(time), "--yes"});
        EXPECT_EQ(std::tuple(diff.status, restore.status), std::tuple(2, 2)) << time;
        EXPECT_TRUE(Contains(diff.err, time) && Contains(restore.err, time)) << restore.err;
    }
    EXPECT_TRUE(SnapshotFolder(card_) == states_[1]);
    EXPECT_EQ(Run({"restore", At("@yesterday")}).status, 2);
    EXPECT_EQ(Run({"restore", At("@-9")}).status, 2);
}

// The settings' OK writes the ten leg files as one: one entry, undone as one.
TEST_F(HistoryTest, AMultiFileSaveIsOneEntry) {
    const CardFiles before = SnapshotFolder(card_);
    const CliResult set =
        Run({"settings", "set", (card_ / "STARTUP.BIN").string(), "servoLegs=1,2,3"});
    ASSERT_EQ(set.status, 0) << set.err;
    EXPECT_EQ(WithoutTimes(Run({"history", At()}).out), Typed("history_servo_legs.txt"));
    ExpectRestored({"restore", At("@-1"), "--yes"}, before);
}

TEST_F(HistoryTest, DiffOfHandMadeCardsByMeaning) {
    MakeHistoryCard("changed.card", temp_ / "other", temp_);
    const std::string other = (temp_ / "other").string();
    const CliResult text = Run({"diff", At(), other});
    EXPECT_EQ(text.status, 1) << text.err;
    EXPECT_EQ(text.out, Typed("diff_changed.txt"));
    const CliResult json = Run({"diff", At(), other, "--json"});
    EXPECT_EQ(nlohmann::json::parse(json.out), nlohmann::json::parse(Typed("diff_changed.json")));

    // The program files alone: no setting or user files to compare, and it says so.
    const CliResult programs =
        Run({"diff", At("/STARTUP.BIN"), (temp_ / "other" / "STARTUP.BIN").string()});
    EXPECT_EQ(programs.out,
              "サーボ値\t右足 ID3(股縦回転) 原点\t121 → 122\nプログラム\t歩行歩数\t4 → 12\n"
              "その他のバイト\tどの項目にも当たらないプログラムの1バイト: 0x100000-0x100000\n");
    EXPECT_EQ(Run({"--lang", "en", "diff", At("/STARTUP.BIN"),
                   (temp_ / "other" / "STARTUP.BIN").string()})
                  .out,
              "Servo values\tright leg ID3 hip pitch origin\t121 → 122\nProgram\tWalking steps\t4 "
              "→ 12\nOther bytes\t1 program bytes no field explains: 0x100000-0x100000\n");
    EXPECT_EQ(Run({"diff", At(), At("/STARTUP.BIN")}).out,
              "比較不可\t設定データ、ユーザ: カードのフォルダは片方だけです\n");

    EXPECT_EQ(Run({"diff", At(), At()}).status, 0);
    MakeHistoryCard("bytes_only.card", temp_ / "bytes", temp_);
    const CliResult bytes = Run({"diff", At(), (temp_ / "bytes").string()});
    EXPECT_EQ(std::tuple(bytes.status, bytes.out),
              std::tuple(1, "その他のバイト\tどの項目にも当たらないプログラムの1バイト: "
                            "0x100000-0x100000\n"));
    EXPECT_EQ(Run({"diff", At(), (temp_ / "missing").string()}).status, 2);
    EXPECT_EQ(Run({"history", (temp_ / "missing").string()}).status, 1); // unreadable, not usage
    const CliResult standard = Run({"diff", At(), "--standard"});
    EXPECT_EQ(standard.status, 1);
    for (const char* line : {"サーボ値\t右足 ID2(股横回転) 下限\t-1000 → -32767\n",
                             "サーボ値\t右足 ID2(股横回転) 上限\t900 → 32767\n",
                             "設定データ\tタイムアウト(立ち姿勢時)\t100 → 10800\n",
                             "設定データ\t停止電圧しきい値\t-2 → 2000\n"}) {
        EXPECT_TRUE(Contains(standard.out, line)) << line << standard.out;
    }
    EXPECT_FALSE(Contains(standard.out, "ID2(股横回転) 原点")); // the card holds its standard value
}

TEST_F(HistoryTest, PointsThatCannotBeRestoredAndFilesChangedOutside) {
    ThreeSaves();
    // The copy the second save took is gone: that point is incomplete, a file it did not need
    // is still restored alone.
    for (const auto& folder : std::filesystem::directory_iterator(backups_)) {
        for (const auto& copy : std::filesystem::directory_iterator(folder.path())) {
            if (copy.path().filename().string().starts_with("STARTUP-000001-")) {
                std::filesystem::remove(copy.path());
            }
        }
    }
    const CliResult incomplete = Run({"restore", At("@-2"), "--yes"});
    EXPECT_EQ(incomplete.status, 1);
    EXPECT_TRUE(Contains(incomplete.err, "STARTUP.BINのコピーがないか壊れています"))
        << incomplete.err;
    EXPECT_TRUE(SnapshotFolder(card_) == states_[3]);
    // The save whose copy is pruned keeps its recorded summary and says the copy is pruned.
    EXPECT_EQ(WithoutTimes(Run({"history", At()}).out),
              std::regex_replace(Typed("history_three_saves.txt"), std::regex("4→12"),
                                 "4→12 (コピー削除済: STARTUP.BIN)"));
    const CliResult diff = Run({"diff", At("@-2"), At()});
    EXPECT_EQ(std::tuple(diff.status, diff.out), std::tuple(2, ""));
    EXPECT_TRUE(Contains(diff.err, "@-2: この時点は不完全です: STARTUP.BINのコピー")) << diff.err;
    CardFiles volumeBack = states_[3];
    volumeBack["VOLUME.BIN"] = states_[0]["VOLUME.BIN"];
    ExpectRestored({"restore", At("@-2"), "--only", "VOLUME.BIN", "--yes"}, volumeBack);

    // Changed by another program since the last save: named, not restored without --force.
    WriteBytes(card_ / "VOLUME.BIN", {0x03, 0x00});
    CardFiles outside = SnapshotFolder(card_);
    const CliResult refused = Run({"restore", At("@-2"), "--yes"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(Contains(refused.err, "ファイル[VOLUME.BIN]は最後の保存の後に")) << refused.err;
    EXPECT_TRUE(Contains(refused.err, "設定データ\tペチ音量: 3 → 5")) << refused.err;
    EXPECT_TRUE(SnapshotFolder(card_) == outside);
    outside["VOLUME.BIN"] = states_[0]["VOLUME.BIN"]; // as the point before the volume save
    ExpectRestored({"restore", At("@-2"), "--only", "VOLUME.BIN", "--yes", "--force"}, outside);

    // A hand-edited entry is listed as unreadable and cannot be restored.
    WriteText(backups_ / "history" / "000099.txt", "orvix2-history 1\nsequence 99\n");
    const std::string listed = Run({"history", At()}).out;
    EXPECT_EQ(listed.substr(0, listed.find('\n')),
              "@-1\t\t(なし)\t(読めない記録: 変更履歴の記録ではありません)");
    EXPECT_EQ(Run({"restore", At("@-1"), "--yes"}).status, 1);
    EXPECT_TRUE(SnapshotFolder(card_) == outside);
}

// A save that began and was not seen to end (the card never got what its entry records) is
// listed as unfinished and no @-N counts it: @-1 undoes the last save that happened. A point past
// an unreadable entry says so in diff and in the restore's question.
TEST_F(HistoryTest, UnfinishedEntriesAreNoPointsAndSkippedEntriesAreSaid) {
    ThreeSaves();
    HistoryRecorder crashed(card_, backups_, std::chrono::system_clock::now());
    const SavedFile saved[] = {{"VOLUME.BIN", card_ / "VOLUME.BIN", MarkOf(Bytes{9, 0})}};
    ASSERT_EQ(crashed.Begin(saved), HistoryStart::Started); // and the save never ends
    EXPECT_EQ(WithoutTimes(Run({"history", At()}).out),
              "(なし)\tTIME\tVOLUME.BIN\t(未完了: 保存の終わりが確認されていません)\n" +
                  Typed("history_three_saves.txt"));
    const nlohmann::json listed = Json({"history", At(), "--json"});
    EXPECT_EQ(std::tuple(listed[0]["point"], listed[0]["finished"], listed[1]["point"],
                         listed[1]["finished"]),
              std::tuple(nullptr, false, "@-1", true));
    const CliResult beyond = Run({"diff", At("@-4"), At()});
    EXPECT_EQ(std::tuple(beyond.status, beyond.err),
              std::tuple(2, "orvix2-cli: @-4: カードの履歴には3件の記録と、@-Nの数えない未完了の"
                            "記録1件があります\n"));
    ExpectRestored({"restore", At("@-1"), "--yes"}, states_[2]);

    ASSERT_EQ(Run({"restore", At("@-1"), "--yes"}).status, 0); // the restore undone
    WriteText(backups_ / "history" / "000099.txt", "orvix2-history 1\nsequence 99\n");
    const CliResult diff = Run({"diff", At("@-4"), At()}); // before the volume save
    EXPECT_EQ(std::tuple(diff.status, diff.out, diff.err),
              std::tuple(1, "設定データ\tペチ音量\t5 → 7\n",
                         "orvix2-cli: " + At("@-4") +
                             ": 読めない記録を飛ばしました: 99 (変更の内容は不明です)\n"));
    const CliResult asked = Run({"restore", At("@-4")});
    EXPECT_TRUE(Contains(asked.err, "ファイル: VOLUME.BIN\n読めない記録を飛ばしました: 99\n"))
        << asked.err;
    EXPECT_TRUE(SnapshotFolder(card_) == states_[3]);
}

// A save whose entry could not be completed (left pending) ended all the same: once a later save
// changed the file again, that save's copy shows it, and @-N keeps counting it.
TEST_F(HistoryTest, ASaveWhoseEntryWasNotCompletedStaysCountedAfterLaterSaves) {
    ThreeSaves();
    const std::filesystem::path history = backups_ / "history";
    SetFileFaultInjector([&](FileStep step, const std::filesystem::path& file) {
        return step == FileStep::Rename && file.parent_path() == history &&
               file.extension() == ".txt";
    });
    const CliResult pending = Run({"settings", "set", At("/STARTUP.BIN"), "volume=6"});
    SetFileFaultInjector(nullptr);
    ASSERT_EQ(pending.status, 3) << pending.err;
    ASSERT_EQ(Run({"settings", "set", At("/STARTUP.BIN"), "volume=3"}).status, 0);
    const std::string listed = WithoutTimes(Run({"history", At()}).out);
    EXPECT_EQ(listed.substr(0, listed.find("@-3")),
              "@-1\tTIME\tVOLUME.BIN\tペチ音量 6→3\n@-2\tTIME\tVOLUME.BIN\tペチ音量 7→6\n");
    ExpectRestored({"restore", At("@-2"), "--yes"}, states_[3]);
}

// A card copied byte for byte after saves has no history of its own: history names the
// recorded card its files match.
TEST_F(HistoryTest, ACopiedCardsHistoryNamesTheRecordedCardItMatches) {
    SetVolumeProbe([](const std::filesystem::path&) { return std::nullopt; });
    ThreeSaves();
    std::filesystem::copy(card_, temp_ / "copy", std::filesystem::copy_options::recursive);
    const CliResult copy = Run({"history", (temp_ / "copy").string()});
    EXPECT_EQ(std::tuple(copy.status, copy.out, copy.err),
              std::tuple(0, (temp_ / "copy").string() + "の記録はありません\n",
                         "このカードの記録はありません。ファイルが記録のあるカードと一致します: " +
                             At() + "\n"));
    WriteBytes(temp_ / "copy" / "VOLUME.BIN", {0x03, 0x00}); // no longer the recorded card's
    EXPECT_EQ(Run({"history", (temp_ / "copy").string()}).err, "");
}

// Each save records what it changed as data; the summaries come from that record (or, for an
// entry that recorded nothing, from copies alone), never from the card as it is later.
TEST_F(HistoryTest, ASaveRecordsWhatItChangedAndItsSummaryNeverFollowsTheCard) {
    ThreeSaves();
    ASSERT_EQ(Run({"users", "set", At("/STARTUP.BIN"), "1", "--birthday", "5/1"}).status, 0);
    const std::vector<std::vector<RecordedChange>> recorded{
        {{"calibration", "ID2 origin", "25", "30"}},
        {{"options", "walkSteps", "4", "12"}},
        {{"settings", "volume", "5", "7"}},
        {{"users", "user1 birthday", "4/1", "5/1"}}};
    const std::vector<HistoryEntry> entries = ReadCardHistory(card_, backups_);
    ASSERT_EQ(entries.size(), recorded.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].changes, recorded[i]) << i;
    }

    const std::string listed = Run({"history", At()}).out;
    WriteBytes(card_ / "VOLUME.BIN", {0x03, 0x00});
    WriteBytes(card_ / "user/user00.log", std::vector<std::uint8_t>(12, 0));
    EXPECT_EQ(Run({"history", At()}).out, listed);

    // Entries of earlier versions record no changes: only a save whose next save's copy is kept
    // is summarised; the others say nothing is recorded, whatever the card holds now.
    for (const HistoryEntry& entry : entries) {
        const auto file =
            backups_ / "history" / ("00000" + std::to_string(entry.sequence) + ".txt");
        WriteText(file, std::regex_replace(ReadText(file), std::regex("change [^\n]*\n"), ""));
    }
    EXPECT_EQ(WithoutTimes(Run({"history", At()}).out), Typed("history_old_entries.txt"));
}

// --only names a file as the card does; a name that is no file of the point refuses the restore.
TEST_F(HistoryTest, OnlyTakesACardFileInAnySpelling) {
    ThreeSaves();
    ASSERT_EQ(Run({"users", "set", At("/STARTUP.BIN"), "1", "--birthday", "5/1"}).status, 0);
    const CardFiles saved = SnapshotFolder(card_);
    struct Row {
        const char* only;
        const char* file; // the card file it brings back as it was first; none: refused
    };
    for (const Row& row :
         {Row{"VOLUME.BIN", "VOLUME.BIN"}, Row{"volume.bin", "VOLUME.BIN"},
          Row{"Volume.Bin", "VOLUME.BIN"}, Row{"user/user00.log", "user/user00.log"},
          Row{"USER\\USER00.LOG", "user/user00.log"}, Row{"volumes.bin", nullptr},
          Row{"user/user01.log", nullptr}}) {
        const CliResult result = Run({"restore", At("@first"), "--only", row.only, "--yes"});
        CardFiles expected = saved;
        if (row.file != nullptr) {
            expected[row.file] = states_[0][row.file];
        }
        EXPECT_EQ(result.status, row.file != nullptr ? 0 : 1) << row.only << result.err;
        EXPECT_TRUE(SnapshotFolder(card_) == expected) << row.only;
        if (row.file == nullptr) {
            EXPECT_TRUE(
                Contains(result.err, std::string(row.only) + ": その時点のファイルではありません"))
                << result.err;
        } else {
            ExpectRestored({"restore", At("@-1"), "--yes"}, saved); // the restore undone
        }
    }
}

// A first copy that no entry recorded a mark for (as earlier versions kept them) is named as
// unchecked and restored only with --force.
TEST_F(HistoryTest, AnUncheckedFirstCopyIsRestoredOnlyWithForce) {
    ThreeSaves();
    std::filesystem::remove(backups_ / "history" / "000001.txt");
    const CliResult refused = Run({"restore", At("@first"), "--yes"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(
        Contains(refused.err, "未確認(コピーの内容を記録した記録がありません): STARTUP.BIN"))
        << refused.err;
    EXPECT_TRUE(SnapshotFolder(card_) == states_[3]);
    std::string problem;
    const auto first = ParsePoint(At("@first"), backups_, problem);
    ASSERT_TRUE(first) << problem; // the restore refuses also when called without the question
    EXPECT_EQ(RestorePoint(*first, backups_, true).outcome, RestoreOutcome::Refused);
    EXPECT_TRUE(SnapshotFolder(card_) == states_[3]);
    const CliResult forced = Run({"restore", At("@first"), "--yes", "--force"});
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_TRUE(Contains(forced.err, "ファイル: STARTUP.BIN, VOLUME.BIN\n未確認: STARTUP.BIN\n"))
        << forced.err;
    EXPECT_TRUE(SnapshotFolder(card_) == states_[0]);
}

// Every field diff compares is a key of the show command of its area, so the names cannot drift.
TEST_F(HistoryTest, FieldsAreNamedAsTheShowCommandsNameThem) {
    const std::string image = (card_ / "STARTUP.BIN").string();
    const auto json = [&](std::vector<std::string> arguments) {
        arguments.push_back("--json");
        return nlohmann::json::parse(Run(arguments).out);
    };
    const nlohmann::json calibration = json({"calibration", "show", image})["servos"];
    const nlohmann::json options = json({"options", "show", image});
    const nlohmann::json settings = json({"settings", "show", image});
    const nlohmann::json users = json({"users", "list", image})[0];
    std::set<std::string> areas;
    for (const MeaningField& field : ReadFolderMeaning(card_).fields) {
        areas.insert(field.area);
        const std::string name = field.field.substr(field.field.find(' ') + 1);
        const std::string first = field.field.substr(0, field.field.find(' '));
        if (field.area == "calibration") {
            EXPECT_TRUE(first == "attenuator" || calibration.contains(first)) << field.field;
        } else if (field.area == "options" || field.area == "remote") {
            EXPECT_TRUE(options.contains(first)) << field.field; // "eyeColour first"
        } else if (field.area == "settings" && !Contains(field.field, "\\")) {
            EXPECT_TRUE(settings.contains(field.field)) << field.field;
        } else if (field.area == "users") {
            EXPECT_TRUE(users.contains(name)) << field.field;
        }
    }
    EXPECT_EQ(areas.size(), 5u);
}

} // namespace
} // namespace orvix::test
