#include "users/user_record.h"

#include <gtest/gtest.h>

#include "resources/string_table.h"
#include "support/scripted_prompter.h"
#include "user_card.h"

namespace orvix::test {
namespace {

// The documented syllable table, code 0 to 143, each text followed by "|".
constexpr const char* kDocumentedSyllables =
    "|あ|い|う|え|お|か|き|く|け|こ|さ|し|す|せ|そ|た|ち|つ|て|と|な|に|ぬ|ね|の|は|ひ|ふ|へ|"
    "ほ|ま|み|む|め|も|や|ゆ|よ|ら|り|る|れ|ろ|わ|を|ん|ちゃん|くん|さん|"
    "||ー||||||っ||||が|ぎ|ぐ|げ|ご|ざ|じ|ず|ぜ|ぞ|だ|ぢ|づ|で|ど|ば|び|ぶ|"
    "べ|ぼ|ぱ|ぴ|ぷ|ぺ|ぽ|きゃ|きゅ|きょ|しゃ|しゅ|しょ|ちゃ|ちゅ|ちょ|ひゅ|にゃ|にゅ|にょ|"
    "ひゃ|ひゅ|ひょ|きゅ|みゃ|みゅ|みょ|びゃ|びゅ|びょ|ぎゃ|ぎゅ|ぎょ|じゃ|じゅ|じょ|じゃ|じゅ|"
    "じょ|びゅ|"
    "びゃ|びゅ|びょ|ぴゃ|ぴゅ|ぴょ|ふぃ|べぇ|ぼぉ|しぇ|ちぇ|てぃ|どぅ|ふぁ|ふぃ|ふぇ|ふぉ|じぇ|"
    "びぃ|どぅ|"
    "ばぁ|びぃ|べぇ|ぼぉ|";

TEST(UserRecordTest, EachSyllableCodeHasItsDocumentedText) {
    std::string texts;
    for (int code = 0; code < 144; ++code) {
        texts += std::string(SyllableText(static_cast<std::uint8_t>(code))) + "|";
    }
    EXPECT_EQ(texts, kDocumentedSyllables);
}

// Names are whole however many bytes they take; a code without a text shows as "？". A short
// table reads its missing bytes as zero.
TEST(UserRecordTest, ANameIsItsSyllablesRead) {
    const std::pair<std::array<std::uint8_t, 5>, const char*> cases[] = {
        {{16, 43, 3, 48, 0xFF}, "たろうくん"},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, ""},
        {{0, 16, 0xFF, 50, 0}, "た"},
        {{144, 16, 254, 0xFF, 0xFF}, "？た？"},
        {{47, 90, 143, 52, 58}, "ちゃんしゃぼぉーっ"},
    };
    std::vector<Entry> entries;
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        entries.push_back({k + 1, cases[k].first, 0});
    }
    UserCard card;
    Bytes table = NameTableBytes(entries);
    table.resize(45); // up to the codes of the last entry
    WriteBytes(card.File("nametbl.bin"), table);
    ScriptedPrompter prompter;
    ASSERT_TRUE(LoadNameTable(card.document, prompter));
    table.resize(18608, 0);
    EXPECT_TRUE(card.document.nameTable == table);
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        EXPECT_EQ(NameText(NameTable(card.document.nameTable), static_cast<int>(k) + 1),
                  cases[k].second);
    }
}

// The whole text is read: the month from its start and the day from after the first slash, as
// strtol reads them (blanks and a sign first, up to the first other character).
TEST(UserRecordTest, DateTextsAreReadWhole) {
    const std::pair<const char*, std::optional<UserDate>> cases[] = {
        {"", UserDate{0, 0}},          {"12/25", UserDate{12, 25}},
        {" 1/ 1", UserDate{1, 1}},     {"2/31", UserDate{2, 31}},
        {"3/4/5", UserDate{3, 4}},     {"           12/31", UserDate{12, 31}},
        {"+4x/31日", UserDate{4, 31}}, {"0/5", std::nullopt},
        {"13/1", std::nullopt},        {"3/0", std::nullopt},
        {"3/32", std::nullopt},        {"3-4", std::nullopt},
        {"/5", std::nullopt},          {"12/", std::nullopt},
        {"３/４", std::nullopt},       {"4294967297/1", std::nullopt},
        {"-1/5", std::nullopt},        {" ", std::nullopt},
    };
    for (const auto& [text, date] : cases) {
        EXPECT_EQ(ParseDateText(text), date) << '"' << text << '"';
    }
    EXPECT_EQ(FormatDateText(3, 15), "3/15");
    EXPECT_EQ(FormatDateText(12, 1), "12/1");
}

} // namespace
} // namespace orvix::test
