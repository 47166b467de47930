#include "resources/translation.h"

#include <cstdint>
#include <deque>
#include <fstream>
#include <iterator>

#include "resources/failure_reason.h"
#include "storage/file_io.h"

namespace orvix {

namespace {

constexpr std::uint32_t kMoMagic = 0x950412de;
constexpr std::uint32_t kMoMagicSwapped = 0xde120495;

struct State {
    Language language = Language::Japanese;
    // Every catalogue loaded stays, so that views handed out earlier stay valid.
    std::deque<Catalogue> catalogues;
};

State& GlobalState() {
    static State state;
    return state;
}

std::uint32_t ReadWord(std::string_view bytes, std::size_t at, bool swapped) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        const auto byte = static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(i)]);
        value |= static_cast<std::uint32_t>(byte) << (swapped ? 8 * (3 - i) : 8 * i);
    }
    return value;
}

// The string of table entry index, or nothing when it lies outside the bytes.
std::optional<std::string_view> ReadEntry(std::string_view bytes, std::uint32_t table,
                                          std::uint32_t index, bool swapped) {
    const std::uint64_t at = std::uint64_t{table} + std::uint64_t{index} * 8;
    if (at + 8 > bytes.size()) {
        return std::nullopt;
    }
    const std::uint64_t length = ReadWord(bytes, static_cast<std::size_t>(at), swapped);
    const std::uint64_t offset = ReadWord(bytes, static_cast<std::size_t>(at) + 4, swapped);
    if (offset + length > bytes.size()) {
        return std::nullopt;
    }
    return bytes.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
}

std::optional<std::string> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        return std::nullopt;
    }
    return bytes;
}

} // namespace

std::optional<Language> ParseLanguage(std::string_view name) {
    if (name == "ja") {
        return Language::Japanese;
    }
    if (name == "en") {
        return Language::English;
    }
    return std::nullopt;
}

Language ChooseLanguage(std::string_view option, std::string_view iniValue) {
    if (const auto chosen = ParseLanguage(option)) {
        return *chosen;
    }
    return ParseLanguage(iniValue).value_or(Language::Japanese);
}

std::optional<Catalogue> ParseMoFile(std::string_view bytes) {
    if (bytes.size() < 20) {
        return std::nullopt;
    }
    const std::uint32_t magic = ReadWord(bytes, 0, false);
    if (magic != kMoMagic && magic != kMoMagicSwapped) {
        return std::nullopt;
    }
    const bool swapped = magic == kMoMagicSwapped;
    const std::uint32_t count = ReadWord(bytes, 8, swapped);
    const std::uint32_t originals = ReadWord(bytes, 12, swapped);
    const std::uint32_t translations = ReadWord(bytes, 16, swapped);
    // Both tables must lie within the file before any entry is read.
    if (std::uint64_t{count} * 8 > bytes.size()) {
        return std::nullopt;
    }
    Catalogue catalogue;
    for (std::uint32_t i = 0; i < count; ++i) {
        const auto original = ReadEntry(bytes, originals, i, swapped);
        const auto translation = ReadEntry(bytes, translations, i, swapped);
        if (!original || !translation) {
            return std::nullopt;
        }
        // The header (empty source) and plurals are not ours; a context stays in the key.
        if (original->empty() || original->find('\0') != std::string_view::npos ||
            translation->empty()) {
            continue;
        }
        catalogue.emplace(*original, *translation);
    }
    return catalogue;
}

std::vector<std::filesystem::path>
CatalogueCandidates(const std::filesystem::path& executableFolder) {
    const std::filesystem::path tail = std::filesystem::path("en") / "LC_MESSAGES" / "orvix2.mo";
    return {executableFolder.parent_path() / "share" / "locale" / tail,
            executableFolder / "locale" / tail, executableFolder.parent_path() / "locale" / tail};
}

bool SetInterfaceLanguage(Language language, const std::vector<std::filesystem::path>& catalogues) {
    State& state = GlobalState();
    state.language = Language::Japanese;
    // The system's failures are worded from the string table from now on, in either language.
    SetFailureWording(&FailureReason);
    if (language == Language::Japanese) {
        return true;
    }
    for (const std::filesystem::path& path : catalogues) {
        const auto bytes = ReadFile(path);
        if (!bytes) {
            continue;
        }
        if (auto catalogue = ParseMoFile(*bytes)) {
            state.catalogues.push_back(std::move(*catalogue));
            state.language = Language::English;
            return true;
        }
    }
    return false;
}

Language InterfaceLanguage() {
    return GlobalState().language;
}

int CatalogueGeneration() {
    return static_cast<int>(GlobalState().catalogues.size());
}

std::string_view Translate(std::string_view japanese) {
    const State& state = GlobalState();
    if (state.language != Language::English || state.catalogues.empty()) {
        return japanese;
    }
    const Catalogue& catalogue = state.catalogues.back();
    const auto found = catalogue.find(japanese);
    return found == catalogue.end() ? japanese : std::string_view(found->second);
}

std::string_view Translate(std::string_view context, std::string_view japanese) {
    const State& state = GlobalState();
    if (state.language != Language::English || state.catalogues.empty()) {
        return japanese;
    }
    std::string key(context);
    key += '\x04';
    key += japanese;
    const Catalogue& catalogue = state.catalogues.back();
    const auto found = catalogue.find(key);
    return found == catalogue.end() ? japanese : std::string_view(found->second);
}

std::string Worded(std::string_view japanese, std::initializer_list<std::string_view> arguments) {
    std::string text(Translate(japanese));
    char mark[] = "%1";
    for (const std::string_view argument : arguments) {
        if (const auto at = text.find(mark); at != std::string::npos) {
            text.replace(at, 2, argument);
        }
        ++mark[1];
    }
    return text;
}

ui::DialogTemplate TranslatedTemplate(ui::DialogTemplate dialog) {
    dialog.title = Translate(dialog.title);
    for (ui::ControlTemplate& control : dialog.controls) {
        control.text = Translate(control.text);
    }
    return dialog;
}

} // namespace orvix
