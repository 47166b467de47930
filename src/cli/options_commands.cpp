#include "cli/options_commands.h"

#include <array>
#include <memory>
#include <nlohmann/json.hpp>
#include <string_view>

#include "cli/exit_status.h"
#include "cli/headless_dialog.h"
#include "options/program_options.h"
#include "options/toruque_dialog.h"
#include "resources/program_dialog.h"
#include "resources/string_table.h"
#include "ui/dialog_model.h"

namespace orvix::cli {

namespace {

using namespace program_dlg;

// How a field of the options is set on the dialog: a radio pair (on, off), a check box (on only),
// a number field, or nothing (a field the image decides).
struct FieldControl {
    std::string_view name;
    int on = 0;
    int off = 0;
    int number = 0;
};

constexpr std::array kFieldControls{
    FieldControl{"torqueOn", IDC_TORQUE_ON, IDC_TORQUE_OFF},
    FieldControl{"voiceRecognition", IDC_VOICE_ON, IDC_VOICE_OFF},
    FieldControl{"voltageMonitor", IDC_VOLTAGE_ON, IDC_VOLTAGE_OFF},
    FieldControl{"timeoutMonitor", IDC_TIMEOUT_ON, IDC_TIMEOUT_OFF},
    FieldControl{"faceRecognition", IDC_FACE_RECOGNITION_ON, IDC_FACE_RECOGNITION_OFF},
    FieldControl{"faceDirection", IDC_FACE_DIRECTION_ON, IDC_FACE_DIRECTION_OFF},
    FieldControl{"standardColour", IDC_STANDARD_COLOUR},
    FieldControl{"energySaving", IDC_ENERGY_SAVING},
    FieldControl{"noBlink", IDC_NO_BLINK},
    FieldControl{"armAngleChange", IDC_ARM_ANGLE},
    FieldControl{"armAngleFixed"},
    FieldControl{"shoulderLimit", IDC_SHOULDER_LIMIT},
    FieldControl{"shoulderLimitFixed"},
    FieldControl{"walkSteps", 0, 0, IDC_WALK_STEPS},
    FieldControl{"servoParameters", IDC_SERVO_PARAMETERS},
    FieldControl{"servoParametersAvailable"},
    FieldControl{"remoteSupport", IDC_REMOTE_SUPPORT},
    FieldControl{"remoteSupportFixed"},
    FieldControl{"bluetooth", IDC_BLUETOOTH},
    FieldControl{"bluetoothChangeable"},
    FieldControl{"remoteConnection", IDC_REMOTE_CONNECTION},
    FieldControl{"voicePlayback", IDC_VOICE_PLAYBACK},
    FieldControl{"syncReceive", IDC_SYNC_RECEIVE},
    FieldControl{"startCode", 0, 0, IDC_START_CODE},
    FieldControl{"syncStartDelay", 0, 0, IDC_SYNC_START_DELAY},
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
        if (field.number != 0) {
            if (!dialog_.Reachable(name, field.number)) {
                return false;
            }
            dialog_.Type(field.number, value);
            return true;
        }
        if (field.on == 0) {
            context_.err << "orvix2-cli: " << name << " is read from the image and cannot be set\n";
            return false;
        }
        if (value != "on" && value != "off") {
            context_.err << "orvix2-cli: " << name << " takes on or off, not '" << value << "'\n";
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
    j["torqueOn"] = o.torqueOn;
    j["voiceRecognition"] = o.voiceRecognition;
    j["voltageMonitor"] = o.voltageMonitor;
    j["timeoutMonitor"] = o.timeoutMonitor;
    j["faceRecognition"] = o.faceRecognition;
    j["faceDirection"] = o.faceDirection;
    j["standardColour"] = o.standardColour;
    j["energySaving"] = o.energySaving;
    j["noBlink"] = o.noBlink;
    j["armAngleChange"] = o.armAngleChange;
    j["armAngleFixed"] = o.armAngleFixed;
    j["shoulderLimit"] = o.shoulderLimit;
    j["shoulderLimitFixed"] = o.shoulderLimitFixed;
    j["walkSteps"] = o.walkSteps;
    j["servoParameters"] = o.servoParameters;
    j["servoParametersAvailable"] = o.servoParametersAvailable;
    j["remoteSupport"] = o.remoteSupport;
    j["remoteSupportFixed"] = o.remoteSupportFixed;
    j["bluetooth"] = o.bluetooth;
    j["bluetoothChangeable"] = o.bluetoothChangeable;
    j["remoteConnection"] = o.remoteConnection;
    j["voicePlayback"] = o.voicePlayback;
    j["syncReceive"] = o.syncReceive;
    j["startCode"] = o.startCode;
    j["syncStartDelay"] = o.syncStartDelay;
    j["layout"] = document.buildVariant ? "B" : "A";
    j["size"] = document.ImageSize();
    j["eyeColour"] = {{"first", ColourJson(FirstEyeColour(document))},
                      {"second", ColourJson(SecondEyeColour(document))}};
    if (json) {
        out << j.dump(2) << '\n';
        return;
    }
    for (const auto& [key, value] : j.items()) {
        out << key << '\t' << value.dump() << '\n';
    }
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
        context.err << "orvix2-cli: nothing to set; give FIELD=VALUE ...\n";
        return kExitUsage;
    }
    for (const std::string& assignment : arguments.assignments) {
        const std::string::size_type equals = assignment.find('=');
        if (equals == std::string::npos || FindField(assignment.substr(0, equals)) == nullptr) {
            context.err << "orvix2-cli: '" << assignment
                        << "' is not of the form FIELD=VALUE with a field of the options\n";
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
    return session.Dialog().EndedWithOk() ? kExitSuccess : kExitFailure;
}

int SetEyeColour(const CommandContext& context, CliPrompter& prompter,
                 const OptionsArguments& arguments) {
    std::optional<ui::Rgb> chosen;
    if (arguments.colour != "standard") {
        chosen = ParseColour(arguments.colour);
        if (!chosen) {
            context.err << "orvix2-cli: the colour is standard or R,G,B with each 0 to 255, not '"
                        << arguments.colour << "'\n";
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
    session.Open(); // an image refused here is patched and saved without its options
    session.Dialog().Click(IDC_BINARY_PATCH);
    for (int failure : {IDP_PATCH_READ_FAILED, IDP_PATCH_FAILED, IDP_PATCH_ALREADY_APPLIED}) {
        if (prompter.Shown(failure)) {
            return kExitFailure;
        }
    }
    if (prompter.Shown(IDP_PATCH_APPLIED) && !prompter.Shown(IDP_WRITE_PROGRAM_DONE)) {
        return kExitFailure; // the apply or the save failed
    }
    return kExitSuccess;
}

} // namespace orvix::cli
