#include "storage/settings_file.h"

#include <SimpleIni.h>
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <numeric>
#include <optional>

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

std::string Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The section a line opens ("[FILE]" opens FILE), or nothing.
std::optional<std::string> SectionOf(std::string_view line) {
    const std::string trimmed = Trimmed(line);
    if (trimmed.size() < 2 || trimmed.front() != '[' || trimmed.find(']') == std::string::npos) {
        return std::nullopt;
    }
    return Trimmed(std::string_view(trimmed).substr(1, trimmed.find(']') - 1));
}

// The key of a "key=value" line, or nothing for comments and lines without "=".
std::optional<std::string> KeyOf(std::string_view line) {
    const std::string trimmed = Trimmed(line);
    const auto equals = trimmed.find('=');
    if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '#' || equals == std::string::npos) {
        return std::nullopt;
    }
    return Trimmed(std::string_view(trimmed).substr(0, equals));
}

// /usr and the folders below it, where installed programs live.
bool IsSystemFolder(const std::filesystem::path& folder) {
    const std::filesystem::path below = folder.lexically_normal().lexically_relative("/usr");
    return folder.is_absolute() && !below.empty() && *below.begin() != "..";
}

} // namespace

std::string SetProfileLine(const std::string& text, const char* section, const char* key,
                           const std::string& value) {
    // The lines with their endings, so that every line but the one changed stays as it was.
    // A line ends at CR LF, LF or a lone CR, as the reader takes them.
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find_first_of("\r\n", start);
        const std::size_t next = end == std::string::npos            ? text.size()
                                 : text.compare(end, 2, "\r\n") == 0 ? end + 2
                                                                     : end + 1;
        lines.push_back(text.substr(start, next - start));
        start = next;
    }
    const std::string newline = text.find("\r\n") != std::string::npos ? "\r\n"
                                : text.find('\r') != std::string::npos ? "\r"
                                                                       : "\n";
    const auto content = [](const std::string& line) {
        std::string_view view(line);
        while (!view.empty() && (view.back() == '\n' || view.back() == '\r')) {
            view.remove_suffix(1);
        }
        return view;
    };
    const std::string entry = std::string(key) + "=" + value;

    std::optional<std::size_t> sectionAt;
    std::size_t insertAt = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = content(lines[i]);
        if (const auto name = SectionOf(line)) {
            if (sectionAt) {
                break; // the end of our section
            }
            if (SameName(*name, section)) {
                sectionAt = i;
                insertAt = i + 1;
            }
            continue;
        }
        if (!sectionAt) {
            continue;
        }
        if (const auto name = KeyOf(line); name && SameName(*name, key)) {
            lines[i] = entry + lines[i].substr(line.size());
            return std::accumulate(lines.begin(), lines.end(), std::string());
        }
        if (!Trimmed(line).empty()) {
            insertAt = i + 1; // after the last line of the section that is not blank
        }
    }
    if (!lines.empty() && content(lines.back()).size() == lines.back().size()) {
        lines.back() += newline; // the last line had no ending
    }
    if (sectionAt) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry + newline);
    } else {
        lines.push_back("[" + std::string(section) + "]" + newline);
        lines.push_back(entry + newline);
    }
    return std::accumulate(lines.begin(), lines.end(), std::string());
}

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
    if (text == nullptr || *text == '\0') {
        return defaultValue; // an empty value counts as none, as the platform reads it
    }
    return static_cast<int>(std::strtol(text, nullptr, 10));
}

bool WriteProfileString(const std::string& iniPath, const char* section, const char* key,
                        const std::string& value) {
    const std::filesystem::path path = PathFromUtf8(iniPath);
    std::error_code error;
    std::vector<std::uint8_t> bytes;
    if (std::filesystem::exists(path, error) && !ReadWholeFile(path, bytes)) {
        return false; // a file that cannot be read is never overwritten
    }
    if (error) {
        return false;
    }
    const std::string text(bytes.begin(), bytes.end());
    return WriteTextFileAtomically(path, SetProfileLine(text, section, key, value));
}

std::filesystem::path ChooseSettingsFolder(const std::filesystem::path& executableFolder,
                                           const std::filesystem::path& userFolder) {
    std::error_code error;
    // An installed program's folder belongs to the package manager, even when root may write to it.
    const bool usable = !IsSystemFolder(executableFolder) &&
                        (std::filesystem::exists(executableFolder / kSettingsFileName, error) ||
                         (platform::WritableProgramFolderServes() &&
                          platform::CheckFolderWritable(executableFolder)));
    std::filesystem::path folder = PickSettingsFolder(executableFolder, usable, userFolder);
    if (folder != executableFolder) {
        std::filesystem::create_directories(folder, error);
    }
    return folder;
}

std::filesystem::path PickSettingsFolder(const std::filesystem::path& executableFolder,
                                         bool executableFolderUsable,
                                         const std::filesystem::path& userFolder) {
    return executableFolderUsable || userFolder.empty() ? executableFolder : userFolder;
}

} // namespace orvix
