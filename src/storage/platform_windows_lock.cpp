#include "storage/platform.h"

// The card's lock on Windows and the identity of a file it is keyed by: a named mutex per card
// folder, which another process of Orvix2 sees whatever path it took to the folder.

#include <windows.h>

#include <mutex>
#include <set>
#include <thread>
#include <xxhash.h>

namespace orvix::platform {

namespace {

// The cards this process holds: the mutex alone would let its owning thread take it again.
struct HeldCards {
    std::mutex mutex;
    std::set<std::string> identities;
};

HeldCards& Held() {
    static HeldCards held;
    return held;
}

HANDLE AsHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

} // namespace

std::string FileIdentity(const std::filesystem::path& path) {
    const HANDLE handle =
        ::CreateFileW(SystemPath(path).c_str(), FILE_READ_ATTRIBUTES,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION information{};
    const bool known =
        handle != INVALID_HANDLE_VALUE && ::GetFileInformationByHandle(handle, &information);
    const DWORD code = ::GetLastError();
    if (handle != INVALID_HANDLE_VALUE) {
        ::CloseHandle(handle);
    }
    ::SetLastError(code); // the caller's LastFailure
    if (!known) {
        return {};
    }
    // The volume and the file index identify the file whatever drive letter it has now.
    const std::uint64_t index =
        (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow;
    return FormatVolumeSerial(information.dwVolumeSerialNumber) + ":" + std::to_string(index);
}

CardFolderLock::CardFolderLock(const std::filesystem::path& folder, std::chrono::milliseconds wait,
                               Mode mode) {
    const std::filesystem::path open = folder.empty() ? std::filesystem::path(".") : folder;
    identity_ = FileIdentity(open);
    if (identity_.empty()) {
        failure_ = LastFailure();
        return;
    }
    failure_ = Failure{};
    if (mode == Mode::Shared) {
        state_ = State::Held; // a named mutex cannot be shared: a reader takes none
        return;
    }
    wchar_t hash[17];
    ::swprintf(hash, 17, L"%016llx",
               static_cast<unsigned long long>(XXH3_64bits(identity_.data(), identity_.size())));
    const std::wstring name = std::wstring(L"Local\\Orvix2-card-") + hash;
    const HANDLE mutex = ::CreateMutexW(nullptr, FALSE, name.c_str());
    if (mutex == nullptr) {
        failure_ = LastFailure();
        return;
    }
    HeldCards& held = Held();
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (true) {
        {
            const std::lock_guard guard(held.mutex);
            if (held.identities.count(identity_) == 0) {
                const DWORD result = ::WaitForSingleObject(mutex, 0);
                // An abandoned mutex is one whose holder ended without letting go: ours now.
                if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) {
                    held.identities.insert(identity_);
                    handle_ = reinterpret_cast<std::intptr_t>(mutex);
                    state_ = State::Held;
                    return;
                }
                if (result == WAIT_FAILED) {
                    failure_ = LastFailure();
                    ::CloseHandle(mutex);
                    return;
                }
            }
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            state_ = State::Busy;
            failure_ = FailureOfCode(ERROR_LOCK_VIOLATION);
            ::CloseHandle(mutex);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

void CardFolderLock::Release() {
    if (handle_ == -1) {
        return;
    }
    HeldCards& held = Held();
    const std::lock_guard guard(held.mutex);
    ::ReleaseMutex(AsHandle(handle_));
    ::CloseHandle(AsHandle(handle_));
    held.identities.erase(identity_);
    handle_ = -1;
}
} // namespace orvix::platform
