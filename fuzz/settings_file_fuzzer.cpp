// Orvix2.ini of any content and any place: keys read as a text and as a number, and one key set by
// the line edit and by a write through the file. Whatever the file holds, a second set of the same
// value changes nothing, the file written is the edited text, and a write that fails leaves the
// file as it was.
//
// Input: byte 0 chooses the section and key spellings (letter case, a known or another name),
// byte 1 the value and whether a write step fails; the rest is the file's text.

#include "fuzz_support.h"
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "storage/file_io.h"
#include "storage/settings_file.h"

namespace {

namespace fs = std::filesystem;
using namespace orvix;

const fs::path& Folder() {
    static const fs::path folder = fuzz::MakeScratchFolder("ini");
    return folder;
}

constexpr const char* kSections[] = {"FILE", "file", "RANGE", "Range", "NEW", "Other"};
constexpr const char* kKeys[] = {"PATH", "path", "CHECK_RANGE", "Check_Range", "OTHER", "x"};
constexpr const char* kValues[] = {
    "0", "1", "/media/card/STARTUP.BIN", "", " spaced ", "カード", "-12", "a=b;c"};

std::string ReadText(const fs::path& path) {
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(path, bytes)) {
        return "<missing>";
    }
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const char* section = kSections[data[0] % std::size(kSections)];
    const char* key = kKeys[(data[0] / 8) % std::size(kKeys)];
    const char* value = kValues[data[1] % std::size(kValues)];
    const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);

    // The line edit: the key reads back as set, and setting it again changes nothing.
    const std::string edited = SetProfileLine(text, section, key, value);
    Require(SetProfileLine(edited, section, key, value) == edited);

    // Where the file lives, for any folder and user folder: always a full path.
    constexpr const char* kFolders[] = {"/usr/bin", "/usr/local/bin", "/opt/orvix2", "/home/a/b"};
    constexpr const char* kUsers[] = {"", "/home/a/.config/Orvix2", "/root/.config/Orvix2", "/x"};
    const std::uint8_t where = data[0] ^ data[1];
    const fs::path folder =
        PickSettingsFolder(kFolders[where % 4], (where & 4) != 0, kUsers[(where >> 3) % 4]);
    Require(folder.empty() || folder.is_absolute());

    // Through the file: reads of any content, then a write, or a failed one that keeps the file.
    const fs::path ini = Folder() / kSettingsFileName;
    const std::string path = ini.string();
    {
        std::ofstream out(ini, std::ios::binary | std::ios::trunc);
        out << text;
    }
    (void)GetProfileString(path, kSectionFile, kKeyPath, "none", 259);
    (void)GetProfileInt(path, kSectionRange, kKeyCheckRange, 1);
    (void)GetProfileInt(path, section, key, -1);
    const unsigned failing = data[1] / 8; // 0 to 31: a step of the write, or none
    if (failing < 6) {
        SetFileFaultInjector([failing](FileStep step, const fs::path&) {
            return static_cast<unsigned>(step) == failing;
        });
    }
    const bool written = WriteProfileString(path, section, key, value);
    SetFileFaultInjector(nullptr);
    const std::string after = ReadText(ini);
    if (written) {
        Require(after == edited);
        (void)GetProfileString(path, section, key, "<none>");
    } else {
        Require(after == text);
    }
    return 0;
}
