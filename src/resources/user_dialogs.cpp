#include "resources/user_dialogs.h"

#include "resources/translation.h"

#include <array>
#include <string_view>

namespace orvix {

using namespace ui;

namespace {

constexpr std::array<std::string_view, 10> kRowLabels{
    "ユーザ1", "ユーザ2", "ユーザ3", "ユーザ4", "ユーザ5",
    "ユーザ6", "ユーザ7", "ユーザ8", "ユーザ9", "ユーザ10",
};

constexpr std::array<std::string_view, 7> kDayLabels{"日", "月", "火", "水", "木", "金", "土"};

DialogTemplate MakeUserDialog() {
    using namespace user_dlg;
    DialogTemplate dialog{IDD_USER_DIALOG, "登録ユーザ一覧", 316, 225, {}};
    std::vector<ControlTemplate>& c = dialog.controls;
    constexpr int kLeft = 28;
    for (int i = 0; i < static_cast<int>(kRowLabels.size()); ++i) {
        const int y = 14 + 18 * i;
        c.push_back(Control(ControlKind::Label, 0, kRowLabels[static_cast<std::size_t>(i)], kLeft,
                            y + 2, 36, 10));
        c.push_back(Control(ControlKind::Label, 0, "名前番号", kLeft + 38, y + 2, 38, 10));
        // Shown only: disabled, so that they look it and take no focus in either front end.
        c.push_back(Control(ControlKind::ReadOnlyEdit, IDC_FIRST_NAME_NUMBER + i, "", kLeft + 78, y,
                            30, 13, kDisabled));
        c.push_back(Control(ControlKind::Label, 0, "名前", kLeft + 118, y + 2, 20, 10));
        c.push_back(Control(ControlKind::ReadOnlyEdit, IDC_FIRST_NAME + i, "", kLeft + 140, y, 52,
                            13, kDisabled));
        c.push_back(Control(ControlKind::PushButton, IDC_FIRST_EDIT + i, "編集", kLeft + 204, y - 1,
                            50, 15, kDisabled));
    }
    c.push_back(
        Control(ControlKind::PushButton, IDC_NEW_USER, "新規作成", kLeft, 200, 60, 15, kDisabled));
    c.push_back(Control(ControlKind::PushButton, IDC_CLOSE, "閉じる", kLeft + 204, 200, 50, 15));
    return dialog;
}

void AddDayGroup(std::vector<ControlTemplate>& controls, std::string_view title, int firstId,
                 int y) {
    controls.push_back(Control(ControlKind::GroupBox, 0, title, 12, y, 292, 30));
    for (int day = 0; day < static_cast<int>(kDayLabels.size()); ++day) {
        controls.push_back(Control(ControlKind::CheckBox, firstId + day,
                                   Translate("weekday", kDayLabels[static_cast<std::size_t>(day)]),
                                   22 + 40 * day, y + 14, 30, 11));
    }
}

DialogTemplate MakeDateDialog() {
    using namespace date_dlg;
    DialogTemplate dialog{IDD_DATE_DIALOG, "ユーザ登録データ変更ダイアログ", 316, 182, {}};
    std::vector<ControlTemplate>& c = dialog.controls;
    c.push_back(Control(ControlKind::Label, 0, "名前番号", 12, 12, 38, 10));
    // Follows the name chosen: disabled, so that the focus starts on the name list.
    c.push_back(Control(ControlKind::ReadOnlyEdit, IDC_NAME_NUMBER, "", 52, 10, 36, 13, kDisabled));
    c.push_back(Control(ControlKind::Label, 0, "名前", 100, 12, 20, 10));
    // Its height includes the open list.
    c.push_back(Control(ControlKind::DropDownList, IDC_NAME, "", 122, 10, 120, 120));

    // The three dates side by side, each label over its box.
    const std::pair<int, std::string_view> dates[] = {{IDC_BIRTHDAY, "誕生日(月/日)"},
                                                      {IDC_ANNIVERSARY, "結婚記念日(月/日)"},
                                                      {IDC_SPECIAL_DAY, "特別な日(月/日)"}};
    for (int i = 0; i < 3; ++i) {
        const auto& [id, label] = dates[i];
        c.push_back(Control(ControlKind::Label, 0, label, 12 + 100 * i, 34, 92, 10));
        c.push_back(Control(ControlKind::Edit, id, "", 12 + 100 * i, 46, 60, 13));
    }

    AddDayGroup(c, "習い事の日", IDC_FIRST_LESSON_DAY, 68);
    AddDayGroup(c, "ゴミの日", IDC_FIRST_GARBAGE_DAY, 104);

    c.push_back(Control(ControlKind::DefPushButton, IDC_OK, "OK", 200, 158, 50, 15));
    c.push_back(Control(ControlKind::PushButton, IDC_CANCEL, "キャンセル", 254, 158, 50, 15));
    return dialog;
}

} // namespace

const DialogTemplate& UserDialogTemplate() {
    return LocalizedTemplate<MakeUserDialog>();
}

const DialogTemplate& DateDialogTemplate() {
    return LocalizedTemplate<MakeDateDialog>();
}

} // namespace orvix
