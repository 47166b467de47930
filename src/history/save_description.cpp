#include "history/save_description.h"

#include <algorithm>
#include <map>

#include "history/card_meaning.h"
#include "storage/file_io.h"
#include "users/user_record.h"

namespace orvix {

namespace {

bool IsProgram(const std::string& name) {
    return FoldedCardName(name) == "STARTUP.BIN";
}

// The part of the card's meaning a file bears on: any file neither the program nor the users'
// counts as a setting file.
MeaningPart PartOf(const std::string& name) {
    const std::string folded = FoldedCardName(name);
    if (folded == "STARTUP.BIN") {
        return kProgramPart;
    }
    if (folded == FoldedCardName(kNameTableFile)) {
        return kUsersPart;
    }
    for (int slot = 0; slot < kUserSlotCount; ++slot) {
        if (folded == FoldedCardName(UserFileName(slot))) {
            return kUsersPart;
        }
    }
    return kSettingsPart;
}

// One side of a saved file: its bytes in memory, else read from its path (absent or unreadable:
// empty).
const std::vector<std::uint8_t>& ContentOf(const std::vector<std::uint8_t>* bytes,
                                           const std::optional<std::filesystem::path>& path,
                                           std::vector<std::uint8_t>& read) {
    if (bytes != nullptr) {
        return *bytes;
    }
    if (path) {
        ReadWholeFile(*path, read);
    }
    return read;
}

// The number of bytes two contents differ in, an absent or unreadable one counting as empty.
std::size_t DifferingBytes(const SavedContent& file) {
    std::vector<std::uint8_t> a;
    std::vector<std::uint8_t> b;
    const std::vector<std::uint8_t>& x = ContentOf(file.beforeBytes, file.before, a);
    const std::vector<std::uint8_t>& y = ContentOf(file.afterBytes, file.after, b);
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
    unsigned parts = 0;
    const SavedContent* program = nullptr;
    for (const SavedContent& file : files) {
        saved.emplace(FoldedCardName(file.name), &file);
        parts |= PartOf(file.name);
        program = IsProgram(file.name) ? &file : program;
    }
    // Only the parts the saved files bear on are read (a setting's save leaves the program and
    // the users alone), and a saved file's content in memory is not read again. A setting field
    // depends on its own file alone: one the save did not touch is the same on both sides, and
    // left unread (the users' fields depend on the name table as well, so they are all read).
    std::vector<std::uint8_t> scratch; // the room in which both sides of the program are read
    const auto read = [&](bool after) {
        const std::vector<std::uint8_t>* bytes = nullptr;
        if (program != nullptr) {
            bytes = after ? program->afterBytes : program->beforeBytes;
        }
        return ReadCardParts(
            [&](const std::string& name) -> std::optional<std::filesystem::path> {
                if (const auto found = saved.find(FoldedCardName(name)); found != saved.end()) {
                    return after ? found->second->after : found->second->before;
                }
                if (PartOf(name) == kSettingsPart) {
                    return std::nullopt;
                }
                const std::filesystem::path path = CardFilePath(cardFolder, name);
                std::error_code code;
                if (!std::filesystem::is_regular_file(path, code)) {
                    return std::nullopt;
                }
                return path;
            },
            parts, bytes, &scratch);
    };
    std::vector<RecordedChange> changes = ChangesOf(CompareMeanings(read(false), read(true)));
    if (changes.empty()) {
        for (const SavedContent& file : files) {
            changes.push_back(
                RecordedChange{"bytes", file.name, "", std::to_string(DifferingBytes(file))});
        }
    }
    return changes;
}

void InstallSaveDescriber() {
    SetSaveDescriber(&DescribeSave);
}

} // namespace orvix
