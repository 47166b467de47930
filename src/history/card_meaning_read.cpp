#include "history/card_meaning.h"

#include <algorithm>
#include <cstdio>

#include "calibration/editor_document.h"
#include "calibration/image_file.h"
#include "calibration/servo_table.h"
#include "history/meaning_names.h"
#include "options/option_sites.h"
#include "options/program_options.h"
#include "resources/main_dialog.h"
#include "settings/power_ups.h"
#include "settings/setting_files.h"
#include "storage/byte_order.h"
#include "storage/file_io.h"
#include "ui/dialog_model.h"
#include "users/user_record.h"

namespace orvix {

namespace {

// Lists are built by appending: GCC 12 warns of an overlapping copy in "[" + list + "]" and in
// (list.empty() ? "" : ",") + item.
void AppendItem(std::string& list, const std::string& item) {
    if (!list.empty()) {
        list += ',';
    }
    list += item;
}

std::string Bracketed(const std::string& list) {
    std::string text = "[";
    text += list;
    text += ']';
    return text;
}

using Bytes = std::vector<std::uint8_t>;

// Reading for a comparison asks nothing and shows nothing.
class SilentPrompter : public ui::Prompter {
public:
    ui::Answer ShowMessage(const ui::MessageRequest&) override { return ui::Answer::No; }
    std::optional<std::string> ChooseOpenFile(const ui::OpenFileRequest&) override {
        return std::nullopt;
    }
    std::optional<ui::Rgb> ChooseColour(ui::Rgb) override { return std::nullopt; }
};

using namespace meaning;

std::string Stem(std::string_view name) {
    const auto slash = name.rfind('\\');
    std::string stem(name.substr(slash == std::string_view::npos ? 0 : slash + 1));
    return stem.substr(0, stem.find('.'));
}

void Add(CardMeaning& meaning, const char* area, std::string field, std::string value) {
    meaning.fields.push_back(MeaningField{area, std::move(field), std::move(value)});
}

// The first 16 bytes of a card file, the missing ones as zero (as the settings dialog reads
// them); none when it is absent or cannot be read.
std::optional<Bytes> ReadSmall(const CardFileLocator& locate, const std::string& name) {
    const auto path = locate(name);
    Bytes bytes;
    if (!path || !ReadWholeFile(*path, bytes)) {
        return std::nullopt;
    }
    bytes.resize(std::max<std::size_t>(bytes.size(), 16), 0);
    return bytes;
}

int Signed(const Bytes& b, std::size_t i) {
    return static_cast<std::int8_t>(b[i]);
}

std::string SettingValue(int slot, const Bytes& b) {
    char text[40];
    switch (slot) {
    case kSlotInitialised:
    case kSlotBoardError:
    case kSlotUserWarning:
        return b[0] == 1 ? "on" : "off";
    case kSlotBirthday:
        return std::to_string(Signed(b, 0)) + "/" + std::to_string(Signed(b, 1));
    case kSlotRandom:
        return b[0] == kRandomVariable ? "variable" : std::to_string(Signed(b, 0));
    case kSlotVolume:
        return std::to_string(Signed(b, 0));
    case kSlotTvMaker:
        return (b[0] & kTvMakerMask) <= 7 ? std::to_string(b[0] & kTvMakerMask) : "none";
    case kSlotPowerUps: {
        const std::uint64_t flags =
            std::uint64_t{ReadU32(b, 4).value_or(0)} << 32 | ReadU32(b, 0).value_or(0);
        std::string list;
        for (std::size_t row = 0; row < kPowerUpTable.size(); ++row) {
            if ((flags >> kPowerUpTable[row].bit & 1) != 0) {
                AppendItem(list, std::to_string(row + 1));
            }
        }
        std::snprintf(text, sizeof text, " (0x%016llx)", static_cast<unsigned long long>(flags));
        return Bracketed(list) + text;
    }
    case kSlotWakeUp:
        std::snprintf(text, sizeof text, "%02d/%02d/%02d %02d:%02d:%02d", Signed(b, 6),
                      Signed(b, 5), Signed(b, 4), Signed(b, 2), Signed(b, 1), Signed(b, 0));
        return text;
    default:
        return SettingFileOf(slot).width == 4 ? std::to_string(ReadI32(b, 0).value_or(0))
                                              : std::to_string(ReadI16(b, 0).value_or(0));
    }
}

void ReadProgram(CardMeaning& meaning, const std::filesystem::path& path, const Bytes* given,
                 Bytes* scratch) {
    EditorDocument document{std::string()};
    document.rememberImagePath = false;
    document.imagePath = Utf8FromPath(path);
    const char last = document.imagePath.empty() ? ' ' : document.imagePath.back();
    bool lent = false; // read from a copy in scratch's room; the meaning keeps given itself
    if (last == 'N' || last == 'n') {
        // The binary form, as the load takes it, without the copies the editor keeps.
        Bytes bytes;
        if (given != nullptr && scratch != nullptr) {
            scratch->assign(given->begin(), given->end());
            bytes.swap(*scratch);
            lent = true;
        } else if (given != nullptr) {
            bytes = *given;
        }
        if ((given == nullptr && !ReadWholeFile(path, bytes)) ||
            bytes.size() < static_cast<std::size_t>(kServoTableEnd)) {
            return;
        }
        document.isBinaryImage = true;
        document.buildVariant =
            bytes.size() > kBuildMarkerOffset && bytes[kBuildMarkerOffset] == kBuildMarkerLayoutB;
        document.image = std::move(bytes);
    } else {
        ui::DialogModel model(MainDialogTemplate());
        SilentPrompter prompter;
        if (!LoadImageFile(document, model, prompter, false) || document.imagePath.empty()) {
            return;
        }
    }
    // The image is kept once its reading is done, without a copy.
    const auto keep = [&] {
        if (lent) {
            // Not owned (an empty owner): given outlives the meaning, and the copy's room goes
            // back to scratch for the next reading.
            meaning.program = std::shared_ptr<const Bytes>(std::shared_ptr<const Bytes>(), given);
            scratch->swap(document.image);
        } else {
            meaning.program = std::make_shared<const Bytes>(std::move(document.image));
        }
    };
    meaning.programForm = !document.isBinaryImage         ? "text"
                          : document.image.size() == 4011 ? "binary short"
                          : document.buildVariant         ? "binary B"
                                                          : "binary A";
    for (std::uint32_t table = 0; table < 3; ++table) {
        document.tableSelector = table;
        const TableSnapshot values = ReadTableValues(document);
        for (int k = 0; k < kServoCount; ++k) {
            const auto& value = values.servos[static_cast<std::size_t>(k)];
            const std::string name(ServoName(kServoRows[static_cast<std::size_t>(k)]));
            Add(meaning, "calibration", name + " " + kTableKeys[table],
                value ? std::to_string(*value) : "unreadable");
        }
        if (table == 0 && values.attenuator) {
            Add(meaning, "calibration", "attenuator", std::to_string(*values.attenuator));
        }
    }
    if (!document.isBinaryImage || document.image.size() == 4011) {
        return keep(); // no program to read options from
    }
    const ReadOptionsResult read = ReadProgramOptions(document);
    if (!read.accepted) {
        return keep();
    }
    meaning.optionsRead = true;
    for (const OptionName& option : kOptionNames) {
        Add(meaning, option.remote ? "remote" : "options", option.name,
            option.flag != nullptr ? (read.options.*option.flag ? "on" : "off")
                                   : std::to_string(read.options.*option.number));
    }
    Add(meaning, "options", "eyeColour first", Colour(FirstEyeColour(document)));
    Add(meaning, "options", "eyeColour second", Colour(SecondEyeColour(document)));
    keep();
}

std::string Days(std::uint8_t days) {
    std::string list;
    for (int day = 0; day < kDayCount; ++day) {
        if ((days & DayMask(day)) != 0) {
            AppendItem(list, std::to_string(day));
        }
    }
    return Bracketed(list);
}

std::string Date(const UserDate& date) {
    return date.IsSet() ? FormatDateText(date.month, date.day) : "not set";
}

void ReadSettingFiles(CardMeaning& meaning, const CardFileLocator& locate) {
    for (const SettingFile& file : kSettingFiles) {
        const auto bytes = ReadSmall(locate, std::string(file.name));
        Add(meaning, "settings", kSettingKeys[static_cast<std::size_t>(file.slot)],
            bytes ? SettingValue(file.slot, *bytes) : "absent");
    }
    const auto head = ReadSmall(locate, std::string(kHeadSwitchFile));
    Add(meaning, "settings", "headSwitch", head ? ((*head)[0] & 1 ? "on" : "off") : "absent");
    for (const bool walking : {false, true}) {
        for (int number = kServoLegFirst; number <= kServoArmLast; ++number) {
            if (number > kServoLegLast && number < kServoArmFirst) {
                continue;
            }
            const std::string name = ServoFileName(number, walking);
            const auto b = ReadSmall(locate, name);
            std::string values;
            for (std::size_t i = 0; b && i < 3; ++i) {
                AppendItem(values, std::to_string(Signed(*b, i)));
            }
            Add(meaning, "settings", name, b ? Bracketed(values) : "absent");
        }
    }
}

void ReadUserFiles(CardMeaning& meaning, const CardFileLocator& locate) {
    Bytes names;
    const auto tablePath = locate(kNameTableFile);
    if (tablePath) {
        ReadWholeFile(*tablePath, names);
    }
    const NameTable table(names);
    for (int slot = 0; slot < kUserSlotCount; ++slot) {
        const std::string prefix = "user" + std::to_string(slot + 1) + " ";
        const auto path = locate(UserFileName(slot));
        Bytes bytes;
        if (!path || !ReadWholeFile(*path, bytes)) {
            Add(meaning, "users", prefix + "inUse", "absent");
            continue;
        }
        const UserRecord record = UserRecord::FromBytes(bytes);
        Add(meaning, "users", prefix + "inUse", record.InUse() ? "yes" : "free");
        if (!record.InUse()) {
            continue;
        }
        Add(meaning, "users", prefix + "nameIndex", std::to_string(record.nameIndex));
        Add(meaning, "users", prefix + "name",
            NameTable::Holds(record.nameIndex) ? NameText(table, record.nameIndex) : "");
        Add(meaning, "users", prefix + "birthday", Date(record.birthday));
        Add(meaning, "users", prefix + "anniversary", Date(record.anniversary));
        Add(meaning, "users", prefix + "specialDay", Date(record.specialDay));
        Add(meaning, "users", prefix + "lessonDays", Days(record.lessonDays));
        Add(meaning, "users", prefix + "garbageDays", Days(record.garbageDays));
    }
}

} // namespace

const MeaningField* CardMeaning::Find(const std::string& area, const std::string& field) const {
    for (const MeaningField& f : fields) {
        if (f.area == area && f.field == field) {
            return &f;
        }
    }
    return nullptr;
}

CardMeaning ReadCardMeaning(const CardFileLocator& locate, bool programOnly) {
    return ReadCardParts(locate, programOnly ? kProgramPart : kAllParts);
}

CardMeaning ReadCardParts(const CardFileLocator& locate, unsigned parts, const Bytes* program,
                          Bytes* scratch) {
    CardMeaning meaning;
    if ((parts & kProgramPart) != 0) {
        if (const auto path = locate("STARTUP.BIN")) {
            ReadProgram(meaning, *path, program, scratch);
        }
    }
    meaning.hasCardFiles = (parts & (kSettingsPart | kUsersPart)) != 0;
    if ((parts & kSettingsPart) != 0) {
        ReadSettingFiles(meaning, locate);
    }
    if ((parts & kUsersPart) != 0) {
        ReadUserFiles(meaning, locate);
    }
    return meaning;
}

CardMeaning ReadFolderMeaning(const std::filesystem::path& folder) {
    return ReadCardMeaning([&](const std::string& name) -> std::optional<std::filesystem::path> {
        const std::filesystem::path path = CardFilePath(folder, name);
        std::error_code code;
        if (!std::filesystem::is_regular_file(path, code)) {
            return std::nullopt;
        }
        return path;
    });
}

CardMeaning ReadProgramMeaning(const std::filesystem::path& program) {
    return ReadCardMeaning(
        [&](const std::string& name) -> std::optional<std::filesystem::path> {
            if (name == "STARTUP.BIN") {
                return program;
            }
            return std::nullopt;
        },
        true);
}

std::string FieldLabel(const std::string& area, const std::string& key) {
    if (area == "calibration") {
        for (std::size_t table = 0; table < kTableKeys.size(); ++table) {
            const std::string suffix = std::string(" ") + kTableKeys[table];
            if (key.size() > suffix.size() && key.ends_with(suffix)) {
                return key.substr(0, key.size() - suffix.size()) + " " + kTableLabels[table];
            }
        }
    }
    if (area == "settings") {
        for (const SettingFile& file : kSettingFiles) {
            if (key == kSettingKeys[static_cast<std::size_t>(file.slot)]) {
                return Stem(file.name);
            }
        }
        if (key == "headSwitch") {
            return Stem(kHeadSwitchFile);
        }
        if (key.find('\\') != std::string::npos) {
            return Stem(key);
        }
    }
    return key;
}

CardMeaning StandardMeaning(const CardMeaning& card) {
    CardMeaning standard = card;
    standard.program.reset();
    for (MeaningField& field : standard.fields) {
        if (field.area == "calibration") {
            for (int k = 0; k < kServoCount; ++k) {
                const std::string name(ServoName(kServoRows[static_cast<std::size_t>(k)]));
                for (std::uint32_t table = 0; table < 3; ++table) {
                    if (field.field == name + " " + kTableKeys[table]) {
                        field.value = std::to_string(StandardTableValue(k, table));
                    }
                }
            }
        }
        if (field.area == "settings") {
            for (const SettingFile& file : kSettingFiles) {
                if (field.field == kSettingKeys[static_cast<std::size_t>(file.slot)] &&
                    file.standard) {
                    Bytes b(16, 0);
                    WriteUnsignedLE(b, 0, std::min<std::size_t>(file.width, 4),
                                    static_cast<std::uint32_t>(*file.standard));
                    field.value = SettingValue(file.slot, b);
                }
            }
        }
    }
    return standard;
}

} // namespace orvix
