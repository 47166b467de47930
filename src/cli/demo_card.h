#pragma once

// A synthetic SD card for trying the editor and the tool without a robot: a STARTUP.BIN of a
// known layout with standard calibration and standard options, and a note that says what it is.

#include <array>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <vector>

#include "options/option_sites.h"
#include "users/user_record.h"

namespace orvix::cli {

inline constexpr const char* kDemoImageName = "STARTUP.BIN";
inline constexpr const char* kDemoNoteName = "DEMO.txt";
// The synthetic code files go here, for --code-dir or to be copied beside Orvix2.ini.
inline constexpr const char* kDemoCodeFolderName = "code";

// The step count the demo program walks; the robot's program defines no standard.
inline constexpr std::int32_t kDemoWalkSteps = 4;

// The arm values of the demo's arm movement records, before any idle arm angle change.
inline constexpr std::array<std::int16_t, 6> kDemoArmValues{300, 100, 0, -300, -100, 0};

// Where the demo places ArmPattern: records below and from kShoulderRecordsStart; the first of
// each kind lies where the robot's program keeps the one whose first value is the fixed mark.
std::vector<std::uint32_t> DemoArmRecords(Layout layout);

// The bytes of the demo STARTUP.BIN: deterministic filler that never forms ArmPattern, with the
// standard calibration tables, the build marker and every option site at its standard value.
std::vector<std::uint8_t> MakeDemoImage(Layout layout);

// Writes STARTUP.BIN into the folder; refuses to replace one that exists. Reasons go to err.
bool WriteDemoImage(const std::filesystem::path& folder, Layout layout, std::ostream& err);

// Writes DEMO.txt, which says in Japanese and English that the card is synthetic.
bool WriteDemoNote(const std::filesystem::path& folder, Layout layout, std::ostream& err);

// Writes synthetic SERVO.BIN, REMOTE.BIN, VOICE.BIN and REMOTEBLK.BIN into code/: stand-ins that
// pass the editor's checks, never robot code.
bool WriteDemoCode(const std::filesystem::path& folder, std::ostream& err);

// The demo's volume and servo compliance parameters (margin, slope, punch, 0).
inline constexpr std::uint8_t kDemoVolume = 5;
inline const std::vector<std::uint8_t> kDemoServoParameters{1, 32, 16, 0};

// Writes every setting file of the settings data dialog (standard values where there are some)
// and the servo compliance files of the leg and arm servos.
bool WriteDemoSettings(const std::filesystem::path& folder, std::ostream& err);

// The demo's user register: a made-up NAMETBL.BIN of 2326 entries spelt from the syllable table
// and numbered by their index, たろうくん at kDemoTaroEntry, and the ten user files, slots 0 and 1
// in use (DemoUsers).
inline constexpr std::int16_t kDemoTaroEntry = 1;
std::vector<std::uint8_t> MakeDemoNameTable();
std::array<UserRecord, 2> DemoUsers();
bool WriteDemoUsers(const std::filesystem::path& folder, std::ostream& err);

// Makes the folder when needed, then every file of the demo card; refuses a folder that holds
// anything, or a path that is no folder.
bool MakeDemoCard(const std::filesystem::path& folder, Layout layout, std::ostream& err);

} // namespace orvix::cli
