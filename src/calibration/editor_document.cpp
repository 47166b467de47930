#include "calibration/editor_document.h"

#include "storage/settings_file.h"

namespace orvix {

EditorDocument::EditorDocument(std::string settingsFilePath)
    : iniPath(std::move(settingsFilePath)) {
    imagePath = GetProfileString(iniPath, kSectionFile, kKeyPath, "", kMaxPathChars);
    tableSelector = 0;
    checkRange = GetProfileInt(iniPath, kSectionRange, kKeyCheckRange, 1) == 1;
}

} // namespace orvix
