#pragma once

// The setting file store: the small binary files beside STARTUP.BIN on the card, one value each,
// read into the document's setting buffer, and written back all together: under the card lock,
// only while each still holds what was read, every file whole or none.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "calibration/editor_document.h"
#include "ui/prompter.h"

namespace orvix {

// The buffer holds the first bytes of the file last read.
inline constexpr std::size_t kSettingBufferSize = 16;
// No setting slot: the read records no length.
inline constexpr int kNoSlot = -1;

// The folder of the loaded image: the card.
std::filesystem::path CardFolder(const EditorDocument& document);

// What a dialog read of the card files it may write, whole, by card name ("servo\SV02_ON.BIN"):
// their bytes, or none for a file that was not there. A name missing from the map (a file that
// could not be read) counts as changed since.
using FilesAsRead = std::map<std::string, std::optional<std::vector<std::uint8_t>>>;

// Reads the first 16 bytes of a card file (name relative to the card, "servo\SV02_ON.BIN") into
// settingBuffer, whose bytes beyond the file's read as zero, and records how many bytes it had in
// settingSizes[slot] (unless slot is kNoSlot). A file that cannot be read shows message 153 with
// the name when reportFailure is set; then the buffer and the sizes are as they were. When asRead
// is given, the whole file is recorded in it (or its absence).
bool ReadBinaryFile(EditorDocument& document, ui::Prompter& prompter, const std::string& name,
                    int slot, bool reportFailure, FilesAsRead* asRead = nullptr);

// Records what each file not yet in asRead holds now (or that it is absent); a file that is there
// but cannot be read is left out.
void RecordFilesAsRead(const EditorDocument& document, std::span<const std::string> names,
                       FilesAsRead& asRead);

// One file of a write: bytes over the first bytes of the file, which keeps its length and every
// byte beyond them and grows to their width when it was shorter (or absent); or, when whole, the
// file's new content.
struct CardFileWrite {
    std::string name;
    std::vector<std::uint8_t> bytes;
    bool whole = false;
};

// Writes the files as one, holding the card lock: a card busy with another writer shows message
// 174. A file that no longer holds what asRead says is asked about with message 173 (No, the
// default, writes nothing), or refused where the document does not ask. Then every file is
// written or none: a target that cannot be written (also a name that several files spell in
// other letter cases) or a failure at any step shows message 154 naming the file, with every
// file's state in its details when a put-back failed too. asRead is brought up to date with
// what the files now hold of the editor's writing.
bool WriteCardFiles(EditorDocument& document, ui::Prompter& prompter,
                    std::span<const CardFileWrite> files, FilesAsRead& asRead);

} // namespace orvix
