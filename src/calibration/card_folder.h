#pragma once

// Where the read button's file dialog starts when no STARTUP.BIN has been loaded before: on the
// robot's card when the desktop has mounted exactly one, else in the home folder.

#include <filesystem>
#include <vector>

namespace orvix {

// The folders under which desktops mount removable media for the user: /media/USER and
// /run/media/USER. The user is $USER, else the one the program runs as.
std::vector<std::filesystem::path> MountRoots();

// $HOME, else the home folder of the user the program runs as; empty when neither is known.
std::filesystem::path HomeFolder();

// The folder of the one mount below the roots that holds STARTUP.BIN (in any letter case) at its
// top; the home folder when no mount or more than one does. A mount seen below two roots counts
// once; a missing or unreadable root holds none.
std::filesystem::path
ChooseCardFolder(const std::vector<std::filesystem::path>& roots = MountRoots(),
                 const std::filesystem::path& home = HomeFolder());

} // namespace orvix
