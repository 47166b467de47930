#include "storage/card_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <utility>

namespace orvix {

namespace {

// The cards this process holds locked, by the folder's (device, inode): the open folder that
// holds the flock, and how many CardLocks share it; the last one to go closes it.
struct HeldCard {
    int fd = -1;
    int count = 0;
    bool exclusive = false;
};
struct HeldCards {
    std::mutex mutex;
    std::map<std::pair<std::uint64_t, std::uint64_t>, HeldCard> count;
};

HeldCards& Held() {
    static HeldCards held;
    return held;
}

constexpr std::chrono::milliseconds kRetryEvery{100};

} // namespace

CardLock::CardLock(const std::filesystem::path& folder, std::chrono::milliseconds wait, Mode mode) {
    const bool exclusive = mode == Mode::Exclusive;
    const std::filesystem::path open = folder.empty() ? std::filesystem::path(".") : folder;
    fd_ = ::open(open.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat status {};
    if (fd_ < 0 || ::fstat(fd_, &status) != 0) {
        state_ = State::Failed;
        error_ = FileError{folder, std::generic_category().message(errno)};
        Release();
        return;
    }
    device_ = static_cast<std::uint64_t>(status.st_dev);
    inode_ = static_cast<std::uint64_t>(status.st_ino);
    HeldCards& held = Held();
    std::unique_lock guard(held.mutex);
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (true) {
        // This process holds it already: the lock is shared within it. A writer inside a
        // reader is refused: making a held flock exclusive may drop it on the way.
        if (const auto it = held.count.find({device_, inode_}); it != held.count.end()) {
            if (exclusive && !it->second.exclusive) {
                state_ = State::Failed;
                error_ = FileError{folder, "held for reading by this program"};
                break;
            }
            ++it->second.count;
            held_ = true;
            state_ = State::Held;
            break;
        }
        if (::flock(fd_, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0) {
            held.count[{device_, inode_}] = HeldCard{std::exchange(fd_, -1), 1, exclusive};
            held_ = true;
            state_ = State::Held;
            break;
        }
        const int code = errno;
        if (code == EINTR) {
            continue;
        }
        if (code == EOPNOTSUPP || code == ENOLCK || code == EINVAL) {
            state_ = State::Unsupported; // used without the lock, as a card always was
            break;
        }
        if (code != EWOULDBLOCK) {
            state_ = State::Failed;
            error_ = FileError{folder, std::generic_category().message(code)};
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            state_ = State::Busy;
            error_ = FileError{folder, "held by another program"};
            break;
        }
        guard.unlock();
        std::this_thread::sleep_for(std::min<std::chrono::milliseconds>(kRetryEvery, wait));
        guard.lock();
    }
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

CardLock::CardLock(CardLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), held_(std::exchange(other.held_, false)),
      device_(other.device_), inode_(other.inode_), state_(other.state_),
      error_(std::move(other.error_)) {
    other.state_ = State::Unsupported;
}

CardLock& CardLock::operator=(CardLock&& other) noexcept {
    if (this != &other) {
        Release();
        fd_ = std::exchange(other.fd_, -1);
        held_ = std::exchange(other.held_, false);
        device_ = other.device_;
        inode_ = other.inode_;
        state_ = std::exchange(other.state_, State::Unsupported);
        error_ = std::move(other.error_);
    }
    return *this;
}

CardLock::~CardLock() {
    Release();
}

void CardLock::Release() {
    if (held_) {
        HeldCards& held = Held();
        const std::lock_guard guard(held.mutex);
        const auto it = held.count.find({device_, inode_});
        if (it != held.count.end() && --it->second.count == 0) {
            ::close(it->second.fd); // closing the folder's last descriptor ends the flock
            held.count.erase(it);
        }
        held_ = false;
    }
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

} // namespace orvix
