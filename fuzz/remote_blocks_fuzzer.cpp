// REMOTEBLK.BIN as the remote extension reads it: whatever its bytes, the checks never read
// outside the file, and blocks that pass have the documented lengths and telling bytes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "options/remote_extension.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string problem;
    const auto blocks = orvix::ParseRemoteBlocks(std::span(data, size), problem);
    if (blocks.has_value() == !problem.empty()) {
        std::abort(); // a refusal always says why, an acceptance never does
    }
    if (blocks) {
        for (std::size_t k = 0; k < orvix::kRemoteBlockCount; ++k) {
            if (blocks->remote[k].size() != orvix::kRemoteFormBlockLengths[k] ||
                blocks->bluetooth[k].size() != orvix::kBluetoothFormBlockLengths[k]) {
                std::abort();
            }
        }
    }
    return 0;
}
