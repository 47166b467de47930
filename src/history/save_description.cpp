#include "history/save_description.h"

#include <algorithm>
#include <map>

#include "history/card_meaning.h"
#include "storage/file_io.h"

namespace orvix {

namespace {

bool IsProgram(const std::string& name) {
    return FoldedCardName(name) == "STARTUP.BIN";
}

// The number of bytes two contents differ in, an absent or unreadable one counting as empty.
std::size_t DifferingBytes(const std::optional<std::filesystem::path>& a,
                           const std::optional<std::filesystem::path>& b) {
    std::vector<std::uint8_t> x;
    std::vector<std::uint8_t> y;
    if (a) {
        ReadWholeFile(*a, x);
    }
    if (b) {
        ReadWholeFile(*b, y);
    }
    const std::size_t common = std::min(x.size(), y.size());
    std::size_t count = std::max(x.size(), y.size()) - common;
    for (std::size_t i = 0; i < common; ++i) {
        count += x[i] != y[i] ? 1 : 0;
    }
    return count;
}

} // namespace

std::string FoldedCardName(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) {
        c = c == '/' ? '\\' : c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return folded;
}

std::vector<RecordedChange> DescribeSave(const std::filesystem::path& cardFolder,
                                         std::span<const SavedContent> files) {
    std::map<std::string, const SavedContent*> saved;
    bool program = false;
    bool cardFiles = false;
    for (const SavedContent& file : files) {
        saved.emplace(FoldedCardName(file.name), &file);
        (IsProgram(file.name) ? program : cardFiles) = true;
    }
    // Only the kinds of file the save touched are read: a setting's save leaves the program alone.
    const auto read = [&](bool after) {
        return ReadCardMeaning(
            [&](const std::string& name) -> std::optional<std::filesystem::path> {
                if (IsProgram(name) && !program) {
                    return std::nullopt;
                }
                if (const auto found = saved.find(FoldedCardName(name)); found != saved.end()) {
                    return after ? found->second->after : found->second->before;
                }
                const std::filesystem::path path = CardFilePath(cardFolder, name);
                std::error_code code;
                if (!std::filesystem::is_regular_file(path, code)) {
                    return std::nullopt;
                }
                return path;
            },
            !cardFiles);
    };
    std::vector<RecordedChange> changes = ChangesOf(CompareMeanings(read(false), read(true)));
    if (changes.empty()) {
        for (const SavedContent& file : files) {
            changes.push_back(RecordedChange{
                "bytes", file.name, "", std::to_string(DifferingBytes(file.before, file.after))});
        }
    }
    return changes;
}

void InstallSaveDescriber() {
    SetSaveDescriber(&DescribeSave);
}

} // namespace orvix
