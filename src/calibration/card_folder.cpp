#include "calibration/card_folder.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <pwd.h>
#include <string_view>
#include <unistd.h>

namespace orvix {

namespace {

// A card mounted with short names shows startup.bin; the letter case does not count.
bool IsImageName(const std::string& name) {
    constexpr std::string_view kImageName = "startup.bin";
    return std::equal(
        name.begin(), name.end(), kImageName.begin(), kImageName.end(),
        [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

bool HoldsImage(const std::filesystem::path& mount) {
    std::error_code error;
    for (std::filesystem::directory_iterator it(mount, error), end; !error && it != end;
         it.increment(error)) {
        if (IsImageName(it->path().filename().string()) && it->is_regular_file(error)) {
            return true;
        }
    }
    return false;
}

const passwd* CurrentUser() {
    return ::getpwuid(::getuid());
}

} // namespace

std::vector<std::filesystem::path> MountRoots() {
    std::string user;
    if (const char* name = std::getenv("USER"); name != nullptr && name[0] != '\0') {
        user = name;
    } else if (const passwd* entry = CurrentUser(); entry != nullptr) {
        user = entry->pw_name;
    }
    if (user.empty()) {
        return {};
    }
    return {std::filesystem::path("/media") / user, std::filesystem::path("/run/media") / user};
}

std::filesystem::path HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
        return home;
    }
    const passwd* entry = CurrentUser();
    return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "";
}

std::filesystem::path ChooseCardFolder(const std::vector<std::filesystem::path>& roots,
                                       const std::filesystem::path& home) {
    // The mounts found, by their real paths so that a mount counts once, with the path first seen.
    std::map<std::filesystem::path, std::filesystem::path> cards;
    for (const std::filesystem::path& root : roots) {
        std::error_code error;
        for (std::filesystem::directory_iterator it(root, error), end; !error && it != end;
             it.increment(error)) {
            std::error_code entryError;
            if (it->is_directory(entryError) && HoldsImage(it->path())) {
                const auto real = std::filesystem::weakly_canonical(it->path(), entryError);
                cards.emplace(entryError ? it->path() : real, it->path());
            }
        }
    }
    return cards.size() == 1 ? cards.begin()->second : home;
}

} // namespace orvix
