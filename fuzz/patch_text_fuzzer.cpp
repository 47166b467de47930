// A CSV patch file applied to an image, as the patch button reads it: whatever the text, nothing
// is read or written outside the image, and a file with an error leaves the image as it was.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "options/patch_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> image(4096);
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(i * 7);
    }
    const std::vector<std::uint8_t> before = image;
    const orvix::PatchOutcome outcome =
        orvix::ApplyPatchText(image, std::string_view(reinterpret_cast<const char*>(data), size));
    if (outcome.errors > 0 && image != before) {
        std::abort();
    }
    return 0;
}
