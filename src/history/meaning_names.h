#pragma once

// The names the history gives a card's fields, shared by its reading and its comparison: the
// calibration tables' keys and labels, the options as `options show` names them and the setting
// files as `settings show` names them (for the files of this folder only).

#include <array>
#include <cstdint>
#include <string>

#include "options/option_sites.h"
#include "options/program_options.h"

namespace orvix::meaning {

inline constexpr std::array<const char*, 3> kTableKeys{"origin", "lower", "upper"};
inline constexpr std::array<const char*, 3> kTableLabels{"原点", "下限", "上限"};

// The options as options show names them; the remote ones form an area of their own.
struct OptionName {
    const char* name;
    bool ProgramOptions::*flag;
    std::int32_t ProgramOptions::*number;
    bool remote;
};
using P = ProgramOptions;
inline constexpr OptionName kOptionNames[] = {
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
inline constexpr std::array<const char*, 16> kSettingKeys{
    "initialised",  "birthday",   "ignoreBoardError", "ignoreUserWarning",
    "random",       "volume",     "tvMaker",          "powerUps",
    "timeoutStand", "timeoutSit", "timeoutCharge",    "vbatFirmware",
    "vbatHigh",     "vbatLow",    "vbatStop",         "wakeUp"};

inline std::string Colour(const EyeColour& c) {
    return std::to_string(c.red) + "," + std::to_string(c.green) + "," + std::to_string(c.blue);
}

} // namespace orvix::meaning
