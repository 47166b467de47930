#include "cli/settings_commands.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string_view>

#include "cli/exit_status.h"
#include "cli/headless_dialog.h"
#include "cli/shown_lines.h"
#include "resources/names.h"
#include "resources/settings_dialog.h"
#include "resources/translation.h"
#include "settings/binary_dialog.h"
#include "settings/power_ups.h"
#include "ui/dialog_model.h"

namespace orvix::cli {

namespace {

constexpr std::string_view kRefusedNothingWritten = "%1は拒否されました。何も書き込みませんでした";

using namespace settings_dlg;

// A key of the command line and the controls it stands for.
enum class KeyKind { Flag, Number, Birthday, Random, TvMaker, Servo, PowerUps, ReadOnly };

struct Key {
    std::string_view name;
    KeyKind kind;
    int control = 0; // the first control
};

constexpr std::array kKeys{
    Key{"initialised", KeyKind::Flag, IDC_INITIALISED},
    Key{"birthday", KeyKind::Birthday, IDC_BIRTH_MONTH},
    Key{"ignoreBoardError", KeyKind::Flag, IDC_IGNORE_BOARD_ERROR},
    Key{"ignoreUserWarning", KeyKind::Flag, IDC_IGNORE_USER_WARNING},
    Key{"random", KeyKind::Random, IDC_RANDOM_VALUE},
    Key{"volume", KeyKind::Number, IDC_VOLUME},
    Key{"tvMaker", KeyKind::TvMaker, IDC_TV_FIRST},
    Key{"headSwitch", KeyKind::Flag, IDC_HEAD_SWITCH},
    Key{"timeoutStand", KeyKind::Number, IDC_TIMEOUT_STAND},
    Key{"timeoutSit", KeyKind::Number, IDC_TIMEOUT_SIT},
    Key{"timeoutCharge", KeyKind::Number, IDC_TIMEOUT_CHARGE},
    Key{"vbatFirmware", KeyKind::Number, IDC_VBAT_FIRMWARE},
    Key{"vbatHigh", KeyKind::Number, IDC_VBAT_HIGH},
    Key{"vbatLow", KeyKind::Number, IDC_VBAT_LOW},
    Key{"vbatStop", KeyKind::Number, IDC_VBAT_STOP},
    Key{"wakeUp", KeyKind::ReadOnly, IDC_WAKE_UP},
    Key{"servoLegs", KeyKind::Servo, IDC_LEG_MARGIN},
    Key{"servoArms", KeyKind::Servo, IDC_ARM_MARGIN},
    Key{"servoWalking", KeyKind::Flag, IDC_SERVO_WALKING},
    Key{"powerUps", KeyKind::PowerUps, kFirstPowerUpBox},
    Key{"powerUpFlags", KeyKind::ReadOnly, 0},
};

const Key* FindKey(std::string_view name) {
    for (const Key& key : kKeys) {
        if (key.name == name) {
            return &key;
        }
    }
    return nullptr;
}

// "A,B,C" split at the commas.
std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    while (true) {
        const std::string::size_type comma = text.find(',', start);
        parts.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos) {
            return parts;
        }
        start = comma + 1;
    }
}

// The settings data dialog without a window, on the card of an image.
class SettingsSession {
public:
    SettingsSession(const CommandContext& context, const std::string& imagePath)
        : context_(context), image_(context, imagePath),
          dialog_(SettingsDialogTemplate(), context.err) {}

    // Loads the image and opens the dialog; false when either fails (the message is shown).
    bool Open() {
        return image_.Load() &&
               dialog_.Open(std::make_unique<CBinaryDialog>(services_, image_.Document()));
    }

    ui::DialogModel& Model() { return dialog_.Model(); }
    HeadlessDialog& Dialog() { return dialog_; }
    EditorDocument& Document() { return image_.Document(); }

    // Acts on the controls for one KEY=VALUE whose key exists; kExitSuccess, or the exit status of
    // the fault.
    int Assign(const std::string& assignment) {
        const std::string::size_type equals = assignment.find('=');
        const Key* key = FindKey(assignment.substr(0, equals)); // checked before opening
        const std::string name(key->name);
        const std::string value = assignment.substr(equals + 1);
        switch (key->kind) {
        case KeyKind::ReadOnly:
            return Usage(name + " is read from the card and cannot be set");
        case KeyKind::Flag:
            if (value != "on" && value != "off") {
                return Usage(name + " takes on or off, not '" + value + "'");
            }
            if (!dialog_.Reachable(name, key->control)) {
                return kExitUsage;
            }
            return Answered(assignment, dialog_.ClickTo(key->control, value == "on"));
        case KeyKind::Number:
            return Type(name, key->control, value);
        case KeyKind::Birthday: {
            const std::string::size_type slash = value.find('/');
            if (slash == std::string::npos) {
                return Usage(Worded("birthdayは月/日です。'%1'ではありません", {value}));
            }
            const int status = Type(name, IDC_BIRTH_MONTH, value.substr(0, slash));
            return status != kExitSuccess ? status
                                          : Type(name, IDC_BIRTH_DAY, value.substr(slash + 1));
        }
        case KeyKind::Random:
            if (value == "variable") {
                return dialog_.ClickTo(IDC_RANDOM_VARIABLE, true) ? kExitSuccess : kExitFailure;
            }
            if (!IsWholeNumber(value)) {
                return Usage(Worded("randomはvariableか整数です。'%1'ではありません", {value}));
            }
            dialog_.ClickTo(IDC_RANDOM_FIXED, true);
            return Type(name, IDC_RANDOM_VALUE, value);
        case KeyKind::TvMaker: {
            if (value.size() != 1 || value[0] < '0' || value[0] > '7') {
                return Usage(Worded("tvMakerは0～7です。'%1'ではありません", {value}));
            }
            // Clicked even when it shows already, as a person's click records the maker too.
            dialog_.Click(IDC_TV_FIRST + (value[0] - '0'));
            return kExitSuccess;
        }
        case KeyKind::Servo: {
            const std::vector<std::string> parts = Split(value);
            if (parts.size() != 3 || !std::all_of(parts.begin(), parts.end(), IsWholeNumber)) {
                return Usage(name + " takes MARGIN,SLOPE,PUNCH as whole numbers, not '" + value +
                             "'");
            }
            for (int i = 0; i < 3; ++i) {
                const int status = Type(name, key->control + i, parts[static_cast<std::size_t>(i)]);
                if (status != kExitSuccess) {
                    return status;
                }
            }
            return kExitSuccess;
        }
        case KeyKind::PowerUps:
            return AssignPowerUps(assignment, value);
        }
        return kExitUsage;
    }

    // The assignment whose controls hold the focus, which OK gives to the value it refused.
    std::optional<std::string> Refused(const std::vector<std::string>& assignments) {
        const int focus = Model().Focus();
        std::optional<std::string> refused; // the last to type into the control
        for (const std::string& assignment : assignments) {
            const Key* key = FindKey(assignment.substr(0, assignment.find('=')));
            const int count = key->kind == KeyKind::Servo                                    ? 3
                              : key->kind == KeyKind::Birthday                               ? 2
                              : key->kind == KeyKind::Number || key->kind == KeyKind::Random ? 1
                                                                                             : 0;
            if (focus >= key->control && focus < key->control + count) {
                refused = assignment;
            }
        }
        return refused;
    }

private:
    int Usage(const std::string& why) {
        context_.err << "orvix2-cli: " << why << '\n';
        return kExitUsage;
    }

    // A click a question answered No undid: the key was not applied.
    int Answered(const std::string& assignment, bool applied) {
        if (!applied) {
            context_.err
                << "orvix2-cli: "
                << Worded("%1は行いませんでした: 問いに「いいえ」と答えました(--yesで「はい」)",
                          {assignment})
                << '\n';
        }
        return applied ? kExitSuccess : kExitFailure;
    }

    int Type(const std::string& name, int id, const std::string& text) {
        if (!dialog_.Reachable(name, id)) {
            return kExitUsage;
        }
        dialog_.Type(id, text);
        return kExitSuccess;
    }

    // "all", "none", or "+N,-N,…" for single instalments 1 to 41.
    int AssignPowerUps(const std::string& assignment, const std::string& value) {
        if (value == "all" || value == "none") {
            return Answered(assignment, dialog_.ClickTo(kAllPowerUpsBox, value == "all"));
        }
        std::vector<std::pair<int, bool>> boxes;
        for (const std::string& part : Split(value)) {
            int instalment = 0;
            const bool sign = !part.empty() && (part[0] == '+' || part[0] == '-');
            bool digits = sign && part.size() > 1 && part.size() <= 3;
            for (std::size_t i = 1; digits && i < part.size(); ++i) {
                digits = part[i] >= '0' && part[i] <= '9';
                instalment = instalment * 10 + (part[i] - '0');
            }
            if (!digits || instalment < 1 || instalment > static_cast<int>(kPowerUpTable.size())) {
                return Usage(Worded(
                    "powerUpsはall、none、または+N,-N(Nは1～41)です。'%1'ではありません", {value}));
            }
            boxes.emplace_back(kFirstPowerUpBox + instalment - 1, part[0] == '+');
        }
        for (const auto& [box, checked] : boxes) {
            dialog_.ClickTo(box, checked);
        }
        return kExitSuccess;
    }

    const CommandContext& context_;
    ImageSession image_;
    NoChildDialogs runner_;
    ui::UiServices services_{context_.prompter, runner_};
    HeadlessDialog dialog_;
};

nlohmann::ordered_json ServoJson(const ui::DialogModel& model, int first) {
    if (!model.IsEnabled(first)) {
        return nullptr; // the card has no such servo file
    }
    return nlohmann::ordered_json::array(
        {model.GetIntOrZero(first), model.GetIntOrZero(first + 1), model.GetIntOrZero(first + 2)});
}

nlohmann::ordered_json SettingsJson(SettingsSession& session) {
    const ui::DialogModel& m = session.Model();
    nlohmann::ordered_json j;
    j["initialised"] = m.IsChecked(IDC_INITIALISED);
    j["birthday"] = {{"month", m.GetIntOrZero(IDC_BIRTH_MONTH)},
                     {"day", m.GetIntOrZero(IDC_BIRTH_DAY)}};
    j["ignoreBoardError"] = m.IsChecked(IDC_IGNORE_BOARD_ERROR);
    j["ignoreUserWarning"] = m.IsChecked(IDC_IGNORE_USER_WARNING);
    j["random"] = m.IsChecked(IDC_RANDOM_FIXED)
                      ? nlohmann::ordered_json(m.GetIntOrZero(IDC_RANDOM_VALUE))
                      : nlohmann::ordered_json("variable");
    j["volume"] = m.GetIntOrZero(IDC_VOLUME);
    nlohmann::ordered_json maker = nullptr;
    for (int id = IDC_TV_FIRST; id <= IDC_TV_LAST; ++id) {
        if (m.IsChecked(id)) {
            maker = id - IDC_TV_FIRST;
        }
    }
    j["tvMaker"] = maker;
    j["headSwitch"] = m.IsChecked(IDC_HEAD_SWITCH);
    const std::pair<const char*, int> numbers[] = {{"timeoutStand", IDC_TIMEOUT_STAND},
                                                   {"timeoutSit", IDC_TIMEOUT_SIT},
                                                   {"timeoutCharge", IDC_TIMEOUT_CHARGE},
                                                   {"vbatFirmware", IDC_VBAT_FIRMWARE},
                                                   {"vbatHigh", IDC_VBAT_HIGH},
                                                   {"vbatLow", IDC_VBAT_LOW},
                                                   {"vbatStop", IDC_VBAT_STOP}};
    for (const auto& [name, id] : numbers) {
        j[name] = m.GetIntOrZero(id);
    }
    j["wakeUp"] = m.GetText(IDC_WAKE_UP);
    j["servoLegs"] = ServoJson(m, IDC_LEG_MARGIN);
    j["servoArms"] = ServoJson(m, IDC_ARM_MARGIN);
    nlohmann::ordered_json powerUps = nlohmann::ordered_json::array();
    for (std::size_t row = 0; row < kPowerUpTable.size(); ++row) {
        if (m.IsChecked(kFirstPowerUpBox + static_cast<int>(row))) {
            powerUps.push_back(row + 1);
        }
    }
    j["powerUps"] = std::move(powerUps);
    char flags[24];
    std::snprintf(flags, sizeof flags, "0x%016llx",
                  static_cast<unsigned long long>(session.Document().powerUpFlags));
    j["powerUpFlags"] = flags;
    return j;
}

} // namespace

int ShowSettings(const CommandContext& context, const SettingsArguments& arguments) {
    SettingsSession session(context, arguments.imagePath);
    if (!session.Open()) {
        return kExitFailure;
    }
    const nlohmann::ordered_json json = SettingsJson(session);
    if (arguments.json) {
        context.out << json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
                    << '\n';
        return kExitSuccess;
    }
    PrintShownLines({kSettingArea}, json, context.out);
    return kExitSuccess;
}

int SetSettings(const CommandContext& context, const SettingsArguments& arguments) {
    if (arguments.assignments.empty()) {
        context.err << "orvix2-cli: "
                    << Translate("設定する値がありません。KEY=値 ... を指定してください") << '\n';
        return kExitUsage;
    }
    for (const std::string& assignment : arguments.assignments) {
        const std::string::size_type equals = assignment.find('=');
        if (equals == std::string::npos || FindKey(assignment.substr(0, equals)) == nullptr) {
            context.err << "orvix2-cli: "
                        << Worded("'%1'は設定のキーのKEY=値の形ではありません", {assignment})
                        << '\n';
            return kExitUsage;
        }
    }
    SettingsSession session(context, arguments.imagePath);
    if (!session.Open()) {
        return kExitFailure;
    }
    int status = kExitSuccess;
    for (const std::string& assignment : arguments.assignments) {
        const int result = session.Assign(assignment);
        if (result == kExitUsage) {
            return kExitUsage;
        }
        status = status == kExitSuccess ? result : status;
    }
    if (status != kExitSuccess) {
        return status; // a question undid what a key asked for: nothing is written
    }
    session.Dialog().Click(IDC_OK);
    if (session.Dialog().EndedWithOk()) {
        return kExitSuccess;
    }
    if (const std::optional<std::string> refused = session.Refused(arguments.assignments)) {
        context.err << "orvix2-cli: " << Worded(kRefusedNothingWritten, {*refused}) << '\n';
    }
    return kExitFailure;
}

int RestoreSettings(const CommandContext& context, const SettingsArguments& arguments) {
    SettingsSession session(context, arguments.imagePath);
    if (!session.Open()) {
        return kExitFailure;
    }
    session.Dialog().Click(IDC_RESTORE);
    session.Dialog().Click(IDC_OK);
    return session.Dialog().EndedWithOk() ? kExitSuccess : kExitFailure;
}

} // namespace orvix::cli
