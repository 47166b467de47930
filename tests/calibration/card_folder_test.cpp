#include "calibration/card_folder.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace orvix {
namespace {

// The media mounted below the roots, as the system lists them below /media/USER.
std::vector<std::filesystem::path> MediaBelow(const std::vector<std::filesystem::path>& roots) {
    std::vector<std::filesystem::path> media;
    for (const std::filesystem::path& root : roots) {
        std::error_code error;
        for (std::filesystem::directory_iterator it(root, error), end; !error && it != end;
             it.increment(error)) {
            media.push_back(it->path());
        }
    }
    return media;
}

// A temporary folder stands in for /media/USER, with one sub-folder per mounted medium.
class CardFolderTest : public ::testing::Test {
protected:
    std::filesystem::path Mount(const std::string& name, const std::string& topFile = {}) {
        const std::filesystem::path mount = media / name;
        std::filesystem::create_directories(mount);
        if (!topFile.empty()) {
            test::WriteText(mount / topFile, "");
        }
        return mount;
    }
    std::filesystem::path Choose() const {
        return ChooseCardFolder(MediaBelow({media.Path(), media / "absent-root"}), home);
    }

    test::TempFolder media;
    const std::filesystem::path home = "/home/someone";
};

TEST_F(CardFolderTest, TheOneMountWithTheProgramAtItsTop) {
    EXPECT_EQ(Choose(), home); // nothing mounted
    Mount("USB-STICK", "notes.txt");
    test::WriteText(Mount("BACKUP") / "old" / "STARTUP.BIN", ""); // not at the top
    Mount("FOLDER-ONLY");
    std::filesystem::create_directories(media / "FOLDER-ONLY" / "STARTUP.BIN");
    EXPECT_EQ(Choose(), home);

    const std::filesystem::path card = Mount("PECHI2", "startup.bin"); // short names in lower case
    EXPECT_EQ(Choose(), card);

    Mount("SPARE", "STARTUP.BIN");
    EXPECT_EQ(Choose(), home); // which of two cards is not ours to guess
}

TEST_F(CardFolderTest, AMountSeenBelowTwoRootsCountsOnce) {
    if (!platform::HasPosixFiles()) {
        GTEST_SKIP() << "a folder link needs a privilege on Windows";
    }
    const std::filesystem::path card = Mount("PECHI2", "STARTUP.BIN");
    const std::filesystem::path otherRoot = media / "run-media";
    std::filesystem::create_directories(otherRoot);
    std::filesystem::create_directory_symlink(card, otherRoot / "PECHI2");
    EXPECT_EQ(ChooseCardFolder(MediaBelow({media.Path(), otherRoot}), home), card);
}

// Through the seam: the card on the system's own media (on Windows the removable drives, each
// at its root), else the documents (Linux: the home folder).
TEST(CardFolderOfTheSystem, TheOneCardOnTheMediaElseTheDocuments) {
    const std::vector<std::filesystem::path> cards = platform::CardFolders();
    EXPECT_EQ(ChooseCardFolder(), cards.size() == 1 ? cards[0] : platform::DocumentsFolder());
    EXPECT_TRUE(platform::DocumentsFolder().is_absolute());
#ifdef _WIN32
    EXPECT_EQ(platform::DocumentsFolder().filename(), "Documents");
    for (const std::filesystem::path& drive : platform::MediaFolders()) {
        EXPECT_EQ(drive, drive.root_path());
    }
#else
    EXPECT_EQ(platform::DocumentsFolder(), platform::HomeFolder());
#endif
}

} // namespace
} // namespace orvix
