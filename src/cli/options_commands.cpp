#include "cli/options_commands.h"

#include <algorithm>
#include <array>
#include <memory>
#include <nlohmann/json.hpp>
#include <string_view>

#include "cli/exit_status.h"
#include "cli/headless_dialog.h"
#include "cli/shown_lines.h"
#include "options/program_options.h"
#include "options/remote_extension.h"
#include "options/toruque_dialog.h"
#include "resources/main_dialog.h"
#include "resources/names.h"
#include "resources/program_dialog.h"
#include "resources/string_table.h"
#include "resources/translation.h"
#include "ui/dialog_model.h"

namespace orvix::cli {

namespace {

using namespace program_dlg;

// When the written program holds a field at all: a start code only in the Bluetooth form of a
// remote extension, the other remote fields only with one, the servo parameters in layout A.
enum class HeldWhen { Always, Remote, Bluetooth, ServoLayout };

bool Holds(const ProgramOptions& options, HeldWhen when) {
    switch (when) {
    case HeldWhen::Always:
        return true;
    case HeldWhen::Remote:
        return options.remoteSupport;
    case HeldWhen::Bluetooth:
        return options.remoteSupport && options.bluetooth;
    case HeldWhen::ServoLayout:
        return options.servoParametersAvailable;
    }
    return false;
}

// A field of the options: how it is set on the dialog (a radio pair on and off, a check box on
// only, a number field, or nothing for a field the image decides) and where it is held.
struct FieldControl {
    std::string_view name;
    bool ProgramOptions::*flag = nullptr;
    std::int32_t ProgramOptions::*number = nullptr;
    int on = 0;
    int off = 0;
    int field = 0;
    HeldWhen held = HeldWhen::Always;
};

constexpr FieldControl Radio(std::string_view name, bool ProgramOptions::*flag, int on, int off) {
    return {name, flag, nullptr, on, off};
}
constexpr FieldControl Box(std::string_view name, bool ProgramOptions::*flag, int on,
                           HeldWhen held = HeldWhen::Always) {
    return {name, flag, nullptr, on, 0, 0, held};
}
constexpr FieldControl Number(std::string_view name, std::int32_t ProgramOptions::*number,
                              int field, HeldWhen held = HeldWhen::Always) {
    return {name, nullptr, number, 0, 0, field, held};
}

using P = ProgramOptions;
constexpr std::array kFieldControls{
    Radio("torqueOn", &P::torqueOn, IDC_TORQUE_ON, IDC_TORQUE_OFF),
    Radio("voiceRecognition", &P::voiceRecognition, IDC_VOICE_ON, IDC_VOICE_OFF),
    Radio("voltageMonitor", &P::voltageMonitor, IDC_VOLTAGE_ON, IDC_VOLTAGE_OFF),
    Radio("timeoutMonitor", &P::timeoutMonitor, IDC_TIMEOUT_ON, IDC_TIMEOUT_OFF),
    Radio("faceRecognition", &P::faceRecognition, IDC_FACE_RECOGNITION_ON,
          IDC_FACE_RECOGNITION_OFF),
    Radio("faceDirection", &P::faceDirection, IDC_FACE_DIRECTION_ON, IDC_FACE_DIRECTION_OFF),
    Box("standardColour", &P::standardColour, IDC_STANDARD_COLOUR),
    Box("energySaving", &P::energySaving, IDC_ENERGY_SAVING),
    Box("noBlink", &P::noBlink, IDC_NO_BLINK),
    Box("armAngleChange", &P::armAngleChange, IDC_ARM_ANGLE),
    Box("armAngleFixed", &P::armAngleFixed, 0),
    Box("shoulderLimit", &P::shoulderLimit, IDC_SHOULDER_LIMIT),
    Box("shoulderLimitFixed", &P::shoulderLimitFixed, 0),
    Number("walkSteps", &P::walkSteps, IDC_WALK_STEPS),
    Box("servoParameters", &P::servoParameters, IDC_SERVO_PARAMETERS, HeldWhen::ServoLayout),
    Box("servoParametersAvailable", &P::servoParametersAvailable, 0),
    Box("remoteSupport", &P::remoteSupport, IDC_REMOTE_SUPPORT),
    Box("remoteSupportFixed", &P::remoteSupportFixed, 0),
    Box("bluetooth", &P::bluetooth, IDC_BLUETOOTH, HeldWhen::Remote),
    Box("bluetoothChangeable", &P::bluetoothChangeable, 0),
    Box("remoteConnection", &P::remoteConnection, IDC_REMOTE_CONNECTION, HeldWhen::Remote),
    Box("voicePlayback", &P::voicePlayback, IDC_VOICE_PLAYBACK, HeldWhen::Remote),
    Box("syncReceive", &P::syncReceive, IDC_SYNC_RECEIVE, HeldWhen::Remote),
    Number("startCode", &P::startCode, IDC_START_CODE, HeldWhen::Bluetooth),
    Number("syncStartDelay", &P::syncStartDelay, IDC_SYNC_START_DELAY, HeldWhen::Remote),
};

const FieldControl* FindField(std::string_view name) {
    for (const FieldControl& field : kFieldControls) {
        if (field.name == name) {
            return &field;
        }
    }
    return nullptr;
}

// The program change dialog without a window, on the image of a session.
class ProgramDialogSession {
public:
    ProgramDialogSession(const CommandContext& context, const OptionsArguments& arguments)
        : context_(context), image_(context, arguments.imagePath, 0, arguments.checkRange),
          dialog_(ProgramDialogTemplate(), context.err) {
        image_.Document().codeFolder = arguments.codeFolder;
    }

    bool Load() { return image_.Load(); }
    // Opens the dialog on the loaded image; false when the image was refused (message 117).
    bool Open() {
        dialog_.Open(
            std::make_unique<CToruqueDialog>(services_, image_.Document(), image_.Model()));
        return dialog_.Model().IsEnabled(IDC_OK);
    }
    HeadlessDialog& Dialog() { return dialog_; }
    ImageSession& Image() { return image_; }

    // Acts on the controls as a user would for a FIELD=VALUE whose field exists; a usage error
    // says why on err.
    bool Assign(const std::string& assignment) {
        const std::string::size_type equals = assignment.find('=');
        const std::string name = assignment.substr(0, equals);
        const FieldControl& field = *FindField(name);
        const std::string value = assignment.substr(equals + 1);
        if (field.field != 0) {
            if (!dialog_.Reachable(name, field.field)) {
                return false;
            }
            dialog_.Type(field.field, value);
            return true;
        }
        if (field.on == 0) {
            context_.err << "orvix2-cli: "
                         << Worded("%1はファイルから読むだけで、設定できません", {name}) << '\n';
            return false;
        }
        if (value != "on" && value != "off") {
            context_.err << "orvix2-cli: "
                         << Worded("%1はonかoffです。'%2'ではありません", {name, value}) << '\n';
            return false;
        }
        const bool on = value == "on";
        // A radio pair is set by clicking the button of the state; a check box by toggling.
        const int button = field.off != 0 && !on ? field.off : field.on;
        const bool checked = field.off != 0 || on;
        if (!dialog_.Reachable(name, button)) {
            return false;
        }
        dialog_.ClickTo(button, checked);
        return true;
    }

private:
    const CommandContext& context_;
    ImageSession image_;
    NoChildDialogs runner_;
    ui::UiServices services_{context_.prompter, runner_};
    HeadlessDialog dialog_;
};

nlohmann::ordered_json ColourJson(EyeColour colour) {
    return nlohmann::ordered_json::array({colour.red, colour.green, colour.blue});
}

void PrintOptions(const EditorDocument& document, const ProgramOptions& o, bool json,
                  std::ostream& out) {
    nlohmann::ordered_json j;
    for (const FieldControl& field : kFieldControls) {
        j[std::string(field.name)] = field.flag != nullptr
                                         ? nlohmann::ordered_json(o.*field.flag)
                                         : nlohmann::ordered_json(o.*field.number);
    }
    j["layout"] = document.buildVariant ? "B" : "A";
    j["size"] = document.ImageSize();
    j["eyeColour"] = {{"first", ColourJson(FirstEyeColour(document))},
                      {"second", ColourJson(SecondEyeColour(document))}};
    if (json) {
        out << j.dump(2) << '\n';
        return;
    }
    j.erase("eyeColour"); // one line for each colour, as the history names them
    j["eyeColour first"] = ColourJson(FirstEyeColour(document));
    j["eyeColour second"] = ColourJson(SecondEyeColour(document));
    PrintShownLines({kOptionArea, kRemoteArea}, j, out);
}

// "R,G,B" with each channel 0 to 255.
std::optional<ui::Rgb> ParseColour(const std::string& text) {
    int channels[3] = {};
    std::size_t at = 0;
    for (int i = 0; i < 3; ++i) {
        const std::size_t end = i < 2 ? text.find(',', at) : text.size();
        if (end == std::string::npos || end == at || end - at > 3) {
            return std::nullopt;
        }
        for (std::size_t c = at; c < end; ++c) {
            if (text[c] < '0' || text[c] > '9') {
                return std::nullopt;
            }
            channels[i] = channels[i] * 10 + (text[c] - '0');
        }
        if (channels[i] > 255) {
            return std::nullopt;
        }
        at = end + 1;
    }
    return ui::Rgb{channels[0], channels[1], channels[2]};
}

// The last value each field was given on the command line, in the order first given.
std::vector<std::pair<std::string, std::string>>
RequestedValues(const std::vector<std::string>& assignments) {
    std::vector<std::pair<std::string, std::string>> requested;
    for (const std::string& assignment : assignments) {
        const std::string::size_type equals = assignment.find('=');
        const std::string name = assignment.substr(0, equals);
        const auto same = std::find_if(requested.begin(), requested.end(),
                                       [&](const auto& entry) { return entry.first == name; });
        if (same != requested.end()) {
            same->second = assignment.substr(equals + 1);
        } else {
            requested.emplace_back(name, assignment.substr(equals + 1));
        }
    }
    return requested;
}

// When a check refused a field, the dialog gave it the focus: names the field and its value.
void NameRefusedField(const ui::DialogModel& dialog, const OptionsArguments& arguments,
                      std::ostream& err) {
    const int focus = dialog.Focus();
    for (const FieldControl& field : kFieldControls) {
        if (focus == 0 || (focus != field.field && focus != field.on && focus != field.off)) {
            continue;
        }
        for (const auto& [name, value] : RequestedValues(arguments.assignments)) {
            if (name == field.name) {
                err << "orvix2-cli: " << Worded("拒否しました: %1", {name + '=' + value}) << '\n';
                return;
            }
        }
        err << "orvix2-cli: "
            << Worded("拒否しました: %1 (プログラムにある値)",
                      {std::string(field.name) + '=' + dialog.GetText(field.field)})
            << '\n';
        return;
    }
}

// The value a number field is stored as: the documented clamp of the sync start delay (300 is
// stored as 255) is what asking for 300 means, not a change left undone.
std::optional<int> StoredAs(const FieldControl& field, std::optional<int> value) {
    if (value && field.number == &P::syncStartDelay) {
        return DelayByte(*value);
    }
    return value;
}

// Reads the program as the save wrote it (the image, then its tail), as a load would, and names
// each requested change it does not hold; false when it holds them all.
bool ReportChangesNotMade(const CommandContext& context, const OptionsArguments& arguments,
                          const EditorDocument& saved) {
    EditorDocument written = saved;
    written.image.insert(written.image.end(), saved.imageTail.begin(), saved.imageTail.end());
    written.imageTail.clear();
    const ProgramOptions held = ReadProgramOptions(written).options;
    bool notMade = false;
    for (const auto& [name, value] : RequestedValues(arguments.assignments)) {
        const FieldControl& field = *FindField(name);
        std::string holds;
        if (!Holds(held, field.held)) {
            holds = "no " + name;
        } else if (field.flag != nullptr && (value == "on") != held.*field.flag) {
            holds = name + '=' + (held.*field.flag ? "on" : "off");
        } else if (field.number != nullptr &&
                   StoredAs(field, ui::ParseDialogInt(value)) != held.*field.number) {
            holds = name + '=' + std::to_string(held.*field.number);
        }
        if (!holds.empty()) {
            context.err << "orvix2-cli: "
                        << Worded("変更されませんでした: %1=%2 (書き込んだプログラムは%3)",
                                  {name, value, holds})
                        << '\n';
            notMade = true;
        }
    }
    return notMade;
}

} // namespace

int ShowOptions(const CommandContext& context, const OptionsArguments& arguments) {
    ImageSession session(context, arguments.imagePath);
    if (!session.Load()) {
        return kExitFailure;
    }
    const ReadOptionsResult read = ReadProgramOptions(session.Document());
    if (!read.accepted) {
        context.prompter.Message(IDP_WRONG_PROGRAM);
        return kExitFailure;
    }
    PrintOptions(session.Document(), read.options, arguments.json, context.out);
    return kExitSuccess;
}

int SetOptions(const CommandContext& context, const OptionsArguments& arguments) {
    if (arguments.assignments.empty()) {
        context.err << "orvix2-cli: "
                    << Translate("設定する値がありません。FIELD=値 ... を指定してください") << '\n';
        return kExitUsage;
    }
    for (const std::string& assignment : arguments.assignments) {
        const std::string::size_type equals = assignment.find('=');
        if (equals == std::string::npos || FindField(assignment.substr(0, equals)) == nullptr) {
            context.err << "orvix2-cli: "
                        << Worded("'%1'はオプションの項目のFIELD=値の形ではありません",
                                  {assignment})
                        << '\n';
            return kExitUsage;
        }
    }
    ProgramDialogSession session(context, arguments);
    if (!session.Load()) {
        return kExitFailure;
    }
    if (!session.Open()) {
        return kExitFailure;
    }
    for (const std::string& assignment : arguments.assignments) {
        if (!session.Assign(assignment)) {
            return kExitUsage;
        }
    }
    session.Dialog().Click(IDC_OK);
    if (!session.Dialog().EndedWithOk()) {
        NameRefusedField(session.Dialog().Model(), arguments, context.err);
        return kExitFailure;
    }
    // A change the program cannot take (a code file that is missing, an option it has no place
    // for) leaves the rest written: the file says what was made.
    return ReportChangesNotMade(context, arguments, session.Image().Document()) ? kExitPartial
                                                                                : kExitSuccess;
}

int SetEyeColour(const CommandContext& context, CliPrompter& prompter,
                 const OptionsArguments& arguments) {
    std::optional<ui::Rgb> chosen;
    if (arguments.colour != "standard") {
        chosen = ParseColour(arguments.colour);
        if (!chosen) {
            context.err << "orvix2-cli: "
                        << Worded("色はstandardかR,G,B(それぞれ0～255)です。'%1'ではありません",
                                  {arguments.colour})
                        << '\n';
            return kExitUsage;
        }
        prompter.SetChosenColour(*chosen);
    }
    ImageSession session(context, arguments.imagePath, 0, arguments.checkRange);
    if (!session.Load()) {
        return kExitFailure;
    }
    if (!ReadProgramOptions(session.Document()).accepted) {
        context.prompter.Message(IDP_WRONG_PROGRAM);
        return kExitFailure;
    }
    if (chosen) {
        ChooseEyeColour(session.Document(), prompter, arguments.energySaving, arguments.noBlink);
    } else {
        SetStandardEyeColour(session.Document(), arguments.energySaving, arguments.noBlink);
    }
    return session.Save() ? kExitSuccess : kExitFailure;
}

int ApplyPatch(const CommandContext& context, CliPrompter& prompter,
               const OptionsArguments& arguments) {
    prompter.SetChosenFile(arguments.patchPath);
    ProgramDialogSession session(context, arguments);
    if (!session.Load()) {
        return kExitFailure;
    }
    if (!session.Image().Model().IsEnabled(main_dlg::IDC_PROGRAM_CHANGE)) {
        // The short variant carries no program: the editor offers no program change for it.
        context.err << "orvix2-cli: "
                    << Worded("%1はプログラムのない短い形(4,011バイト)です。パッチは当てません",
                              {arguments.imagePath})
                    << '\n';
        return kExitFailure;
    }
    session.Open(); // an image refused here is patched and saved without its options
    session.Dialog().Click(IDC_BINARY_PATCH);
    for (int failure : {IDP_PATCH_READ_FAILED, IDP_PATCH_FAILED, IDP_PATCH_ALREADY_APPLIED}) {
        if (prompter.Shown(failure)) {
            return kExitFailure;
        }
    }
    if (!prompter.Shown(IDP_PATCH_APPLIED)) {
        // The editor passes such a file over in silence; asked for a patch, the tool says so.
        context.err
            << "orvix2-cli: "
            << Worded("%1には項目(アドレス,期待値,新しい値の行)がありません。何も当てませんでした",
                      {arguments.patchPath})
            << '\n';
        return kExitFailure;
    }
    if (!prompter.Shown(IDP_WRITE_PROGRAM_DONE)) {
        return kExitFailure; // the apply or the save failed
    }
    return kExitSuccess;
}

} // namespace orvix::cli
