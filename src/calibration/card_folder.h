#pragma once

// Where the read button's file dialog starts when no STARTUP.BIN has been loaded before: on the
// robot's card when the desktop has mounted exactly one (Windows: one removable drive holds it),
// else in the home folder (Windows: the Documents folder).

#include <filesystem>
#include <vector>

#include "storage/platform.h"

namespace orvix {

// The one medium (a folder where the desktop mounted it) that holds STARTUP.BIN (in any letter
// case) at its top; home when none or more than one does. A medium seen under two
// names (a link, two mount roots) counts once.
std::filesystem::path
ChooseCardFolder(const std::vector<std::filesystem::path>& media = platform::MediaFolders(),
                 const std::filesystem::path& home = platform::DocumentsFolder());

} // namespace orvix
