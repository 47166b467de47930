#pragma once

// The program's own settings file, Orvix2.ini, in the profile format. Every read and write opens
// the file afresh and touches one key, keeping every other section, key and comment as it was.

#include <cstddef>
#include <filesystem>
#include <string>

#include "storage/platform.h"

namespace orvix {

inline constexpr const char* kSettingsFileName = "Orvix2.ini";

inline constexpr const char* kSectionFile = "FILE";
inline constexpr const char* kKeyPath = "PATH";
inline constexpr const char* kSectionRange = "RANGE";
inline constexpr const char* kKeyCheckRange = "CHECK_RANGE";

// The value of a key, or the default when the file or the key is missing; at most maxChars
// characters of it.
std::string GetProfileString(const std::string& iniPath, const char* section, const char* key,
                             const std::string& defaultValue,
                             std::size_t maxChars = std::string::npos);

// The value of a key read as a number in the manner of the platform: an optional sign and the
// leading digits; a value with no leading number reads as 0; a missing key gives the default.
int GetProfileInt(const std::string& iniPath, const char* section, const char* key,
                  int defaultValue);

// Sets one key, creating the file, section or key when absent; false when the file could not be
// read or written. A file that exists but cannot be read is left alone. Only the key's line
// changes: comments, blank lines, repeated keys and line endings stay as they were.
bool WriteProfileString(const std::string& iniPath, const char* section, const char* key,
                        const std::string& value);

// The text of a settings file with one key set: the first line of that key in its section is
// replaced (its line ending kept); a missing key is added after the section's last line that is
// not blank, a missing section at the end of the text. Names match whatever their letter case.
std::string SetProfileLine(const std::string& text, const char* section, const char* key,
                           const std::string& value);

// Where Orvix2.ini lives: the executable's folder when it already holds the file or (not on
// Windows) can be written to (a portable copy or the build tree) and is not below /usr; otherwise
// the user's folder (platform::UserSettingsFolder: $XDG_CONFIG_HOME/Orvix2, by default
// ~/.config/Orvix2; %LOCALAPPDATA%\Orvix2 on Windows), made when missing. The code files SERVO.BIN,
// REMOTE.BIN, VOICE.BIN and REMOTEBLK.BIN lie in the same folder.
std::filesystem::path
ChooseSettingsFolder(const std::filesystem::path& executableFolder = platform::ExecutableFolder(),
                     const std::filesystem::path& userFolder = platform::UserSettingsFolder());

// The same choice with the executable folder's state given: usable when it holds Orvix2.ini or
// can be written to. Without a user's folder the executable's stays.
std::filesystem::path PickSettingsFolder(const std::filesystem::path& executableFolder,
                                         bool executableFolderUsable,
                                         const std::filesystem::path& userFolder);

} // namespace orvix
