#include "storage/card_identity.h"

#include "storage/history_detail.h"
#include "storage/platform.h"

namespace orvix {

namespace {

VolumeProbe& Probe() {
    static VolumeProbe probe;
    return probe;
}

} // namespace

void SetVolumeProbe(VolumeProbe probe) {
    Probe() = std::move(probe);
}

std::optional<CardVolume> VolumeOf(const std::filesystem::path& folder) {
    return Probe() ? Probe()(folder) : platform::VolumeOf(folder);
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
