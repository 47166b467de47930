#include "storage/file_backup.h"

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

TEST_F(FileBackupTest, TheFirstCopyStaysTheNewestTwentyOthersRotate) {
    const auto card = folder / "card" / "STARTUP.BIN";
    const auto cousin = folder / "card" / "STARTUP-1.BIN"; // once caught by a prefix match
    Save(cousin, 100, 0);
    Save(card, 0, 0);
    for (int i = 1; i <= 25; ++i) {
        Save(card, static_cast<std::uint8_t>(i), i * 61);
    }
    const auto names = Copies(card);
    EXPECT_EQ(names.size(), 1u + 1u + 20u); // the source, the first copy, the newest twenty
    EXPECT_EQ(std::count_if(names.begin(), names.end(),
                            [](const std::string& n) { return n.starts_with("STARTUP-first-"); }),
              1);
    // The newest copy holds the last save's bytes; the first copy the untouched card's.
    const auto backups = BackupFolderOf(card, folder / "backups");
    std::vector<std::string> rotating;
    for (const auto& name : names) {
        if (std::regex_match(name, std::regex(R"(STARTUP-\d{8}-\d{6}\.BIN)"))) {
            rotating.push_back(name);
        }
    }
    ASSERT_EQ(rotating.size(), 20u);
    EXPECT_EQ(test::ReadBytes(backups / rotating.back()), (std::vector<std::uint8_t>{25}));
    EXPECT_EQ(test::ReadBytes(backups / rotating.front()), (std::vector<std::uint8_t>{6}));
    EXPECT_EQ(Copies(cousin).size(), 2u); // another file's copies are never pruned
}

TEST_F(FileBackupTest, AnUnchangedFileIsNotCopiedAgainAChangedOneIsEvenInTheSameSecond) {
    const auto card = folder / "card" / "STARTUP.BIN";
    Save(card, 1, 0);
    Save(card, 1, 5);
    Save(card, 1, 9);
    EXPECT_EQ(Copies(card).size(), 2u); // the source and the first copy
    Save(card, 2, 9);
    Save(card, 3, 9);
    const auto names = Copies(card);
    EXPECT_EQ(names.size(), 4u);
    EXPECT_EQ(std::count_if(names.begin(), names.end(),
                            [](const std::string& n) { return n.ends_with("-2.BIN"); }),
              1); // a second copy within the same second
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
