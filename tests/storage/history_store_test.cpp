#include "storage/history_store.h"

#include <gtest/gtest.h>

#include "history_saves.h"
#include "storage/card_identity.h"

namespace orvix {
namespace {

using test::Describe;
using test::ReadText;
using test::RecordSave;
using test::WriteText;

// Reports the given volumes (by mount point) to the identities, as a system would.
void UseVolumes(std::vector<CardVolume> volumes) {
    SetVolumeProbe([volumes](const std::filesystem::path& folder) -> std::optional<CardVolume> {
        for (const CardVolume& volume : volumes) {
            const std::filesystem::path inside =
                folder.lexically_normal().lexically_relative(volume.mountPoint.lexically_normal());
            if (!inside.empty() && *inside.begin() != "..") {
                return volume;
            }
        }
        return std::nullopt;
    });
}

std::string Sequences(const std::vector<HistoryEntry>& entries) {
    std::string text;
    for (const HistoryEntry& entry : entries) {
        if (!text.empty()) {
            text += ' ';
        }
        text += std::to_string(entry.sequence);
    }
    return text;
}

class HistoryStoreTest : public ::testing::Test {
protected:
    void TearDown() override { SetVolumeProbe({}); }

    test::TempFolder folder;
    std::filesystem::path backups = folder / "backups";
};

// The identity is the volume's serial and the path inside the volume (below the folder the volume
// mounts, for a bound folder); none without a serial.
TEST_F(HistoryStoreTest, AnIdentityIsTheSerialAndThePathInsideTheVolume) {
    const std::filesystem::path mount = folder / "mnt";
    const struct {
        const char* root;
        const char* serial;
        const char* folder; // below mount
        const char* identity;
    } rows[] = {
        {"/", "1234-ABCD", "pechi", "1234-ABCD:/pechi"},
        {"/", "1234-ABCD", "", "1234-ABCD:/"},
        {"/sub", "1234-ABCD", "pechi/x", "1234-ABCD:/sub/pechi/x"},
        {"/", "", "pechi", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.folder);
        UseVolumes({CardVolume{mount, row.root, row.serial}});
        std::filesystem::create_directories(mount / row.folder);
        EXPECT_EQ(CardIdentity(mount / row.folder), row.identity);
    }
    EXPECT_EQ(CardIdentity(folder / "elsewhere"), "");
}

// A card keeps its history when its volume is mounted elsewhere; another folder on the same volume
// and the same path on another volume have histories of their own.
TEST_F(HistoryStoreTest, ACardIsFoundWhereverItsVolumeIsMounted) {
    const std::filesystem::path first = folder / "mnt1";
    const std::filesystem::path second = folder / "mnt2";
    const std::filesystem::path other = folder / "mnt3";
    UseVolumes({CardVolume{first, "/", "1234-ABCD"}, CardVolume{second, "/", "1234-ABCD"},
                CardVolume{other, "/", "5678-EF01"}});
    WriteText(first / "pechi" / "A.BIN", "a0");
    WriteText(first / "spare" / "A.BIN", "a0");
    ASSERT_EQ(RecordSave(first / "pechi", backups, {{"A.BIN", "a1"}}, 1), 1);
    ASSERT_EQ(RecordSave(first / "spare", backups, {{"A.BIN", "s1"}}, 2), 2);
    ASSERT_EQ(RecordSave(first / "pechi", backups, {{"A.BIN", "a2"}}, 3), 3);
    EXPECT_EQ(ReadCardHistory(first / "pechi", backups).front().identity, "1234-ABCD:/pechi");

    std::filesystem::rename(first, second);
    std::filesystem::create_directories(other);
    std::filesystem::copy(second / "pechi", other / "pechi");
    const std::vector<HistoryEntry> entries = ReadCardHistory(second / "pechi", backups);
    EXPECT_EQ(Sequences(entries), "1 3");
    EXPECT_EQ(Describe(CardAtFirst(entries, backups, second / "pechi")), "A.BIN=a0");
    EXPECT_EQ(Describe(CardBefore(entries, 3, backups)), "A.BIN=a1");
    EXPECT_EQ(Sequences(ReadCardHistory(second / "spare", backups)), "2");
    EXPECT_EQ(Sequences(ReadCardHistory(other / "pechi", backups)), "");
    ASSERT_EQ(RecordSave(second / "pechi", backups, {{"A.BIN", "a3"}}, 4), 4);
    EXPECT_EQ(Sequences(ReadCardHistory(second / "pechi", backups)), "1 3 4");
}

// "/media/card" and "/media/card2" are two cards, by their folders and by their identities.
TEST_F(HistoryStoreTest, AFolderWhoseNameBeginsAnothersSharesNoEntries) {
    for (const char* serial : {"", "1234-ABCD"}) {
        SCOPED_TRACE(serial);
        const test::TempFolder media;
        UseVolumes({CardVolume{media.Path(), "/", serial}});
        WriteText(media / "card" / "A.BIN", "a0");
        WriteText(media / "card2" / "A.BIN", "a0");
        const std::filesystem::path backups = media / "backups";
        ASSERT_EQ(RecordSave(media / "card", backups, {{"A.BIN", "a1"}}, 1), 1);
        ASSERT_EQ(RecordSave(media / "card2", backups, {{"A.BIN", "b1"}}, 2), 2);
        EXPECT_EQ(Sequences(ReadCardHistory(media / "card", backups)), "1");
        EXPECT_EQ(Sequences(ReadCardHistory(media / "card2", backups)), "2");
    }
}

// A card with no history of its own is matched to the recorded cards whose newest entry's files
// it holds as that save left them.
TEST_F(HistoryStoreTest, ACopiedCardNamesTheRecordedCardsItMatches) {
    const std::filesystem::path mount = folder / "mnt";
    UseVolumes({CardVolume{mount, "/", "1234-ABCD"}});
    const std::filesystem::path card = mount / "pechi";
    WriteText(card / "A.BIN", "a0");
    ASSERT_EQ(RecordSave(card, backups, {{"A.BIN", "a1"}, {"B.BIN", "b1"}}, 1), 1);
    std::filesystem::copy(card, folder / "copy");
    EXPECT_EQ(RecordedCardsMatching(folder / "copy", backups),
              std::vector<std::string>{card.string() + " (1234-ABCD:/pechi)"});
    EXPECT_EQ(RecordedCardsMatching(card, backups), std::vector<std::string>{});
    WriteText(folder / "copy" / "B.BIN", "b2");
    EXPECT_EQ(RecordedCardsMatching(folder / "copy", backups), std::vector<std::string>{});
}

// The index spares reading the entries: a save reads none, a reading reads only those changed
// since; a missing, stale or damaged index gives what the entries themselves give.
TEST_F(HistoryStoreTest, TheIndexServesUntilItsEntriesChangeAndASaveReadsNoEntry) {
    SetVolumeProbe([](const std::filesystem::path&) { return std::nullopt; });
    const std::filesystem::path card = folder / "card";
    const std::filesystem::path history = backups / "history";
    WriteText(card / "A.BIN", "v0");
    for (int i = 1; i <= 80; ++i) {
        std::string content = "v"; // appended: GCC 12 warns of an overlapping copy in "v" + text
        content += std::to_string(i);
        ASSERT_EQ(RecordSave(card, backups, {{"A.BIN", content}}, i), i);
    }
    // The card's entries in full, and how many entry files the reading read.
    const auto read = [&](std::uint64_t& files) {
        const std::uint64_t before = HistoryEntryFilesRead();
        std::string text;
        for (const HistoryEntry& entry : ReadCardHistory(card, backups)) {
            text += FormatHistoryEntry(entry) + (entry.readable ? "" : entry.problem) +
                    (entry.finished ? "\n" : " unfinished\n");
        }
        files = HistoryEntryFilesRead() - before;
        return text;
    };
    // What the entries give without the index (which the reading then writes again).
    const auto truth = [&] {
        std::filesystem::remove(history / "index.txt");
        std::uint64_t files = 0;
        const std::string text = read(files);
        EXPECT_EQ(files, std::uint64_t{std::filesystem::exists(history / "000082.txt")   ? 82u
                                       : std::filesystem::exists(history / "000081.txt") ? 81u
                                                                                         : 80u});
        return text;
    };
    std::uint64_t files = 0;
    const std::string eighty = truth();
    EXPECT_EQ(read(files), eighty);
    EXPECT_EQ(files, 0u);

    const std::uint64_t before = HistoryEntryFilesRead();
    ASSERT_EQ(RecordSave(card, backups, {{"A.BIN", "v81"}}, 81), 81);
    EXPECT_EQ(HistoryEntryFilesRead() - before, 0u);
    std::string text = read(files);
    EXPECT_EQ(files, 1u);
    EXPECT_EQ(text, truth());

    WriteText(history / "index.txt", "orvix2-history-index 1\n000001.txt|1|2|3|4\n\x01garbage");
    text = read(files);
    EXPECT_EQ(files, 81u);
    EXPECT_EQ(text, truth());

    // A line's text changed with its stamp kept: that entry is read from its file.
    std::string index = ReadText(history / "index.txt");
    index.replace(index.find("time 2026"), 9, "time 2027");
    WriteText(history / "index.txt", index);
    text = read(files);
    EXPECT_EQ(files, 1u);
    EXPECT_EQ(text, truth());

    // An entry added and one rewritten in place since the index was written.
    WriteText(history / "000082.txt", ReadText(history / "000081.txt"));
    WriteText(history / "000007.txt", "orvix2-history 1\nsequence 7\n");
    text = read(files);
    EXPECT_EQ(files, 2u);
    EXPECT_EQ(text, truth());
    EXPECT_NE(text.find("its number differs from its file's name"), std::string::npos);
    EXPECT_NE(text.find("not a history entry"), std::string::npos);
}

} // namespace
} // namespace orvix
