#include "resources/history_dialog.h"

#include "resources/names.h"
#include "resources/translation.h"

#include <string_view>
#include <utility>

namespace orvix {

using namespace ui;
using namespace history_dlg;

namespace {

constexpr int kLeft = 7;
constexpr int kWidth = 446;
// The list's frame and the margin of its text, before its first column.
constexpr int kTextInset = 4;

// One header per column over a list, each at its column's stop and as wide as the column.
template <std::size_t N>
void AddHeaders(std::vector<ControlTemplate>& controls, const std::array<int, N>& stops,
                const std::array<std::string_view, N + 1>& titles, int y) {
    for (std::size_t i = 0; i <= N; ++i) {
        const int x = i == 0 ? 0 : stops[i - 1];
        const int end = i < N ? stops[i] : kWidth - 2 * kTextInset;
        controls.push_back(
            Control(ControlKind::Label, 0, titles[i], kLeft + kTextInset + x, y, end - x - 4, 10));
    }
}

DialogTemplate MakeHistoryDialog() {
    DialogTemplate dialog{IDD_HISTORY_DIALOG, "変更履歴", 460, 272, {}};
    std::vector<ControlTemplate>& c = dialog.controls;
    c.push_back(Control(ControlKind::Label, 0, "カードへの保存(新しい順)", kLeft, 7, 220, 10));
    AddHeaders<3>(c, kEntryStops, {"番号", "日時", "ファイル", "変更の内容"}, 20);
    c.push_back(Control(ControlKind::ListBox, IDC_ENTRIES, "", kLeft, 31, kWidth, 88));
    c.push_back(
        Control(ControlKind::Label, 0,
                "「この時点に戻す」は選択した保存とそれより後のすべての保存を取り消します。", kLeft,
                122, kWidth, 10));
    c.push_back(Control(ControlKind::Label, IDC_DIFFERENCES_TITLE,
                        "選択した保存の前と今のカードとの違い", kLeft, 137, kWidth, 10));
    AddHeaders<3>(c, kDifferenceStops, {"分類", "項目", "その時点", "今のカード"}, 150);
    c.push_back(Control(ControlKind::ListBox, IDC_DIFFERENCES, "", kLeft, 161, kWidth, 82));
    c.push_back(Control(ControlKind::PushButton, IDC_RESTORE_POINT, "この時点に戻す", kLeft, 250,
                        80, 15, kDisabled));
    c.push_back(
        Control(ControlKind::DefPushButton, IDC_CLOSE, "閉じる", kLeft + kWidth - 50, 250, 50, 15));
    return dialog;
}

} // namespace

std::string_view HistoryAreaName(std::string_view area) {
    return NameOf(kArea, area);
}

const DialogTemplate& HistoryDialogTemplate() {
    return LocalizedTemplate<MakeHistoryDialog>();
}

} // namespace orvix
