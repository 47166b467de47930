#include "storage/settings_file.h"

#include <SimpleIni.h>
#include <cstdlib>
#include <unistd.h>

#include "storage/file_io.h"
#include "storage/utf8_text.h"

namespace orvix {

namespace {

enum class LoadResult { Loaded, Missing, Failed };

LoadResult LoadProfile(const std::string& iniPath, CSimpleIniA& ini) {
    ini.SetUnicode(true);
    ini.SetMultiKey(true);
    ini.SetSpaces(false);
    std::error_code error;
    const std::filesystem::path path = PathFromUtf8(iniPath);
    if (!std::filesystem::exists(path, error)) {
        return error ? LoadResult::Failed : LoadResult::Missing;
    }
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(path, bytes)) {
        return LoadResult::Failed;
    }
    const SI_Error loaded = ini.LoadData(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return loaded < 0 ? LoadResult::Failed : LoadResult::Loaded;
}

} // namespace

std::string GetProfileString(const std::string& iniPath, const char* section, const char* key,
                             const std::string& defaultValue, std::size_t maxChars) {
    CSimpleIniA ini;
    std::string value = defaultValue;
    if (LoadProfile(iniPath, ini) == LoadResult::Loaded) {
        value = ini.GetValue(section, key, defaultValue.c_str());
    }
    return maxChars == std::string::npos ? value : ui::CutToChars(value, maxChars);
}

int GetProfileInt(const std::string& iniPath, const char* section, const char* key,
                  int defaultValue) {
    CSimpleIniA ini;
    if (LoadProfile(iniPath, ini) != LoadResult::Loaded) {
        return defaultValue;
    }
    const char* text = ini.GetValue(section, key, nullptr);
    if (text == nullptr) {
        return defaultValue;
    }
    const long value = std::strtol(text, nullptr, 10);
    return static_cast<int>(value);
}

bool WriteProfileString(const std::string& iniPath, const char* section, const char* key,
                        const std::string& value) {
    CSimpleIniA ini;
    if (LoadProfile(iniPath, ini) == LoadResult::Failed) {
        return false;
    }
    if (ini.SetValue(section, key, value.c_str(), nullptr, true) < 0) {
        return false;
    }
    std::string text;
    if (ini.Save(text) < 0) {
        return false;
    }
    return WriteTextFileAtomically(PathFromUtf8(iniPath), text);
}

std::filesystem::path ChooseSettingsFolder(const std::filesystem::path& executableFolder,
                                           const char* xdgConfigHome, const char* home) {
    std::error_code error;
    const bool usable = std::filesystem::exists(executableFolder / kSettingsFileName, error) ||
                        ::access(executableFolder.c_str(), W_OK) == 0;
    std::filesystem::path folder =
        PickSettingsFolder(executableFolder, usable, xdgConfigHome, home);
    if (folder != executableFolder) {
        std::filesystem::create_directories(folder, error);
    }
    return folder;
}

std::filesystem::path PickSettingsFolder(const std::filesystem::path& executableFolder,
                                         bool executableFolderUsable, const char* xdgConfigHome,
                                         const char* home) {
    if (executableFolderUsable) {
        return executableFolder;
    }
    std::filesystem::path config;
    if (xdgConfigHome != nullptr && xdgConfigHome[0] == '/') {
        config = xdgConfigHome;
    } else if (home != nullptr && home[0] != '\0') {
        config = std::filesystem::path(home) / ".config";
    } else {
        return executableFolder;
    }
    return config / "Orvix2";
}

std::filesystem::path ExecutableFolder() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return std::filesystem::current_path(error);
    }
    return self.parent_path();
}

} // namespace orvix
