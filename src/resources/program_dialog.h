#pragma once

#include "ui/dialog_template.h"

namespace orvix {

inline constexpr int IDD_PROGRAM_DIALOG = 130;

// Controls of the program change dialog.
namespace program_dlg {
inline constexpr int IDC_CANCEL = 2;
inline constexpr int IDC_BINARY_PATCH = 3;
inline constexpr int IDC_OK = 5;
inline constexpr int IDC_ANY_COLOUR = 6;
inline constexpr int IDC_TORQUE_ON = 1045;
inline constexpr int IDC_TORQUE_OFF = 1046;
inline constexpr int IDC_VOLTAGE_ON = 1047;
inline constexpr int IDC_VOLTAGE_OFF = 1048;
inline constexpr int IDC_TIMEOUT_ON = 1051;
inline constexpr int IDC_TIMEOUT_OFF = 1052;
inline constexpr int IDC_UNUSED_NUMBER = 1055; // hidden, not used
inline constexpr int IDC_VOICE_ON = 1056;
inline constexpr int IDC_VOICE_OFF = 1057;
inline constexpr int IDC_FACE_RECOGNITION_ON = 1058;
inline constexpr int IDC_FACE_RECOGNITION_OFF = 1059;
inline constexpr int IDC_STANDARD_COLOUR = 1060;
inline constexpr int IDC_ENERGY_SAVING = 1061;
inline constexpr int IDC_REMOTE_SUPPORT = 1062;
inline constexpr int IDC_BLUETOOTH = 1063;
inline constexpr int IDC_REMOTE_CONNECTION = 1064;
inline constexpr int IDC_NO_BLINK = 1065;
inline constexpr int IDC_ARM_ANGLE = 1066;
inline constexpr int IDC_SHOULDER_LIMIT = 1067;
inline constexpr int IDC_FACE_DIRECTION_ON = 1068;
inline constexpr int IDC_FACE_DIRECTION_OFF = 1069;
inline constexpr int IDC_VOICE_PLAYBACK = 1070;
inline constexpr int IDC_SERVO_PARAMETERS = 1071;
inline constexpr int IDC_SYNC_RECEIVE = 1072; // hidden
inline constexpr int IDC_WALK_STEPS = 1078;
inline constexpr int IDC_START_CODE = 1079;
inline constexpr int IDC_SYNC_START_DELAY = 1080;
} // namespace program_dlg

const ui::DialogTemplate& ProgramDialogTemplate();

} // namespace orvix
