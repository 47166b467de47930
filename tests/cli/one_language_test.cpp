// One language per screen: every line the tool prints (help, messages, refusals, the text form
// of every command) holds Japanese in Japanese mode, and no English words but names, and in
// English mode neither Japanese nor full-width signs. Data is left out: the demo card's kana names,
// and the lines listed below that the documentation gives without either.

#include <gtest/gtest.h>
#include <regex>
#include <set>

#include "cli/cli_runner.h"
#include "resources/translation.h"

namespace orvix::test {
namespace {

// The lead bytes of U+3000 to U+9FFF (kana, kanji, the ideographic signs) and of U+FF00 to
// U+FFEF (the full-width forms).
bool HasJapanese(std::string_view text) {
    return text.find_first_of("\xe3\xe4\xe5\xe6\xe7\xe8\xe9\xef") != std::string_view::npos;
}

// Lines that are the same in both languages: the documented version text, and data alone: no
// letters once the tool's name, the test's folder and the card's file names are left out.
bool LanguageFree(std::string line, const std::string& folder) {
    if (line == "Orvix2, Version 3.68") {
        return true;
    }
    for (std::size_t at; (at = line.find(folder)) != std::string::npos;) {
        line.erase(at, folder.size());
    }
    line = std::regex_replace(line, std::regex(R"(orvix2-cli|[\w/\\]+\.(BIN|TXT|CSV)|0x[0-9a-f]+)"),
                              "");
    return !std::regex_search(line, std::regex("[A-Za-z]"));
}

class OneLanguageTest : public CardTest {
protected:
    void SetUp() override { MakeCard(); }

    // Every line of out and err in the language: Japanese lines hold Japanese, English ones none.
    void Check(const std::string& language, const std::vector<std::string>& arguments) {
        std::vector<std::string> line{"--lang", language};
        line.insert(line.end(), arguments.begin(), arguments.end());
        const CliResult result = Run(line);
        std::string text = result.out + result.err;
        for (const char* name : {"たろうくん", "ろなくん"}) { // the demo card's names: data
            text = std::regex_replace(text, std::regex(name), "NAME");
        }
        std::istringstream lines(text);
        for (std::string each; std::getline(lines, each);) {
            if (each.empty() || LanguageFree(each, temp_.Path().string())) {
                continue;
            }
            EXPECT_EQ(HasJapanese(each), language == "ja")
                << language << " " << arguments[0] << ": " << each;
            // Nor English words inside a Japanese line: the tool's commands and names aside, no
            // three words in a row, nor one "in" or "of" another.
            const std::string words = std::regex_replace(each, std::regex("orvix2-cli[ a-z]*"), "");
            EXPECT_FALSE(language == "ja" &&
                         std::regex_search(words, std::regex(R"([a-z]+ (in|of|[a-z]+ [a-z]+)\b)")))
                << arguments[0] << ": " << each;
        }
    }
    std::string At(const std::string& point = "") { return (temp_ / "card").string() + point; }
};

TEST_F(OneLanguageTest, EveryLineOfTheToolIsInTheChosenLanguage) {
    // Written in both languages, so that the history has entries to word.
    ASSERT_EQ(On("calibration", "set", {"ID2=30", "ID16=-50"}).status, 0);
    ASSERT_EQ(On("settings", "set", {"volume=7"}).status, 0);
    ASSERT_EQ(On("users", "set", {"1", "--lessons", "1,2"}).status, 0);
    WriteText(temp_ / "bad.csv", "1,0x00\n"); // no entry: the patch fails, naming why
    // An entry of the history that cannot be read, for the words of why.
    WriteText(temp_ / "settings" / "backups" / "history" / "000900.txt", "no entry\n");
    const std::vector<std::vector<std::string>> commands{
        {"--help"},
        {"calibration", "set", "--help"},
        {"users", "set", "--help"},
        {"restore", "--help"},
        {},
        {"calibration", "show", path_, "--table", "middle"},
        {"users", "set", path_, "3", "--lessons", "9"},
        {"users", "set", path_, "11"},
        {"users", "set", path_, "1", "--lessons", "1", "--lessons", "2"},
        {"calibration", "show", path_},
        {"calibration", "set", path_, "ID2=9999"},
        {"options", "show", path_},
        {"options", "set", path_, "walkSteps=99999"},
        {"settings", "show", path_},
        {"settings", "set", path_, "volume=999"},
        {"settings", "set", path_, "timeoutStand=99999999999"}, // with the field's range
        {"options", "set", path_, "walkSteps=99999999999"},
        {"patch", path_, (temp_ / "bad.csv").string()},
        {"users", "list", path_},
        {"history", At()},
        {"diff", At("@first"), At()},
        {"diff", At(), "--standard"},
        {"restore", At("@-1")},
        {"restore", At("@first"), "--yes"},
        {"history", At()}, // a restore among the entries
        {"diff", At("@-x"), At()},
        {"restore", At("@foo")},
        {"demo", (temp_ / "other").string()},
    };
    for (const std::string language : {"ja", "en"}) {
        for (const std::vector<std::string>& command : commands) {
            Check(language, command.empty() ? std::vector<std::string>{"users"} : command);
        }
    }
}

} // namespace
} // namespace orvix::test
