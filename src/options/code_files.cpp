#include "options/code_files.h"

#include <algorithm>

#include "storage/file_io.h"

namespace orvix {

std::filesystem::path CodeFolder(const EditorDocument& document) {
    if (!document.codeFolder.empty()) {
        return PathFromUtf8(document.codeFolder);
    }
    return PathFromUtf8(document.iniPath).parent_path();
}

std::optional<std::vector<std::uint8_t>> ReadCodeFile(const EditorDocument& document,
                                                      std::string_view name, std::size_t maxSize,
                                                      std::string& detail) {
    const std::filesystem::path path = CodeFolder(document) / std::string(name);
    std::vector<std::uint8_t> bytes;
    FileError error;
    if (!ReadWholeFile(path, bytes, &error)) {
        detail = error.Describe();
        return std::nullopt;
    }
    if (bytes.size() > maxSize) {
        // Cut, it would be half a program; the place keeps what it has.
        detail = FileError{path, "longer than " + std::to_string(maxSize) + " bytes"}.Describe();
        return std::nullopt;
    }
    if (std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; })) {
        // No code at all: a hook into it would run zero bytes.
        detail = FileError{path, bytes.empty() ? "empty" : "holds only zero bytes"}.Describe();
        return std::nullopt;
    }
    return bytes;
}

} // namespace orvix
