#pragma once

// The card lock: an advisory lock (flock) on the card's folder itself, held while the card's
// files are read, compared and written, and never while a person is asked or told something (a
// writer releases it to ask, then takes it again and reads again). It writes nothing onto the
// card, works on a mounted FAT card, and survives the rename of an atomic write (which gives a
// file a new inode). Two Orvix2 writers on one card thus take turns instead of losing each
// other's change; readers share it, so that they wait only for a writer's reads and writes.

#include <chrono>
#include <filesystem>
#include <string>

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

    enum class Mode {
        Exclusive, // a writer: no other program holds the lock meanwhile
        Shared,    // a reader: other readers may hold it too, no writer
    };

    CardLock() = default;
    // Takes the lock on folder, waiting up to wait while another program holds it in a mode
    // that excludes this one. Within one process the lock is re-entrant: while a CardLock of
    // this process holds the same folder (same device and inode), another is Held at once (but
    // an exclusive one while this process holds it shared is Failed), and its end leaves the
    // first one's lock.
    explicit CardLock(const std::filesystem::path& folder,
                      std::chrono::milliseconds wait = kCardLockWait, Mode mode = Mode::Exclusive);
    CardLock(CardLock&& other) noexcept;
    CardLock& operator=(CardLock&& other) noexcept;
    CardLock(const CardLock&) = delete;
    CardLock& operator=(const CardLock&) = delete;
    ~CardLock();

    State GetState() const { return state_; }
    // Held or Unsupported: the caller may go on.
    bool MayWrite() const { return state_ == State::Held || state_ == State::Unsupported; }
    // Why the lock could not be had (the folder; InUse when busy), for a message's details.
    const FileError& Error() const { return error_; }

private:
    void Release();

    bool held_ = false;    // counted in the process's table of held cards, which keeps the lock
    std::string identity_; // the folder's identity as the seam gives it (device and inode)
    State state_ = State::Unsupported;
    FileError error_;
};

} // namespace orvix
