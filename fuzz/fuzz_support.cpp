#include "fuzz_support.h"

#include <stdlib.h>
#include <string>

namespace orvix::fuzz {

std::filesystem::path MakeScratchFolder(const char* tag) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / (std::string("orvix2-fuzz-") + tag + "-XXXXXX"))
            .string();
    Require(::mkdtemp(pattern.data()) != nullptr);
    return pattern;
}

} // namespace orvix::fuzz
