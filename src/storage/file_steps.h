#pragma once

// The fault seam shared by the file helpers of this folder (not for use outside it).

#include <cstdint>
#include <filesystem>
#include <span>

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

// WriteFileAtomically of one content, all but the last step: the new file is in place and on the
// disk, but its name is not until its folder is flushed (FlushFolderOf), which the caller does
// later, so that one flush of the disk's journal can serve that folder and another.
bool WriteFileLeavingFolder(const std::filesystem::path& path,
                            std::span<const std::uint8_t> content, FileError* error);
// Flushes the folder of file (the seam's FolderFlush step of that file).
bool FlushFolderOf(const std::filesystem::path& file, FileError* error);

} // namespace orvix::detail
