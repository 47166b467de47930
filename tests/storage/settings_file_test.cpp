#include "storage/settings_file.h"

#include <gtest/gtest.h>

#include "calibration/editor_document.h"
#include "storage/file_io.h"
#include "storage/platform.h"
#include "support/temp_folder.h"

namespace orvix {
namespace {

// What Orvix2.ini gives the editor: the range limit on unless CHECK_RANGE reads 0 or another
// number (a missing key is on), and the image path cut to 259 characters, not bytes.
TEST(SettingsFileTest, TheRangeLimitAndThePathAreReadAsWritten) {
    test::TempFolder folder;
    const std::string ini = Utf8FromPath(folder / kSettingsFileName);
    const std::string longPath = std::string("/").append(300, 'a');
    const std::string kana = std::string("/カード").append(270, 'b');
    const std::tuple<std::string, bool, std::string> cases[] = {
        {"[RANGE]\nCHECK_RANGE=1\n", true, ""},
        {"[RANGE]\nCHECK_RANGE=0\n", false, ""},
        {"[RANGE]\nCHECK_RANGE=2\n", false, ""},
        {"[RANGE]\nCHECK_RANGE=on\n", false, ""},
        {"[RANGE]\nCHECK_RANGE=\n", true, ""},
        {"[RANGE]\nCHECK_RANGE= 1\n", true, ""},
        {"[file]\npath=/card/STARTUP.BIN\n", true, "/card/STARTUP.BIN"}, // names ignore case
        {"[FILE]\nPATH=" + longPath + "\n", true, longPath.substr(0, 259)},
        {"[FILE]\nPATH=" + kana + "\n", true, std::string("/カード").append(255, 'b')},
    };
    for (const auto& [text, checkRange, path] : cases) {
        test::WriteText(folder / kSettingsFileName, text);
        const EditorDocument document(ini);
        EXPECT_EQ(std::tuple(document.checkRange, document.imagePath), std::tuple(checkRange, path))
            << text;
    }
}

// A write changes the line of its key only; every other byte of the file stays.
TEST(SettingsFileTest, OnlyTheKeysLineChanges) {
    const std::tuple<const char*, const char*> cases[] = {
        // The first of repeated keys, whatever its letter case; comments and endings stay.
        {"; mine\r\n[range]\r\ncheck_range = 1\r\nCHECK_RANGE=1\r\n; last\r\n",
         "; mine\r\n[range]\r\nCHECK_RANGE=0\r\nCHECK_RANGE=1\r\n; last\r\n"},
        // A missing key goes after the section's last line that is not blank.
        {"[RANGE]\nX=1\n; note\n\n[FILE]\nPATH=/a\n",
         "[RANGE]\nX=1\n; note\nCHECK_RANGE=0\n\n[FILE]\nPATH=/a\n"},
        // A line without "=" and a key of the same name in another section are no match.
        {"[FILE]\nCHECK_RANGE=7\n[RANGE]\nCHECK_RANGE\n",
         "[FILE]\nCHECK_RANGE=7\n[RANGE]\nCHECK_RANGE\nCHECK_RANGE=0\n"},
        // A missing section goes at the end, after a line ending for an unfinished last line.
        {"[FILE]\nPATH=/a", "[FILE]\nPATH=/a\n[RANGE]\nCHECK_RANGE=0\n"},
        {"", "[RANGE]\nCHECK_RANGE=0\n"},
        // A lone CR ends a line too, and new lines take it.
        {"[FILE]\rPATH=/a\r", "[FILE]\rPATH=/a\r[RANGE]\rCHECK_RANGE=0\r"},
        {"[RANGE]\rCHECK_RANGE=1\r[FILE]\r", "[RANGE]\rCHECK_RANGE=0\r[FILE]\r"},
    };
    for (const auto& [before, after] : cases) {
        EXPECT_EQ(SetProfileLine(before, "RANGE", "CHECK_RANGE", "0"), after) << before;
    }
    // The file itself: the first write creates it, but not its folder.
    test::TempFolder folder;
    ASSERT_TRUE(WriteProfileString(Utf8FromPath(folder / kSettingsFileName), kSectionFile, kKeyPath,
                                   "/card/STARTUP.BIN"));
    EXPECT_EQ(test::ReadText(folder / kSettingsFileName), "[FILE]\nPATH=/card/STARTUP.BIN\n");
    EXPECT_FALSE(WriteProfileString(Utf8FromPath(folder / "no" / kSettingsFileName), kSectionFile,
                                    kKeyPath, "x"));
    EXPECT_FALSE(std::filesystem::exists(folder / "no"));
}

// The executable's folder when it may be written, else the user's configuration.
TEST(SettingsFolderTest, TheExecutableFolderWhenUsableElseTheUsersConfig) {
    const std::filesystem::path exe = "/opt/orvix2/bin";
    EXPECT_EQ(PickSettingsFolder(exe, true, "/xdg/Orvix2"), exe);
    EXPECT_EQ(PickSettingsFolder(exe, false, "/xdg/Orvix2"), "/xdg/Orvix2");
    EXPECT_EQ(PickSettingsFolder(exe, false, ""), exe);
}

// A program folder that may be written serves on Linux; on Windows only an Orvix2.ini beside the
// program does (a portable copy), else the user's folder (%LOCALAPPDATA%\Orvix2), made.
TEST(SettingsFolderTest, AnOrvix2IniBesideTheProgramMakesItPortable) {
    test::TempFolder temp;
    std::filesystem::create_directories(temp / "bin");
    const std::filesystem::path user = temp / "local" / "Orvix2";
    EXPECT_EQ(ChooseSettingsFolder(temp / "bin", user),
              platform::HasPosixFiles() ? temp / "bin" : user);
    EXPECT_EQ(std::filesystem::is_directory(user), !platform::HasPosixFiles());
    test::WriteText(temp / "bin" / kSettingsFileName, "");
    EXPECT_EQ(ChooseSettingsFolder(temp / "bin", user), temp / "bin");
}

} // namespace
} // namespace orvix
