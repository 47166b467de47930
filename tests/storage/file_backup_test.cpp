#include "storage/file_backup.h"

#include <gtest/gtest.h>
#include <regex>

#include "support/card_diff.h"
#include "support/temp_folder.h"

namespace orvix {
namespace {

class FileBackupTest : public ::testing::Test {
protected:
    // Puts new bytes on the card and backs them up at the given second.
    void Save(const std::filesystem::path& file, std::uint8_t content, int second) {
        test::WriteBytes(file, {content});
        ASSERT_TRUE(BackUpFile(
            file, folder / "backups",
            std::chrono::system_clock::time_point(std::chrono::seconds(1796000000 + second))));
    }
    test::CardFiles Copies(const std::filesystem::path& file) {
        return test::SnapshotFolder(BackupFolderOf(file, folder / "backups"));
    }

    test::TempFolder folder;
};

// Each file has a folder of its own, named after it, with its first copy kept
// for ever, the last twenty saves numbered in the order they were made and
// pruned by that number alone (with the clock going forward, standing still or
// set back), and SOURCE.txt naming the file. Copies named by the time alone, as
// earlier versions made them, count as older than any numbered one. An
// unchanged file is not copied again.
TEST_F(FileBackupTest, TheFirstCopyStaysTheLastTwentySavesRotateWhateverTheClock) {
    const struct {
        int step; // seconds from one save to the next
        const char* oldCopies[2];
    } rows[] = {{61, {}}, {0, {}}, {-3600, {}}, {-1, {"20991231-235959", "20991231-235959-2"}}};
    for (const auto& row : rows) {
        test::TempFolder card;
        const auto file = card / "STARTUP.BIN";
        const auto cousin = card / "STARTUP-1.BIN"; // once caught by a prefix match
        Save(cousin, 100, 0);
        Save(file, 0, 0);
        Save(file, 0, 1); // unchanged: no copy
        const auto backups = BackupFolderOf(file, folder / "backups");
        EXPECT_TRUE(std::regex_match(backups.filename().string(),
                                     std::regex(R"(STARTUP\.BIN-[0-9a-f]{8})")));
        for (const char* stamp : row.oldCopies) {
            if (stamp != nullptr) {
                test::WriteBytes(backups / ("STARTUP-" + std::string(stamp) + ".BIN"), {99});
            }
        }
        for (int i = 1; i <= 25; ++i) {
            Save(file, static_cast<std::uint8_t>(i), 100000 + i * row.step);
        }
        std::string listing; // each copy as "NAME=BYTE;", in the order of their names
        for (const auto& [name, bytes] : Copies(file)) {
            listing += name + "=" + (name == "SOURCE.txt" ? "" : std::to_string(bytes[0])) + ";";
        }
        std::string expected = R"(SOURCE\.txt=;)";
        for (int i = 6; i <= 25; ++i) {
            expected += "STARTUP-0000" + std::string(i < 10 ? "0" : "") + std::to_string(i) +
                        R"(-\d{8}-\d{6}\.BIN=)" + std::to_string(i) + ";";
        }
        EXPECT_TRUE(std::regex_match(listing,
                                     std::regex(expected + R"(STARTUP-first-\d{8}-\d{6}\.BIN=0;)")))
            << row.step << ": " << listing;
        EXPECT_EQ(Copies(cousin).size(),
                  2u); // another file's copies are never pruned
    }
}

// The newest copy is compared with the file to its last byte (it is read in blocks, up to the
// first difference): a file of 200,000 bytes changed only in its last byte, or only in its first,
// is copied again; unchanged, or given as the bytes just read, it is not.
TEST_F(FileBackupTest, AChangeAnywhereInALargeFileIsCopiedAgain) {
    test::TempFolder card;
    const auto file = card / "STARTUP.BIN";
    std::vector<std::uint8_t> bytes(200000, 7);
    const auto save = [&](std::size_t at, std::uint8_t value) {
        bytes[at] = value;
        test::WriteBytes(file, bytes);
        return BackUpFile(file, folder / "backups", {});
    };
    const std::pair<std::size_t, std::uint8_t> saves[] = {{0, 7}, {199999, 8}, {199999, 8},
                                                          {0, 9}, {0, 9},      {100000, 7}};
    for (const auto& [at, value] : saves) {
        ASSERT_TRUE(save(at, value));
    }
    ASSERT_TRUE(BackUpContent(file, bytes, folder / "backups", {}));
    // SOURCE.txt, the first copy and one a change: 7...7, 7...8, 9...8.
    const test::CardFiles copies = Copies(file);
    ASSERT_EQ(copies.size(), 4u);
    std::vector<std::pair<std::uint8_t, std::uint8_t>> ends;
    for (const auto& [name, content] : copies) {
        if (name != "SOURCE.txt") {
            ends.emplace_back(content.front(), content.back());
        }
    }
    EXPECT_EQ(ends, (std::vector<std::pair<std::uint8_t, std::uint8_t>>{{7, 8}, {9, 8}, {7, 7}}));
}

// SOURCE.txt is part of the backup: written again when missing or wrong, even
// when the file needs no new copy; when it cannot be written, the backup fails.
// A missing file needs no copy.
TEST_F(FileBackupTest, TheSourceIsWrittenAgainAndItsFailureFailsTheBackup) {
    const auto card = folder / "card" / "STARTUP.BIN";
    EXPECT_TRUE(BackUpFile(card, folder / "backups", {}));
    EXPECT_FALSE(std::filesystem::exists(folder / "backups"));
    Save(card, 1, 0);
    const auto source = BackupFolderOf(card, folder / "backups") / "SOURCE.txt";
    std::filesystem::remove(source);
    Save(card, 1, 1);
    EXPECT_EQ(test::ReadText(source), card.string() + "\n");
    test::WriteText(source, "/elsewhere/STARTUP.BIN\n");
    Save(card, 2, 2);
    EXPECT_EQ(test::ReadText(source), card.string() + "\n");

    std::filesystem::remove(source);
    SetFileFaultInjector([&](FileStep step, const std::filesystem::path& file) {
        return step == FileStep::Write && file == source;
    });
    test::WriteBytes(card, {3});
    FileError error;
    EXPECT_FALSE(BackUpFile(card, folder / "backups", {}, &error));
    SetFileFaultInjector(nullptr);
    EXPECT_EQ(error.Describe(), source.string() + ": input/output error");
}

} // namespace
} // namespace orvix
