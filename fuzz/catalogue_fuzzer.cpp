// The English catalogue (orvix2.mo) of any content: it is read whole or not at all, never out of
// its bytes, and every text read is one the file holds.
//
// Input: the file's bytes.

#include "fuzz_support.h"
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "resources/translation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto catalogue = orvix::ParseMoFile(bytes);
    if (!catalogue) {
        return 0;
    }
    Require(catalogue->size() <= size / 8);
    int checked = 0;
    for (const auto& [japanese, english] : *catalogue) {
        Require(!japanese.empty() && !english.empty());
        if (++checked <= 32) {
            Require(bytes.find(japanese) != std::string_view::npos);
            Require(bytes.find(english) != std::string_view::npos);
        }
    }
    return 0;
}
