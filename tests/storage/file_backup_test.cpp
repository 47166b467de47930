#include "storage/file_backup.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <regex>
#include <set>

#include "support/temp_folder.h"

namespace orvix {
namespace {

std::set<std::string> Names(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

std::chrono::system_clock::time_point At(int second) {
    return std::chrono::system_clock::time_point(std::chrono::seconds(1796000000 + second));
}

class FileBackupTest : public ::testing::Test {
protected:
    // Puts new bytes on the card and backs them up at the given second.
    void Save(const std::filesystem::path& file, std::uint8_t content, int second) {
        test::WriteBytes(file, {content});
        ASSERT_TRUE(BackUpFile(file, folder / "backups", At(second)));
    }
    std::set<std::string> Copies(const std::filesystem::path& file) {
        return Names(BackupFolderOf(file, folder / "backups"));
    }

    test::TempFolder folder;
};

TEST_F(FileBackupTest, EachFileHasItsOwnFolderWithItsFirstCopyAndItsSource) {
    const auto card = folder / "card" / "STARTUP.BIN";
    const auto other = folder / "other" / "STARTUP.BIN";
    Save(card, 1, 0);
    Save(other, 2, 0);
    const auto folderName = BackupFolderOf(card, folder / "backups").filename().string();
    EXPECT_TRUE(std::regex_match(folderName, std::regex(R"(STARTUP\.BIN-[0-9a-f]{8})")));
    EXPECT_NE(BackupFolderOf(card, folder / "backups"), BackupFolderOf(other, folder / "backups"));

    const auto names = Copies(card);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_TRUE(std::regex_match(*names.rbegin(), std::regex(R"(STARTUP-first-\d{8}-\d{6}\.BIN)")));
    EXPECT_EQ(test::ReadBytes(BackupFolderOf(card, folder / "backups") / *names.rbegin()),
              (std::vector<std::uint8_t>{1}));
    EXPECT_EQ(test::ReadText(BackupFolderOf(card, folder / "backups") / "SOURCE.txt"),
              card.string() + "\n");
}

// Copies are numbered in the order they were made and pruned by that number alone: with the clock
// going forward, standing still or set back, the last twenty saves are the copies kept. Copies
// named by the time alone, as earlier versions made them, count as older than any numbered one.
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
        const auto backups = BackupFolderOf(file, folder / "backups");
        for (const char* stamp : row.oldCopies) {
            if (stamp != nullptr) {
                test::WriteBytes(backups / ("STARTUP-" + std::string(stamp) + ".BIN"), {99});
            }
        }
        for (int i = 1; i <= 25; ++i) {
            Save(file, static_cast<std::uint8_t>(i), 100000 + i * row.step);
        }
        std::vector<std::string> rotating; // in the order of their names
        for (const auto& name : Copies(file)) {
            if (!name.starts_with("STARTUP-first-") && name != "SOURCE.txt") {
                rotating.push_back(name);
            }
        }
        ASSERT_EQ(rotating.size(), 20u) << row.step;
        for (int i = 0; i < 20; ++i) {
            const std::string& name = rotating[static_cast<std::size_t>(i)];
            char number[8];
            std::snprintf(number, sizeof number, "%06d", i + 6);
            EXPECT_TRUE(std::regex_match(
                name, std::regex("STARTUP-" + std::string(number) + R"(-\d{8}-\d{6}\.BIN)")))
                << name;
            EXPECT_EQ(test::ReadBytes(backups / name),
                      (std::vector<std::uint8_t>{static_cast<std::uint8_t>(i + 6)}));
        }
        EXPECT_EQ(Copies(file).size(), 1u + 1u + 20u); // the source, the first copy, twenty
        EXPECT_EQ(Copies(cousin).size(), 2u);          // another file's copies are never pruned
    }
}

TEST_F(FileBackupTest, AnUnchangedFileIsNotCopiedAgain) {
    const auto card = folder / "card" / "STARTUP.BIN";
    Save(card, 1, 0);
    Save(card, 1, 5);
    EXPECT_EQ(Copies(card).size(), 2u); // the source and the first copy
    Save(card, 2, 9);
    Save(card, 2, 9);
    EXPECT_EQ(Copies(card).size(), 3u);
}

// SOURCE.txt is part of the backup: written again when missing or wrong, even when the file
// needs no new copy; when it cannot be written, the backup fails.
TEST_F(FileBackupTest, TheSourceIsWrittenAgainAndItsFailureFailsTheBackup) {
    const auto card = folder / "card" / "STARTUP.BIN";
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
    EXPECT_FALSE(BackUpFile(card, folder / "backups", At(3), &error));
    SetFileFaultInjector(nullptr);
    EXPECT_EQ(error.Describe(), source.string() + ": Input/output error");
}

TEST_F(FileBackupTest, AMissingFileNeedsNoCopyAFailedCopySaysWhy) {
    const auto card = folder / "card" / "STARTUP.BIN";
    EXPECT_TRUE(BackUpFile(card, folder / "backups", At(0)));
    EXPECT_FALSE(std::filesystem::exists(folder / "backups"));
    test::WriteBytes(card, {1});
    test::WriteText(folder / "backups", "a file in the way");
    FileError error;
    EXPECT_FALSE(BackUpFile(card, folder / "backups", At(0), &error));
    EXPECT_FALSE(error.reason.empty());
}

} // namespace
} // namespace orvix
