#pragma once

#include "ui/dialog_template.h"

namespace orvix {

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_ORVIX_DIALOG = 102;
inline constexpr int IDR_MAINFRAME = 128; // the application icon

// Controls of the main dialog; the servo fields and spins are in the servo table.
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

// The name and version the about box shows.
inline constexpr const char* kVersionText = "Orvix2, Version 3.68";

// The system menu command of the about box.
inline constexpr int IDM_ABOUTBOX = 16;

const ui::DialogTemplate& MainDialogTemplate();
const ui::DialogTemplate& AboutDialogTemplate();

} // namespace orvix
