// The English interface: every text of the string table and the templates has a translation that
// keeps its %1, and a broken catalogue gives no translation instead of a crash.

#include "resources/translation.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

#include "resources/failure_reason.h"
#include "resources/history_dialog.h"
#include "resources/main_dialog.h"
#include "resources/program_dialog.h"
#include "resources/settings_dialog.h"
#include "resources/string_table.h"
#include "resources/user_dialogs.h"
#include "storage/file_io.h"

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

// A failure of the system is told by its kind in the interface's language, never in the system's
// words; FileError's details follow the language chosen.
TEST_F(TranslationTest, EachKindOfFailureHasItsReasonInBothLanguages) {
    using platform::FailureKind;
    const struct {
        FailureKind kind;
        int code;
        const char* japanese;
        const char* english;
    } rows[] = {
        {FailureKind::NotFound, 2, "ファイルが見つかりません", "file not found"},
        {FailureKind::NoPermission, 5, "アクセスが拒否されました（権限がないか、読み取り専用です）",
         "access denied (no permission, or read-only)"},
        {FailureKind::InUse, 32, "他のプログラムが使用中です", "in use by another program"},
        {FailureKind::NoSpace, 112, "ディスクの空き容量が足りません",
         "not enough space on the disk"},
        {FailureKind::InputOutput, 5, "入出力エラー", "input/output error"},
        {FailureKind::NotAFile, 0, "通常のファイルではありません", "not a regular file"},
        {FailureKind::TooLarge, 0, "ファイルが大きすぎます（64 MiBを超えています）",
         "file too large (over 64 MiB)"},
        {FailureKind::Exists, 80, "同じ名前のファイルがすでにあります",
         "a file of that name exists already"},
        {FailureKind::Other, 1117, "その他のエラー（コード 1117）", "other error (code 1117)"},
    };
    const FileError ownReason{"E:/STARTUP.BIN", "no program loaded"};
    for (const bool english : {false, true}) {
        ASSERT_TRUE(SetInterfaceLanguage(english ? Language::English : Language::Japanese,
                                         {ORVIX2_TEST_CATALOGUE}));
        for (const auto& row : rows) {
            const std::string reason = english ? row.english : row.japanese;
            EXPECT_EQ(FailureReason(row.kind, row.code), reason);
            EXPECT_EQ(FileError::Of("E:/STARTUP.BIN", {row.kind, row.code}).Describe(),
                      "E:/STARTUP.BIN: " + reason);
        }
        EXPECT_EQ(ownReason.Describe(), "E:/STARTUP.BIN: no program loaded");
    }
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
