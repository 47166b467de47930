#pragma once

#include <cstddef>
#include <string>

namespace orvix::ui {

// The first maxChars characters (not bytes) of a UTF-8 text.
inline std::string CutToChars(const std::string& text, std::size_t maxChars) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (chars == maxChars) {
                return text.substr(0, i);
            }
            ++chars;
        }
    }
    return text;
}

} // namespace orvix::ui
