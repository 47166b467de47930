#include "options/program_options.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "options/code_files.h"
#include "options/eye_colours.h"
#include "options/image_bytes.h"
#include "options/remote_extension.h"
#include "resources/string_table.h"
#include "resources/translation.h"

namespace orvix {

namespace {

// --- reading ---------------------------------------------------------------------------------

bool ByteOn(const EditorDocument& document, const ByteSite& site, Layout layout) {
    return ImageU8(document, site.address.In(layout)) == site.on;
}

// --- the servo parameter extension -------------------------------------------------------------

std::array<std::uint8_t, kServoStubSize> ServoStub() {
    std::array<std::uint8_t, kServoStubSize> stub{};
    stub[0] = kOpCall;
    stub[5] = kOpJump;
    for (std::size_t i = 0; i < 4; ++i) {
        stub[1 + i] = static_cast<std::uint8_t>(kServoCodeAddress >> (8 * i));
        stub[6 + i] = static_cast<std::uint8_t>(kServoHookStandard >> (8 * i));
    }
    return stub;
}

bool StubPlaceHoldsCode(const EditorDocument& document) {
    if (!InImage(document, kServoStubAddress, kServoStubSize)) {
        return false;
    }
    for (std::size_t i = 0; i < kServoStubSize; ++i) {
        if (ImageU8(document, kServoStubAddress + i) != 0) {
            return true;
        }
    }
    return false;
}

// What the servo step does, decided before anything is written.
struct ServoStep {
    enum class Action { None, Remove, Place, Refuse } action = Action::None;
    bool cutStale = false; // a stale 4,304,779-byte image is cut back first
    bool newTail = false;  // the pieces go into a new 3,072-byte tail
    std::size_t room = 0;  // bytes of servo code that fit
    std::optional<std::vector<std::uint8_t>> code;
};

ServoStep DecideServoStep(const EditorDocument& document, const ProgramOptions& options,
                          bool rebuild) {
    ServoStep step;
    if (LayoutOf(document.buildVariant) != Layout::A) {
        return step;
    }
    if (!options.servoParameters) {
        step.action = ServoStep::Action::Remove;
        return step;
    }
    // The image as the remote step leaves it: a rebuild makes a remote tail after the program.
    const std::size_t size = rebuild ? kImageSizeLayoutA : document.ImageSize();
    const std::size_t tail = rebuild ? kRemoteExtensionSize : document.ImageTailSize();
    const std::uint32_t hook = ImageU32(document, kServoHookSite);
    const bool stubInImage = size >= kServoStubAddress + kServoStubSize;
    if (hook != kServoHookStandard && tail == 0 && stubInImage) {
        return step; // installed with the file: the servo code is part of the image
    }
    step.action = ServoStep::Action::Place;
    step.room = kServoCodeMaxRead;
    if (size > kImageSizeLayoutB || tail == kRemoteExtensionSize) {
        return step;
    }
    step.room = kServoCodeRoom;
    if (tail == kServoExtensionSize && size == kImageSizeLayoutA) {
        return step;
    }
    if (tail == 0 && size == kImageSizeLayoutA) {
        step.newTail = true;
    } else if (tail == 0 && size == kImageSizeWithServoExtension && hook == kServoHookStandard) {
        step.cutStale = true; // what follows the program is a servo extension no hook leads to
        step.newTail = true;
    } else {
        step.action = ServoStep::Action::Refuse; // the pieces would not lie in a tail
    }
    return step;
}

void RunServoStep(EditorDocument& document, const ServoStep& step) {
    switch (step.action) {
    case ServoStep::Action::None:
    case ServoStep::Action::Refuse:
        break;
    case ServoStep::Action::Remove:
        PutImageU32(document, kServoHookSite, kServoHookStandard);
        if (document.ImageSize() == kImageSizeWithServoExtension) {
            document.image.resize(kImageSizeLayoutA);
        }
        if (document.ImageTailSize() == kServoExtensionSize) {
            document.imageTail.clear();
        }
        break;
    case ServoStep::Action::Place:
        if (!step.code) {
            break; // message 151 was shown; no tail is made for code that is not there
        }
        if (step.cutStale) {
            document.image.resize(kImageSizeLayoutA);
        }
        if (step.newTail) {
            document.imageTail.assign(kServoExtensionSize, 0);
        }
        const std::vector<std::uint8_t> clean(step.room, 0);
        PutImageBytes(document, kServoCodeAddress, clean);
        PutImageBytes(document, kServoCodeAddress, *step.code);
        PutImageBytes(document, kServoStubAddress, ServoStub());
        PutImageU32(document, kServoHookSite, kServoHookInstalled);
        break;
    }
    // The hook and the servo code travel together: a hook that leads to empty bytes, or beyond
    // the image, is put back.
    if (LayoutOf(document.buildVariant) == Layout::A &&
        ImageU32(document, kServoHookSite) == kServoHookInstalled &&
        !StubPlaceHoldsCode(document)) {
        PutImageU32(document, kServoHookSite, kServoHookStandard);
    }
}

// --- the simple options --------------------------------------------------------------------------

void WriteByte(EditorDocument& document, const ByteSite& site, Layout layout, bool on) {
    PutImageU8(document, site.address.In(layout), on ? site.on : site.off);
}

void WriteWord(EditorDocument& document, const WordSite& site, Layout layout, bool on) {
    PutImageU32(document, site.address.In(layout), (on ? site.on : site.off).In(layout));
}

void WriteSimpleOptions(EditorDocument& document, const ProgramOptions& options, Layout layout) {
    WriteByte(document, kTorqueSite, layout, options.torqueOn);
    WriteWord(document, kVoltageMonitorSite, layout, options.voltageMonitor);
    for (const ByteSite& site : kTimeoutMonitorSites) {
        WriteByte(document, site, layout, options.timeoutMonitor);
    }
    WriteByte(document, kFaceRecognitionByte, layout, options.faceRecognition);
    WriteWord(document, kFaceRecognitionJump, layout, options.faceRecognition);
    for (const ByteSite& site : kFaceDirectionSites) {
        WriteByte(document, site, layout, options.faceDirection);
    }
    for (const ByteSite& site : kVoiceRecognitionBytes) {
        WriteByte(document, site, layout, options.voiceRecognition);
    }
    for (const VoiceJump& jump : kVoiceRecognitionJumps) {
        const std::uint32_t value = options.voiceRecognition ? jump.on
                                    : options.remoteSupport  ? jump.offWithRemote
                                                             : jump.offWithoutRemote;
        PutImageU32(document, jump.address, value);
    }
    for (const PerLayout& site : kVoiceRecognitionNineSites) {
        PutImageU8(document, site.In(layout),
                   options.voiceRecognition ? kVoiceRecognitionNineOn : kVoiceRecognitionNineOff);
    }
    for (const PerLayout& site : kWalkStepSites) {
        PutImageU32(document, site.In(layout), static_cast<std::uint32_t>(options.walkSteps));
    }
}

// --- the arm movement records --------------------------------------------------------------------

// Calls patch(p) at each arm movement record that starts below end, going on past a record it
// patched by the stride; a record is patched only when its values (valuesEnd bytes from p) lie
// inside the image.
template <class Patch>
void ScanArmRecords(EditorDocument& document, std::size_t first, std::size_t end,
                    std::size_t valuesEnd, Patch patch) {
    const std::vector<std::uint8_t>& image = document.image;
    const std::size_t searchEnd = std::min(image.size(), end + kArmPattern.size() - 1);
    const auto stop = image.begin() + static_cast<std::ptrdiff_t>(searchEnd);
    std::size_t p = first;
    while (p < searchEnd) {
        const auto found = std::search(image.begin() + static_cast<std::ptrdiff_t>(p), stop,
                                       kArmPattern.begin(), kArmPattern.end());
        if (found == stop) {
            return;
        }
        p = static_cast<std::size_t>(found - image.begin());
        if (p + valuesEnd <= image.size()) {
            patch(p);
            p += kArmRecordStride;
        } else {
            p += 1;
        }
    }
}

std::int16_t ArmValue(const EditorDocument& document, std::size_t p, std::size_t index) {
    return static_cast<std::int16_t>(ImageU16(document, p + kArmValueOffsets[index]));
}

void PutArmValue(EditorDocument& document, std::size_t p, std::size_t index, std::int16_t value) {
    PutImageU16(document, p + kArmValueOffsets[index], static_cast<std::uint16_t>(value));
}

void PatchIdleArms(EditorDocument& document) {
    ScanArmRecords(document, 0, kShoulderRecordsStart, kArmValueOffsets.back() + 2,
                   [&](std::size_t p) {
                       for (std::size_t i = 0; i < kIdleArmValues.size(); ++i) {
                           PutArmValue(document, p, i, kIdleArmValues[i]);
                       }
                   });
}

void LimitShoulders(EditorDocument& document) {
    const std::size_t size = document.ImageSize();
    const std::size_t end = size > kArmPattern.size() ? size - kArmPattern.size() : 0;
    ScanArmRecords(document, kShoulderRecordsStart, end,
                   kArmValueOffsets[kShoulderLoweredValue] + 2, [&](std::size_t p) {
                       if (ArmValue(document, p, kShoulderRaisedValue) < kShoulderLimit) {
                           PutArmValue(document, p, kShoulderRaisedValue, kShoulderLimit);
                       }
                       if (ArmValue(document, p, kShoulderLoweredValue) > -kShoulderLimit) {
                           PutArmValue(document, p, kShoulderLoweredValue, -kShoulderLimit);
                       }
                   });
}

bool AskYes(ui::Prompter& prompter, int messageId) {
    return prompter.Message(messageId, ui::Buttons::YesNo, ui::Icon::Question) == ui::Answer::Yes;
}

void ClearRemoteChoices(ProgramOptions& options) {
    options.remoteSupport = false;
    options.bluetooth = false;
    options.remoteConnection = false;
    options.syncReceive = false;
}

// A code file for a place, or none after message 151 with the reason.
std::optional<std::vector<std::uint8_t>> CodeFileOrMessage(const EditorDocument& document,
                                                           ui::Prompter& prompter,
                                                           std::string_view name,
                                                           std::size_t maxSize) {
    std::string detail;
    std::optional<std::vector<std::uint8_t>> code = ReadCodeFile(document, name, maxSize, detail);
    if (!code) {
        prompter.Failure(IDP_CODE_FILE_READ_FAILED, detail, {}, ui::Icon::Error);
    }
    return code;
}

bool IsRebuildSize(std::size_t size) {
    return size == kImageSizeLayoutA || size == kImageSizeLayoutB ||
           size == kImageSizeWithRemoteExtension || size == kImageSizeLayoutBWithRemoteExtension;
}

} // namespace

bool IsKnownProgram(const EditorDocument& document) {
    return document.ImageSize() >= kBaseImageSize.In(LayoutOf(document.buildVariant));
}

ReadOptionsResult ReadProgramOptions(EditorDocument& document) {
    document.programChanged = false;
    const Layout layout = LayoutOf(document.buildVariant);
    ReadOptionsResult result;
    ProgramOptions& options = result.options;
    options.torqueOn = ByteOn(document, kTorqueSite, layout);
    options.voltageMonitor = ImageU32(document, kVoltageMonitorSite.address.In(layout)) ==
                             kVoltageMonitorSite.on.In(layout);
    options.timeoutMonitor = ByteOn(document, kTimeoutMonitorSites[0], layout);
    options.faceRecognition = ByteOn(document, kFaceRecognitionByte, layout);
    options.faceDirection = ByteOn(document, kFaceDirectionSites[kFaceDirectionReadSite], layout);
    options.voiceRecognition = ByteOn(document, kVoiceRecognitionBytes[0], layout);
    options.walkSteps = static_cast<std::int32_t>(ImageU32(document, kWalkStepSites[0].In(layout)));
    if (!IsKnownProgram(document)) {
        return result;
    }

    const EyeColourChoice colour = ReadEyeColourChoice(document);
    options.standardColour = colour.standard;
    options.energySaving = colour.energySaving;
    options.noBlink = colour.noBlink;

    options.armAngleFixed = ImageU8(document, kArmAngleFixedSite.In(layout)) == kArmFixedMark;
    options.shoulderLimitFixed =
        options.armAngleFixed &&
        ImageU8(document, kShoulderLimitFixedSite.In(layout)) == kArmFixedMark;
    options.armAngleChange = options.armAngleFixed;
    options.shoulderLimit = options.shoulderLimitFixed;

    ReadRemoteOptions(document, options);

    options.servoParametersAvailable = layout == Layout::A;
    options.servoParameters =
        layout == Layout::A && ImageU32(document, kServoHookSite) != kServoHookStandard;
    result.accepted = true;
    return result;
}

ApplyResult ApplyProgramOptions(EditorDocument& document, ProgramOptions& options,
                                ui::Prompter& prompter) {
    if (!IsKnownProgram(document)) {
        return ApplyResult::WrongProgram;
    }
    const Layout layout = LayoutOf(document.buildVariant);

    // Every question and every input first; the image changes only once all are in.
    if (options.walkSteps < kWalkStepsMin || options.walkSteps > kWalkStepsMax) {
        prompter.Message(IDP_WALK_STEPS_RANGE);
        return ApplyResult::WalkStepsRefused;
    }
    // The Bluetooth form stores startCode - 1 in 16 bits: only 1 to 65,536 reads back as given.
    // Its field is open whenever the Bluetooth form is chosen, with remote support or not.
    if (options.bluetooth &&
        (options.startCode < kStartCodeMin || options.startCode > kStartCodeMax)) {
        prompter.Message(
            IDP_OUT_OF_RANGE, ui::Buttons::Ok, ui::Icon::Auto,
            Worded("%1～%2", {std::to_string(kStartCodeMin), std::to_string(kStartCodeMax)}));
        return ApplyResult::StartCodeRefused;
    }
    const bool armDue = options.armAngleChange && !options.armAngleFixed;
    if (armDue && !AskYes(prompter, IDP_CHANGE_ARM_ANGLE)) {
        options.armAngleChange = false;
        options.shoulderLimit = false;
        return ApplyResult::ArmRefused;
    }
    // With the arm change in the image, a shoulder limit checked anew is applied on its own.
    const bool shoulderAloneDue =
        !armDue && options.armAngleFixed && options.shoulderLimit && !options.shoulderLimitFixed;
    if (shoulderAloneDue && !AskYes(prompter, IDP_CHANGE_ARM_ANGLE)) {
        options.shoulderLimit = false;
        return ApplyResult::ShoulderRefused;
    }

    const std::size_t size = document.ImageSize();
    if (options.remoteSupport && (size == kImageSizeLayoutA || size == kImageSizeLayoutB) &&
        !HasRemoteTail(document)) {
        if (!AskYes(prompter, IDP_ENABLE_REMOTE)) {
            ClearRemoteChoices(options);
            return ApplyResult::RemoteRefused;
        }
        document.programChanged = true;
    }

    const bool rebuild = options.remoteSupport && document.programChanged;
    std::optional<RemoteBlocks> blocks;
    RemoteCode code;
    if (rebuild) {
        if (!HasRemoteTail(document) && !IsRebuildSize(size)) {
            const ui::Answer answer = prompter.Message(IDP_PROGRAMS_ADDED, ui::Buttons::YesNoCancel,
                                                       ui::Icon::Question, {}, ui::Answer::No);
            if (answer == ui::Answer::No) {
                return ApplyResult::CloseRequested;
            }
            if (answer != ui::Answer::Yes) {
                return ApplyResult::Cancelled;
            }
        }
        std::string detail;
        blocks = LoadRemoteBlocks(document, detail);
        if (!blocks) {
            // Hooking the program into code that is not there would stop the robot starting.
            prompter.Failure(IDP_CODE_FILE_READ_FAILED, detail, {}, ui::Icon::Error);
            if (options.remoteSupportFixed) {
                // The extension stays as the image holds it; the other options can still go.
                document.programChanged = false;
                return ApplyResult::RemoteKept;
            }
            ClearRemoteChoices(options);
            return ApplyResult::RemoteRefused;
        }
        if (!options.bluetooth && options.remoteConnection) {
            code.remote = CodeFileOrMessage(document, prompter, kRemoteCodeFile, kRemoteCodeMax);
        }
        if (options.voicePlayback) {
            code.voice = CodeFileOrMessage(document, prompter, kVoiceCodeFile, kVoiceCodeMax);
        }
    }
    ServoStep servo = DecideServoStep(document, options, rebuild);
    if (servo.action == ServoStep::Action::Place) {
        servo.code = CodeFileOrMessage(document, prompter, kServoCodeFile, servo.room);
    } else if (servo.action == ServoStep::Action::Refuse) {
        prompter.Message(IDP_WRONG_PROGRAM);
    }

    WriteSimpleOptions(document, options, layout);
    if (armDue) {
        PatchIdleArms(document);
    }
    if ((armDue && options.shoulderLimit) || shoulderAloneDue) {
        LimitShoulders(document);
    }
    if (rebuild) {
        BuildRemoteExtension(document, options, *blocks, code);
    } else if (HasRemoteTail(document) || HasLoadedRemoteExtension(document)) {
        WriteRemoteSettings(document, options);
    }
    RunServoStep(document, servo);
    document.valuesChanged = true;
    return ApplyResult::Applied;
}

} // namespace orvix
