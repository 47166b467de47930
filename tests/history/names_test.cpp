// One name per thing: every field the history and diff name, every servo of the editor and the
// show commands, has one entry of the name table, and where a dialog shows the thing, the table's
// name is the dialog's own text in both languages.

#include "resources/names.h"

#include <gtest/gtest.h>
#include <map>
#include <set>

#include "history/card_meaning.h"
#include "history/meaning_names.h"
#include "resources/history_dialog.h"
#include "resources/main_dialog.h"
#include "resources/program_dialog.h"
#include "resources/settings_dialog.h"
#include "resources/translation.h"
#include "resources/user_dialogs.h"

namespace orvix {
namespace {

bool HasJapanese(std::string_view text) {
    return text.find_first_of("\xe3\xe4\xe5\xe6\xe7\xe8\xe9\xef") != std::string_view::npos;
}

class NamesTest : public ::testing::Test {
protected:
    void TearDown() override { SetInterfaceLanguage(Language::Japanese, {}); }
};

TEST_F(NamesTest, EveryAreaNamesEachOfItsFieldsFromTheTableInBothLanguages) {
    std::vector<std::pair<std::string, std::string>> fields; // area, key as the history records
    for (const char* area : kMeaningAreas) {
        fields.emplace_back("area", area);
    }
    for (const ServoRow& row : kServoRows) {
        for (const char* table : meaning::kTableKeys) {
            fields.emplace_back("calibration", std::string(ServoName(row)) + " " + table);
        }
    }
    for (const meaning::OptionName& option : meaning::kOptionNames) {
        fields.emplace_back(option.remote ? "remote" : "options", option.name);
    }
    for (const char* key : meaning::kSettingKeys) {
        fields.emplace_back("settings", key);
    }
    for (const char* key : {"inUse", "nameIndex", "name", "birthday", "anniversary", "specialDay",
                            "lessonDays", "garbageDays"}) {
        fields.emplace_back("users", std::string("user3 ") + key);
    }
    for (const Language language : {Language::Japanese, Language::English}) {
        ASSERT_TRUE(SetInterfaceLanguage(language, {ORVIX2_TEST_CATALOGUE}));
        std::map<std::string, std::set<std::string>> seen; // names by area: one thing each
        for (const auto& [area, key] : fields) {
            const std::string shown =
                area == "area" ? std::string(NameOf(kArea, key)) : ShownField(area, key);
            EXPECT_NE(shown, key) << area << " " << key << " has no name";
            // "Bluetooth" is the program dialog's own text in both.
            EXPECT_EQ(HasJapanese(shown), language == Language::Japanese && shown != "Bluetooth")
                << shown;
            EXPECT_TRUE(seen[area].insert(shown).second) << shown << " names two things";
        }
    }
}

TEST_F(NamesTest, TheDialogsShowTheTablesNames) {
    // Every entry a dialog shows as a control text, and every servo of the main dialog.
    std::set<std::string_view> texts;
    for (const auto& dialog : {&MainDialogTemplate, &ProgramDialogTemplate, &SettingsDialogTemplate,
                               &UserDialogTemplate, &DateDialogTemplate, &HistoryDialogTemplate}) {
        for (const ui::ControlTemplate& control : dialog().controls) {
            texts.insert(control.text);
        }
    }
    ASSERT_TRUE(SetInterfaceLanguage(Language::English, {ORVIX2_TEST_CATALOGUE}));
    int shown = 0;
    for (const ShownName& name : ShownNames()) {
        EXPECT_FALSE(HasJapanese(name.english)) << name.english;
        if (name.area != kValueArea && texts.contains(name.japanese)) {
            EXPECT_EQ(Translate(name.japanese), name.english) << name.key;
            ++shown;
        }
    }
    for (const ServoRow& row : kServoRows) {
        EXPECT_EQ(FindName(kServoArea, ServoName(row))->japanese, row.label);
        EXPECT_TRUE(FindName(kSideArea, ServoName(row)) != nullptr);
    }
    EXPECT_GT(shown, 40); // the servos, the options' and the settings' controls
    // The weekdays of the day lists are the date dialog's.
    for (const char* day : {"0", "6"}) {
        EXPECT_EQ(Translate("weekday", FindName(kValueArea, day)->japanese),
                  FindName(kValueArea, day)->english);
    }
}

} // namespace
} // namespace orvix
