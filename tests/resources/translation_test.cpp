// The English interface: every text of the string table and the templates has a translation that
// keeps its %1, and a broken catalogue gives no translation instead of a crash.

#include "resources/translation.h"

#include <gtest/gtest.h>

#include "resources/history_dialog.h"
#include "resources/main_dialog.h"
#include "resources/program_dialog.h"
#include "resources/settings_dialog.h"
#include "resources/string_table.h"
#include "resources/user_dialogs.h"

namespace orvix {
namespace {

// Kana, kanji and full-width forms, decoded from UTF-8.
bool HasJapanese(std::string_view text) {
    for (std::size_t i = 0; i + 2 < text.size(); ++i) {
        const auto b = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
        if ((b(0) & 0xf0) == 0xe0) {
            const unsigned c = (b(0) & 0x0fu) << 12 | (b(1) & 0x3fu) << 6 | (b(2) & 0x3fu);
            if ((c >= 0x3040 && c <= 0x30ff) || (c >= 0x4e00 && c <= 0x9fff) ||
                (c >= 0xff00 && c <= 0xffef)) {
                return true;
            }
        }
    }
    return false;
}

std::size_t Placeholders(std::string_view text) {
    std::size_t count = 0;
    for (auto at = text.find("%1"); at != std::string_view::npos; at = text.find("%1", at + 2)) {
        ++count;
    }
    return count;
}

class TranslationTest : public ::testing::Test {
protected:
    void TearDown() override { SetInterfaceLanguage(Language::Japanese, {}); }
};

TEST_F(TranslationTest, EveryMessageAndEveryTemplateTextIsInEnglishWithItsPlaceholders) {
    std::vector<std::pair<std::string, std::string>> texts; // Japanese, English
    const auto collect = [&](auto&& each) {
        ASSERT_TRUE(SetInterfaceLanguage(Language::Japanese, {}));
        std::vector<std::string> japanese;
        each([&](std::string_view text) { japanese.emplace_back(text); });
        ASSERT_TRUE(SetInterfaceLanguage(Language::English, {ORVIX2_TEST_CATALOGUE}));
        std::size_t i = 0;
        each([&](std::string_view text) { texts.emplace_back(japanese.at(i++), text); });
    };
    collect([](auto add) {
        for (int id = 0; id < 1000; ++id) {
            add(LoadString(id));
        }
    });
    for (const auto& dialog : {&MainDialogTemplate, &AboutDialogTemplate, &ProgramDialogTemplate,
                               &SettingsDialogTemplate, &UserDialogTemplate, &DateDialogTemplate,
                               &HistoryDialogTemplate}) {
        collect([&](auto add) {
            add(dialog().title);
            for (const ui::ControlTemplate& control : dialog().controls) {
                add(control.text);
            }
        });
    }
    std::size_t translated = 0;
    for (const auto& [japanese, english] : texts) {
        if (!HasJapanese(japanese)) {
            continue;
        }
        ++translated;
        EXPECT_FALSE(HasJapanese(english)) << japanese << " has no English: " << english;
        EXPECT_EQ(Placeholders(english), Placeholders(japanese)) << japanese << " / " << english;
    }
    EXPECT_GT(translated, 300u);
    // A weekday is not the month and day labels' "月" and "日".
    EXPECT_EQ(DateDialogTemplate().Find(date_dlg::IDC_FIRST_LESSON_DAY + 1)->text, "Mon");
    EXPECT_EQ(LoadString(IDP_OUT_OF_RANGE), "The number is out of range (%1).");
    // Back in Japanese, the templates and messages are the documented texts again.
    SetInterfaceLanguage(Language::Japanese, {});
    EXPECT_EQ(DateDialogTemplate().Find(date_dlg::IDC_FIRST_LESSON_DAY + 1)->text, "月");
    EXPECT_EQ(LoadString(IDP_OUT_OF_RANGE), "数字が範囲(%1)を越えています");
}

TEST_F(TranslationTest, TheOptionWinsOverTheKeyAndTheKeyOverJapanese) {
    const struct {
        std::string_view option, key;
        Language expected;
    } rows[] = {{"", "", Language::Japanese},        {"", "en", Language::English},
                {"ja", "en", Language::Japanese},    {"en", "ja", Language::English},
                {"", "English", Language::Japanese}, {"fr", "en", Language::English}};
    for (const auto& row : rows) {
        EXPECT_EQ(ChooseLanguage(row.option, row.key), row.expected) << row.option << row.key;
    }
    // No catalogue to be found: English is refused and the texts stay Japanese.
    EXPECT_FALSE(SetInterfaceLanguage(Language::English, {"/nonexistent/orvix2.mo"}));
    EXPECT_EQ(InterfaceLanguage(), Language::Japanese);
    EXPECT_EQ(Translate("閉じる"), "閉じる");
}

// A catalogue as msgfmt writes it: magic, revision, count, the two tables, then the strings.
std::string MoFile(const std::vector<std::pair<std::string, std::string>>& entries, bool big) {
    std::string bytes;
    const auto word = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            bytes += static_cast<char>(v >> (big ? 8 * (3 - i) : 8 * i));
        }
    };
    const auto n = static_cast<std::uint32_t>(entries.size());
    std::uint32_t at = 28 + 16 * n;
    word(0x950412de), word(0), word(n), word(28), word(28 + 8 * n), word(0), word(0);
    std::string strings;
    for (int side = 0; side < 2; ++side) {
        for (const auto& entry : entries) {
            const std::string& text = side == 0 ? entry.first : entry.second;
            word(static_cast<std::uint32_t>(text.size())), word(at);
            strings += text + '\0';
            at += static_cast<std::uint32_t>(text.size()) + 1;
        }
    }
    return bytes + strings;
}

TEST_F(TranslationTest, OnlyAWholeCatalogueIsRead) {
    const std::vector<std::pair<std::string, std::string>> entries{
        {"", "Content-Type: text/plain; charset=UTF-8\n"}, {"閉じる", "Close"}};
    for (bool big : {false, true}) {
        const std::string file = MoFile(entries, big);
        const auto catalogue = ParseMoFile(file);
        ASSERT_TRUE(catalogue);
        EXPECT_EQ(*catalogue, (Catalogue{{"閉じる", "Close"}}));
        // Cut anywhere inside a table or a string, or with the count or an offset too large.
        for (std::size_t size = 0; size < file.size() - 1; ++size) {
            EXPECT_FALSE(ParseMoFile(file.substr(0, size))) << size;
        }
        for (const std::size_t at : {std::size_t{0}, std::size_t{8}, std::size_t{12},
                                     std::size_t{16}, std::size_t{28 + 8 + 4}}) {
            std::string broken = file;
            broken[at + (big ? 0 : 3)] = '\x7f';
            EXPECT_FALSE(ParseMoFile(broken)) << at;
        }
    }
}

} // namespace
} // namespace orvix
