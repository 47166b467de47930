#include "settings/setting_store.h"

#include <algorithm>
#include <vector>

#include "resources/string_table.h"
#include "storage/file_io.h"

namespace orvix {

std::filesystem::path CardFolder(const EditorDocument& document) {
    return PathFromUtf8(document.imagePath).parent_path();
}

bool ReadBinaryFile(EditorDocument& document, ui::Prompter& prompter, const std::string& name,
                    int slot, bool reportFailure) {
    std::vector<std::uint8_t> bytes;
    FileError error;
    if (!ReadWholeFile(CardFilePath(CardFolder(document), name), bytes, &error)) {
        if (reportFailure) {
            prompter.Failure(IDP_BINARY_READ_FAILED, error.Describe(), name, ui::Icon::Error);
        }
        return false;
    }
    const std::size_t count = std::min(bytes.size(), kSettingBufferSize);
    document.settingBuffer.assign(kSettingBufferSize, 0);
    std::copy_n(bytes.begin(), count, document.settingBuffer.begin());
    if (slot >= 0 && static_cast<std::size_t>(slot) < document.settingSizes.size()) {
        document.settingSizes[static_cast<std::size_t>(slot)] = static_cast<std::int32_t>(count);
    }
    return true;
}

namespace {

// Replaces the file; a name that several files spell in other letter cases is refused, since
// writing it would add one spelling more.
bool Replace(const std::filesystem::path& path, bool ambiguous, ui::Prompter& prompter,
             const std::string& name, std::span<const std::uint8_t> bytes) {
    if (ambiguous) {
        prompter.Failure(
            IDP_BINARY_WRITE_FAILED,
            FileError{path, "several files differ from this name only in letter case"}.Describe(),
            name, ui::Icon::Error);
        return false;
    }
    FileError error;
    if (!WriteFileAtomically(path, {bytes}, &error)) {
        prompter.Failure(IDP_BINARY_WRITE_FAILED, error.Describe(), name, ui::Icon::Error);
        return false;
    }
    return true;
}

} // namespace

bool WriteWholeBinaryFile(EditorDocument& document, ui::Prompter& prompter, const std::string& name,
                          std::span<const std::uint8_t> bytes) {
    bool ambiguous = false;
    const std::filesystem::path path = CardFilePath(CardFolder(document), name, &ambiguous);
    return Replace(path, ambiguous, prompter, name, bytes);
}

bool WriteBinaryFile(EditorDocument& document, ui::Prompter& prompter, const std::string& name,
                     std::span<const std::uint8_t> value) {
    bool ambiguous = false;
    const std::filesystem::path path = CardFilePath(CardFolder(document), name, &ambiguous);
    std::vector<std::uint8_t> bytes;
    std::error_code missing;
    if (std::filesystem::exists(std::filesystem::symlink_status(path, missing))) {
        FileError error;
        if (!ReadWholeFile(path, bytes, &error)) {
            prompter.Failure(IDP_BINARY_WRITE_FAILED, error.Describe(), name, ui::Icon::Error);
            return false;
        }
    }
    if (bytes.size() < value.size()) {
        bytes.resize(value.size(), 0);
    }
    std::copy(value.begin(), value.end(), bytes.begin());
    return Replace(path, ambiguous, prompter, name, bytes);
}

} // namespace orvix
