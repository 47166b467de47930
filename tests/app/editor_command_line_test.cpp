#include "app/editor_command_line.h"

#include <gtest/gtest.h>
#include <sstream>

#include "resources/translation.h"

namespace orvix {
namespace {

using Action = EditorCommandLine::Action;

TEST(EditorCommandLineTest, ReadsTheLanguageTheCardAndWhatIsAsked) {
    const struct {
        std::vector<std::string> arguments;
        Action action;
        std::string language;
        std::string image;
    } rows[] = {
        {{}, Action::Run, "", ""},
        {{"card/STARTUP.BIN"}, Action::Run, "", "card/STARTUP.BIN"},
        {{"--lang", "en", "card"}, Action::Run, "en", "card"},
        {{"card", "--lang=ja"}, Action::Run, "ja", "card"},
        {{"--lang", "en", "--help"}, Action::Help, "en", ""},
        {{"card", "-h"}, Action::Help, "", "card"},
        {{"--version", "a", "b"}, Action::Version, "", "a"}, // asked for the version: no usage
        {{"--lang", "fr", "--help"}, Action::Usage, "fr", ""},
        {{"a", "b"}, Action::Usage, "", "a"},
        {{"--lang"}, Action::Usage, "", ""},
        {{"--verbose", "card"}, Action::Usage, "", "card"},
    };
    for (const auto& row : rows) {
        const EditorCommandLine line = ParseEditorCommandLine(row.arguments);
        const std::string shown = ::testing::PrintToString(row.arguments);
        EXPECT_EQ(line.action, row.action) << shown;
        EXPECT_EQ(line.language, row.language) << shown;
        EXPECT_EQ(line.image, row.image) << shown;
    }
}

// The lead bytes of U+3000 to U+9FFF (kana, kanji, ideographic signs) and U+FF00 to U+FFEF.
bool HasJapanese(std::string_view text) {
    return text.find_first_of("\xe3\xe4\xe5\xe6\xe7\xe8\xe9\xef") != std::string_view::npos;
}

// One language per screen: in Japanese every line of the help holds Japanese, in English none;
// the card's parts are named as the dialogs name them, and each front end has its own line.
TEST(EditorCommandLineTest, HelpIsInTheInterfaceLanguage) {
    const struct {
        Language language;
        std::string usage, parts, windowsLine, qtLine;
    } rows[] = {
        {Language::Japanese, "使い方: orvix2 [--lang ja|en] [STARTUP.BIN | カードのフォルダ]",
         "STARTUP.BINのサーボ値とプログラム、設定データ、ユーザです。", "ドロップ", "Qt自身"},
        {Language::English, "Usage: orvix2 [--lang ja|en] [STARTUP.BIN | CARD-FOLDER]",
         "Servo values and Program in STARTUP.BIN, Settings, Users.", "dropped on orvix2.exe",
         "Qt's own options"},
    };
    for (const auto& row : rows) {
        ASSERT_TRUE(SetInterfaceLanguage(row.language, {ORVIX2_TEST_CATALOGUE}));
        EXPECT_EQ(EditorUsage(), row.usage + "\n");
        for (const EditorFrontEnd frontEnd : {EditorFrontEnd::Qt, EditorFrontEnd::Windows}) {
            const std::string help = EditorHelp(frontEnd);
            EXPECT_TRUE(help.starts_with(row.usage + "\n")) << help;
            EXPECT_NE(help.find(row.parts), std::string::npos) << help;
            const bool windows = frontEnd == EditorFrontEnd::Windows;
            EXPECT_EQ(help.find(row.windowsLine) != std::string::npos, windows) << help;
            EXPECT_EQ(help.find(row.qtLine) != std::string::npos, !windows) << help;
            std::istringstream lines(help);
            for (std::string each; std::getline(lines, each);) {
                if (!each.empty()) {
                    EXPECT_EQ(HasJapanese(each), row.language == Language::Japanese) << each;
                }
            }
        }
    }
    SetInterfaceLanguage(Language::Japanese, {});
}

} // namespace
} // namespace orvix
