#pragma once

// The fault seam shared by the file helpers of this folder (not for use outside it).

#include <filesystem>

#include "storage/file_io.h"
#include "storage/platform.h"

namespace orvix::detail {

// The injector set by SetFileFaultInjector.
FileFaultInjector& FaultInjector();

// Runs one step (operation(&failure) -> bool), unless the seam of the tests makes it fail
// first, as a medium that failed; false with failure set when the step failed.
template <class Operation>
bool RunFileStep(FileStep step, const std::filesystem::path& file, platform::Failure& failure,
                 Operation operation) {
    if (FaultInjector() && FaultInjector()(step, file)) {
        failure = platform::MediumFailure();
        return false;
    }
    return operation(&failure);
}

} // namespace orvix::detail
