#include "resources/settings_dialog.h"

#include "resources/translation.h"

namespace orvix {

using namespace ui;
using namespace settings_dlg;

namespace {

// Rows of edits are 15 units apart; a label or a box sits 2 units below the top of its edit.
constexpr int kEditPitch = 15;
constexpr int kEditHeight = 13;

// A labelled edit with an optional unit after it, as the time-out and voltage rows have.
void AddNumberRow(std::vector<ControlTemplate>& c, std::string_view label, int id,
                  std::string_view unit, int x, int y, int labelWidth) {
    c.push_back(Control(ControlKind::Label, 0, label, x, y + 2, labelWidth, 10));
    c.push_back(Control(ControlKind::Edit, id, "", x + labelWidth + 2, y, 44, kEditHeight));
    c.push_back(Control(ControlKind::Label, 0, unit, x + labelWidth + 50, y + 2, 30, 10));
}

// The left column: registration, start-up, random value, state.
void AddLeftColumn(std::vector<ControlTemplate>& c, int x, int width) {
    c.push_back(Control(ControlKind::GroupBox, 0, "初期登録", x, 5, width, 46));
    c.push_back(Control(ControlKind::CheckBox, IDC_INITIALISED, "初期化済", x + 8, 17, 70, 11));
    c.push_back(Control(ControlKind::Label, 0, "ペチ誕生日", x + 8, 33, 46, 10));
    c.push_back(Control(ControlKind::Edit, IDC_BIRTH_MONTH, "", x + 56, 31, 28, kEditHeight));
    c.push_back(Control(ControlKind::Label, 0, "月", x + 86, 33, 10, 10));
    c.push_back(Control(ControlKind::Edit, IDC_BIRTH_DAY, "", x + 98, 31, 28, kEditHeight));
    c.push_back(Control(ControlKind::Label, 0, "日", x + 128, 33, 10, 10));

    c.push_back(Control(ControlKind::GroupBox, 0, "起動時制御", x, 55, width, 58));
    c.push_back(Control(ControlKind::CheckBox, IDC_IGNORE_BOARD_ERROR, "ボード確認エラー無視",
                        x + 8, 67, 110, 11));
    c.push_back(Control(ControlKind::CheckBox, IDC_IGNORE_USER_WARNING, "ユーザ未登録警告無視",
                        x + 8, 80, 110, 11));
    c.push_back(Control(ControlKind::Label, 0, "起動日時", x + 8, 96, 36, 10));
    c.push_back(Control(ControlKind::ReadOnlyEdit, IDC_WAKE_UP, "", x + 46, 94, 86, kEditHeight,
                        kDisabled)); // shown only: it looks it and takes no focus

    c.push_back(Control(ControlKind::GroupBox, 0, "ランダム", x, 117, width, 32));
    c.push_back(Control(ControlKind::RadioButton, IDC_RANDOM_VARIABLE, "可変値(標準)", x + 8, 131,
                        64, 11, kGroup));
    c.push_back(Control(ControlKind::RadioButton, IDC_RANDOM_FIXED, "固定値", x + 76, 131, 42, 11));
    c.push_back(
        Control(ControlKind::Edit, IDC_RANDOM_VALUE, "", x + 120, 130, 32, kEditHeight, kDisabled));

    // The TV makers in two rows of four, their group started by the first.
    constexpr std::string_view kMakers[] = {"手動", "ソニー", "パナ", "シャープ",
                                            "東芝", "日立",   "三菱", "ＬＧ"};
    c.push_back(Control(ControlKind::GroupBox, 0, "状態", x, 153, width, 86));
    c.push_back(Control(ControlKind::Label, 0, "ペチ音量", x + 8, 167, 36, 10));
    c.push_back(Control(ControlKind::Edit, IDC_VOLUME, "", x + 46, 165, 28, kEditHeight));
    c.push_back(Control(ControlKind::Label, 0, "テレビリモコン", x + 8, 183, 64, 10));
    for (int k = 0; k < 8; ++k) {
        c.push_back(Control(ControlKind::RadioButton, IDC_TV_FIRST + k, kMakers[k],
                            x + 8 + (k % 4) * 40, 195 + (k / 4) * 13, 40, 11,
                            k == 0 ? kGroup : kNone));
    }
    c.push_back(Control(ControlKind::CheckBox, IDC_HEAD_SWITCH, "頭スイッチ有効(アイドリング時)",
                        x + 8, 224, 140, 11));
}

// The middle column: servo parameters, time-outs, voltage thresholds.
void AddMiddleColumn(std::vector<ControlTemplate>& c, int x, int width) {
    c.push_back(Control(ControlKind::GroupBox, 0, "サーボパラメーター", x, 5, width, 86));
    constexpr int kLegs = 104; // the two columns of edits, under their heads
    constexpr int kArms = 140;
    c.push_back(Control(ControlKind::Label, 0, "足", x + kLegs + 12, 16, 10, 10));
    c.push_back(Control(ControlKind::Label, 0, "手", x + kArms + 12, 16, 10, 10));
    const struct {
        std::string_view label;
        int legId;
        int armId;
    } rows[] = {{"コンプライアンスマージン", IDC_LEG_MARGIN, IDC_ARM_MARGIN},
                {"コンプライアンススロープ", IDC_LEG_SLOPE, IDC_ARM_SLOPE},
                {"パンチ", IDC_LEG_PUNCH, IDC_ARM_PUNCH}};
    int y = 27;
    for (const auto& row : rows) {
        c.push_back(Control(ControlKind::Label, 0, row.label, x + 8, y + 2, 94, 10));
        c.push_back(
            Control(ControlKind::Edit, row.legId, "", x + kLegs, y, 32, kEditHeight, kDisabled));
        c.push_back(
            Control(ControlKind::Edit, row.armId, "", x + kArms, y, 32, kEditHeight, kDisabled));
        y += kEditPitch;
    }
    c.push_back(Control(ControlKind::CheckBox, IDC_SERVO_WALKING, "歩行時のパラメーターも変更",
                        x + 8, y + 1, 130, 11, kDisabled));

    c.push_back(Control(ControlKind::GroupBox, 0, "タイムアウト", x, 95, width, 64));
    y = 108;
    for (const auto& [label, id] :
         {std::pair{"立ち姿勢時", IDC_TIMEOUT_STAND}, std::pair{"座り姿勢時", IDC_TIMEOUT_SIT},
          std::pair{"充電椅子時", IDC_TIMEOUT_CHARGE}}) {
        AddNumberRow(c, label, id, "1/60秒", x + 8, y, 64);
        y += kEditPitch;
    }

    c.push_back(Control(ControlKind::GroupBox, 0, "電圧監視", x, 163, width, 76));
    y = 176;
    for (const auto& [label, id] :
         {std::pair{"ファーム監視", IDC_VBAT_FIRMWARE}, std::pair{"高電圧しきい値", IDC_VBAT_HIGH},
          std::pair{"低電圧しきい値", IDC_VBAT_LOW},
          std::pair{"停止電圧しきい値", IDC_VBAT_STOP}}) {
        AddNumberRow(c, label, id, "1/310V", x + 8, y, 64);
        y += kEditPitch;
    }
}

// The QR power-ups: three columns of fourteen, instalments downwards, "全部" last.
void AddPowerUps(std::vector<ControlTemplate>& c, int x, int width) {
    constexpr int kRows = 14;
    c.push_back(Control(ControlKind::GroupBox, 0, "QRコード読込", x, 5, width, 234));
    for (int k = 0; k <= static_cast<int>(kPowerUpCount); ++k) {
        const std::string_view label = k < static_cast<int>(kPowerUpCount)
                                           ? kPowerUpLabels[static_cast<std::size_t>(k)]
                                           : kAllPowerUpsLabel;
        c.push_back(Control(ControlKind::CheckBox, kFirstPowerUpBox + k, label,
                            x + 8 + (k / kRows) * 46, 18 + (k % kRows) * 15, 44, 11));
    }
}

DialogTemplate MakeSettingsDialog() {
    DialogTemplate dialog{IDD_SETTINGS_DIALOG, "設定データ変更ダイアログ", 532, 266, {}};
    std::vector<ControlTemplate>& c = dialog.controls;
    AddLeftColumn(c, 7, 176);
    AddMiddleColumn(c, 189, 180);
    AddPowerUps(c, 375, 150);
    c.push_back(Control(ControlKind::PushButton, IDC_RESTORE, "標準値に戻す", 7, 245, 70, 15));
    c.push_back(Control(ControlKind::DefPushButton, IDC_OK, "OK", 421, 245, 50, 15));
    c.push_back(Control(ControlKind::PushButton, IDC_CANCEL, "キャンセル", 475, 245, 50, 15));
    return dialog;
}

} // namespace

const DialogTemplate& SettingsDialogTemplate() {
    return LocalizedTemplate<MakeSettingsDialog>();
}

} // namespace orvix
