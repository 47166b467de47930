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

TEST(ImageBackupTest, CopiesTheFileAsItIsUnderATimeStampedName) {
    test::TempFolder folder;
    test::WriteBytes(folder / "STARTUP.BIN", {1, 2, 3});
    ASSERT_TRUE(BackUpFile(folder / "STARTUP.BIN", folder / "backups", At(0)));
    const auto names = Names(folder / "backups");
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(std::regex_match(*names.begin(), std::regex(R"(STARTUP-\d{8}-\d{6}\.BIN)")))
        << *names.begin();
    EXPECT_EQ(test::ReadBytes(folder / "backups" / *names.begin()),
              (std::vector<std::uint8_t>{1, 2, 3}));

    // A second copy within the same second does not replace the first.
    test::WriteBytes(folder / "STARTUP.BIN", {4});
    ASSERT_TRUE(BackUpFile(folder / "STARTUP.BIN", folder / "backups", At(0)));
    EXPECT_EQ(Names(folder / "backups").size(), 2u);
}

TEST(ImageBackupTest, KeepsTheNewestTwenty) {
    test::TempFolder folder;
    test::WriteBytes(folder / "STARTUP.BIN", {9});
    test::WriteBytes(folder / "backups" / "NOTES.TXT", {0}); // not a backup: left alone
    for (int i = 0; i < 25; ++i) {
        ASSERT_TRUE(BackUpFile(folder / "STARTUP.BIN", folder / "backups", At(i * 61)));
    }
    ASSERT_TRUE(BackUpFile(folder / "STARTUP.BIN", folder / "backups", At(24 * 61)));
    const auto names = Names(folder / "backups");
    EXPECT_EQ(names.size(), 21u);
    EXPECT_TRUE(names.count("NOTES.TXT"));
    // The oldest went; the two copies of the newest second stay.
    std::set<std::string> all;
    for (int i = 0; i < 25; ++i) {
        test::TempFolder other;
        ASSERT_TRUE(BackUpFile(folder / "STARTUP.BIN", other.Path(), At(i * 61)));
        all.insert(*Names(other.Path()).begin());
    }
    EXPECT_FALSE(names.count(*all.begin()));
    EXPECT_TRUE(names.count(*all.rbegin()));
    const std::string newest = *all.rbegin();
    EXPECT_TRUE(names.count(newest.substr(0, newest.size() - 4) + "-2.BIN"));
}

TEST(ImageBackupTest, AMissingFileNeedsNoCopyAFolderInTheWayFails) {
    test::TempFolder folder;
    EXPECT_TRUE(BackUpFile(folder / "STARTUP.BIN", folder / "backups", At(0)));
    EXPECT_FALSE(std::filesystem::exists(folder / "backups"));
    test::WriteBytes(folder / "STARTUP.BIN", {1});
    test::WriteText(folder / "backups", "a file");
    EXPECT_FALSE(BackUpFile(folder / "STARTUP.BIN", folder / "backups", At(0)));
}

} // namespace
} // namespace orvix
