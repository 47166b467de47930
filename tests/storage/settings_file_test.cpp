#include "storage/settings_file.h"

#include <gtest/gtest.h>
#include <sstream>

#include "calibration/editor_document.h"
#include "storage/file_io.h"
#include "support/temp_folder.h"

namespace orvix {
namespace {

std::vector<std::string> NonBlankLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

class SettingsFileTest : public ::testing::Test {
protected:
    std::string Ini() const { return Utf8FromPath(folder / kSettingsFileName); }
    test::TempFolder folder;
};

TEST_F(SettingsFileTest, FirstStartTakesTheDefaultsAndWritesNothing) {
    EditorDocument document(Ini());
    EXPECT_EQ(document.imagePath, "");
    EXPECT_TRUE(document.checkRange);
    EXPECT_EQ(document.tableSelector, 0u);
    EXPECT_FALSE(std::filesystem::exists(folder / kSettingsFileName));
}

TEST_F(SettingsFileTest, RangeLimitIsOnOnlyForOne) {
    const std::pair<const char*, bool> cases[] = {
        {"1", true}, {"0", false}, {"2", false}, {"on", false}, {"", false}};
    for (const auto& [value, on] : cases) {
        test::WriteText(folder / kSettingsFileName,
                        std::string("[RANGE]\nCHECK_RANGE=") + value + "\n");
        EXPECT_EQ(EditorDocument(Ini()).checkRange, on) << "CHECK_RANGE=" << value;
    }
    test::WriteText(folder / kSettingsFileName, "[FILE]\nPATH=/card/STARTUP.BIN\n");
    EXPECT_TRUE(EditorDocument(Ini()).checkRange); // a missing key is on
}

TEST_F(SettingsFileTest, SectionAndKeyNamesIgnoreCase) {
    test::WriteText(folder / kSettingsFileName, "[file]\npath=/card/STARTUP.BIN\n");
    EXPECT_EQ(EditorDocument(Ini()).imagePath, "/card/STARTUP.BIN");
}

TEST_F(SettingsFileTest, AnOverlongPathIsCutTo259Characters) {
    const std::string longPath = "/" + std::string(300, 'a');
    test::WriteText(folder / kSettingsFileName, "[FILE]\nPATH=" + longPath + "\n");
    EXPECT_EQ(EditorDocument(Ini()).imagePath, longPath.substr(0, 259));

    const std::string kana = "/" + std::string("カード") + std::string(270, 'b');
    test::WriteText(folder / kSettingsFileName, "[FILE]\nPATH=" + kana + "\n");
    const std::string cut = EditorDocument(Ini()).imagePath;
    EXPECT_EQ(cut.substr(0, 10), "/カード"); // characters, not bytes
    EXPECT_EQ(cut.size(), 1 + 9 + 255u);
}

TEST_F(SettingsFileTest, AWriteKeepsOtherSectionsKeysAndComments) {
    const std::string before = "; settings of my editor\n"
                               "[FILE]\n"
                               "; the last card\n"
                               "PATH=/old/STARTUP.BIN\n"
                               "OTHER=kept\n"
                               "\n"
                               "[RANGE]\n"
                               "CHECK_RANGE=1\n"
                               "\n"
                               "[MINE]\n"
                               "; a comment of the user\n"
                               "COLOUR=blue\n";
    test::WriteText(folder / kSettingsFileName, before);
    ASSERT_TRUE(WriteProfileString(Ini(), kSectionRange, kKeyCheckRange, "0"));
    // Every line but the changed one stays, in its order; only blank lines may move.
    std::string expected = before;
    expected.replace(expected.find("CHECK_RANGE=1"), 13, "CHECK_RANGE=0");
    EXPECT_EQ(NonBlankLines(test::ReadText(folder / kSettingsFileName)), NonBlankLines(expected));
    EXPECT_EQ(GetProfileString(Ini(), "MINE", "COLOUR", ""), "blue");
}

TEST_F(SettingsFileTest, TheFirstWriteCreatesTheFile) {
    ASSERT_TRUE(WriteProfileString(Ini(), kSectionFile, kKeyPath, "/card/STARTUP.BIN"));
    EXPECT_EQ(GetProfileString(Ini(), kSectionFile, kKeyPath, ""), "/card/STARTUP.BIN");
    EXPECT_EQ(GetProfileInt(Ini(), kSectionRange, kKeyCheckRange, 1), 1);
    ASSERT_TRUE(WriteProfileString(Ini(), kSectionFile, kKeyPath, ""));
    EXPECT_EQ(GetProfileString(Ini(), kSectionFile, kKeyPath, "default"), "");
}

TEST_F(SettingsFileTest, AWriteIntoAMissingFolderFailsQuietly) {
    EXPECT_FALSE(WriteProfileString(Utf8FromPath(folder / "no" / kSettingsFileName), kSectionFile,
                                    kKeyPath, "x"));
    EXPECT_FALSE(std::filesystem::exists(folder / "no"));
}

TEST(SettingsFolderTest, TheExecutableFolderWhenUsableElseTheUsersConfig) {
    const std::filesystem::path exe = "/opt/orvix2/bin";
    EXPECT_EQ(PickSettingsFolder(exe, true, "/x", "/home/u"), exe);
    EXPECT_EQ(PickSettingsFolder(exe, false, "/xdg", "/home/u"), "/xdg/Orvix2");
    EXPECT_EQ(PickSettingsFolder(exe, false, nullptr, "/home/u"), "/home/u/.config/Orvix2");
    EXPECT_EQ(PickSettingsFolder(exe, false, "relative", "/home/u"), "/home/u/.config/Orvix2");
    EXPECT_EQ(PickSettingsFolder(exe, false, nullptr, nullptr), exe);
}

TEST(SettingsFolderTest, AFolderHoldingTheFileIsChosen) {
    test::TempFolder folder;
    test::WriteText(folder / kSettingsFileName, "");
    EXPECT_EQ(ChooseSettingsFolder(folder.Path(), "/nonexistent-xdg", "/nonexistent-home"),
              folder.Path());
}

} // namespace
} // namespace orvix
