#include "storage/history_points.h"

#include <functional>
#include <gtest/gtest.h>

#include "history_saves.h"
#include "storage/card_identity.h"
#include "storage/file_backup.h"
#include "storage/history_store.h"
#include "storage/platform.h"

namespace orvix {
namespace {

using test::Describe;
using test::RecordSave;
using test::WriteText;

// A card of three small files and four saves, C.BIN with a first copy kept before its history
// began:
//   start  A=a0 C=c0, C's first copy taken, then C=c1 outside any save
//   1      A a0->a1
//   2      B absent->b1
//   3      A a1->a2, C c1->c2
//   4      A a2->a3, B b1->b2
struct SavedCard {
    SavedCard() {
        WriteText(card / "A.BIN", "a0");
        WriteText(card / "C.BIN", "c0");
        EXPECT_TRUE(BackUpFile(card / "C.BIN", backups, std::chrono::system_clock::now()));
        WriteText(card / "C.BIN", "c1");
        EXPECT_EQ(RecordSave(card, backups, {{"A.BIN", "a1"}}, 1), 1);
        EXPECT_EQ(RecordSave(card, backups, {{"B.BIN", "b1"}}, 2), 2);
        EXPECT_EQ(RecordSave(card, backups, {{"A.BIN", "a2"}, {"C.BIN", "c2"}}, 3), 3);
        EXPECT_EQ(RecordSave(card, backups, {{"A.BIN", "a3"}, {"B.BIN", "b2"}}, 4), 4);
    }

    // The copy an entry names for a file.
    std::filesystem::path CopyOf(int sequence, const std::string& name) const {
        for (const HistoryEntry& entry : ReadCardHistory(card, backups)) {
            for (const HistoryFile& file : entry.files) {
                if (entry.sequence == sequence && file.name == name) {
                    return backups / file.folder / file.copy;
                }
            }
        }
        ADD_FAILURE() << "entry " << sequence << " has no copy of " << name;
        return {};
    }
    // Makes a copy a symbolic link to a file outside the backups holding the same.
    void LinkOutside(const std::filesystem::path& copy) const {
        const std::filesystem::path outside = folder / ("outside-" + copy.filename().string());
        std::filesystem::copy_file(copy, outside);
        std::filesystem::remove(copy);
        std::filesystem::create_symlink(outside, copy);
    }

    test::TempFolder folder;
    std::filesystem::path card = folder / "card";
    std::filesystem::path backups = folder / "backups";
};

// The folders here lie on no volume with a serial: cards are known by their folder.
class HistoryPointsTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetVolumeProbe([](const std::filesystem::path&) { return std::nullopt; });
    }
    void TearDown() override { SetVolumeProbe({}); }
};

// Each point (@first, before entries 1 to 4) either gives exactly the content each file had then,
// or names the files whose copies cannot serve and why; unreadable entries are passed over and
// named, never blocking the points before them.
TEST_F(HistoryPointsTest, EveryPointGivesWhatWasRecordedOrNamesWhatCannotServe) {
    const std::string intact[5] = {"A.BIN=a0 B.BIN=- C.BIN=c0 unchecked C.BIN",
                                   "A.BIN=a0 B.BIN=- C.BIN=c1", "A.BIN=a1 B.BIN=- C.BIN=c1",
                                   "A.BIN=a1 B.BIN=b1 C.BIN=c1", "A.BIN=a2 B.BIN=b1"};
    const struct {
        const char* damage;
        std::function<void(const SavedCard&)> make;
        std::string points[5]; // @first, before 1, 2, 3, 4
    } rows[] = {
        {"nothing", [](const SavedCard&) {}, {}},
        {"a newest entry left empty and one that cannot be read",
         [](const SavedCard& t) {
             ASSERT_EQ(RecordSave(t.card, t.backups, {{"A.BIN", "a4"}}, 5), 5);
             WriteText(t.backups / "history" / "000005.txt", "");
             std::filesystem::create_directory(t.backups / "history" / "000006.txt");
         },
         {"A.BIN=a0 B.BIN=- C.BIN=c0 skip 5 skip 6 unchecked C.BIN",
          "A.BIN=a0 B.BIN=- C.BIN=c1 skip 5 skip 6", "A.BIN=a1 B.BIN=- C.BIN=c1 skip 5 skip 6",
          "A.BIN=a1 B.BIN=b1 C.BIN=c1 skip 5 skip 6", "A.BIN=a2 B.BIN=b1 skip 5 skip 6"}},
        {"entry 3's copy of A a symbolic link to the same content outside",
         [](const SavedCard& t) { t.LinkOutside(t.CopyOf(3, "A.BIN")); },
         {"", "", "B.BIN=- C.BIN=c1 A.BIN!is a symbolic link",
          "B.BIN=b1 C.BIN=c1 A.BIN!is a symbolic link", ""}},
        {"entry 4's copy of B changed at its own size",
         [](const SavedCard& t) { WriteText(t.CopyOf(4, "B.BIN"), "x1"); },
         {"", "", "", "A.BIN=a1 C.BIN=c1 B.BIN!does not hold what was recorded",
          "A.BIN=a2 B.BIN!does not hold what was recorded"}},
        {"B's folder of backups a symbolic link to a folder outside",
         [](const SavedCard& t) {
             const std::filesystem::path inside = t.CopyOf(4, "B.BIN").parent_path();
             std::filesystem::rename(inside, t.folder / "moved");
             std::filesystem::create_directory_symlink(t.folder / "moved", inside);
         },
         {"", "", "", "A.BIN=a1 C.BIN=c1 B.BIN!lies outside the backups folder",
          "A.BIN=a2 B.BIN!lies outside the backups folder"}},
        {"A's first copy, which entry 1 records, changed at its own size",
         [](const SavedCard& t) { WriteText(t.CopyOf(1, "A.BIN"), "z0"); },
         {"B.BIN=- C.BIN=c0 A.BIN!does not hold what was recorded unchecked C.BIN",
          "B.BIN=- C.BIN=c1 A.BIN!does not hold what was recorded", "", "", ""}},
        {"A's first copy deleted",
         [](const SavedCard& t) { std::filesystem::remove(t.CopyOf(1, "A.BIN")); },
         {"B.BIN=- C.BIN=c0 A.BIN!is gone unchecked C.BIN", "B.BIN=- C.BIN=c1 A.BIN!is gone", "",
          "", ""}},
        {"C's first copy from before the history a symbolic link",
         [](const SavedCard& t) {
             const std::filesystem::path folder = t.CopyOf(3, "C.BIN").parent_path();
             for (const auto& copy : std::filesystem::directory_iterator(folder)) {
                 if (copy.path().filename().string().starts_with("C-first-")) {
                     t.LinkOutside(copy.path());
                 }
             }
         },
         {"A.BIN=a0 B.BIN=- C.BIN!is a symbolic link", "", "", "", ""}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.damage);
        if (!platform::HasPosixFiles() &&
            std::string_view(row.damage).find("symbolic") != std::string_view::npos) {
            continue; // a Windows user may not make symbolic links
        }
        const SavedCard saved;
        const std::filesystem::path& card = saved.card;
        const std::filesystem::path& backups = saved.backups;
        row.make(saved);
        const std::vector<HistoryEntry> entries = ReadCardHistory(card, backups);
        const std::vector<CardAtPoint> each = CardBeforeEach(entries, backups);
        for (int point = 0; point < 5; ++point) {
            SCOPED_TRACE(point == 0 ? "@first" : "before " + std::to_string(point));
            const std::string& expected =
                row.points[point].empty() ? intact[point] : row.points[point];
            const CardAtPoint state = point == 0 ? CardAtFirst(entries, backups, card)
                                                 : CardBefore(entries, point, backups);
            EXPECT_EQ(Describe(state), expected);
            if (point > 0) {
                EXPECT_EQ(Describe(each[static_cast<std::size_t>(point - 1)]), expected);
            }
        }
    }
}

// A save that began but whose end was not seen leaves NNNNNN.pending: it is finished when the card
// holds what it records after the save, unfinished otherwise; either way the points before it
// resolve through its copies, and a pending file beside the finished entry of its number is
// left out.
TEST_F(HistoryPointsTest, APendingEntryIsFinishedWhenTheCardHoldsItsAfterState) {
    const SavedCard saved;
    const std::filesystem::path& card = saved.card;
    const std::filesystem::path& backups = saved.backups;
    ASSERT_EQ(RecordSave(card, backups, {{"A.BIN", "a4"}}, 5), 5);
    const std::filesystem::path history = backups / "history";
    std::filesystem::rename(history / "000005.txt", history / "000005.pending");
    WriteText(history / "000004.pending", "orvix2-history 1\nleft over\n");
    const auto finished = [&] {
        std::string flags;
        for (const HistoryEntry& entry : ReadCardHistory(card, backups)) {
            flags += std::to_string(entry.sequence) + (entry.readable ? "" : "?") +
                     (entry.finished ? " " : "u ");
        }
        return flags;
    };
    EXPECT_EQ(finished(), "1 2 3 4 5 ");
    EXPECT_EQ(LargestSequence(backups), 5);

    WriteText(card / "A.BIN", "a3"); // the card was never written
    EXPECT_EQ(finished(), "1 2 3 4 5u ");
    EXPECT_FALSE(ReadHistoryFolder(backups).back().finished);
    const std::vector<HistoryEntry> entries = ReadCardHistory(card, backups);
    EXPECT_EQ(Describe(CardBefore(entries, 5, backups)), "A.BIN=a3");
    EXPECT_EQ(Describe(CardBefore(entries, 4, backups)), "A.BIN=a2 B.BIN=b1");

    WriteText(saved.CopyOf(5, "A.BIN"), "zz");
    EXPECT_EQ(Describe(CardBefore(entries, 5, backups)), "A.BIN!does not hold what was recorded");
    EXPECT_EQ(Describe(CardBefore(entries, 4, backups)), "A.BIN=a2 B.BIN=b1");
}

} // namespace
} // namespace orvix
