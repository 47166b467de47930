#pragma once

// The interface language. Japanese texts are the source everywhere; in English each one is looked
// up in the English catalogue (po/en.po compiled to orvix2.mo), and a text it lacks stays Japanese.

#include <filesystem>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/dialog_template.h"

namespace orvix {

enum class Language { Japanese, English };

// "ja" or "en"; nothing for anything else.
std::optional<Language> ParseLanguage(std::string_view name);

// The Orvix2.ini key that keeps the chosen language, in the section of the loaded file.
inline constexpr const char* kKeyLanguage = "Language";

// The language to use: the --lang value when given, else the settings file's key, else Japanese.
// An unknown name in either place is skipped.
Language ChooseLanguage(std::string_view option, std::string_view iniValue);

// The catalogue's translations, by Japanese text. A broken or foreign file gives nothing.
using Catalogue = std::map<std::string, std::string, std::less<>>;
std::optional<Catalogue> ParseMoFile(std::string_view bytes);

// Where the English catalogue may be, for programs in executableFolder: installed beside
// bin/ (share/locale/en/LC_MESSAGES/orvix2.mo) or in the build tree (locale/en/...).
std::vector<std::filesystem::path>
CatalogueCandidates(const std::filesystem::path& executableFolder);

// Sets the language for every later lookup; for English reads the first candidate that holds a
// catalogue. False when English was asked and no catalogue could be read (texts stay Japanese).
// From then on the storage words the system's failures in that language (FailureReason).
bool SetInterfaceLanguage(Language language, const std::vector<std::filesystem::path>& catalogues);
Language InterfaceLanguage();

// The text in the interface language: its translation, or the text itself. The view stays valid
// for the whole run.
std::string_view Translate(std::string_view japanese);
// The same for a text whose English depends on where it stands (the catalogue's msgctxt).
std::string_view Translate(std::string_view context, std::string_view japanese);

// The text in the interface language with %1, %2, ... filled in from arguments, in order.
std::string Worded(std::string_view japanese, std::initializer_list<std::string_view> arguments);

// A template with its title and every control text translated; the same template in Japanese.
// Increments with each catalogue loaded, so that cached translations can be told apart.
int CatalogueGeneration();
ui::DialogTemplate TranslatedTemplate(ui::DialogTemplate dialog);

// A template accessor's cache: the template Make makes, in the current interface language.
template <ui::DialogTemplate (*Make)()> const ui::DialogTemplate& LocalizedTemplate() {
    static std::map<int, ui::DialogTemplate> cache;
    const int key = InterfaceLanguage() == Language::English ? CatalogueGeneration() : 0;
    auto found = cache.find(key);
    if (found == cache.end()) {
        found = cache.emplace(key, key == 0 ? Make() : TranslatedTemplate(Make())).first;
    }
    return found->second;
}

} // namespace orvix
