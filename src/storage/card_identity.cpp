#include "storage/card_identity.h"

#include <cstdio>
#include <fstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "storage/history_detail.h"

namespace orvix {

namespace {

using detail::SplitText;

VolumeProbe& Probe() {
    static VolumeProbe probe;
    return probe;
}

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

// The filesystem UUID of the device numbered so, from the links in /dev/disk/by-uuid.
std::string SerialOfDevice(dev_t device) {
    std::error_code code;
    for (const auto& link : std::filesystem::directory_iterator("/dev/disk/by-uuid", code)) {
        struct stat target {};
        if (::stat(link.path().c_str(), &target) == 0 && S_ISBLK(target.st_mode) &&
            target.st_rdev == device) {
            return link.path().filename().string();
        }
    }
    return {};
}

// Linux: the longest mount point of /proc/self/mountinfo that holds the folder, and the UUID of
// its device.
std::optional<CardVolume> SystemVolumeOf(const std::filesystem::path& folder) {
    std::error_code code;
    const std::string path = std::filesystem::weakly_canonical(folder, code).string();
    if (code || path.empty()) {
        return std::nullopt;
    }
    std::ifstream mounts("/proc/self/mountinfo");
    std::string line;
    std::optional<CardVolume> best;
    unsigned bestMajor = 0;
    unsigned bestMinor = 0;
    while (std::getline(mounts, line)) {
        const std::vector<std::string_view> fields = SplitText(line, ' ');
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
        best = CardVolume{mount, Unoctal(fields[3]), {}};
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

} // namespace

void SetVolumeProbe(VolumeProbe probe) {
    Probe() = std::move(probe);
}

std::optional<CardVolume> VolumeOf(const std::filesystem::path& folder) {
    return Probe() ? Probe()(folder) : SystemVolumeOf(folder);
}

std::string CardIdentity(const std::filesystem::path& cardFolder) {
    const std::optional<CardVolume> volume = VolumeOf(cardFolder);
    if (!volume || volume->serial.empty()) {
        return {};
    }
    std::error_code code;
    std::filesystem::path folder = std::filesystem::weakly_canonical(cardFolder, code);
    if (code) {
        folder = detail::AbsolutePath(cardFolder);
    }
    std::filesystem::path mount = std::filesystem::weakly_canonical(volume->mountPoint, code);
    if (code) {
        mount = volume->mountPoint;
    }
    const std::filesystem::path inside = folder.lexically_relative(mount);
    if (inside.empty() || *inside.begin() == "..") {
        return {};
    }
    std::string text = (volume->root / inside).lexically_normal().generic_string();
    if (text.empty() || text.front() != '/') {
        text.insert(text.begin(), '/');
    }
    if (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    return volume->serial + ":" + text;
}

} // namespace orvix
