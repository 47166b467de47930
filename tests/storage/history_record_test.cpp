// The marks an entry records, the order in which a save's entry is made (pending before the
// card's files, final after them, never over another entry), and the card lock over time.

#include <gtest/gtest.h>

#include "storage/card_history.h"
#include "storage/card_lock.h"
#include "storage/platform.h"
#include "support/card_diff.h"
#include "support/other_program.h"
#include "support/temp_folder.h"

namespace orvix {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

TEST(ContentMarkTest, TwoFlipsInTwoWordsChangeTheMarkAndOldMarksStillCompare) {
    EXPECT_EQ(MarkOf({}), (ContentMark{0, "99aa06d3014798d86001c324468d497f"}));
    Bytes bytes(0x100100);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    Bytes changed = bytes;
    changed[0x100007] ^= 0x80; // the top bit of two neighbouring 64-bit words
    changed[0x10000F] ^= 0x80;
    EXPECT_NE(MarkOf(changed), MarkOf(bytes));
    EXPECT_EQ(LegacyMarkOf(changed), LegacyMarkOf(bytes)); // what the old mark could not see
    EXPECT_EQ(MarkOf(bytes).hash.size(), 32u);

    // An entry of an earlier version: its 16-digit marks read, and a content compares with them
    // as they were made ("a": FNV-1a of one byte).
    const HistoryEntry old = ParseHistoryEntry(
        "orvix2-history 1\nsequence 3\ntime 2026-12-07T10:30:00\ncard /media/card\nfile "
        "STARTUP.BIN|STARTUP.BIN-1a2b3c4d|STARTUP-000003-20261207-103000.BIN|1|af63dc4c8601ec8c|"
        "2|0123456789abcdef\n",
        0);
    ASSERT_TRUE(old.readable) << old.problem;
    const Bytes a = {'a'};
    EXPECT_EQ(MarkLike(*old.files[0].before, a), *old.files[0].before);
    EXPECT_NE(MarkLike(*old.files[0].before, Bytes{'b'}), *old.files[0].before);
    EXPECT_EQ(MarkLike(MarkOf(a), a), MarkOf(a));
    EXPECT_EQ(FormatHistoryEntry(old),
              FormatHistoryEntry(ParseHistoryEntry(FormatHistoryEntry(old), 0))); // written as read

    // A restore's entry names its point, and is written as read; anything else there is no point.
    for (const std::string point : {"first", "12", "x", ""}) {
        const std::string text = "orvix2-history 1\nsequence 3\ntime 2026-12-07T10:30:00\ncard /c\n"
                                 "restore " +
                                 point + "\nfile VOLUME.BIN|V-1|-|-|-|1|" + MarkOf(a).hash + "\n";
        const HistoryEntry entry = ParseHistoryEntry(text, 0);
        EXPECT_EQ(std::tuple(entry.readable, entry.restoreOf),
                  std::tuple(point == "first" || point == "12",
                             point == "first" || point == "12" ? point : ""))
            << point;
        EXPECT_EQ(FormatHistoryEntry(entry) == text, entry.readable) << point;
    }
}

class RecorderTest : public ::testing::Test {
protected:
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& [name, bytes] : test::SnapshotFolder(history)) {
            names.push_back(name);
        }
        return names;
    }
    HistoryEntry Read(const std::string& name) const {
        const std::string text = test::ReadText(history / name);
        return ParseHistoryEntry(text, 0);
    }

    test::TempFolder folder;
    std::filesystem::path card = folder / "card";
    std::filesystem::path file = card / "A.BIN";
    std::filesystem::path backups = folder / "backups";
    std::filesystem::path history = backups / "history";
    HistoryRecorder recorder{card, backups, std::chrono::system_clock::now()};
};

// The entry is there, pending with the marks to come, before the card's file is replaced; after
// the write it is final and nothing is pending. A number taken by a pending entry left over, or
// by a final one, is passed over, never written over.
TEST_F(RecorderTest, TheEntryIsPendingBeforeTheWriteAndFinalAfterItUnderANewNumber) {
    test::WriteBytes(file, {1});
    std::filesystem::create_directories(history);
    test::WriteText(history / "000004.txt", "someone else's\n");
    test::WriteText(history / "000002.pending", "left by a crash\n");
    test::WriteText(history / "000005.pending", "another writer's\n");
    const SavedFile saved[] = {{"A.BIN", file, MarkOf(Bytes{2})}};
    ASSERT_EQ(recorder.Begin(saved), HistoryStart::Started);
    EXPECT_EQ(recorder.Sequence(), 6);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"000002.pending", "000004.txt", "000005.pending",
                                                   "000006.pending"}));
    const HistoryEntry pending = Read("000006.pending");
    ASSERT_EQ(pending.files.size(), 1u);
    EXPECT_EQ(pending.files[0].before, MarkOf(Bytes{1}));
    EXPECT_EQ(pending.files[0].after, MarkOf(Bytes{2}));
    EXPECT_EQ(test::ReadBytes(file), Bytes{1});

    test::WriteBytes(file, {2});
    EXPECT_TRUE(recorder.Finish());
    EXPECT_EQ(Entries(), (std::vector<std::string>{"000002.pending", "000004.txt", "000005.pending",
                                                   "000006.txt"}));
    EXPECT_EQ(FormatHistoryEntry(Read("000006.txt")), FormatHistoryEntry(pending));
    EXPECT_EQ(test::ReadText(history / "000004.txt"), "someone else's\n");

    // A write that left the file as it was takes its pending entry back; a save that changes
    // nothing records nothing.
    const SavedFile again[] = {{"A.BIN", file, MarkOf(Bytes{3})}};
    ASSERT_EQ(recorder.Begin(again), HistoryStart::Started);
    EXPECT_EQ(Entries().back(), "000007.pending");
    EXPECT_TRUE(recorder.Finish());
    const SavedFile same[] = {{"A.BIN", file, MarkOf(Bytes{2})}};
    ASSERT_EQ(recorder.Begin(same), HistoryStart::Started);
    EXPECT_TRUE(recorder.Finish());
    EXPECT_EQ(recorder.Sequence(), 0);
    EXPECT_EQ(Entries().back(), "000006.txt");

    // A history folder that cannot be made refuses the save (each step of the entry's own
    // writing is failed in the command tests).
    std::filesystem::remove_all(history);
    test::WriteText(history, "no folder");
    EXPECT_EQ(recorder.Begin(again), HistoryStart::EntryFailed);
}

// A save's number follows the largest taken, found from the index's last line and the entries made
// since; an index that names an entry no longer there, a gap after it, a damaged end or none at
// all make the names be listed instead.
TEST_F(RecorderTest, TheNumberFollowsTheLargestWhateverTheIndexSays) {
    test::WriteBytes(file, {1});
    const std::string line = "|1|2|3|text\n";
    const struct {
        std::vector<const char*> entries;
        std::string index;
        int number;
    } rows[] = {
        {{"000001.txt", "000007.pending"}, "", 8},
        {{"000001.txt", "000003.txt", "000004.txt", "000005.pending"}, "000003.txt" + line, 6},
        {{"000001.txt", "000002.txt", "000009.txt"}, "000003.txt" + line, 10},
        {{"000002.txt", "000003.txt", "000005.txt"}, "000003.txt" + line, 6},
        {{"000002.pending", "000006.txt"}, "000002.pending" + line + "000003.txt|1", 7},
    };
    for (const auto& row : rows) {
        std::filesystem::remove_all(history);
        for (const char* name : row.entries) {
            test::WriteText(history / name, "entry\n");
        }
        if (!row.index.empty()) {
            test::WriteText(history / "index.txt", "orvix2-history-index 1\n" + row.index);
        }
        const SavedFile saved[] = {{"A.BIN", file, MarkOf(Bytes{2})}};
        ASSERT_EQ(recorder.Begin(saved), HistoryStart::Started);
        EXPECT_EQ(recorder.Sequence(), row.number) << row.index;
    }
}

TEST(CardLockTest, WritersWaitAndGiveUpAndTheEndReleases) {
    test::TempFolder folder;
    {
        const CardLock lock(folder.Path(), 10ms);
        ASSERT_EQ(lock.GetState(), CardLock::State::Held);
        EXPECT_FALSE(test::OtherProgram(folder.Path()).Holds());
        // Within the process a reader's lock goes with the writer's.
        EXPECT_EQ(CardLock(folder.Path(), 10ms, CardLock::Mode::Shared).GetState(),
                  CardLock::State::Held);
    }
    {
        const test::OtherProgram other(folder.Path());
        ASSERT_TRUE(other.Holds());
        EXPECT_EQ(CardLock(folder.Path(), 10ms).GetState(), CardLock::State::Busy);
        EXPECT_EQ(CardLock(folder.Path(), 10ms).Error().kind, platform::FailureKind::InUse);
    }
    EXPECT_EQ(CardLock(folder.Path(), 10ms).GetState(), CardLock::State::Held);
}

// Readers share the card and a writer waits for them: a shared flock (Windows readers take no
// lock, a named mutex having no shared form).
TEST(CardLockTest, ReadersShareAndWaitForAWriter) {
    if (!platform::HasPosixFiles()) {
        GTEST_SKIP() << "Windows readers take no lock";
    }
    test::TempFolder folder;
    {
        const CardLock lock(folder.Path(), 10ms);
        EXPECT_FALSE(test::OtherProgram(folder.Path(), test::OtherProgram::Mode::Shared).Holds());
    }
    {
        const test::OtherProgram other(folder.Path());
        EXPECT_EQ(CardLock(folder.Path(), 10ms, CardLock::Mode::Shared).GetState(),
                  CardLock::State::Busy);
    }
    const test::OtherProgram reader(folder.Path(), test::OtherProgram::Mode::Shared);
    ASSERT_TRUE(reader.Holds());
    {
        const CardLock mine(folder.Path(), 10ms, CardLock::Mode::Shared);
        EXPECT_EQ(mine.GetState(), CardLock::State::Held);
        // A writer inside a reader is refused: making a held flock exclusive may drop it.
        EXPECT_EQ(CardLock(folder.Path(), 10ms).GetState(), CardLock::State::Failed);
    }
    EXPECT_EQ(CardLock(folder.Path(), 10ms).GetState(), CardLock::State::Busy);
}

} // namespace
} // namespace orvix
