#include "settings/binary_dialog.h"

#include <array>
#include <cstdio>

#include "resources/settings_dialog.h"
#include "resources/string_table.h"
#include "resources/translation.h"
#include "settings/power_ups.h"
#include "settings/setting_files.h"
#include "settings/setting_store.h"
#include "storage/byte_order.h"
#include "ui/prompter.h"

namespace orvix {

using namespace settings_dlg;
using ui::Event;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr std::uint32_t BitOf(int slot) {
    return SettingFileOf(slot).changeBit;
}

// The time-outs and voltage thresholds: edit and slot, in the order of reading and of writing.
struct NumberSetting {
    int id;
    int slot;
};

constexpr NumberSetting kNumbers[] = {
    {IDC_TIMEOUT_STAND, kSlotTimeoutStand},   {IDC_TIMEOUT_SIT, kSlotTimeoutSit},
    {IDC_TIMEOUT_CHARGE, kSlotTimeoutCharge}, {IDC_VBAT_FIRMWARE, kSlotVbatFirmware},
    {IDC_VBAT_HIGH, kSlotVbatHigh},           {IDC_VBAT_LOW, kSlotVbatLow},
    {IDC_VBAT_STOP, kSlotVbatStop},
};

// What the other edits and boxes mark changed when the user touches them.
struct MarkEntry {
    int firstId;
    int lastId;
    std::uint32_t bit;
};

constexpr MarkEntry kMarks[] = {
    {IDC_INITIALISED, IDC_INITIALISED, BitOf(kSlotInitialised)},
    {IDC_BIRTH_MONTH, IDC_BIRTH_DAY, BitOf(kSlotBirthday)},
    {IDC_IGNORE_BOARD_ERROR, IDC_IGNORE_BOARD_ERROR, BitOf(kSlotBoardError)},
    {IDC_IGNORE_USER_WARNING, IDC_IGNORE_USER_WARNING, BitOf(kSlotUserWarning)},
    {IDC_RANDOM_VALUE, IDC_RANDOM_VALUE, BitOf(kSlotRandom)},
    {IDC_VOLUME, IDC_VOLUME, BitOf(kSlotVolume)},
    {IDC_TV_FIRST, IDC_TV_LAST, BitOf(kSlotTvMaker)},
    {IDC_LEG_MARGIN, IDC_LEG_PUNCH, kChangedServoParameters},
    {IDC_SERVO_WALKING, IDC_SERVO_WALKING, kChangedWalkingServoParameters},
    {IDC_ARM_MARGIN, IDC_ARM_PUNCH, kChangedArmServoParameters},
};

std::uint8_t LowByte(long long value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

// Byte `at` of the buffer, sign-extended; the buffer holds 16 bytes after every read.
int SignedByte(const Bytes& buffer, std::size_t at) {
    return ReadI8(buffer, at).value_or(0);
}

std::string WakeUpText(const Bytes& b) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d/%02d/%02d %02d:%02d:%02d", SignedByte(b, 6),
                  SignedByte(b, 5), SignedByte(b, 4), SignedByte(b, 2), SignedByte(b, 1),
                  SignedByte(b, 0));
    return text;
}

} // namespace

CBinaryDialog::CBinaryDialog(ui::UiServices& services, EditorDocument& document)
    : ui::DialogController(SettingsDialogTemplate()), services_(services), document_(document) {}

bool CBinaryDialog::Dispatch(int id, Event event) {
    constexpr int kLastPowerUpBox = kFirstPowerUpBox + static_cast<int>(kPowerUpTable.size()) - 1;
    static constexpr ui::MessageEntry<CBinaryDialog> map[] = {
        ui::On(IDC_OK, Event::Clicked, &CBinaryDialog::OnOk),
        ui::On(IDC_RESTORE, Event::Clicked, &CBinaryDialog::OnRestore),
        ui::OnRange(IDC_RANDOM_VARIABLE, IDC_RANDOM_FIXED, Event::Clicked,
                    &CBinaryDialog::OnRandomChoice),
        ui::On(IDC_HEAD_SWITCH, Event::Clicked, &CBinaryDialog::OnHeadSwitch),
        ui::OnRange(kFirstPowerUpBox, kLastPowerUpBox, Event::Clicked, &CBinaryDialog::OnPowerUp),
        ui::On(kAllPowerUpsBox, Event::Clicked, &CBinaryDialog::OnAllPowerUps),
        // Each marks its setting changed (kMarks, kNumbers).
        ui::OnRange(IDC_INITIALISED, IDC_VOLUME, Event::Clicked, &CBinaryDialog::OnMark),
        ui::OnRange(IDC_INITIALISED, IDC_VOLUME, Event::Changed, &CBinaryDialog::OnMark),
        ui::OnRange(IDC_TV_FIRST, IDC_TV_LAST, Event::Clicked, &CBinaryDialog::OnMark),
        ui::On(IDC_SERVO_WALKING, Event::Clicked, &CBinaryDialog::OnMark),
        ui::OnRange(IDC_LEG_MARGIN, IDC_LEG_PUNCH, Event::Changed, &CBinaryDialog::OnMark),
        ui::OnRange(IDC_ARM_MARGIN, IDC_ARM_PUNCH, Event::Changed, &CBinaryDialog::OnMark),
    };
    return ui::DispatchMessageMap<CBinaryDialog>(*this, map, id, event);
}

void CBinaryDialog::Mark(std::uint32_t bit) {
    if (controlsReady_) {
        document_.settingsChanged |= bit;
    }
}

void CBinaryDialog::OnMark(int id) {
    for (const MarkEntry& entry : kMarks) {
        if (id >= entry.firstId && id <= entry.lastId) {
            Mark(entry.bit);
        }
    }
    for (const NumberSetting& number : kNumbers) {
        if (id == number.id) {
            Mark(BitOf(number.slot));
        }
    }
}

// --- open sequence -----------------------------------------------------------------------------

void CBinaryDialog::OnInitDialog() {
    document_.settingsChanged = 0;
    if (document_.settingBuffer.size() != kSettingBufferSize) {
        document_.settingBuffer.assign(kSettingBufferSize, 0);
    }
    controlsReady_ = false;
    armServoFiles_ = false;
    if (ReadSettingFiles()) {
        ReadServoFiles();
        RecordFilesAsRead(document_, WrittenFileNames(), asRead_);
    } else {
        Model().EndDialog(ui::kIdCancel); // nothing written
    }
    controlsReady_ = true;
}

// Reads one file after the other and shows each; false at the first missing (its message shown).
bool CBinaryDialog::ReadSettingFiles() {
    ui::DialogModel& dialog = Model();
    const Bytes& b = document_.settingBuffer;
    const auto read = [&](int slot, auto show) {
        const std::string name(slot == kNoSlot ? kHeadSwitchFile : SettingFileOf(slot).name);
        if (!ReadBinaryFile(document_, services_.prompter, name, slot, true, &asRead_)) {
            return false;
        }
        show();
        return true;
    };
    const auto box = [&](int slot, int id) {
        return read(slot, [&] { dialog.SetCheck(id, b[0] == 1); });
    };
    if (!box(kSlotInitialised, IDC_INITIALISED) ||
        !read(kSlotWakeUp, [&] { dialog.SetText(IDC_WAKE_UP, WakeUpText(b)); }) ||
        !read(kSlotBirthday,
              [&] {
                  dialog.SetInt(IDC_BIRTH_MONTH, SignedByte(b, 0));
                  dialog.SetInt(IDC_BIRTH_DAY, SignedByte(b, 1));
              }) ||
        !box(kSlotBoardError, IDC_IGNORE_BOARD_ERROR) ||
        !box(kSlotUserWarning, IDC_IGNORE_USER_WARNING) ||
        !read(kSlotRandom, [&] { ShowRandom(b[0]); })) {
        return false;
    }
    for (const NumberSetting& number : kNumbers) {
        const bool wide = SettingFileOf(number.slot).width == 4;
        if (!read(number.slot, [&] {
                dialog.SetInt(number.id,
                              wide ? ReadI32(b, 0).value_or(0) : ReadI16(b, 0).value_or(0));
            })) {
            return false;
        }
    }
    return read(kSlotVolume, [&] { dialog.SetInt(IDC_VOLUME, SignedByte(b, 0)); }) &&
           read(kSlotTvMaker, [&] { ShowTvMaker(b[0] & kTvMakerMask); }) &&
           read(kSlotPowerUps,
                [&] {
                    document_.powerUpFlags =
                        std::uint64_t{ReadU32(b, 4).value_or(0)} << 32 | ReadU32(b, 0).value_or(0);
                    FillPowerUpBoxes(dialog, document_.powerUpFlags);
                }) &&
           read(kNoSlot, [&] {
               document_.headSwitchEnabled = (b[0] & 1) == 1;
               dialog.SetCheck(IDC_HEAD_SWITCH, document_.headSwitchEnabled);
           });
}

void CBinaryDialog::ShowRandom(std::uint8_t value) {
    ui::DialogModel& dialog = Model();
    const bool variable = value == kRandomVariable;
    dialog.SetCheck(IDC_RANDOM_VARIABLE, variable);
    dialog.SetCheck(IDC_RANDOM_FIXED, !variable);
    if (!variable) {
        dialog.SetInt(IDC_RANDOM_VALUE, static_cast<std::int8_t>(value));
        dialog.Enable(IDC_RANDOM_VALUE, true);
    }
}

void CBinaryDialog::ShowTvMaker(int maker) {
    // Beyond the eight buttons the file names no maker, and none is checked.
    if (maker <= IDC_TV_LAST - IDC_TV_FIRST) {
        Model().SetCheck(IDC_TV_FIRST + maker, true);
    }
}

// The servo files are optional and read without a message: legs first, arms only beside them.
void CBinaryDialog::ReadServoFiles() {
    ui::DialogModel& dialog = Model();
    const auto readGroup = [&](int number, int marginId) {
        if (!ReadBinaryFile(document_, services_.prompter, ServoFileName(number), kNoSlot, false,
                            &asRead_)) {
            return false;
        }
        for (int k = 0; k < 3; ++k) {
            dialog.SetInt(marginId + k,
                          SignedByte(document_.settingBuffer, static_cast<std::size_t>(k)));
            dialog.Enable(marginId + k, true);
        }
        return true;
    };
    if (!readGroup(kServoLegFirst, IDC_LEG_MARGIN)) {
        return;
    }
    armServoFiles_ = readGroup(kServoArmFirst, IDC_ARM_MARGIN);
    if (document_.buildVariant) {
        dialog.Enable(IDC_SERVO_WALKING, true);
    }
}

// --- change handlers -------------------------------------------------------------------------

void CBinaryDialog::OnRandomChoice(int) {
    Model().Enable(IDC_RANDOM_VALUE, Model().IsChecked(IDC_RANDOM_FIXED));
    Mark(BitOf(kSlotRandom));
}

void CBinaryDialog::OnHeadSwitch(int) {
    if (Model().IsChecked(IDC_HEAD_SWITCH) &&
        services_.prompter.Message(IDP_HEAD_SWITCH, ui::Buttons::OkCancel, ui::Icon::Warning) !=
            ui::Answer::Ok) {
        Model().SetCheck(IDC_HEAD_SWITCH, false);
    }
}

void CBinaryDialog::OnRestore(int) {
    if (services_.prompter.Message(IDP_RESTORE_SETTINGS, ui::Buttons::YesNo, ui::Icon::Question) !=
        ui::Answer::Yes) {
        return;
    }
    ui::DialogModel& dialog = Model();
    dialog.SetCheck(IDC_INITIALISED, true);
    dialog.SetCheck(IDC_IGNORE_BOARD_ERROR, false);
    dialog.SetCheck(IDC_IGNORE_USER_WARNING, false);
    dialog.SetCheck(IDC_RANDOM_VARIABLE, true);
    dialog.SetCheck(IDC_RANDOM_FIXED, false);
    dialog.SetText(IDC_RANDOM_VALUE, "");
    dialog.Enable(IDC_RANDOM_VALUE, false);
    for (const NumberSetting& number : kNumbers) {
        dialog.SetInt(number.id, SettingFileOf(number.slot).standard.value_or(0));
    }
    // The boxes were set, not clicked; all that was put back is written on OK.
    Mark(BitOf(kSlotInitialised) | BitOf(kSlotBoardError) | BitOf(kSlotUserWarning) |
         BitOf(kSlotRandom));
}

void CBinaryDialog::OnPowerUp(int id) {
    Mark(BitOf(kSlotPowerUps));
    ui::DialogModel& dialog = Model();
    if (controlsReady_ && dialog.IsChecked(id) && dialog.IsChecked(IDC_RANDOM_FIXED) &&
        services_.prompter.Message(IDP_USE_POWERUP_RANDOM, ui::Buttons::YesNo,
                                   ui::Icon::Question) == ui::Answer::Yes) {
        const PowerUp& powerUp = kPowerUpTable[static_cast<std::size_t>(id - kFirstPowerUpBox)];
        dialog.SetInt(IDC_RANDOM_VALUE, powerUp.randomValue);
        Mark(BitOf(kSlotRandom));
    }
}

void CBinaryDialog::OnAllPowerUps(int) {
    if (!controlsReady_) {
        return;
    }
    ui::DialogModel& dialog = Model();
    const bool checked = dialog.IsChecked(kAllPowerUpsBox);
    if (services_.prompter.Message(checked ? IDP_CHECK_ALL_POWERUPS : IDP_UNCHECK_ALL_POWERUPS,
                                   ui::Buttons::YesNo, ui::Icon::Question) == ui::Answer::Yes) {
        SetAllPowerUpBoxes(dialog, checked); // not clicks: no random value is offered
        Mark(BitOf(kSlotPowerUps));
    } else if (checked) {
        dialog.SetCheck(kAllPowerUpsBox, false);
    }
}

// --- save sequence -----------------------------------------------------------------------------

// Every file the dialog may write, as read when it opened.
std::vector<std::string> CBinaryDialog::WrittenFileNames() {
    std::vector<std::string> names;
    for (const SettingFile& file : kSettingFiles) {
        if (file.changeBit != 0) {
            names.emplace_back(file.name);
        }
    }
    names.emplace_back(kHeadSwitchFile);
    for (int number = kServoLegFirst; number <= kServoArmLast; ++number) {
        if (number <= kServoLegLast || number >= kServoArmFirst) {
            names.push_back(ServoFileName(number, false));
            names.push_back(ServoFileName(number, true));
        }
    }
    return names;
}

void CBinaryDialog::OnOk(int) {
    // Every value is checked before the first file is written, so a refusal leaves the card
    // as it was.
    if (const RefusedField refused = FirstRefusedField(); refused.id != 0) {
        Model().SetFocus(refused.id);
        // A number beyond 32 bits is refused as in every other number field: with its range.
        const std::optional<long long> value = Number(refused.id);
        if (value && (*value < kInt32Low || *value > kInt32High)) {
            services_.prompter.Message(
                IDP_OUT_OF_RANGE, ui::Buttons::Ok, ui::Icon::Auto,
                Worded("%1～%2", {std::to_string(refused.low), std::to_string(refused.high)}));
        } else {
            services_.prompter.Message(IDP_DATA_RANGE_WRONG, ui::Buttons::Ok, ui::Icon::Error);
        }
        return;
    }
    if (!WriteCardFiles(document_, services_.prompter, ChangedFiles(), asRead_)) {
        return; // nothing written: the values stay in the dialog for another try
    }
    document_.powerUpFlags = CollectPowerUpFlags(Model(), document_.powerUpFlags);
    document_.headSwitchEnabled = Model().IsChecked(IDC_HEAD_SWITCH);
    Model().EndDialog(ui::kIdOk);
}

std::optional<long long> CBinaryDialog::Number(int id) const {
    return ui::ParseDialogWholeNumber(Model().GetText(id));
}

bool CBinaryDialog::ServoFilesWritten(bool arms, bool walking) const {
    if (arms && !armServoFiles_) {
        return false; // never from the empty, disabled arm edits
    }
    const bool changed = Marked(arms ? kChangedArmServoParameters : kChangedServoParameters);
    // The walking box alone asks for the walking files of both groups; beside changed values,
    // for those of the groups that changed.
    const bool noneChanged =
        !Marked(kChangedServoParameters) && !(armServoFiles_ && Marked(kChangedArmServoParameters));
    return walking ? Model().IsChecked(IDC_SERVO_WALKING) &&
                         (changed || (Marked(kChangedWalkingServoParameters) && noneChanged))
                   : changed;
}

bool CBinaryDialog::MakesMissingWalkingFiles(bool arms) const {
    // Beside a changed group, a group not changed keeps its walking files, but gets those the
    // card lacks, so that the walking set is whole.
    return Model().IsChecked(IDC_SERVO_WALKING) && (!arms || armServoFiles_) &&
           !ServoFilesWritten(arms, true) && ServoFilesWritten(!arms, true);
}

bool CBinaryDialog::AbsentAtOpening(const std::string& name) const {
    const auto found = asRead_.find(name);
    return found != asRead_.end() && !found->second;
}

CBinaryDialog::RefusedField CBinaryDialog::FirstRefusedField() const {
    struct Field {
        int id;
        bool written;
        std::int64_t low, high;
    };
    const auto servo = [&](bool arms) {
        return ServoFilesWritten(arms, false) || ServoFilesWritten(arms, true) ||
               MakesMissingWalkingFiles(arms);
    };
    const bool random = Marked(BitOf(kSlotRandom)) && Model().IsChecked(IDC_RANDOM_FIXED);
    std::vector<Field> fields{
        {IDC_BIRTH_MONTH, Marked(BitOf(kSlotBirthday)), SettingFileOf(kSlotBirthday).low,
         SettingFileOf(kSlotBirthday).high},
        {IDC_BIRTH_DAY, Marked(BitOf(kSlotBirthday)), kDayLow, kDayHigh},
        {IDC_RANDOM_VALUE, random, kRandomLow, kRandomHigh},
        {IDC_VOLUME, Marked(BitOf(kSlotVolume)), SettingFileOf(kSlotVolume).low,
         SettingFileOf(kSlotVolume).high},
    };
    for (int k = 0; k < 3; ++k) {
        fields.push_back({IDC_LEG_MARGIN + k, servo(false), kServoValueLow, kServoValueHigh});
    }
    for (int k = 0; k < 3; ++k) {
        fields.push_back({IDC_ARM_MARGIN + k, servo(true), kServoValueLow, kServoValueHigh});
    }
    for (const NumberSetting& number : kNumbers) {
        const SettingFile& file = SettingFileOf(number.slot);
        fields.push_back({number.id, Marked(file.changeBit), file.low, file.high});
    }
    for (const Field& field : fields) {
        // Only a whole number is taken, and only one its file gives back as typed: a fixed
        // random value whose byte is 0xFF would read back as "variable".
        const std::optional<long long> value = Number(field.id);
        if (field.written &&
            (!value || *value < field.low || *value > field.high ||
             (field.id == IDC_RANDOM_VALUE && LowByte(*value) == kRandomVariable))) {
            return {field.id, field.low, field.high};
        }
    }
    return {};
}

// The files of the changed settings, in their fixed order, with their new values.
std::vector<CardFileWrite> CBinaryDialog::ChangedFiles() const {
    const ui::DialogModel& dialog = Model();
    const auto number = [&](int id) { return Number(id).value_or(0); };
    const auto box = [&](int id) { return Bytes{static_cast<std::uint8_t>(dialog.IsChecked(id))}; };
    // The volume and the TV maker are 16-bit values whose high byte is 0, written as wide as
    // the file was read (one byte or two).
    const auto asWideAsRead = [&](int slot, std::uint8_t value) {
        return document_.settingSizes[static_cast<std::size_t>(slot)] >= 2 ? Bytes{value, 0}
                                                                           : Bytes{value};
    };
    std::vector<CardFileWrite> files;
    const auto add = [&](int slot, Bytes value) {
        if (Marked(BitOf(slot))) {
            files.push_back({std::string(SettingFileOf(slot).name), std::move(value)});
        }
    };
    int maker = 0;
    while (IDC_TV_FIRST + maker <= IDC_TV_LAST && !dialog.IsChecked(IDC_TV_FIRST + maker)) {
        ++maker;
    }
    add(kSlotInitialised, box(IDC_INITIALISED));
    add(kSlotBirthday, {LowByte(number(IDC_BIRTH_MONTH)), LowByte(number(IDC_BIRTH_DAY))});
    add(kSlotBoardError, box(IDC_IGNORE_BOARD_ERROR));
    add(kSlotUserWarning, box(IDC_IGNORE_USER_WARNING));
    add(kSlotRandom, {dialog.IsChecked(IDC_RANDOM_VARIABLE) ? kRandomVariable
                                                            : LowByte(number(IDC_RANDOM_VALUE))});
    add(kSlotVolume, asWideAsRead(kSlotVolume, LowByte(number(IDC_VOLUME))));
    add(kSlotTvMaker,
        asWideAsRead(kSlotTvMaker, static_cast<std::uint8_t>(maker | kTvMakerWritten)));
    // The servo files: legs, then arms, each group's own files, then its walking files.
    for (const bool arms : {false, true}) {
        const int margin = arms ? IDC_ARM_MARGIN : IDC_LEG_MARGIN;
        const Bytes value{LowByte(number(margin)), LowByte(number(margin + 1)),
                          LowByte(number(margin + 2)), 0};
        for (const bool walking : {false, true}) {
            for (int servo = arms ? kServoArmFirst : kServoLegFirst;
                 servo <= (arms ? kServoArmLast : kServoLegLast); ++servo) {
                const std::string name = ServoFileName(servo, walking);
                if (ServoFilesWritten(arms, walking) ||
                    (walking && MakesMissingWalkingFiles(arms) && AbsentAtOpening(name))) {
                    files.push_back({name, value});
                }
            }
        }
    }
    const std::uint64_t flags = CollectPowerUpFlags(dialog, document_.powerUpFlags);
    Bytes powerUps(8);
    WriteU32(powerUps, 0, static_cast<std::uint32_t>(flags));
    WriteU32(powerUps, 4, static_cast<std::uint32_t>(flags >> 32));
    add(kSlotPowerUps, powerUps);
    for (const NumberSetting& setting : kNumbers) {
        Bytes value(4);
        WriteU32(value, 0, static_cast<std::uint32_t>(number(setting.id)));
        value.resize(SettingFileOf(setting.slot).width);
        add(setting.slot, value);
    }
    // The head switch only when it differs from what was read, whatever was clicked between.
    if (dialog.IsChecked(IDC_HEAD_SWITCH) != document_.headSwitchEnabled) {
        files.push_back({std::string(kHeadSwitchFile), box(IDC_HEAD_SWITCH)});
    }
    return files;
}

} // namespace orvix
