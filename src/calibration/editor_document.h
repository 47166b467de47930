#pragma once

// The editor's shared working data: one instance, owned by the main dialog, handed to every
// child dialog, which reads and changes it in place.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orvix {

// How many characters of the remembered image path are taken from the settings file.
inline constexpr std::size_t kMaxPathChars = 259;

// Byte 7600 of the image tells the two known builds of the robot's program apart.
inline constexpr std::size_t kBuildMarkerOffset = 7600;
inline constexpr std::uint8_t kBuildMarkerLayoutB = 23;

// A tail of this size is the servo extension, which a save writes once and then lets go.
inline constexpr std::size_t kServoExtensionSize = 3072;

struct EditorDocument {
    // Reads the remembered image path and the range limit from the settings file.
    explicit EditorDocument(std::string settingsFilePath);

    bool valuesChanged = false;        // a servo value field changed since the last load or save
    bool programChanged = false;       // kept by the program change patches
    std::uint32_t settingsChanged = 0; // which setting files the settings dialog changed
    bool isBinaryImage = false;        // the loaded file is in the binary form
    std::string iniPath;               // full path of Orvix2.ini
    std::string imagePath;             // full path of the loaded image; empty when none
    bool checkRange = true;            // origin corrections held near their standard values
    std::vector<std::uint8_t> settingBuffer; // the setting file store's buffer; empty until used
    std::array<std::int32_t, 16> settingSizes{}; // bytes last read from each setting file
    std::uint64_t powerUpFlags = 0;
    std::vector<std::uint8_t> nameTable; // the name table; empty until read
    std::int32_t currentUserSlot = 0;
    std::int32_t chosenNameIndex = 0;
    bool buildVariant = false; // byte 7600 is 23: layout B
    bool headSwitchEnabled = false;
    std::vector<std::uint8_t> image;     // the whole file as read; its size is the image size
    std::uint32_t tableSelector = 0;     // 0 origin correction, 1 lower limit, 2 upper limit
    std::vector<std::uint8_t> imageTail; // written after the image by the save; empty for none

    // Whether a successful load remembers the path in the settings file (the editor does, the
    // command-line tool does not).
    bool rememberImagePath = true;
    // Where the robot code files (SERVO.BIN, REMOTE.BIN, VOICE.BIN, REMOTEBLK.BIN) are read;
    // empty for the folder of the settings file.
    std::string codeFolder;
    // The program bytes that the Bluetooth form of a remote tail made since the load replaced,
    // as they were before, so that a switch to the remote connection form can put them back.
    std::vector<std::pair<std::uint32_t, std::uint8_t>> bluetoothProgramBytes;
    // What the image file held when it was loaded or last saved; a save first checks that the
    // file still holds it. Empty (nullopt) where nothing was read: no check.
    std::optional<std::vector<std::uint8_t>> imageOnDisk;
    // When another program changed the file since then: whether the save asks before writing
    // over it (the editor does) or refuses (the command-line tool, which reads and writes within
    // one lock of the card).
    bool askBeforeOverwritingChanges = true;

    std::size_t ImageSize() const { return image.size(); }
    std::size_t ImageTailSize() const { return imageTail.size(); }
    bool HasImage() const { return !imagePath.empty(); }
};

} // namespace orvix
