#include "storage/platform.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <knownfolders.h>
#include <shellapi.h>
#include <shlobj.h>
#include <stdio.h>

#include "storage/file_io.h"

// Where things are on Windows: the local time, the user's folders, the executable's folder, the
// removable drives holding a card and the volumes folders are on.

namespace orvix::platform {

std::vector<std::string> ConsoleArguments(int argc, char** argv) {
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr) {
        return {argv, argv + argc};
    }
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) {
        arguments.push_back(Utf8FromPath(std::filesystem::path(wide[i])));
    }
    ::LocalFree(wide);
    return arguments;
}

std::tm LocalTime(std::time_t seconds) {
    std::tm local{};
    ::localtime_s(&local, &seconds);
    return local;
}

namespace {

std::filesystem::path KnownFolder(const KNOWNFOLDERID& id) {
    wchar_t* folder = nullptr;
    std::filesystem::path found;
    if (::SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &folder) == S_OK) {
        found = folder;
    }
    ::CoTaskMemFree(folder);
    return found;
}

} // namespace

std::filesystem::path HomeFolder() {
    return KnownFolder(FOLDERID_Profile);
}

std::filesystem::path DocumentsFolder() {
    return KnownFolder(FOLDERID_Documents);
}

std::filesystem::path UserSettingsFolder() {
    const std::filesystem::path local = KnownFolder(FOLDERID_LocalAppData);
    return local.empty() ? local : local / L"Orvix2";
}

std::filesystem::path ExecutableFolder() {
    std::wstring buffer(MAX_PATH, L'\0');
    while (true) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            std::error_code error;
            return std::filesystem::current_path(error);
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return std::filesystem::path(buffer).parent_path();
        }
        buffer.resize(buffer.size() * 2); // a long path was cut: try a larger buffer
    }
}

std::vector<std::filesystem::path> MediaFolders() {
    std::vector<std::filesystem::path> folders;
    const DWORD drives = ::GetLogicalDrives();
    for (int letter = 0; letter < 26; ++letter) {
        if ((drives & (1u << letter)) == 0) {
            continue;
        }
        const std::wstring root = {static_cast<wchar_t>(L'A' + letter), L':', L'\\'};
        if (::GetDriveTypeW(root.c_str()) == DRIVE_REMOVABLE) {
            folders.emplace_back(root);
        }
    }
    return folders;
}

std::optional<Volume> VolumeOf(const std::filesystem::path& folder) {
    wchar_t root[MAX_PATH + 1] = {};
    DWORD serial = 0;
    if (::GetFileAttributesW(SystemPath(folder).c_str()) == INVALID_FILE_ATTRIBUTES ||
        !::GetVolumePathNameW(folder.c_str(), root, MAX_PATH + 1) ||
        !::GetVolumeInformationW(root, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) {
        return std::nullopt;
    }
    return Volume{root, "/", FormatVolumeSerial(serial)}; // a drive is mounted whole
}

} // namespace orvix::platform
