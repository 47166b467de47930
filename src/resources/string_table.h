#pragma once

// The string table: every message text of the program, by its ID.

#include <string>
#include <string_view>

#include "ui/prompter.h"

namespace orvix {

inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr int IDP_READ_PROGRAM_FAILED = 103;
inline constexpr int IDP_WRONG_SETTING_VALUES = 104;
inline constexpr int IDP_WRITE_PROGRAM_FAILED = 105;
inline constexpr int IDP_NO_NUMBER = 106;
inline constexpr int IDP_NOT_DECIMAL = 107;
inline constexpr int IDP_OUT_OF_RANGE = 108;
inline constexpr int IDP_WRITE_PROGRAM_DONE = 109;
inline constexpr int IDP_RESTORE_ORIGINS = 110;
inline constexpr int IDP_REMOVE_RANGE_LIMIT = 115;
inline constexpr int IDP_VALUES_CHANGED = 116;
inline constexpr int IDP_WRONG_PROGRAM = 117;
inline constexpr int IDP_VOLTAGE_WARNING = 141;
inline constexpr int IDP_RESTORE_RANGES = 142;
inline constexpr int IDP_WALK_STEPS_RANGE = 146;
inline constexpr int IDP_ENABLE_REMOTE = 148;
inline constexpr int IDP_CODE_FILE_READ_FAILED = 151;
inline constexpr int IDP_BINARY_READ_FAILED = 153;
inline constexpr int IDP_BINARY_WRITE_FAILED = 154;
inline constexpr int IDP_DATA_RANGE_WRONG = 155;
inline constexpr int IDP_USER_DATA_WRONG = 156;
inline constexpr int IDP_DATE_WRONG = 157;
inline constexpr int IDP_RESTORE_SETTINGS = 159;
inline constexpr int IDP_PATCH_READ_FAILED = 161;
inline constexpr int IDP_PATCH_APPLIED = 162;
inline constexpr int IDP_PATCH_FAILED = 163;
inline constexpr int IDP_PATCH_ALREADY_APPLIED = 164;
inline constexpr int IDP_CHANGE_ARM_ANGLE = 165;
inline constexpr int IDP_PROGRAMS_ADDED = 166;
inline constexpr int IDP_USE_POWERUP_RANDOM = 167;
inline constexpr int IDP_CREATE_USER = 168;
inline constexpr int IDP_USER_ADDED = 169;
inline constexpr int IDP_CHECK_ALL_POWERUPS = 170;
inline constexpr int IDP_UNCHECK_ALL_POWERUPS = 171;
inline constexpr int IDP_HEAD_SWITCH = 172;
// Orvix2's own messages, beyond those of the original program.
inline constexpr int IDP_FILE_CHANGED_ELSEWHERE = 173;
inline constexpr int IDP_CARD_BUSY = 174;
// The card's history.
inline constexpr int IDP_RESTORE_HISTORY_POINT = 175;   // restore to a point? (Yes/No, No)
inline constexpr int IDP_HISTORY_CHANGED_OUTSIDE = 176; // files changed outside: not restored
inline constexpr int IDP_RESTORE_CHANGED_OUTSIDE = 177; // restore them as well? (Yes/No, No)
inline constexpr int IDP_RESTORE_IMPOSSIBLE = 178;      // the point cannot be restored
inline constexpr int IDP_RESTORE_DONE = 179;            // restored
// The editor's change history dialog.
inline constexpr int IDS_HISTORY = 185;                  // the system menu entry
inline constexpr int IDP_HISTORY_NO_IMAGE = 186;         // no program loaded: no card to show
inline constexpr int IDP_HISTORY_RESTORE = 187;          // restore these files? (Yes/No, No)
inline constexpr int IDP_HISTORY_ALREADY_AT_POINT = 188; // nothing to restore
inline constexpr int IDS_HISTORY_POINT = 189; // "%1番の保存の前": a point, for %1 above
// The interface language, chosen from the system menu.
inline constexpr int IDP_LANGUAGE_AT_RESTART = 190; // the choice takes effect at the next start
inline constexpr int IDP_LANGUAGE_NOT_SAVED = 191;  // Orvix2.ini [%1] could not be written
// A save's entry in the change history: one that cannot be begun stops the save before anything
// is written; one that cannot be completed after the write is said, never passed over.
inline constexpr int IDP_HISTORY_NOT_STARTED = 192;  // history [%1] cannot be kept: nothing written
inline constexpr int IDP_HISTORY_NOT_FINISHED = 193; // written, but history [%1] not completed
// The history dialog's restore that left the files changed outside as they were.
inline constexpr int IDP_RESTORE_PARTLY_DONE = 194; // restored in part; the details name the files
// Why the system refused a file: one text a kind of failure (failure_reason.h), shown after the
// file's name in a message's details.
inline constexpr int IDS_FAILURE_NOT_FOUND = 200;
inline constexpr int IDS_FAILURE_NO_PERMISSION = 201;
inline constexpr int IDS_FAILURE_IN_USE = 202;
inline constexpr int IDS_FAILURE_NO_SPACE = 203;
inline constexpr int IDS_FAILURE_INPUT_OUTPUT = 204;
inline constexpr int IDS_FAILURE_NOT_A_FILE = 205;
inline constexpr int IDS_FAILURE_TOO_LARGE = 206;
inline constexpr int IDS_FAILURE_EXISTS = 207;
inline constexpr int IDS_FAILURE_OTHER = 208; // %1: the system's error code

// The text of a string-table entry; empty for an unknown ID.
std::string_view LoadString(int id);

// The text with its %1 replaced by argument.
std::string Filled(std::string_view text, std::string_view argument);

// The text shown for a message box: the string-table text with %1 filled in.
std::string MessageText(const ui::MessageRequest& request);

} // namespace orvix
