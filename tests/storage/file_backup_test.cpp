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
    EXPECT_EQ(error.Describe(), source.string() + ": Input/output error");
}

} // namespace
} // namespace orvix
