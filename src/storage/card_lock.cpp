#include "storage/card_lock.h"

#include <map>
#include <mutex>
#include <thread>
#include <utility>

#include "storage/platform.h"

namespace orvix {

namespace {

// The cards this process holds locked, by the folder's identity: the seam's lock, and how many
// CardLocks share it; the last one to go ends it.
struct HeldCard {
    platform::CardFolderLock lock;
    int count = 0;
    bool exclusive = false;
};
struct HeldCards {
    std::mutex mutex;
    std::map<std::string, HeldCard> count;
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
    HeldCards& held = Held();
    std::unique_lock guard(held.mutex);
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (true) {
        // Each try waits not: the wait is spent here, where this process's table is seen.
        platform::CardFolderLock attempt(open, std::chrono::milliseconds(0),
                                         exclusive ? platform::CardFolderLock::Mode::Exclusive
                                                   : platform::CardFolderLock::Mode::Shared);
        if (attempt.Identity().empty()) {
            state_ = State::Failed;
            error_ = FileError::Of(folder, attempt.GetFailure());
            break;
        }
        identity_ = attempt.Identity();
        // This process holds it already: the lock is shared within it. A writer inside a
        // reader is refused: making a held flock exclusive may drop it on the way.
        if (const auto it = held.count.find(identity_); it != held.count.end()) {
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
        const platform::CardFolderLock::State got = attempt.GetState();
        if (got == platform::CardFolderLock::State::Held) {
            held.count[identity_] = HeldCard{std::move(attempt), 1, exclusive};
            held_ = true;
            state_ = State::Held;
            break;
        }
        if (got == platform::CardFolderLock::State::Unsupported) {
            state_ = State::Unsupported; // used without the lock, as a card always was
            break;
        }
        if (got == platform::CardFolderLock::State::Failed) {
            state_ = State::Failed;
            error_ = FileError::Of(folder, attempt.GetFailure());
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            state_ = State::Busy;
            error_ = FileError::Of(folder, platform::Failure{platform::FailureKind::InUse, 0});
            break;
        }
        guard.unlock();
        std::this_thread::sleep_for(std::min<std::chrono::milliseconds>(kRetryEvery, wait));
        guard.lock();
    }
}

CardLock::CardLock(CardLock&& other) noexcept
    : held_(std::exchange(other.held_, false)), identity_(std::move(other.identity_)),
      state_(other.state_), error_(std::move(other.error_)) {
    other.state_ = State::Unsupported;
}

CardLock& CardLock::operator=(CardLock&& other) noexcept {
    if (this != &other) {
        Release();
        held_ = std::exchange(other.held_, false);
        identity_ = std::move(other.identity_);
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
        const auto it = held.count.find(identity_);
        if (it != held.count.end() && --it->second.count == 0) {
            held.count.erase(it); // the seam's lock goes with the last CardLock
        }
        held_ = false;
    }
}

} // namespace orvix
