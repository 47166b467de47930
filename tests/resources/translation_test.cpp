// The English interface: every text of the string table and the templates has a translation that
// keeps its %1, and a broken catalogue gives no translation instead of a crash.

#include "resources/translation.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

#include "resources/history_dialog.h"
#include "resources/main_dialog.h"
#include "resources/program_dialog.h"
#include "resources/settings_dialog.h"
#include "resources/string_table.h"
#include "resources/user_dialogs.h"

namespace orvix {
namespace {

// The lead bytes of U+3000 to U+9FFF (kana, kanji) and of the full-width forms.
bool HasJapanese(std::string_view text) {
    return text.find_first_of("\xe3\xe4\xe5\xe6\xe7\xe8\xe9\xef") != std::string_view::npos;
}

class TranslationTest : public ::testing::Test {
protected:
    void TearDown() override { SetInterfaceLanguage(Language::Japanese, {}); }
};

TEST_F(TranslationTest, EveryMessageAndEveryTemplateTextIsInEnglishWithItsPlaceholders) {
    std::vector<std::string> texts;
    for (int id = 0; id < 1000; ++id) {
        texts.emplace_back(LoadString(id));
    }
    for (const auto& dialog : {&MainDialogTemplate, &AboutDialogTemplate, &ProgramDialogTemplate,
                               &SettingsDialogTemplate, &UserDialogTemplate, &DateDialogTemplate,
                               &HistoryDialogTemplate}) {
        texts.emplace_back(dialog().title);
        for (const ui::ControlTemplate& control : dialog().controls) {
            texts.emplace_back(control.text);
        }
    }
    ASSERT_TRUE(SetInterfaceLanguage(Language::English, {ORVIX2_TEST_CATALOGUE}));
    for (const std::string& japanese : texts) {
        std::string_view english = Translate(japanese);
        english = english == japanese ? Translate("weekday", japanese) : english;
        EXPECT_FALSE(HasJapanese(english)) << japanese << " has no English";
        EXPECT_EQ(english.find("%1") == english.npos, japanese.find("%1") == japanese.npos)
            << japanese << " / " << english;
    }
    // The templates and the string table serve it; a weekday is not the month and day labels'.
    EXPECT_EQ(DateDialogTemplate().Find(date_dlg::IDC_FIRST_LESSON_DAY + 1)->text, "Mon");
    EXPECT_EQ(LoadString(IDP_OUT_OF_RANGE), "The number is out of range (%1).");
    SetInterfaceLanguage(Language::Japanese, {});
    EXPECT_EQ(DateDialogTemplate().Find(date_dlg::IDC_FIRST_LESSON_DAY + 1)->text, "月");
}

TEST_F(TranslationTest, TheOptionWinsOverTheKeyAndTheKeyOverJapanese) {
    EXPECT_EQ(ChooseLanguage("", ""), Language::Japanese);
    EXPECT_EQ(ChooseLanguage("", "en"), Language::English);
    EXPECT_EQ(ChooseLanguage("ja", "en"), Language::Japanese);
    EXPECT_EQ(ChooseLanguage("", "English"), Language::Japanese);
    // No catalogue to be found: English is refused and the texts stay Japanese.
    EXPECT_FALSE(SetInterfaceLanguage(Language::English, {"/nonexistent/orvix2.mo"}));
    EXPECT_EQ(Translate("閉じる"), "閉じる");
}

TEST_F(TranslationTest, OnlyAWholeCatalogueIsRead) {
    std::ifstream in(ORVIX2_TEST_CATALOGUE, std::ios::binary);
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_TRUE(ParseMoFile(file));
    EXPECT_EQ(ParseMoFile(file)->at("閉じる"), "Close");
    // Cut inside a table or a string; the magic, the count or a table's offset too large.
    for (std::size_t size = 0; size + 1 < file.size(); size += size < 200 ? 1 : 397) {
        EXPECT_FALSE(ParseMoFile(file.substr(0, size))) << size;
    }
    for (const std::size_t at : {3, 11, 15, 19}) {
        std::string broken = file;
        broken[at] = '\x7f';
        EXPECT_FALSE(ParseMoFile(broken)) << at;
    }
}

} // namespace
} // namespace orvix
