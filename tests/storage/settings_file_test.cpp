#include "storage/settings_file.h"

#include <gtest/gtest.h>

#include "calibration/editor_document.h"
#include "storage/file_io.h"
#include "support/temp_folder.h"

namespace orvix {
namespace {

class SettingsFileTest : public ::testing::Test {
protected:
    std::string Ini() const { return Utf8FromPath(folder / kSettingsFileName); }
    test::TempFolder folder;
};

TEST_F(SettingsFileTest, RangeLimitIsOnOnlyForOne) {
    const std::pair<const char*, bool> cases[] = {{"1", true},   {"0", false}, {"2", false},
                                                  {"on", false}, {"", true},   {" 1", true}};
    for (const auto& [value, on] : cases) {
        test::WriteText(folder / kSettingsFileName,
                        std::string("[RANGE]\nCHECK_RANGE=") + value + "\n");
        EXPECT_EQ(EditorDocument(Ini()).checkRange, on) << "CHECK_RANGE=" << value;
    }
    test::WriteText(folder / kSettingsFileName, "[file]\npath=/card/STARTUP.BIN\n");
    EXPECT_TRUE(EditorDocument(Ini()).checkRange);                   // a missing key is on
    EXPECT_EQ(EditorDocument(Ini()).imagePath, "/card/STARTUP.BIN"); // names ignore case
}

TEST_F(SettingsFileTest, AnOverlongPathIsCutTo259Characters) {
    // Built by appending: GCC 12 takes "text" + std::string(...) for an overlapping copy.
    const std::string longPath = std::string("/").append(300, 'a');
    test::WriteText(folder / kSettingsFileName, "[FILE]\nPATH=" + longPath + "\n");
    EXPECT_EQ(EditorDocument(Ini()).imagePath, longPath.substr(0, 259));

    const std::string kana = std::string("/カード").append(270, 'b');
    test::WriteText(folder / kSettingsFileName, "[FILE]\nPATH=" + kana + "\n");
    const std::string cut = EditorDocument(Ini()).imagePath;
    EXPECT_EQ(cut.substr(0, 10), "/カード"); // characters, not bytes
    EXPECT_EQ(cut.size(), 1 + 9 + 255u);
}

// A write changes the line of its key only; every other byte of the file stays.
TEST(ProfileLineTest, OnlyTheKeysLineChanges) {
    struct Case {
        const char* before;
        const char* section;
        const char* value;
        const char* after;
    };
    const Case cases[] = {
        // The first of repeated keys, whatever its letter case; comments and endings stay.
        {"; mine\r\n[range]\r\ncheck_range = 1\r\nCHECK_RANGE=1\r\n; last\r\n", "RANGE", "0",
         "; mine\r\n[range]\r\nCHECK_RANGE=0\r\nCHECK_RANGE=1\r\n; last\r\n"},
        // A missing key goes after the section's last line that is not blank.
        {"[RANGE]\nX=1\n; note\n\n[FILE]\nPATH=/a\n", "RANGE", "1",
         "[RANGE]\nX=1\n; note\nCHECK_RANGE=1\n\n[FILE]\nPATH=/a\n"},
        // A line without "=" and a key of the same name in another section are no match.
        {"[FILE]\nCHECK_RANGE=7\n[RANGE]\nCHECK_RANGE\n", "RANGE", "0",
         "[FILE]\nCHECK_RANGE=7\n[RANGE]\nCHECK_RANGE\nCHECK_RANGE=0\n"},
        // A missing section goes at the end, after a line ending for an unfinished last line.
        {"[FILE]\nPATH=/a", "RANGE", "0", "[FILE]\nPATH=/a\n[RANGE]\nCHECK_RANGE=0\n"},
        {"", "RANGE", "1", "[RANGE]\nCHECK_RANGE=1\n"},
        // A lone CR ends a line too, and new lines take it.
        {"[FILE]\rPATH=/a\r", "RANGE", "0", "[FILE]\rPATH=/a\r[RANGE]\rCHECK_RANGE=0\r"},
        {"[RANGE]\rCHECK_RANGE=1\r[FILE]\r", "RANGE", "0", "[RANGE]\rCHECK_RANGE=0\r[FILE]\r"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SetProfileLine(c.before, c.section, "CHECK_RANGE", c.value), c.after) << c.before;
    }
}

TEST_F(SettingsFileTest, AWriteKeepsTheRestOfTheFile) {
    const std::string before = "[FILE]\nPATH=/old/STARTUP.BIN\n[FILE]\nPATH=/b\n; end\n";
    test::WriteText(folder / kSettingsFileName, before);
    ASSERT_TRUE(WriteProfileString(Ini(), kSectionFile, kKeyPath, "/new/STARTUP.BIN"));
    EXPECT_EQ(test::ReadText(folder / kSettingsFileName),
              "[FILE]\nPATH=/new/STARTUP.BIN\n[FILE]\nPATH=/b\n; end\n");
    EXPECT_EQ(GetProfileString(Ini(), kSectionFile, kKeyPath, ""), "/new/STARTUP.BIN");
}

TEST_F(SettingsFileTest, TheFirstWriteCreatesTheFileButNotItsFolder) {
    ASSERT_TRUE(WriteProfileString(Ini(), kSectionFile, kKeyPath, "/card/STARTUP.BIN"));
    EXPECT_EQ(test::ReadText(folder / kSettingsFileName), "[FILE]\nPATH=/card/STARTUP.BIN\n");
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

TEST(SettingsFolderTest, AnInstalledProgramKeepsItsSettingsInTheUsersConfig) {
    // Root may write to /usr/bin, yet the settings never go there.
    test::TempFolder config;
    EXPECT_EQ(ChooseSettingsFolder("/usr/bin", config.Path().c_str(), "/nonexistent-home"),
              config / "Orvix2");
    EXPECT_TRUE(std::filesystem::is_directory(config / "Orvix2"));
}

} // namespace
} // namespace orvix
