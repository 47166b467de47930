#include "options/patch_file.h"

#include <cctype>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>

#include "resources/string_table.h"
#include "resources/translation.h"
#include "storage/file_io.h"

namespace orvix {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexDigit(char c) {
    return IsDigit(c)               ? c - '0'
           : (c >= 'a' && c <= 'f') ? c - 'a' + 10
           : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                    : -1;
}

bool IsHexPrefixed(std::string_view field) {
    return field.size() >= 2 && field[0] == '0' && (field[1] == 'x' || field[1] == 'X');
}

// An address, read whole: "0x" and one to eight hexadecimal digits, or decimal digits of at most
// 32 bits, with nothing after them but blanks. None for anything else.
std::optional<std::uint32_t> ParseAddress(std::string_view field) {
    while (!field.empty() && (field.back() == ' ' || field.back() == '\t')) {
        field.remove_suffix(1);
    }
    const bool hex = IsHexPrefixed(field);
    const std::string_view digits = hex ? field.substr(2) : field;
    if (digits.empty() || (hex && digits.size() > 8)) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : digits) {
        const int digit = hex ? HexDigit(c) : (IsDigit(c) ? c - '0' : -1);
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFF'FFFFu) {
            return std::nullopt;
        }
    }
    return static_cast<std::uint32_t>(value);
}

// An expected or new value as the robot's patch files write it: "0x" and up to eight hexadecimal
// digits, or a decimal number with optional blanks and sign before it, read up to the first other
// character; its low byte. None when the number has no digit.
std::optional<std::uint8_t> ParseValue(std::string_view field) {
    std::uint32_t value = 0; // wraps like a 32-bit register instead of overflowing
    int digits = 0;
    if (IsHexPrefixed(field)) {
        for (std::size_t i = 2; i < field.size() && digits < 8 && HexDigit(field[i]) >= 0; ++i) {
            value = value * 16 + static_cast<std::uint32_t>(HexDigit(field[i]));
            ++digits;
        }
        return digits > 0 ? std::optional(static_cast<std::uint8_t>(value)) : std::nullopt;
    }
    std::size_t i = 0;
    while (i < field.size() && std::isspace(static_cast<unsigned char>(field[i]))) {
        ++i;
    }
    const bool negative = i < field.size() && field[i] == '-';
    if (i < field.size() && (field[i] == '-' || field[i] == '+')) {
        ++i;
    }
    for (; i < field.size() && IsDigit(field[i]); ++i, ++digits) {
        value = value * 10 + static_cast<std::uint32_t>(field[i] - '0');
    }
    if (digits == 0) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(negative ? 0u - value : value);
}

struct Entry {
    std::uint32_t address;
    std::optional<std::uint8_t> expected; // none: any byte
    std::uint8_t value;
};

// The entry of a line that begins with a digit, or what keeps it from being one.
std::optional<Entry> ParseEntry(std::string_view line, std::string& problem) {
    const auto first = line.find(',');
    const auto second = first == std::string_view::npos ? first : line.find(',', first + 1);
    if (second == std::string_view::npos) {
        problem = Translate("項目ではありません: 項目はアドレス,期待値,新しい値です");
        return std::nullopt;
    }
    const std::optional<std::uint32_t> address = ParseAddress(line.substr(0, first));
    if (!address) {
        problem = Translate("項目ではありません: アドレスが32ビット以内の数(10進数、または0xと8桁"
                            "までの16進数)ではありません");
        return std::nullopt;
    }
    const std::string_view expectedField = line.substr(first + 1);
    const bool anyByte = !expectedField.empty() && expectedField[0] == '*';
    const std::optional<std::uint8_t> expected =
        anyByte ? std::optional<std::uint8_t>(0xFF) : ParseValue(expectedField);
    const std::optional<std::uint8_t> value = ParseValue(line.substr(second + 1));
    if (!expected || !value) {
        problem = Translate(expected ? "項目ではありません: 新しい値に数字がありません"
                                     : "項目ではありません: 期待値に数字がありません");
        return std::nullopt;
    }
    return Entry{*address, *expected == 0xFF ? std::nullopt : expected, *value};
}

std::string HexByte(std::uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", value);
    return text;
}

} // namespace

PatchOutcome ApplyPatchText(std::span<std::uint8_t> image, std::string_view text) {
    PatchOutcome outcome;
    std::vector<std::pair<std::size_t, std::uint8_t>> changed; // to put back on an error
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3); // the byte-order mark spreadsheets write
    }
    int lineNumber = 0;
    for (std::size_t start = 0; start < text.size();) {
        const auto end = std::min(text.find_first_of("\r\n", start), text.size());
        const std::string_view line = text.substr(start, end - start);
        start = end + (text.substr(end).starts_with("\r\n") ? 2 : 1);
        ++lineNumber;
        if (line.empty() || !IsDigit(line[0])) {
            continue;
        }
        const auto fail = [&](std::string problem) {
            outcome.errors = 1;
            outcome.errorLine = lineNumber;
            // Enough of the line to find it; a long line is cut.
            outcome.errorText = std::string(line.substr(0, 80)) + (line.size() > 80 ? "..." : "");
            outcome.problem = std::move(problem);
        };
        std::string problem;
        const std::optional<Entry> entry = ParseEntry(line, problem);
        if (!entry) {
            fail(std::move(problem));
            break;
        }
        const bool inside = entry->address < image.size();
        const std::uint8_t held = inside ? image[entry->address] : 0;
        if (inside && held == entry->value) {
            ++outcome.alreadyApplied;
            continue;
        }
        if (!inside || (entry->expected && held != *entry->expected)) {
            fail(inside ? Worded("そこのバイトは%1で、%2ではありません",
                                 {HexByte(held), HexByte(*entry->expected)})
                        : Worded("アドレスがファイル(%1バイト)の外です",
                                 {std::to_string(image.size())}));
            outcome.refusedAddress = entry->address;
            break;
        }
        changed.emplace_back(entry->address, held);
        image[entry->address] = entry->value;
        ++outcome.applied;
        outcome.touchesCalibration =
            outcome.touchesCalibration || (entry->address >= kCalibrationFirstAddress &&
                                           entry->address <= kCalibrationLastAddress);
    }
    if (outcome.errorLine > 0) {
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
    if (outcome.errorLine > 0) {
        // The message names the refused entry's address, or the line that is no entry.
        std::string argument(Translate("%1行目"));
        argument.replace(argument.find("%1"), 2, std::to_string(outcome.errorLine));
        if (outcome.refusedAddress) {
            char address[16];
            std::snprintf(address, sizeof address, "0x%08x", *outcome.refusedAddress);
            argument = address;
        }
        const std::string detail = *chosen + ":" + std::to_string(outcome.errorLine) + ": \"" +
                                   outcome.errorText + "\": " + outcome.problem;
        prompter.Failure(IDP_PATCH_FAILED, detail, argument, ui::Icon::Error);
        return {};
    }
    if (outcome.applied > 0) {
        prompter.Message(IDP_PATCH_APPLIED, ui::Buttons::Ok, ui::Icon::Information,
                         std::to_string(outcome.applied));
        return PatchFileResult{true};
    }
    if (outcome.alreadyApplied > 0) {
        prompter.Message(IDP_PATCH_ALREADY_APPLIED, ui::Buttons::Ok, ui::Icon::Error);
    }
    return {};
}

} // namespace orvix
