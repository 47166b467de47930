#pragma once

#include <array>
#include <string_view>

#include "ui/dialog_template.h"

namespace orvix {

inline constexpr int IDD_SETTINGS_DIALOG = 131;

// Controls of the settings data dialog; the QR boxes are 1140 to 1181 (settings/power_ups.h).
namespace settings_dlg {
inline constexpr int IDC_OK = 1;
inline constexpr int IDC_CANCEL = 2;
inline constexpr int IDC_RESTORE = 3;
inline constexpr int IDC_INITIALISED = 1081;
inline constexpr int IDC_WAKE_UP = 1082; // read-only
inline constexpr int IDC_BIRTH_MONTH = 1083;
inline constexpr int IDC_BIRTH_DAY = 1084;
inline constexpr int IDC_IGNORE_BOARD_ERROR = 1085;
inline constexpr int IDC_IGNORE_USER_WARNING = 1086;
inline constexpr int IDC_RANDOM_VARIABLE = 1087;
inline constexpr int IDC_RANDOM_FIXED = 1088;
inline constexpr int IDC_RANDOM_VALUE = 1089;
inline constexpr int IDC_TIMEOUT_STAND = 1090;
inline constexpr int IDC_TIMEOUT_SIT = 1091;
inline constexpr int IDC_TIMEOUT_CHARGE = 1092;
inline constexpr int IDC_VBAT_FIRMWARE = 1093;
inline constexpr int IDC_VBAT_HIGH = 1094;
inline constexpr int IDC_VBAT_LOW = 1095;
inline constexpr int IDC_VBAT_STOP = 1096;
inline constexpr int IDC_VOLUME = 1099;
inline constexpr int IDC_TV_FIRST = 1101; // 1101 to 1108: manual, then the seven makers
inline constexpr int IDC_TV_LAST = 1108;
inline constexpr int IDC_LEG_MARGIN = 1118;
inline constexpr int IDC_LEG_SLOPE = 1119;
inline constexpr int IDC_LEG_PUNCH = 1120;
inline constexpr int IDC_SERVO_WALKING = 1121;
inline constexpr int IDC_HEAD_SWITCH = 1122;
inline constexpr int IDC_ARM_MARGIN = 1133;
inline constexpr int IDC_ARM_SLOPE = 1134;
inline constexpr int IDC_ARM_PUNCH = 1135;
} // namespace settings_dlg

// The QR power-up boxes: instalment N (1 to 41) is box kFirstPowerUpBox + N - 1, then "全部".
inline constexpr std::size_t kPowerUpCount = 41;
inline constexpr int kFirstPowerUpBox = 1140;
inline constexpr int kAllPowerUpsBox = 1181;
inline constexpr std::string_view kAllPowerUpsLabel = "全部";
inline constexpr std::array<std::string_view, kPowerUpCount> kPowerUpLabels{
    "第１回", "第２回", "第３回", "第４回", "第５回", "第６回", "第７回", "第８回", "第９回",
    "第10回", "第11回", "第12回", "第13回", "第14回", "第15回", "第16回", "第17回", "第18回",
    "第19回", "第20回", "第21回", "第22回", "第23回", "第24回", "第25回", "第26回", "第27回",
    "第28回", "第29回", "第30回", "第31回", "第32回", "第33回", "第34回", "第35回", "第36回",
    "第37回", "第38回", "第39回", "第40回", "第41回"};

const ui::DialogTemplate& SettingsDialogTemplate();

} // namespace orvix
