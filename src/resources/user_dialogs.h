#pragma once

#include "ui/dialog_template.h"

namespace orvix {

inline constexpr int IDD_USER_DIALOG = 132;
inline constexpr int IDD_DATE_DIALOG = 133;

// Controls of the user list dialog: ten rows, one per slot, of a name number, a name and an edit
// button.
namespace user_dlg {
inline constexpr int IDC_CLOSE = 2;
inline constexpr int IDC_NEW_USER = 3;
inline constexpr int IDC_FIRST_NAME_NUMBER = 1101; // + slot
inline constexpr int IDC_FIRST_NAME = 1111;        // + slot
inline constexpr int IDC_FIRST_EDIT = 1121;        // + slot
} // namespace user_dlg

// Controls of the user data dialog.
namespace date_dlg {
inline constexpr int IDC_OK = 1;
inline constexpr int IDC_CANCEL = 2;
inline constexpr int IDC_BIRTHDAY = 1102;
inline constexpr int IDC_ANNIVERSARY = 1103;
inline constexpr int IDC_SPECIAL_DAY = 1104;
inline constexpr int IDC_FIRST_LESSON_DAY = 1105;  // + day, 0 Sunday to 6 Saturday
inline constexpr int IDC_FIRST_GARBAGE_DAY = 1112; // + day
inline constexpr int IDC_NAME_NUMBER = 1119;
inline constexpr int IDC_NAME = 1120;
} // namespace date_dlg

const ui::DialogTemplate& UserDialogTemplate();
const ui::DialogTemplate& DateDialogTemplate();

} // namespace orvix
