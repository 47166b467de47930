#include "storage/platform.h"

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

// Where things are on a POSIX system: the local time, the user's folders, the executable's
// folder, the mounted cards and the volumes they are on.

namespace orvix::platform {

std::vector<std::string> ConsoleArguments(int argc, char** argv) {
    return {argv, argv + argc};
}

std::tm LocalTime(std::time_t seconds) {
    std::tm local{};
    ::localtime_r(&seconds, &local);
    return local;
}

std::filesystem::path HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
        return home;
    }
    const passwd* user = ::getpwuid(::getuid());
    return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "";
}

std::filesystem::path DocumentsFolder() {
    return HomeFolder(); // ~/Documents is a desktop's, named in its language
}

std::filesystem::path UserSettingsFolder() {
    if (const char* config = std::getenv("XDG_CONFIG_HOME");
        config != nullptr && config[0] == '/') {
        return std::filesystem::path(config) / "Orvix2";
    }
    const std::filesystem::path home = HomeFolder();
    return home.empty() ? home : home / ".config" / "Orvix2";
}

std::filesystem::path ExecutableFolder() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::current_path(error) : self.parent_path();
}

std::vector<std::filesystem::path> MediaFolders() {
    std::string user;
    if (const char* name = std::getenv("USER"); name != nullptr && name[0] != '\0') {
        user = name;
    } else if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr) {
        user = entry->pw_name;
    }
    std::vector<std::filesystem::path> folders;
    if (user.empty()) {
        return folders;
    }
    for (const std::filesystem::path& root :
         {std::filesystem::path("/media") / user, std::filesystem::path("/run/media") / user}) {
        std::vector<FolderEntry> entries;
        if (ListFolder(root, entries)) {
            for (const FolderEntry& entry : entries) {
                if (entry.isFolder) {
                    folders.push_back(root / entry.name);
                }
            }
        }
    }
    return folders;
}

namespace {

// mountinfo writes a space, a tab, a line break and a backslash in a path as octal escapes.
std::string Unoctal(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() &&
            text.substr(i + 1, 3).find_first_not_of("01234567") == std::string_view::npos) {
            out += static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 +
                                     (text[i + 3] - '0'));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool Within(const std::string& path, const std::string& mount) {
    return mount == "/" || path == mount || path.starts_with(mount + "/");
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    for (std::size_t start = 0; start <= line.size();) {
        const std::size_t end = std::min(line.find(' ', start), line.size());
        fields.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

// The filesystem UUID of the device numbered so, from the links in /dev/disk/by-uuid.
std::string SerialOfDevice(dev_t device) {
    const std::filesystem::path byUuid = "/dev/disk/by-uuid";
    std::vector<FolderEntry> entries;
    if (!ListFolder(byUuid, entries)) {
        return {};
    }
    for (const FolderEntry& entry : entries) {
        struct stat target {};
        if (::stat((byUuid / entry.name).c_str(), &target) == 0 && S_ISBLK(target.st_mode) &&
            target.st_rdev == device) {
            return entry.name;
        }
    }
    return {};
}

} // namespace

std::optional<Volume> VolumeOf(const std::filesystem::path& folder) {
    std::error_code code;
    const std::string path = std::filesystem::weakly_canonical(folder, code).string();
    if (code || path.empty()) {
        return std::nullopt;
    }
    std::ifstream mounts("/proc/self/mountinfo");
    std::string line;
    std::optional<Volume> best;
    unsigned bestMajor = 0;
    unsigned bestMinor = 0;
    while (std::getline(mounts, line)) {
        const std::vector<std::string_view> fields = Fields(line);
        if (fields.size() < 5) {
            continue;
        }
        const std::string mount = Unoctal(fields[4]);
        if (!Within(path, mount) || (best && mount.size() < best->mountPoint.string().size())) {
            continue;
        }
        unsigned major = 0;
        unsigned minor = 0;
        if (std::sscanf(std::string(fields[2]).c_str(), "%u:%u", &major, &minor) != 2) {
            continue;
        }
        best = Volume{mount, Unoctal(fields[3]), {}};
        bestMajor = major;
        bestMinor = minor;
    }
    if (!best) {
        return std::nullopt;
    }
    best->serial = SerialOfDevice(makedev(bestMajor, bestMinor));
    if (best->serial.empty()) {
        return std::nullopt;
    }
    return best;
}

} // namespace orvix::platform
