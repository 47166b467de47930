#pragma once

// The card lock: an advisory lock (flock) on the card's folder itself, held for the whole of a
// read-modify-write of the card. It writes nothing onto the card, works on a mounted FAT card,
// and survives the rename of an atomic write (which gives a file a new inode). Two Orvix2
// writers on one card thus take turns instead of losing each other's change.

#include <chrono>
#include <cstdint>
#include <filesystem>

#include "storage/file_io.h"

namespace orvix {

// How long a second writer waits for the lock before it gives up.
inline constexpr std::chrono::milliseconds kCardLockWait{5000};

class CardLock {
public:
    enum class State {
        Held,        // the lock is ours until this object goes
        Unsupported, // the file system cannot lock; the card is used without the lock, as before
        Busy,        // another writer held it for the whole wait
        Failed,      // the folder could not be opened
    };

    CardLock() = default;
    // Takes the lock on folder, waiting up to wait while another writer holds it. Within one
    // process the lock is re-entrant: while a CardLock of this process holds the same folder
    // (same device and inode), another is Held at once, and its end leaves the first one's lock.
    explicit CardLock(const std::filesystem::path& folder,
                      std::chrono::milliseconds wait = kCardLockWait);
    CardLock(CardLock&& other) noexcept;
    CardLock& operator=(CardLock&& other) noexcept;
    CardLock(const CardLock&) = delete;
    CardLock& operator=(const CardLock&) = delete;
    ~CardLock();

    State GetState() const { return state_; }
    // Held or Unsupported: the caller may go on.
    bool MayWrite() const { return state_ == State::Held || state_ == State::Unsupported; }
    // Why the lock could not be had ("FOLDER: held by another program"), for a message's details.
    const FileError& Error() const { return error_; }

private:
    void Release();

    int fd_ = -1;       // the open folder while the lock is being taken
    bool held_ = false; // counted in the process's table of held cards, which keeps the folder open
    std::uint64_t device_ = 0;
    std::uint64_t inode_ = 0;
    State state_ = State::Unsupported;
    FileError error_;
};

} // namespace orvix
