#include "resources/program_dialog.h"

#include "resources/translation.h"

namespace orvix {

using namespace ui;
using namespace program_dlg;

namespace {

// Every group box is 30 units high; its title takes the top 10.
constexpr int kGroupHeight = 30;
constexpr int kGroupPitch = 34;

// A group box holding one radio pair side by side: its first button starts the group.
void AddRadioPair(std::vector<ControlTemplate>& controls, std::string_view title, int onId,
                  std::string_view onText, int offId, std::string_view offText, int x, int y,
                  int width) {
    // The standard choice, written first, has the longer text.
    const int first = (width - 12) * 5 / 9;
    controls.push_back(Control(ControlKind::GroupBox, 0, title, x, y, width, kGroupHeight));
    controls.push_back(
        Control(ControlKind::RadioButton, onId, onText, x + 6, y + 14, first, 11, kGroup));
    controls.push_back(Control(ControlKind::RadioButton, offId, offText, x + 6 + first, y + 14,
                               width - 12 - first, 11));
}

DialogTemplate MakeProgramDialog() {
    DialogTemplate dialog{IDD_PROGRAM_DIALOG, "プログラム変更ダイアログ", 397, 248, {}};
    std::vector<ControlTemplate>& c = dialog.controls;

    // Left: what the robot's program watches and does.
    constexpr int kLeft = 7;
    constexpr int kLeftWidth = 140;
    AddRadioPair(c, "サーボトルク", IDC_TORQUE_ON, "オン(標準)", IDC_TORQUE_OFF, "オフ(脱力化)",
                 kLeft, 5, kLeftWidth);
    AddRadioPair(c, "音声認識", IDC_VOICE_ON, "行う(標準)", IDC_VOICE_OFF, "行わない", kLeft,
                 5 + kGroupPitch, kLeftWidth);
    AddRadioPair(c, "電圧監視", IDC_VOLTAGE_ON, "監視する(標準)", IDC_VOLTAGE_OFF, "監視しない",
                 kLeft, 5 + 2 * kGroupPitch, kLeftWidth);
    AddRadioPair(c, "タイムアウト監視", IDC_TIMEOUT_ON, "監視する(標準)", IDC_TIMEOUT_OFF,
                 "監視しない", kLeft, 5 + 3 * kGroupPitch, kLeftWidth);

    constexpr int kWalkY = 5 + 4 * kGroupPitch;
    c.push_back(Control(ControlKind::GroupBox, 0, "歩行プログラム", kLeft, kWalkY, kLeftWidth,
                        kGroupHeight));
    c.push_back(Control(ControlKind::Label, 0, "歩数", kLeft + 8, kWalkY + 16, 22, 10));
    c.push_back(Control(ControlKind::Edit, IDC_WALK_STEPS, "", kLeft + 32, kWalkY + 14, 40, 13));
    c.push_back(Control(ControlKind::Label, 0, "x2", kLeft + 76, kWalkY + 16, 14, 10));

    constexpr int kServoY = 5 + 5 * kGroupPitch;
    c.push_back(Control(ControlKind::GroupBox, 0, "サーボパラメーター設定", kLeft, kServoY,
                        kLeftWidth, kGroupHeight));
    c.push_back(Control(ControlKind::CheckBox, IDC_SERVO_PARAMETERS, "設定する", kLeft + 6,
                        kServoY + 14, 80, 11, kDisabled));

    // Middle: remote support, its check box standing where a title would, over a bare frame;
    // then the accessory's arm changes.
    constexpr int kMid = 153;
    constexpr int kMidWidth = 118;
    c.push_back(
        Control(ControlKind::CheckBox, IDC_REMOTE_SUPPORT, "リモート対応", kMid, 4, 100, 11));
    c.push_back(Control(ControlKind::GroupBox, 0, "", kMid, 15, kMidWidth, 77));
    c.push_back(Control(ControlKind::CheckBox, IDC_BLUETOOTH, "Bluetooth", kMid + 8, 20, 100, 11,
                        kDisabled));
    c.push_back(Control(ControlKind::CheckBox, IDC_REMOTE_CONNECTION, "リモート接続", kMid + 8, 32,
                        100, 11, kDisabled));
    c.push_back(Control(ControlKind::CheckBox, IDC_VOICE_PLAYBACK, "音声再生", kMid + 8, 44, 100,
                        11, kDisabled));
    c.push_back(Control(ControlKind::Label, 0, "開始コード", kMid + 8, 60, 56, 10));
    c.push_back(Control(ControlKind::Edit, IDC_START_CODE, "", kMid + 66, 58, 44, 13, kDisabled));
    c.push_back(Control(ControlKind::Label, 0, "同期開始遅延", kMid + 8, 76, 56, 10));
    c.push_back(Control(ControlKind::Edit, IDC_SYNC_START_DELAY, "", kMid + 66, 74, 44, 13));
    c.push_back(Control(ControlKind::CheckBox, IDC_SYNC_RECEIVE, "同期受信", kMid + 8, 94, 80, 11,
                        kHidden | kDisabled));

    constexpr int kArmY = 5 + 3 * kGroupPitch;
    c.push_back(Control(ControlKind::GroupBox, 0, "ペチライド対応", kMid, kArmY, kMidWidth, 46));
    c.push_back(Control(ControlKind::CheckBox, IDC_ARM_ANGLE, "アイドリング腕角度変更", kMid + 6,
                        kArmY + 14, 106, 11, kDisabled));
    c.push_back(Control(ControlKind::CheckBox, IDC_SHOULDER_LIMIT, "肩サーボ角度制限", kMid + 6,
                        kArmY + 29, 82, 11, kDisabled));
    c.push_back(Control(ControlKind::Edit, IDC_UNUSED_NUMBER, "", kMid + 90, kArmY + 28, 22, 13,
                        kHidden | kDisabled));

    // Right: what the robot does while idling.
    constexpr int kRight = 277;
    constexpr int kRightWidth = 113;
    AddRadioPair(c, "アイドリング時の顔認識", IDC_FACE_RECOGNITION_ON, "行う(標準)",
                 IDC_FACE_RECOGNITION_OFF, "行わない", kRight, 5, kRightWidth);
    AddRadioPair(c, "アイドリング時の顔の向き制御", IDC_FACE_DIRECTION_ON, "行う(標準)",
                 IDC_FACE_DIRECTION_OFF, "行わない", kRight, 5 + kGroupPitch, kRightWidth);
    constexpr int kColourY = 5 + 2 * kGroupPitch;
    c.push_back(Control(ControlKind::GroupBox, 0, "アイドリング時の目の色", kRight, kColourY,
                        kRightWidth, 64));
    c.push_back(Control(ControlKind::CheckBox, IDC_STANDARD_COLOUR, "橙色(標準)", kRight + 6,
                        kColourY + 15, 52, 11));
    c.push_back(Control(ControlKind::PushButton, IDC_ANY_COLOUR, "任意色設定", kRight + 60,
                        kColourY + 13, 47, 14));
    c.push_back(Control(ControlKind::CheckBox, IDC_ENERGY_SAVING, "省エネ(輝度減)", kRight + 6,
                        kColourY + 31, 80, 11));
    c.push_back(Control(ControlKind::CheckBox, IDC_NO_BLINK, "点滅なし", kRight + 6, kColourY + 46,
                        80, 11));

    c.push_back(
        Control(ControlKind::PushButton, IDC_BINARY_PATCH, "バイナリパッチ", kLeft, 226, 64, 15));
    c.push_back(Control(ControlKind::DefPushButton, IDC_OK, "OK", 286, 226, 50, 15, kDisabled));
    c.push_back(Control(ControlKind::PushButton, IDC_CANCEL, "キャンセル", 340, 226, 50, 15));
    return dialog;
}

} // namespace

const DialogTemplate& ProgramDialogTemplate() {
    return LocalizedTemplate<MakeProgramDialog>();
}

} // namespace orvix
