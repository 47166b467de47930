#include "fuzz_support.h"

#include <stdlib.h>
#include <string>
#include <system_error>
#include <vector>

namespace orvix::fuzz {

std::filesystem::path MakeScratchFolder(const char* tag) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / (std::string("orvix2-fuzz-") + tag + "-XXXXXX"))
            .string();
    Require(::mkdtemp(pattern.data()) != nullptr);
    static std::vector<std::filesystem::path> made;
    if (made.empty()) {
        std::atexit([] {
            for (const std::filesystem::path& folder : made) {
                std::error_code ignored;
                std::filesystem::remove_all(folder, ignored);
            }
        });
    }
    made.emplace_back(pattern);
    return pattern;
}

} // namespace orvix::fuzz
