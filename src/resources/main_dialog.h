#pragma once

#include <array>
#include <string_view>

#include "ui/dialog_template.h"

namespace orvix {

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_ORVIX_DIALOG = 102;
inline constexpr int IDR_MAINFRAME = 128; // the application icon

// Controls of the main dialog; the servo fields and spins are in the servo rows below.
namespace main_dlg {
inline constexpr int IDC_CLOSE = 2;
inline constexpr int IDC_READ = 4;
inline constexpr int IDC_WRITE = 5;
inline constexpr int IDC_RESTORE = 6;
inline constexpr int IDC_PROGRAM_CHANGE = 8;
inline constexpr int IDC_SETTINGS_DATA = 9;
inline constexpr int IDC_USER_DATA = 10;
inline constexpr int IDC_ATTENUATOR = 1000;
inline constexpr int IDC_ATTENUATOR_SPIN = 1001;
inline constexpr int IDC_CHECK_RANGE = 1003;
inline constexpr int IDC_TABLE_ORIGIN = 1044;
inline constexpr int IDC_TABLE_LOWER = 1045;
inline constexpr int IDC_TABLE_UPPER = 1046;
inline constexpr int IDC_ATTENUATOR_LABEL = 1079;
inline constexpr int IDC_ATTENUATOR_SCALE = 1080;
} // namespace main_dlg

// The twenty servo rows of the main dialog, in the robot's record order (ID2 to ID21): the label
// before the field (the servo and its joint), the value field, its spin button, and the
// three-line label after it (the body part, then the upper arrow's and the lower arrow's way).
struct ServoRow {
    std::string_view label;
    int fieldId;
    int spinId;
    std::string_view directionLabel;
};

inline constexpr std::array<ServoRow, 20> kServoRows{{
    {"ID2(股横回転)", 1004, 1005, "足\n開\n閉"},
    {"ID3(股縦回転)", 1006, 1007, "足\n後\n前"},
    {"ID4(ヒザ)", 1008, 1009, "足\n畳\n伸"},
    {"ID5(足首縦回転)", 1010, 1011, "ﾂﾏ先\n上\n下"},
    {"ID6(足首横回転)", 1012, 1013, "足外側\n上方向\n下方向"},
    {"ID7(股横回転)", 1014, 1015, "足\n閉\n開"},
    {"ID8(股縦回転)", 1016, 1017, "足\n前\n後"},
    {"ID9(ヒザ)", 1018, 1019, "足\n伸\n畳"},
    {"ID10(足首縦回転)", 1020, 1021, "ﾂﾏ先\n下\n上"},
    {"ID11(足首横回転)", 1022, 1023, "足外側\n下方向\n上方向"},
    {"ID12(腰旋回)", 1024, 1025, "上半身\n右\n左"},
    {"ID13(首旋回)", 1026, 1027, "顔\n左\n右"},
    {"ID14(横回転)", 1028, 1029, "頭\n左\n右"},
    {"ID15(縦回転)", 1030, 1031, "顔\n下\n上"},
    {"ID16(肩縦回転)", 1032, 1033, "腕\n前\n後"},
    {"ID17(肩横回転)", 1034, 1035, "腕\n下\n上"},
    {"ID18(ヒジ)", 1036, 1037, "腕\n縮\n伸"},
    {"ID19(肩縦回転)", 1038, 1039, "腕\n後\n前"},
    {"ID20(肩横回転)", 1040, 1041, "腕\n上\n下"},
    {"ID21(ヒジ)", 1042, 1043, "腕\n伸\n縮"},
}};

// "ID2" of "ID2(股横回転)".
constexpr std::string_view ServoName(const ServoRow& row) {
    return row.label.substr(0, row.label.find('('));
}

// "股横回転" of "ID2(股横回転)".
constexpr std::string_view JointLabel(const ServoRow& row) {
    const auto open = row.label.find('(');
    return row.label.substr(open + 1, row.label.size() - open - 2);
}

static_assert(ServoName(kServoRows[8]) == "ID10");
static_assert(JointLabel(kServoRows[8]) == "足首縦回転");

// The name and version the about box shows.
inline constexpr const char* kVersionText = "Orvix2, Version 3.68";

// The system menu command of the about box.
inline constexpr int IDM_ABOUTBOX = 16;
// The system menu command that switches the interface language at the next start; its text
// names the other language in that language.
inline constexpr int IDM_LANGUAGE = 48;
inline constexpr std::string_view kEnglishMenuText = "English";
inline constexpr std::string_view kJapaneseMenuText = "日本語";

const ui::DialogTemplate& MainDialogTemplate();
const ui::DialogTemplate& AboutDialogTemplate();

} // namespace orvix
