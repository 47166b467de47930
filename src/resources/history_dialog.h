#pragma once

#include <array>
#include <string_view>

#include "ui/dialog_template.h"

namespace orvix {

inline constexpr int IDD_HISTORY_DIALOG = 134;
// The main dialog's system menu entry that opens the change history.
inline constexpr int IDM_HISTORY = 32;

// Controls of the change history dialog: the saves of the card, newest first; the differences
// of the point before the selected save against the card now; the restore of that point.
namespace history_dlg {
inline constexpr int IDC_CLOSE = 2;
inline constexpr int IDC_ENTRIES = 1201;
inline constexpr int IDC_DIFFERENCES = 1202;
inline constexpr int IDC_RESTORE_POINT = 1203;
inline constexpr int IDC_DIFFERENCES_TITLE = 1204;

// Where the columns of the two lists start, in dialog units from the list's text (the headers
// above the lists stand at the same places): sequence, time, files, summary; area, field, then,
// now.
inline constexpr std::array<int, 3> kEntryStops{26, 108, 200};
inline constexpr std::array<int, 3> kDifferenceStops{58, 196, 316};

// The texts the dialog puts into its lists and its title of the differences.
inline constexpr std::string_view kUnreadable = "読めない記録";              // + ": why"
inline constexpr std::string_view kNoDifferences = "(違いはありません)";     // in the field column
inline constexpr std::string_view kCopiesGone = "(不完全)";                  // + the files
inline constexpr std::string_view kNotCompared = "(比較不可)";               // + what and why
inline constexpr std::string_view kDifferencesOf = "%1と今のカードとの違い"; // %1: the point
// The lines of a partial restore's details, each followed by ": " and the files.
inline constexpr std::string_view kRestoredFiles = "戻したファイル";
inline constexpr std::string_view kLeftFiles = "そのままのファイル";
// A restore's entry in the list: back to before a save (%1 its number), or to before the first.
inline constexpr std::string_view kRestoredTo = "%1番の保存の前に戻す";
inline constexpr std::string_view kRestoredToFirst = "最初の保存の前に戻す";
} // namespace history_dlg

// The name the dialog shows for an area of the differences ("calibration": "サーボ値"); an
// area it does not know by its own name.
std::string_view HistoryAreaName(std::string_view area);

const ui::DialogTemplate& HistoryDialogTemplate();

} // namespace orvix
