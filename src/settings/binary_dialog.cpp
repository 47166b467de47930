#include "settings/binary_dialog.h"

#include <array>
#include <cstdio>

#include "resources/settings_dialog.h"
#include "resources/string_table.h"
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
    {IDC_LEG_MARGIN, IDC_SERVO_WALKING, kChangedServoParameters},
    {IDC_ARM_MARGIN, IDC_ARM_PUNCH, kChangedServoParameters},
};

// What a changed value must be before it is cut to its bytes, in the order of writing; the
// time-outs and voltages, written last, take theirs from the catalogue.
struct Limit {
    int firstId;
    int lastId;
    std::uint32_t bit;
    std::int64_t low;
    std::int64_t high;
};

constexpr Limit kLimits[] = {
    {IDC_BIRTH_MONTH, IDC_BIRTH_MONTH, BitOf(kSlotBirthday), SettingFileOf(kSlotBirthday).low,
     SettingFileOf(kSlotBirthday).high},
    {IDC_BIRTH_DAY, IDC_BIRTH_DAY, BitOf(kSlotBirthday), kDayLow, kDayHigh},
    {IDC_RANDOM_VALUE, IDC_RANDOM_VALUE, BitOf(kSlotRandom), kRandomLow, kRandomHigh},
    {IDC_VOLUME, IDC_VOLUME, BitOf(kSlotVolume), SettingFileOf(kSlotVolume).low,
     SettingFileOf(kSlotVolume).high},
    {IDC_LEG_MARGIN, IDC_LEG_PUNCH, kChangedServoParameters, kServoValueLow, kServoValueHigh},
    {IDC_ARM_MARGIN, IDC_ARM_PUNCH, kChangedServoParameters, kServoValueLow, kServoValueHigh},
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
        if (!ReadBinaryFile(document_, services_.prompter, name, slot, true)) {
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
        if (!ReadBinaryFile(document_, services_.prompter, ServoFileName(number), kNoSlot, false)) {
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

void CBinaryDialog::OnOk(int) {
    // Every value is checked before the first file is written, so a refusal leaves the card
    // as it was.
    if (const int refused = FirstRefusedField(); refused != 0) {
        Model().SetFocus(refused);
        services_.prompter.Message(IDP_DATA_RANGE_WRONG, ui::Buttons::Ok, ui::Icon::Error);
        return;
    }
    if (WriteChangedFiles()) {
        Model().EndDialog(ui::kIdOk);
    }
}

long long CBinaryDialog::Number(int id) const {
    return ui::ParseDialogWholeNumber(Model().GetText(id)).value_or(0);
}

int CBinaryDialog::FirstRefusedField() const {
    for (const Limit& limit : kLimits) {
        for (int id = limit.firstId; id <= limit.lastId && Marked(limit.bit); ++id) {
            // A variable random value writes none of its edit.
            if (id == IDC_RANDOM_VALUE && Model().IsChecked(IDC_RANDOM_VARIABLE)) {
                continue;
            }
            // A fixed random value whose byte is 0xFF would read back as "variable".
            const long long value = Number(id);
            if (value < limit.low || value > limit.high ||
                (id == IDC_RANDOM_VALUE && LowByte(value) == kRandomVariable)) {
                return id;
            }
        }
    }
    for (const NumberSetting& number : kNumbers) {
        const SettingFile& file = SettingFileOf(number.slot);
        const long long value = Number(number.id);
        if (Marked(file.changeBit) && (value < file.low || value > file.high)) {
            return number.id;
        }
    }
    return 0;
}

bool CBinaryDialog::WriteSetting(int slot, std::span<const std::uint8_t> value) {
    return !Marked(BitOf(slot)) || WriteBinaryFile(document_, services_.prompter,
                                                   std::string(SettingFileOf(slot).name), value);
}

// The files of the changed settings, in their fixed order; false at the first failed write.
bool CBinaryDialog::WriteChangedFiles() {
    const ui::DialogModel& dialog = Model();
    const auto box = [&](int id) { return Bytes{static_cast<std::uint8_t>(dialog.IsChecked(id))}; };
    // The volume and the TV maker are 16-bit values whose high byte is 0, written as wide as
    // the file was read (one byte or two).
    const auto asWideAsRead = [&](int slot, std::uint8_t value) {
        return document_.settingSizes[static_cast<std::size_t>(slot)] >= 2 ? Bytes{value, 0}
                                                                           : Bytes{value};
    };
    int maker = 0;
    while (IDC_TV_FIRST + maker <= IDC_TV_LAST && !dialog.IsChecked(IDC_TV_FIRST + maker)) {
        ++maker;
    }
    const std::uint8_t random =
        dialog.IsChecked(IDC_RANDOM_VARIABLE) ? kRandomVariable : LowByte(Number(IDC_RANDOM_VALUE));
    if (!WriteSetting(kSlotInitialised, box(IDC_INITIALISED)) ||
        !WriteSetting(kSlotBirthday,
                      Bytes{LowByte(Number(IDC_BIRTH_MONTH)), LowByte(Number(IDC_BIRTH_DAY))}) ||
        !WriteSetting(kSlotBoardError, box(IDC_IGNORE_BOARD_ERROR)) ||
        !WriteSetting(kSlotUserWarning, box(IDC_IGNORE_USER_WARNING)) ||
        !WriteSetting(kSlotRandom, Bytes{random}) ||
        !WriteSetting(kSlotVolume, asWideAsRead(kSlotVolume, LowByte(Number(IDC_VOLUME)))) ||
        !WriteSetting(kSlotTvMaker, asWideAsRead(kSlotTvMaker, static_cast<std::uint8_t>(
                                                                   maker | kTvMakerWritten))) ||
        !WriteServoFiles() || !WritePowerUps()) {
        return false;
    }
    for (const NumberSetting& number : kNumbers) {
        std::array<std::uint8_t, 4> value{};
        WriteU32(value, 0, static_cast<std::uint32_t>(Number(number.id)));
        if (!WriteSetting(number.slot, std::span(value).first(SettingFileOf(number.slot).width))) {
            return false;
        }
    }
    const bool headSwitch = dialog.IsChecked(IDC_HEAD_SWITCH);
    return headSwitch == document_.headSwitchEnabled ||
           WriteBinaryFile(document_, services_.prompter, std::string(kHeadSwitchFile),
                           box(IDC_HEAD_SWITCH));
}

bool CBinaryDialog::WritePowerUps() {
    if (!Marked(BitOf(kSlotPowerUps))) {
        return true;
    }
    document_.powerUpFlags = CollectPowerUpFlags(Model(), document_.powerUpFlags);
    std::array<std::uint8_t, 8> value{};
    WriteU32(value, 0, static_cast<std::uint32_t>(document_.powerUpFlags));
    WriteU32(value, 4, static_cast<std::uint32_t>(document_.powerUpFlags >> 32));
    return WriteSetting(kSlotPowerUps, value);
}

bool CBinaryDialog::WriteServoFiles() {
    if (!Marked(kChangedServoParameters)) {
        return true;
    }
    // The arm files only when they were there to be shown, never from empty disabled edits.
    const bool walking = Model().IsChecked(IDC_SERVO_WALKING);
    const auto writeGroup = [&](int first, int last, int marginId) {
        const Bytes value{LowByte(Number(marginId)), LowByte(Number(marginId + 1)),
                          LowByte(Number(marginId + 2)), 0};
        for (const bool walkingFiles : {false, true}) {
            if (walkingFiles && !walking) {
                break;
            }
            for (int number = first; number <= last; ++number) {
                if (!WriteBinaryFile(document_, services_.prompter,
                                     ServoFileName(number, walkingFiles), value)) {
                    return false;
                }
            }
        }
        return true;
    };
    return writeGroup(kServoLegFirst, kServoLegLast, IDC_LEG_MARGIN) &&
           (!armServoFiles_ || writeGroup(kServoArmFirst, kServoArmLast, IDC_ARM_MARGIN));
}

} // namespace orvix
