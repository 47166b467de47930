#include "calibration/card_folder.h"

#include <map>

namespace orvix {

std::filesystem::path ChooseCardFolder(const std::vector<std::filesystem::path>& media,
                                       const std::filesystem::path& home) {
    // The cards found, by their real paths so that a medium counts once, with the path first seen.
    std::map<std::filesystem::path, std::filesystem::path> cards;
    for (const std::filesystem::path& medium : media) {
        if (platform::HoldsCardImage(medium)) {
            std::error_code error;
            const auto real = std::filesystem::weakly_canonical(medium, error);
            cards.emplace(error ? medium : real, medium);
        }
    }
    return cards.size() == 1 ? cards.begin()->second : home;
}

} // namespace orvix
