#include "history/card_meaning.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>

#include "calibration/editor_document.h"
#include "calibration/image_file.h"
#include "calibration/servo_table.h"
#include "options/option_sites.h"
#include "options/program_options.h"
#include "resources/main_dialog.h"
#include "resources/translation.h"
#include "settings/power_ups.h"
#include "settings/setting_files.h"
#include "storage/byte_order.h"
#include "storage/file_io.h"
#include "ui/dialog_model.h"
#include "users/user_record.h"

namespace orvix {

namespace {

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

constexpr std::array<const char*, 3> kTableKeys{"origin", "lower", "upper"};
constexpr std::array<const char*, 3> kTableLabels{"原点", "下限", "上限"};

// The options as options show names them; the remote ones form an area of their own.
struct OptionName {
    const char* name;
    bool ProgramOptions::*flag;
    std::int32_t ProgramOptions::*number;
    bool remote;
};
using P = ProgramOptions;
constexpr OptionName kOptionNames[] = {
    {"torqueOn", &P::torqueOn, nullptr, false},
    {"voiceRecognition", &P::voiceRecognition, nullptr, false},
    {"voltageMonitor", &P::voltageMonitor, nullptr, false},
    {"timeoutMonitor", &P::timeoutMonitor, nullptr, false},
    {"faceRecognition", &P::faceRecognition, nullptr, false},
    {"faceDirection", &P::faceDirection, nullptr, false},
    {"standardColour", &P::standardColour, nullptr, false},
    {"energySaving", &P::energySaving, nullptr, false},
    {"noBlink", &P::noBlink, nullptr, false},
    {"armAngleChange", &P::armAngleChange, nullptr, false},
    {"armAngleFixed", &P::armAngleFixed, nullptr, false},
    {"shoulderLimit", &P::shoulderLimit, nullptr, false},
    {"shoulderLimitFixed", &P::shoulderLimitFixed, nullptr, false},
    {"walkSteps", nullptr, &P::walkSteps, false},
    {"servoParameters", &P::servoParameters, nullptr, false},
    {"servoParametersAvailable", &P::servoParametersAvailable, nullptr, false},
    {"remoteSupport", &P::remoteSupport, nullptr, true},
    {"remoteSupportFixed", &P::remoteSupportFixed, nullptr, true},
    {"bluetooth", &P::bluetooth, nullptr, true},
    {"bluetoothChangeable", &P::bluetoothChangeable, nullptr, true},
    {"remoteConnection", &P::remoteConnection, nullptr, true},
    {"voicePlayback", &P::voicePlayback, nullptr, true},
    {"syncReceive", &P::syncReceive, nullptr, true},
    {"startCode", nullptr, &P::startCode, true},
    {"syncStartDelay", nullptr, &P::syncStartDelay, true},
};

// The setting files as settings show names them.
constexpr std::array<const char*, 16> kSettingKeys{
    "initialised",  "birthday",   "ignoreBoardError", "ignoreUserWarning",
    "random",       "volume",     "tvMaker",          "powerUps",
    "timeoutStand", "timeoutSit", "timeoutCharge",    "vbatFirmware",
    "vbatHigh",     "vbatLow",    "vbatStop",         "wakeUp"};

std::string Colour(const EyeColour& c) {
    return std::to_string(c.red) + "," + std::to_string(c.green) + "," + std::to_string(c.blue);
}

std::string Stem(std::string_view name) {
    const auto slash = name.rfind('\\');
    std::string stem(name.substr(slash == std::string_view::npos ? 0 : slash + 1));
    return stem.substr(0, stem.find('.'));
}

void Add(CardMeaning& meaning, const char* area, std::string field, std::string value,
         std::string label = {}) {
    meaning.fields.push_back(
        MeaningField{area, std::move(field), std::move(value), std::move(label)});
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
                list += (list.empty() ? "" : ",") + std::to_string(row + 1);
            }
        }
        std::snprintf(text, sizeof text, " (0x%016llx)", static_cast<unsigned long long>(flags));
        return "[" + list + "]" + text;
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

void ReadProgram(CardMeaning& meaning, const std::filesystem::path& path) {
    EditorDocument document{std::string()};
    document.rememberImagePath = false;
    document.imagePath = Utf8FromPath(path);
    const char last = document.imagePath.empty() ? ' ' : document.imagePath.back();
    if (last == 'N' || last == 'n') {
        // The binary form, as the load takes it, without the copies the editor keeps.
        Bytes bytes;
        if (!ReadWholeFile(path, bytes) ||
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
        meaning.program = std::make_shared<const Bytes>(std::move(document.image));
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
                value ? std::to_string(*value) : "unreadable", name + " " + kTableLabels[table]);
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
            list += (list.empty() ? "" : ",") + std::to_string(day);
        }
    }
    return "[" + list + "]";
}

std::string Date(const UserDate& date) {
    return date.IsSet() ? FormatDateText(date.month, date.day) : "not set";
}

void ReadCardFiles(CardMeaning& meaning, const CardFileLocator& locate) {
    meaning.hasCardFiles = true;
    for (const SettingFile& file : kSettingFiles) {
        const auto bytes = ReadSmall(locate, std::string(file.name));
        Add(meaning, "settings", kSettingKeys[static_cast<std::size_t>(file.slot)],
            bytes ? SettingValue(file.slot, *bytes) : "absent", Stem(file.name));
    }
    const auto head = ReadSmall(locate, std::string(kHeadSwitchFile));
    Add(meaning, "settings", "headSwitch", head ? ((*head)[0] & 1 ? "on" : "off") : "absent",
        Stem(kHeadSwitchFile));
    for (const bool walking : {false, true}) {
        for (int number = kServoLegFirst; number <= kServoArmLast; ++number) {
            if (number > kServoLegLast && number < kServoArmFirst) {
                continue;
            }
            const std::string name = ServoFileName(number, walking);
            const auto b = ReadSmall(locate, name);
            Add(meaning, "settings", name,
                b ? "[" + std::to_string(Signed(*b, 0)) + "," + std::to_string(Signed(*b, 1)) +
                        "," + std::to_string(Signed(*b, 2)) + "]"
                  : "absent",
                Stem(name));
        }
    }
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

// The bytes of the program the calibration tables cover (binary form).
bool CalibrationByte(std::size_t at) {
    if (at < static_cast<std::size_t>(kServoRecordBase) ||
        at >= static_cast<std::size_t>(kServoTableEnd)) {
        return false;
    }
    return (at - kServoRecordBase) % kServoRecordSize < 6;
}

// The bytes of the options stored at several sites, of which the reading looks at one: the walk
// step count, the voice recognition and timeout bytes, the face direction, the eye colour records.
bool SecondaryOptionByte(std::size_t at, Layout layout) {
    const auto within = [&](std::uint32_t site, std::size_t width) {
        return at >= site && at < site + width;
    };
    for (const PerLayout& site : kWalkStepSites) {
        if (within(site.In(layout), 4)) {
            return true;
        }
    }
    for (const PerLayout& site : kVoiceRecognitionNineSites) {
        if (within(site.In(layout), 1)) {
            return true;
        }
    }
    for (const auto* sites : {&kFirstColourRecords}) {
        for (const PerLayout& site : *sites) {
            if (within(site.In(layout), kColourRecordSize)) {
                return true;
            }
        }
    }
    for (const PerLayout& site : kSecondColourRecords) {
        if (within(site.In(layout), kColourRecordSize)) {
            return true;
        }
    }
    for (const auto& site : kVoiceRecognitionBytes) {
        if (within(site.address.In(layout), 1)) {
            return true;
        }
    }
    for (const auto& site : kTimeoutMonitorSites) {
        if (within(site.address.In(layout), 1)) {
            return true;
        }
    }
    for (const auto& site : kFaceDirectionSites) {
        if (within(site.address.In(layout), 1)) {
            return true;
        }
    }
    for (const VoiceJump& jump : kVoiceRecognitionJumps) {
        if (within(jump.address, 4)) {
            return true;
        }
    }
    return false;
}

// Options and eye colours of an image, to tell whether bytes change what it means.
std::string OptionsKey(EditorDocument& document) {
    const ReadOptionsResult read = ReadProgramOptions(document);
    std::string key = read.accepted ? "" : "refused";
    for (const OptionName& option : kOptionNames) {
        key += option.flag != nullptr ? (read.options.*option.flag ? "1" : "0")
                                      : std::to_string(read.options.*option.number) + ";";
    }
    return key + Colour(FirstEyeColour(document)) + Colour(SecondEyeColour(document));
}

void CountUnexplained(const CardMeaning& a, const CardMeaning& b, MeaningDiff& diff) {
    const Bytes& x = *a.program;
    const Bytes& y = *b.program;
    const std::size_t common = std::min(x.size(), y.size());
    // The differing runs outside the calibration tables, joined across small gaps.
    std::vector<std::pair<std::size_t, std::size_t>> runs;
    // Their other sites count as explained only where the options differ at all.
    const bool options =
        a.optionsRead && b.optionsRead &&
        std::any_of(diff.fields.begin(), diff.fields.end(), [](const FieldDifference& f) {
            return f.area == std::string("options") || f.area == std::string("remote");
        });
    const Layout layout = LayoutOf(a.programForm == "binary B");
    for (std::size_t i = 0; i < common; ++i) {
        // Equal blocks are skipped at the speed of a memory compare.
        while (i + 4096 <= common && std::memcmp(x.data() + i, y.data() + i, 4096) == 0) {
            i += 4096;
        }
        while (i < common && x[i] == y[i]) {
            ++i;
        }
        if (i == common) {
            break;
        }
        if (CalibrationByte(i) || (options && SecondaryOptionByte(i, layout))) {
            continue;
        }
        if (!runs.empty() && i - runs.back().second <= 4) {
            runs.back().second = i;
        } else {
            runs.emplace_back(i, i);
        }
    }
    // A run is explained when it changes the options of the one image: probed on a copy.
    const bool probe = a.optionsRead && b.optionsRead && x.size() == y.size() && !runs.empty() &&
                       runs.size() <= 64;
    EditorDocument document{std::string()};
    std::string before;
    if (probe) {
        document.isBinaryImage = true;
        document.buildVariant = a.programForm == "binary B";
        document.image = x;
        before = OptionsKey(document);
    }
    for (const auto& [first, last] : runs) {
        if (probe) {
            std::copy(y.begin() + static_cast<std::ptrdiff_t>(first),
                      y.begin() + static_cast<std::ptrdiff_t>(last) + 1,
                      document.image.begin() + static_cast<std::ptrdiff_t>(first));
            const bool explained = OptionsKey(document) != before;
            std::copy(x.begin() + static_cast<std::ptrdiff_t>(first),
                      x.begin() + static_cast<std::ptrdiff_t>(last) + 1,
                      document.image.begin() + static_cast<std::ptrdiff_t>(first));
            if (explained) {
                continue;
            }
        }
        std::size_t count = 0;
        for (std::size_t i = first; i <= last; ++i) {
            count += x[i] != y[i] ? 1 : 0;
        }
        diff.unexplainedBytes += count;
        diff.ranges.emplace_back(first, last);
    }
    // Bytes beyond the shorter image: a remote or servo extension the options name, or not.
    if (x.size() != y.size()) {
        const auto remote = [&](const CardMeaning& m) {
            const MeaningField* f = m.Find("remote", "remoteSupport");
            const MeaningField* s = m.Find("options", "servoParameters");
            return (f ? f->value : "") + (s ? s->value : "");
        };
        if (!(a.optionsRead && b.optionsRead && remote(a) != remote(b))) {
            diff.unexplainedBytes += std::max(x.size(), y.size()) - common;
            diff.ranges.emplace_back(common, std::max(x.size(), y.size()) - 1);
        }
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
    CardMeaning meaning;
    if (const auto program = locate("STARTUP.BIN")) {
        ReadProgram(meaning, *program);
    }
    if (!programOnly) {
        ReadCardFiles(meaning, locate);
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

MeaningDiff CompareMeanings(const CardMeaning& a, const CardMeaning& b) {
    MeaningDiff diff;
    if (a.programForm.empty() != b.programForm.empty()) {
        diff.notCompared.push_back("calibration: only one side has a readable STARTUP.BIN");
    } else if (a.programForm != b.programForm) {
        diff.notCompared.push_back("program: " + a.programForm + " / " + b.programForm +
                                   " (the fields both have are compared)");
    }
    if (a.optionsRead != b.optionsRead) {
        diff.notCompared.push_back("options, remote: only one side is a program of a known kind");
    }
    if (a.hasCardFiles != b.hasCardFiles) {
        diff.notCompared.push_back("settings, users: only one side is a card folder");
    }
    for (const char* area : kMeaningAreas) {
        for (const MeaningField& field : a.fields) {
            if (field.area != area) {
                continue;
            }
            const MeaningField* other = b.Find(field.area, field.field);
            if (other == nullptr) {
                continue; // a field only one side has is named by notCompared
            }
            if (other->value != field.value) {
                diff.fields.push_back(
                    FieldDifference{field.area, field.field, field.value, other->value});
                diff.labels.push_back(field.label.empty() ? field.field : field.label);
            }
        }
        // A user present only on one side: its fields against nothing.
        for (const MeaningField& field : b.fields) {
            if (field.area == area && a.Find(field.area, field.field) == nullptr &&
                a.hasCardFiles && b.hasCardFiles) {
                diff.fields.push_back(FieldDifference{field.area, field.field, "", field.value});
                diff.labels.push_back(field.label.empty() ? field.field : field.label);
            }
        }
        for (const MeaningField& field : a.fields) {
            if (field.area == area && b.Find(field.area, field.field) == nullptr &&
                a.hasCardFiles && b.hasCardFiles && field.area == std::string("users")) {
                diff.fields.push_back(FieldDifference{field.area, field.field, field.value, ""});
                diff.labels.push_back(field.field);
            }
        }
    }
    if (a.program && b.program && a.programForm.starts_with("binary") &&
        b.programForm.starts_with("binary")) {
        CountUnexplained(a, b, diff);
    }
    return diff;
}

std::string ShownSummary(std::string summary) {
    for (const char* label : kTableLabels) {
        const std::string word = std::string(" ") + label + " ";
        const std::string shown = " " + std::string(Translate("table", label)) + " ";
        for (auto at = summary.find(word); at != std::string::npos;
             at = summary.find(word, at + shown.size())) {
            summary.replace(at, word.size(), shown);
        }
    }
    return summary;
}

std::string SummaryLine(const MeaningDiff& diff, std::size_t limit) {
    std::string line;
    std::size_t shown = 0;
    for (std::size_t i = 0; i < diff.fields.size(); ++i) {
        if (shown == limit) {
            line += ", …";
            break;
        }
        const FieldDifference& f = diff.fields[i];
        line += (line.empty() ? "" : ", ") + diff.labels[i] + " " +
                (f.then.empty() ? "-" : f.then) + "→" + (f.now.empty() ? "-" : f.now);
        ++shown;
    }
    if (diff.unexplainedBytes > 0 && shown < limit) {
        line += (line.empty() ? "" : ", ") + std::to_string(diff.unexplainedBytes) +
                " other program bytes";
    }
    return line.empty() ? "no change by meaning" : line;
}

} // namespace orvix
