#include "support/other_program.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace orvix::test {

#ifdef _WIN32
FileHeldOpen::FileHeldOpen(const std::filesystem::path& path) {
    const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    handle_ = handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

FileHeldOpen::~FileHeldOpen() {
    if (handle_ != nullptr) {
        ::CloseHandle(handle_);
    }
}
#else
FileHeldOpen::FileHeldOpen(const std::filesystem::path&) {}
FileHeldOpen::~FileHeldOpen() = default;
#endif

} // namespace orvix::test
