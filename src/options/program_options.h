#pragma once

// The behaviour options of the robot's program as the program change dialog shows them: reading
// them from the image and writing chosen ones back (the eye colours: eye_colours.h).

#include <cstdint>

#include "calibration/editor_document.h"
#include "options/eye_colours.h"
#include "options/option_sites.h"
#include "ui/prompter.h"

namespace orvix {

// The default start code of the Bluetooth form.
inline constexpr std::int32_t kDefaultStartCode = 1154;
// The start codes the Bluetooth form can hold.
inline constexpr std::int32_t kStartCodeMin = 1;
inline constexpr std::int32_t kStartCodeMax = 65'536;

// One field per control of the program change dialog.
struct ProgramOptions {
    bool torqueOn = true;
    bool voiceRecognition = true;
    bool voltageMonitor = true;
    bool timeoutMonitor = true;
    bool faceRecognition = true;
    bool faceDirection = true;
    bool standardColour = false;
    bool energySaving = false;
    bool noBlink = false;
    bool armAngleChange = false;     // chosen anew (the control checked and enabled)
    bool armAngleFixed = false;      // already in the image
    bool shoulderLimit = false;      // checked
    bool shoulderLimitFixed = false; // already in the image
    std::int32_t walkSteps = 0;
    bool servoParameters = false;
    bool servoParametersAvailable = false; // layout A
    bool remoteSupport = false;
    bool remoteSupportFixed = false; // the image has a remote extension
    bool bluetooth = true;           // false: the remote connection form
    bool bluetoothChangeable = true; // false for an extension loaded with the file
    bool remoteConnection = true;    // load REMOTE.BIN
    bool voicePlayback = true;       // load VOICE.BIN
    bool syncReceive = false;        // the sync receive marker is set
    std::int32_t startCode = kDefaultStartCode;
    std::int32_t syncStartDelay = 0;

    friend bool operator==(const ProgramOptions&, const ProgramOptions&) = default;
};

struct ReadOptionsResult {
    ProgramOptions options;
    // False when the image is no robot program of a known kind (message 117); the simple options
    // read before the refusal are in options all the same.
    bool accepted = false;
};

// A program of a known kind: at least as long as its layout's program alone.
bool IsKnownProgram(const EditorDocument& document);

// Reads the options of the loaded image and clears programChanged. A refused image is too small
// for its layout; the caller shows message 117.
ReadOptionsResult ReadProgramOptions(EditorDocument& document);

// How ApplyProgramOptions ended.
enum class ApplyResult {
    Applied,          // the image holds the options; the caller saves it
    WalkStepsRefused, // message 146 shown; the focus belongs on the step field
    StartCodeRefused, // message 108 shown; the focus belongs on the start code field
    ArmRefused,       // No to 165 for the arm change: armAngleChange and shoulderLimit cleared
    ShoulderRefused,  // No to 165 for the shoulder limit alone: shoulderLimit cleared
    RemoteRefused,    // No to 148, or no usable remote blocks: the remote choices cleared
    CloseRequested,   // No to 166: the dialog closes as if cancelled
    Cancelled,        // Cancel to 166: stay open
    RemoteKept,       // a held extension cannot be rebuilt (message 151): programChanged cleared,
                      // the remote controls go back to what the image holds
    WrongProgram,     // an image ReadProgramOptions refuses: nothing written
};

// Writes the options into the image. Every question is asked and every code file read before
// the first byte changes; a result other than Applied means the image is as it was. On success
// valuesChanged is set and the caller saves with SaveImageFile. The code files and REMOTEBLK.BIN
// come from CodeFolder(document).
ApplyResult ApplyProgramOptions(EditorDocument& document, ProgramOptions& options,
                                ui::Prompter& prompter);

} // namespace orvix
