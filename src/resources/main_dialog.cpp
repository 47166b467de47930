#include "resources/main_dialog.h"

#include "resources/translation.h"

namespace orvix {

using namespace ui;
using namespace main_dlg;

namespace {

// One servo row: "ID2(股横回転)", its field, its spin and its three-line direction label.
constexpr int kRowPitch = 26;

void AddServoRow(std::vector<ControlTemplate>& controls, int k, int x, int y) {
    const ServoRow& row = kServoRows[static_cast<std::size_t>(k)];
    controls.push_back(Control(ControlKind::Label, 0, row.label, x, y + 8, 64, 10));
    controls.push_back(Control(ControlKind::Edit, row.fieldId, "", x + 66, y + 6, 30, 13));
    controls.push_back(Control(ControlKind::Spin, row.spinId, "", x + 96, y + 6, 10, 13));
    controls.push_back(Control(ControlKind::Label, 0, row.directionLabel, x + 109, y, 30, 25));
}

void AddServoGroup(std::vector<ControlTemplate>& controls, std::string_view title, int firstK,
                   int count, int x, int y) {
    controls.push_back(Control(ControlKind::GroupBox, 0, title, x, y, 150, 13 + count * kRowPitch));
    for (int i = 0; i < count; ++i) {
        AddServoRow(controls, firstK + i, x + 5, y + 11 + i * kRowPitch);
    }
}

DialogTemplate MakeMainDialog() {
    DialogTemplate dialog{IDD_ORVIX_DIALOG, "ペチ設定ファイルエディタ２", 560, 286, {}};
    std::vector<ControlTemplate>& c = dialog.controls;

    // The body as seen facing the robot: its right side on the left.
    AddServoGroup(c, "右手サーボ", 14, 3, 7, 7);
    AddServoGroup(c, "頭サーボ", 11, 3, 161, 7);
    AddServoGroup(c, "左手サーボ", 17, 3, 315, 7);
    AddServoGroup(c, "右足サーボ", 0, 5, 7, 104);
    AddServoRow(c, 10, 166, 115); // the waist, on its own
    AddServoGroup(c, "左足サーボ", 5, 5, 315, 104);

    c.push_back(Control(ControlKind::Label, IDC_ATTENUATOR_LABEL, "アッテネーター(音声)", 166, 160,
                        100, 10, kHidden));
    c.push_back(Control(ControlKind::Edit, IDC_ATTENUATOR, "", 171, 178, 30, 13, kHidden));
    c.push_back(Control(ControlKind::Spin, IDC_ATTENUATOR_SPIN, "", 201, 178, 10, 13, kHidden));
    c.push_back(
        Control(ControlKind::Label, IDC_ATTENUATOR_SCALE, "声\n小\n大", 214, 172, 16, 25, kHidden));

    c.push_back(
        Control(ControlKind::RadioButton, IDC_TABLE_ORIGIN, "原点補正値", 473, 9, 82, 11, kGroup));
    c.push_back(
        Control(ControlKind::RadioButton, IDC_TABLE_LOWER, "稼働範囲下限値", 473, 23, 82, 11));
    c.push_back(
        Control(ControlKind::RadioButton, IDC_TABLE_UPPER, "稼働範囲上限値", 473, 37, 82, 11));
    c.push_back(
        Control(ControlKind::CheckBox, IDC_CHECK_RANGE, "変更範囲制限", 473, 55, 82, 11, kGroup));

    c.push_back(Control(ControlKind::PushButton, IDC_READ, "読込み", 473, 75, 80, 15));
    c.push_back(Control(ControlKind::PushButton, IDC_WRITE, "書出し", 473, 94, 80, 15, kDisabled));
    c.push_back(Control(ControlKind::PushButton, IDC_RESTORE, "標準値に戻す", 473, 113, 80, 15));
    c.push_back(Control(ControlKind::PushButton, IDC_PROGRAM_CHANGE, "プログラム変更", 473, 140, 80,
                        15, kDisabled));
    c.push_back(Control(ControlKind::PushButton, IDC_SETTINGS_DATA, "設定データ変更", 473, 159, 80,
                        15, kDisabled));
    c.push_back(Control(ControlKind::PushButton, IDC_USER_DATA, "ユーザデータ変更", 473, 178, 80,
                        15, kDisabled));
    c.push_back(Control(ControlKind::DefPushButton, IDC_CLOSE, "閉じる", 473, 234, 80, 15));

    c.push_back(Control(ControlKind::Label, 0,
                        "サーボの値は1/10度単位で指定して下さい。スピンボタンの右側の文字は隣のス"
                        "ピンボタンを押すとその方向に補正される事を表します。\n「左右」はペチから"
                        "見た方向です。",
                        7, 256, 546, 24));
    return dialog;
}

} // namespace

const DialogTemplate& MainDialogTemplate() {
    return LocalizedTemplate<MakeMainDialog>();
}

} // namespace orvix
