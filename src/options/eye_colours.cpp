#include "options/eye_colours.h"

#include <algorithm>
#include <array>
#include <optional>

#include "options/image_bytes.h"
#include "options/program_options.h"

namespace orvix {

namespace {

using ColourRecord = std::array<std::uint8_t, kColourRecordSize>;

ColourRecord RecordOf(EyeColour colour) {
    ColourRecord record{};
    const std::int16_t channels[] = {colour.red, colour.green, colour.blue};
    for (std::size_t i = 0; i < 6; ++i) {
        const auto value = static_cast<std::uint16_t>(channels[i % 3]);
        record[2 * i] = static_cast<std::uint8_t>(value);
        record[2 * i + 1] = static_cast<std::uint8_t>(value >> 8);
    }
    return record;
}

ColourRecord RecordAt(const EditorDocument& document, std::uint32_t address) {
    ColourRecord record{};
    for (std::size_t i = 0; i < record.size(); ++i) {
        record[i] = ImageU8(document, address + i);
    }
    return record;
}

EyeColour ColourAt(const EditorDocument& document, std::uint32_t address) {
    return EyeColour{static_cast<std::int16_t>(ImageU16(document, address)),
                     static_cast<std::int16_t>(ImageU16(document, address + 2)),
                     static_cast<std::int16_t>(ImageU16(document, address + 4))};
}

void WriteColours(EditorDocument& document, EyeColour first, EyeColour second) {
    const Layout layout = LayoutOf(document.buildVariant);
    for (const PerLayout& record : kFirstColourRecords) {
        PutImageBytes(document, record.In(layout), RecordOf(first));
    }
    for (const PerLayout& record : kSecondColourRecords) {
        PutImageBytes(document, record.In(layout), RecordOf(second));
    }
}

} // namespace

EyeColourChoice ReadEyeColourChoice(const EditorDocument& document) {
    const Layout layout = LayoutOf(document.buildVariant);
    const ColourRecord first = RecordAt(document, kFirstColourRecords[0].In(layout));
    EyeColourChoice choice;
    if (first == RecordOf(kStandardOrange)) {
        choice.standard = true;
    } else if (first == RecordOf(kEnergySavingOrange)) {
        choice.standard = true;
        choice.energySaving = true;
    }
    choice.noBlink = first == RecordAt(document, kSecondColourRecords[0].In(layout));
    return choice;
}

void SetStandardEyeColour(EditorDocument& document, bool energySaving, bool noBlink) {
    if (!IsKnownProgram(document)) {
        return;
    }
    const EyeColour first = energySaving ? kEnergySavingOrange : kStandardOrange;
    const EyeColour second = noBlink ? first : (energySaving ? kDimOrange : kEnergySavingOrange);
    WriteColours(document, first, second);
}

bool ChooseEyeColour(EditorDocument& document, ui::Prompter& prompter, bool energySaving,
                     bool noBlink) {
    if (!IsKnownProgram(document)) {
        return false;
    }
    const EyeColour stored = FirstEyeColour(document);
    ui::Rgb offered{stored.red, stored.green, stored.blue};
    if (offered.red < 128 && offered.green < 128 && offered.blue < 128) {
        offered = ui::Rgb{offered.red * 2, offered.green * 2, offered.blue * 2};
    }
    // The chooser offers channels of 0 to 255 only.
    for (int* channel : {&offered.red, &offered.green, &offered.blue}) {
        *channel = std::clamp(*channel, 0, 255);
    }
    const std::optional<ui::Rgb> chosen = prompter.ChooseColour(offered);
    if (!chosen) {
        return false;
    }
    const auto channel = [](int value) {
        return static_cast<std::int16_t>(std::clamp(value, 0, 255));
    };
    const auto halved = [](EyeColour c) {
        return EyeColour{static_cast<std::int16_t>(c.red / 2),
                         static_cast<std::int16_t>(c.green / 2),
                         static_cast<std::int16_t>(c.blue / 2)};
    };
    EyeColour first{channel(chosen->red), channel(chosen->green), channel(chosen->blue)};
    if (energySaving) {
        first = halved(first);
    }
    WriteColours(document, first, noBlink ? first : halved(first));
    return true;
}

EyeColour FirstEyeColour(const EditorDocument& document) {
    return ColourAt(document, kFirstColourRecords[0].In(LayoutOf(document.buildVariant)));
}

EyeColour SecondEyeColour(const EditorDocument& document) {
    return ColourAt(document, kSecondColourRecords[0].In(LayoutOf(document.buildVariant)));
}

} // namespace orvix
