#include "options/patch_file.h"

#include <cctype>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>

#include "resources/string_table.h"
#include "storage/file_io.h"

namespace orvix {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A field as the robot's patch files write it: "0x" and up to eight hexadecimal digits, or a
// decimal number with optional blanks and sign before it, read up to the first other character.
std::int32_t ParseField(std::string_view field) {
    if (field.size() >= 2 && field[0] == '0' && (field[1] == 'x' || field[1] == 'X')) {
        std::uint32_t value = 0;
        for (std::size_t i = 2; i < field.size() && i < 10; ++i) {
            const char c = field[i];
            const int digit = IsDigit(c)               ? c - '0'
                              : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                              : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                       : -1;
            if (digit < 0) {
                break;
            }
            value = value * 16 + static_cast<std::uint32_t>(digit);
        }
        return static_cast<std::int32_t>(value);
    }
    std::size_t i = 0;
    while (i < field.size() && std::isspace(static_cast<unsigned char>(field[i]))) {
        ++i;
    }
    const bool negative = i < field.size() && field[i] == '-';
    if (i < field.size() && (field[i] == '-' || field[i] == '+')) {
        ++i;
    }
    std::uint32_t value = 0; // wraps like a 32-bit register instead of overflowing
    for (; i < field.size() && IsDigit(field[i]); ++i) {
        value = value * 10 + static_cast<std::uint32_t>(field[i] - '0');
    }
    return static_cast<std::int32_t>(negative ? 0u - value : value);
}

struct Entry {
    std::int32_t address;
    std::optional<std::uint8_t> expected; // none: any byte
    std::uint8_t value;
};

// The entry of a line that begins with a digit; none when it lacks two commas.
std::optional<Entry> ParseEntry(std::string_view line) {
    const auto first = line.find(',');
    const auto second = first == std::string_view::npos ? first : line.find(',', first + 1);
    if (second == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view expected = line.substr(first + 1);
    const auto expectedByte = static_cast<std::uint8_t>(ParseField(expected));
    const bool any = (!expected.empty() && expected[0] == '*') || expectedByte == 0xFF;
    return Entry{ParseField(line), any ? std::nullopt : std::optional(expectedByte),
                 static_cast<std::uint8_t>(ParseField(line.substr(second + 1)))};
}

} // namespace

PatchOutcome ApplyPatchText(std::span<std::uint8_t> image, std::string_view text) {
    PatchOutcome outcome;
    std::vector<std::pair<std::size_t, std::uint8_t>> changed; // to put back on an error
    for (std::size_t start = 0; start < text.size();) {
        const auto end = std::min(text.find('\n', start), text.size());
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (line.empty() || !IsDigit(line[0])) {
            continue;
        }
        const std::optional<Entry> entry = ParseEntry(line);
        if (!entry) {
            ++outcome.errors;
            continue;
        }
        const bool inside =
            entry->address >= 0 && static_cast<std::size_t>(entry->address) < image.size();
        const auto at = static_cast<std::size_t>(entry->address);
        if (inside && image[at] == entry->value) {
            ++outcome.alreadyApplied;
            continue;
        }
        if (!inside || (entry->expected && image[at] != *entry->expected)) {
            ++outcome.errors;
            outcome.refusedAddress = static_cast<std::uint32_t>(entry->address);
            break;
        }
        changed.emplace_back(at, image[at]);
        image[at] = entry->value;
        ++outcome.applied;
        outcome.touchesCalibration =
            outcome.touchesCalibration || (entry->address >= kCalibrationFirstAddress &&
                                           entry->address <= kCalibrationLastAddress);
    }
    if (outcome.errors > 0) {
        for (auto it = changed.rbegin(); it != changed.rend(); ++it) {
            image[it->first] = it->second;
        }
    }
    return outcome;
}

PatchFileResult ChooseAndApplyPatchFile(EditorDocument& document, ui::Prompter& prompter) {
    ui::OpenFileRequest request{"CSVﾌｧｲﾙ", "*.CSV", "CSV", {}, {}};
    if (!document.imagePath.empty()) {
        request.initialFolder = Utf8FromPath(PathFromUtf8(document.imagePath).parent_path());
    }
    const std::optional<std::string> chosen = prompter.ChooseOpenFile(request);
    if (!chosen) {
        return {};
    }
    std::vector<std::uint8_t> bytes;
    FileError error;
    if (!ReadWholeFile(PathFromUtf8(*chosen), bytes, &error)) {
        prompter.Failure(IDP_PATCH_READ_FAILED, error.Describe(), {}, ui::Icon::Error);
        return {};
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const PatchOutcome outcome = ApplyPatchText(document.image, text);
    if (outcome.errors > 0) {
        char address[16];
        std::snprintf(address, sizeof address, "0x%08x", outcome.refusedAddress);
        prompter.Message(IDP_PATCH_FAILED, ui::Buttons::Ok, ui::Icon::Error, address);
        return {};
    }
    if (outcome.applied > 0) {
        prompter.Message(IDP_PATCH_APPLIED, ui::Buttons::Ok, ui::Icon::Information,
                         std::to_string(outcome.applied));
        return PatchFileResult{true, outcome.touchesCalibration};
    }
    if (outcome.alreadyApplied > 0) {
        prompter.Message(IDP_PATCH_ALREADY_APPLIED, ui::Buttons::Ok, ui::Icon::Error);
    }
    return {};
}

} // namespace orvix
