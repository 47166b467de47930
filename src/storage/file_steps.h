#pragma once

// The fault seam shared by the file helpers of this folder (not for use outside it).

#include <cerrno>
#include <filesystem>

#include "storage/file_io.h"

namespace orvix::detail {

// The injector set by SetFileFaultInjector.
FileFaultInjector& FaultInjector();

// Runs one step, unless the seam of the tests makes it fail first; false with errno set when
// the step failed.
template <class Operation>
bool RunFileStep(FileStep step, const std::filesystem::path& file, Operation operation) {
    if (FaultInjector() && FaultInjector()(step, file)) {
        errno = EIO;
        return false;
    }
    errno = 0;
    if (operation()) {
        return true;
    }
    errno = errno != 0 ? errno : EIO;
    return false;
}

} // namespace orvix::detail
