#pragma once

// The one table of the names a person reads for the things of a card: the areas, the servos
// (with their side), the calibration tables, the options, the settings, the user fields and the
// words for values. Each name is given in Japanese and in English; the stable keys (those of the
// JSON and the command line) are data and stay the same in both languages. Every text that names
// such a thing (the dialogs' undocumented texts, the history, diff, the show commands, the help)
// takes the name from here.

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orvix {

// The areas of the table. kArea names the areas of diff and the history themselves.
inline constexpr std::string_view kArea = "area";
inline constexpr std::string_view kServoArea = "calibration"; // ID2 ... ID21, attenuator
inline constexpr std::string_view kSideArea = "side";         // the side of each servo, by ID
inline constexpr std::string_view kTableArea = "table";       // origin, lower, upper
inline constexpr std::string_view kOptionArea = "options";
inline constexpr std::string_view kRemoteArea = "remote";
inline constexpr std::string_view kSettingArea = "settings";
inline constexpr std::string_view kUserArea = "users";
inline constexpr std::string_view kValueArea = "value"; // on, off, free, not set, ...

struct ShownName {
    std::string_view area;
    std::string_view key; // the stable key: "ID2", "walkSteps", "garbageDays", "on"
    std::string_view japanese;
    std::string_view english;
};

// Every name, area by area.
std::span<const ShownName> ShownNames();

// The entry of key in area; nothing when the table has none.
const ShownName* FindName(std::string_view area, std::string_view key);

// The name of key in area in the interface language; the key itself when the table has none.
std::string_view NameOf(std::string_view area, std::string_view key);

// "no value", written one way per language: "(なし)", "(none)".
std::string_view NoValue();

// A value as a person reads it: the table's word for a recorded word ("on", "free", "not set"),
// "[]", "none" and "" as no value, everything else (numbers, dates, lists, names) as it is.
std::string ShownValue(std::string_view area, std::string_view key, std::string_view value);

// A field of the history and diff (area, key as recorded) as a person reads it: "右手
// ID16(肩縦回転) 原点" for calibration "ID16 origin", "ユーザ3 名前番号" for users "user3
// nameIndex", the setting's name for a setting; a servo file's key ("servo\SV02_ON.BIN") as its
// file name.
std::string ShownField(std::string_view area, std::string_view key);

// The full name of a servo: its side, then its name ("右足 ID2(股横回転)", "right leg ID2 hip
// roll"); by its key ("ID2").
std::string ServoShownName(std::string_view key);

} // namespace orvix
