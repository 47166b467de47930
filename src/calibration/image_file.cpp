#include "calibration/image_file.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include <string_view>
#include <system_error>

#include "calibration/card_folder.h"
#include "calibration/image_save.h"
#include "calibration/servo_table.h"
#include "resources/main_dialog.h"
#include "resources/string_table.h"
#include "resources/translation.h"
#include "storage/byte_order.h"
#include "storage/file_io.h"
#include "storage/settings_file.h"

namespace orvix {

using namespace main_dlg;

namespace {

// A count as the messages write it: 1,676.
std::string Grouped(std::size_t count) {
    // Appended digit by digit: GCC 12 warns of an overlapping copy in an insert.
    const std::string digits = std::to_string(count);
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            text += ',';
        }
        text += digits[i];
    }
    return text;
}

// The short variant of the binary form, which carries the attenuator at byte 16.
constexpr std::size_t kShortImageSize = 4011;
constexpr std::size_t kAttenuatorOffset = 16;
// The attenuator's limits on the origin table; on the range-limit tables those of its one byte,
// read back signed, so that a value the user never touched does not block the save and every
// value accepted shows again as given.
constexpr int kAttenuatorLow = 0;
constexpr int kAttenuatorHigh = 7;
constexpr int kAttenuatorByteLow = -128;
constexpr int kAttenuatorByteHigh = 127;
// The text form holds it in four hexadecimal digits, read back as a signed 16-bit value.
constexpr int kAttenuatorTextLow = -32768;
constexpr int kAttenuatorTextHigh = 32767;
// Text form: where the attenuator stands, and the mark of a file that has none.
constexpr std::size_t kTextAttenuatorPosition = 202;
constexpr std::size_t kShortTextAttenuatorPosition = 220;
constexpr std::string_view kNoAttenuatorMark = "adr=\"0x0046\"";
constexpr std::size_t kHexValueLength = 6;

constexpr int kAttenuatorControls[] = {IDC_ATTENUATOR, IDC_ATTENUATOR_SPIN, IDC_ATTENUATOR_LABEL,
                                       IDC_ATTENUATOR_SCALE};
constexpr int kImageButtons[] = {IDC_WRITE, IDC_PROGRAM_CHANGE, IDC_SETTINGS_DATA, IDC_USER_DATA};

// A file is in the binary form when its path ends in "N", as STARTUP.BIN does; a card mounted
// with lower-case short names shows startup.bin, so the letter case does not count.
bool IsBinaryPath(const std::string& path) {
    return !path.empty() && (path.back() == 'N' || path.back() == 'n');
}

std::size_t TextAttenuatorPosition(std::size_t imageSize) {
    return imageSize == kShortImageSize ? kShortTextAttenuatorPosition : kTextAttenuatorPosition;
}

bool TextHasAttenuator(std::span<const std::uint8_t> image) {
    if (!Fits(image.size(), kTextAttenuatorPosition, kNoAttenuatorMark.size())) {
        return true;
    }
    const std::string_view at(reinterpret_cast<const char*>(image.data()) + kTextAttenuatorPosition,
                              kNoAttenuatorMark.size());
    return at != kNoAttenuatorMark;
}

void ShowAttenuator(ui::DialogModel& dialog, bool visible) {
    for (int id : kAttenuatorControls) {
        dialog.Show(id, visible);
    }
}

// The value limits of a servo field on save.
std::pair<int, int> ServoLimits(const EditorDocument& document, int k) {
    if (document.tableSelector != 0) {
        // Range limits are stored as signed 16-bit values.
        return {std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()};
    }
    if (document.checkRange) {
        const int standard = kServoTable[static_cast<std::size_t>(k)].standard;
        return {standard - kOriginRangeLimit, standard + kOriginRangeLimit};
    }
    return {-kOriginLimitOff, kOriginLimitOff};
}

bool FailLoad(EditorDocument& document, ui::Prompter& prompter, int messageId,
              std::string detail = {}) {
    prompter.Failure(messageId, std::move(detail));
    document.imagePath.clear();
    document.image.clear();
    document.imageTail.clear();
    document.bluetoothProgramBytes.clear();
    return false;
}

bool LoadBinaryForm(EditorDocument& document, ui::DialogModel& dialog,
                    std::span<const std::uint8_t> image) {
    if (image.size() < static_cast<std::size_t>(kServoTableEnd)) {
        return false;
    }
    dialog.SetInt(IDC_ATTENUATOR, *ReadI8(image, kAttenuatorOffset));
    for (int k = 0; k < kServoCount; ++k) {
        const auto value = ReadI16(image, BinaryValueOffset(k, document.tableSelector));
        dialog.SetInt(ServoField(k), *value);
    }
    ShowAttenuator(dialog, image.size() == kShortImageSize);
    return true;
}

// Fills the fields from the text form; the message of the first failure, or 0.
int LoadTextForm(EditorDocument& document, ui::DialogModel& dialog,
                 std::span<const std::uint8_t> image) {
    const bool hasAttenuator = TextHasAttenuator(image);
    if (hasAttenuator) {
        const auto value = ParseHexValue(image, TextAttenuatorPosition(image.size()));
        if (!value) {
            return IDP_READ_PROGRAM_FAILED;
        }
        dialog.SetInt(IDC_ATTENUATOR, *value);
    } else {
        dialog.SetText(IDC_ATTENUATOR, "");
    }
    for (int k = 0; k < kServoCount; ++k) {
        const auto value = ParseHexValue(
            image, static_cast<std::size_t>(TextValuePosition(k, document.tableSelector)));
        if (!value) {
            return IDP_WRONG_SETTING_VALUES;
        }
        dialog.SetInt(ServoField(k), *value);
    }
    ShowAttenuator(dialog, hasAttenuator);
    return 0;
}

// Puts the checked values into the image; false when a value's place lies outside it.
bool StoreValues(EditorDocument& document, const std::optional<int>& attenuator,
                 const std::array<int, kServoCount>& values) {
    std::span<std::uint8_t> image(document.image);
    bool ok = true;
    if (attenuator) {
        ok = document.isBinaryImage
                 ? WriteU8(image, kAttenuatorOffset, static_cast<std::uint8_t>(*attenuator))
                 : FormatHexValue(*attenuator, image, TextAttenuatorPosition(image.size()));
    }
    for (int k = 0; ok && k < kServoCount; ++k) {
        const int value = values[static_cast<std::size_t>(k)];
        ok = document.isBinaryImage
                 ? WriteU16(image, BinaryValueOffset(k, document.tableSelector),
                            static_cast<std::uint16_t>(value))
                 : FormatHexValue(
                       value, image,
                       static_cast<std::size_t>(TextValuePosition(k, document.tableSelector)));
    }
    return ok;
}

} // namespace

bool LoadImageFile(EditorDocument& document, ui::DialogModel& dialog, ui::Prompter& prompter,
                   bool askForPath) {
    if (askForPath) {
        ui::OpenFileRequest request{
            std::string(Translate("ﾍﾟﾁ2実行ﾌｧｲﾙ")), "STARTUP.BIN", "BIN", "STARTUP.BIN", {}};
        if (!document.imagePath.empty()) {
            request.initialFolder = Utf8FromPath(PathFromUtf8(document.imagePath).parent_path());
        } else {
            request.initialFolder = Utf8FromPath(ChooseCardFolder()); // the mounted card, if one
        }
        const std::optional<std::string> chosen = prompter.ChooseOpenFile(request);
        if (!chosen) {
            return true;
        }
        document.imagePath = *chosen;
    }

    std::vector<std::uint8_t> bytes;
    FileError error;
    if (document.imagePath.empty()) {
        return FailLoad(document, prompter, IDP_READ_PROGRAM_FAILED);
    }
    if (!ReadWholeFile(PathFromUtf8(document.imagePath), bytes, &error)) {
        return FailLoad(document, prompter, IDP_READ_PROGRAM_FAILED, error.Describe());
    }
    document.buildVariant =
        bytes.size() > kBuildMarkerOffset && bytes[kBuildMarkerOffset] == kBuildMarkerLayoutB;
    document.imageTail.clear();
    document.bluetoothProgramBytes.clear();
    document.isBinaryImage = IsBinaryPath(document.imagePath);

    bool carriesAttenuator = false;
    if (document.isBinaryImage) {
        if (!LoadBinaryForm(document, dialog, bytes)) {
            return FailLoad(document, prompter, IDP_READ_PROGRAM_FAILED,
                            FileError{PathFromUtf8(document.imagePath),
                                      Worded("%1バイトです。サーボの表には%2バイト以上が必要です",
                                             {Grouped(bytes.size()), Grouped(kServoTableEnd)})}
                                .Describe());
        }
        carriesAttenuator = bytes.size() == kShortImageSize;
    } else if (const int failure = LoadTextForm(document, dialog, bytes); failure != 0) {
        return FailLoad(document, prompter, failure);
    }
    document.imageOnDisk = bytes;
    document.image = std::move(bytes);

    if (document.rememberImagePath && !document.iniPath.empty()) {
        WriteProfileString(document.iniPath, kSectionFile, kKeyPath, document.imagePath);
    }
    document.valuesChanged = false;
    for (int id : kImageButtons) {
        dialog.Enable(id, true);
    }
    // The short binary variant is no full program: nothing in it to change.
    if (document.isBinaryImage && carriesAttenuator) {
        dialog.Enable(IDC_PROGRAM_CHANGE, false);
    }
    return true;
}

bool SaveImageFile(ui::DialogModel& dialog, ui::Prompter& prompter, EditorDocument& document) {
    // Every field is checked before anything is stored, so that a refused value leaves the
    // image as it was.
    std::optional<int> attenuator;
    if (dialog.IsVisible(IDC_ATTENUATOR)) {
        const bool origins = document.tableSelector == 0;
        const bool binary = document.isBinaryImage;
        attenuator = ReadValueField(
            dialog, prompter, IDC_ATTENUATOR, document,
            origins ? kAttenuatorLow : (binary ? kAttenuatorByteLow : kAttenuatorTextLow),
            origins ? kAttenuatorHigh : (binary ? kAttenuatorByteHigh : kAttenuatorTextHigh));
        if (!attenuator) {
            return false;
        }
    }
    std::array<int, kServoCount> values{};
    for (int k = 0; k < kServoCount; ++k) {
        const auto [low, high] = ServoLimits(document, k);
        const auto value = ReadValueField(dialog, prompter, ServoField(k), document, low, high);
        if (!value) {
            return false;
        }
        values[static_cast<std::size_t>(k)] = *value;
    }

    const std::filesystem::path path = PathFromUtf8(document.imagePath);
    const auto failed = [&](const FileError& error) {
        prompter.Failure(IDP_WRITE_PROGRAM_FAILED, error.Describe());
        return false;
    };
    if (document.imagePath.empty() || !StoreValues(document, attenuator, values)) {
        return failed(FileError{path, "no program loaded"});
    }
    return WriteImageToCard(document, prompter);
}

std::optional<int> ReadValueField(ui::DialogModel& dialog, ui::Prompter& prompter, int fieldId,
                                  const EditorDocument&, int low, int high) {
    const std::string text = dialog.GetText(fieldId); // whole: a long text is no short number
    const auto refuse = [&](int messageId, std::string argument = {}) -> std::optional<int> {
        dialog.SetFocus(fieldId);
        prompter.Message(messageId, ui::Buttons::Ok, ui::Icon::Auto, std::move(argument));
        return std::nullopt;
    };
    if (text.empty()) {
        return refuse(IDP_NO_NUMBER);
    }
    long long value = 0;
    bool beyond = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '-' && i == 0) {
            continue;
        }
        if (c < '0' || c > '9') {
            return refuse(IDP_NOT_DECIMAL);
        }
        value = value * 10 + (c - '0');
        beyond = beyond || value > (1LL << 40);
        if (beyond) {
            value = 1LL << 40;
        }
    }
    if (text[0] == '-') {
        value = -value; // a lone minus sign stands for 0
    }
    if (value < low || value > high) {
        return refuse(IDP_OUT_OF_RANGE,
                      Worded("%1～%2", {std::to_string(low), std::to_string(high)}));
    }
    return static_cast<int>(value);
}

std::optional<std::int16_t> ParseHexValue(std::span<const std::uint8_t> text,
                                          std::size_t position) {
    if (!Fits(text.size(), position, kHexValueLength) || text[position] != '0' ||
        text[position + 1] != 'x') {
        return std::nullopt;
    }
    unsigned value = 0;
    for (std::size_t i = position + 2; i < position + kHexValueLength; ++i) {
        const std::uint8_t c = text[i];
        unsigned digit = 0;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else {
            return std::nullopt;
        }
        value = value * 16 + digit;
    }
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
}

bool FormatHexValue(int value, std::span<std::uint8_t> text, std::size_t position) {
    if (!Fits(text.size(), position, kHexValueLength)) {
        return false;
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    const auto bits = static_cast<std::uint16_t>(value);
    text[position] = '0';
    text[position + 1] = 'x';
    for (std::size_t i = 0; i < 4; ++i) {
        text[position + 2 + i] = static_cast<std::uint8_t>(kDigits[(bits >> (12 - 4 * i)) & 0xF]);
    }
    return true;
}

int StandardTableValue(int k, std::uint32_t table) {
    switch (table) {
    case 1:
        return kStandardLowerLimit;
    case 2:
        return kStandardUpperLimit;
    default:
        return kServoTable[static_cast<std::size_t>(k)].standard;
    }
}

void RestoreStandardValues(EditorDocument& document, ui::DialogModel& dialog,
                           ui::Prompter& prompter) {
    const int question = document.tableSelector == 0 ? IDP_RESTORE_ORIGINS : IDP_RESTORE_RANGES;
    if (prompter.Message(question, ui::Buttons::YesNo, ui::Icon::Question) != ui::Answer::Yes) {
        return;
    }
    for (int k = 0; k < kServoCount; ++k) {
        dialog.SetInt(ServoField(k), StandardTableValue(k, document.tableSelector));
    }
}

void ClearValueFields(EditorDocument& document, ui::DialogModel& dialog) {
    dialog.SetText(IDC_ATTENUATOR, "");
    ShowAttenuator(dialog, false); // no file, no attenuator
    for (const ServoRow& row : kServoRows) {
        dialog.SetText(row.fieldId, "");
    }
    for (int id : kImageButtons) {
        dialog.Enable(id, false);
    }
    // Emptying the fields notified their changes; an empty dialog holds no edit.
    document.valuesChanged = false;
}

static_assert(std::tuple_size_v<decltype(TableSnapshot::servos)> == kServoCount);

TableSnapshot ReadTableValues(const EditorDocument& document) {
    const std::span<const std::uint8_t> image(document.image);
    TableSnapshot values;
    if (document.isBinaryImage) {
        if (image.size() == kShortImageSize) {
            values.attenuator = ReadI8(image, kAttenuatorOffset);
        }
    } else if (TextHasAttenuator(image)) {
        values.attenuator = ParseHexValue(image, TextAttenuatorPosition(image.size()));
    }
    for (int k = 0; k < kServoCount; ++k) {
        auto& value = values.servos[static_cast<std::size_t>(k)];
        if (document.isBinaryImage) {
            value = ReadI16(image, BinaryValueOffset(k, document.tableSelector));
        } else {
            value = ParseHexValue(
                image, static_cast<std::size_t>(TextValuePosition(k, document.tableSelector)));
        }
    }
    return values;
}

void ShowTableValues(const EditorDocument& document, const TableSnapshot& before,
                     ui::DialogModel& dialog) {
    const TableSnapshot now = ReadTableValues(document);
    if (now.attenuator && now.attenuator != before.attenuator) {
        dialog.SetInt(IDC_ATTENUATOR, *now.attenuator);
    }
    for (int k = 0; k < kServoCount; ++k) {
        const auto index = static_cast<std::size_t>(k);
        if (now.servos[index] && now.servos[index] != before.servos[index]) {
            dialog.SetInt(ServoField(k), *now.servos[index]);
        }
    }
}

void ApplySpinRanges(const EditorDocument& document, ui::DialogModel& dialog) {
    const bool limited = document.checkRange && document.tableSelector == 0;
    for (int k = 0; k < kServoCount; ++k) {
        const int spin = kServoRows[static_cast<std::size_t>(k)].spinId;
        const int standard = kServoTable[static_cast<std::size_t>(k)].standard;
        if (limited) {
            dialog.SetSpinRange(spin, standard - kOriginRangeLimit, standard + kOriginRangeLimit);
        } else {
            dialog.SetSpinRange(spin, -kOriginLimitOff, kOriginLimitOff);
        }
    }
}

} // namespace orvix
