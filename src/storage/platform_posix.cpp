#include "storage/platform.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <utility>

namespace orvix::platform {

FailureKind KindOfCode(int code) {
    switch (code) {
    case ENOENT:
    case ENOTDIR:
        return FailureKind::NotFound;
    case EACCES:
    case EPERM:
    case EROFS:
        return FailureKind::NoPermission;
    case EBUSY:
    case ETXTBSY:
    case EWOULDBLOCK:
        return FailureKind::InUse;
    case ENOSPC:
    case EDQUOT:
        return FailureKind::NoSpace;
    case EIO:
        return FailureKind::InputOutput;
    case EEXIST:
        return FailureKind::Exists;
    default:
        return FailureKind::Other;
    }
}

Failure FailureOfCode(int code) {
    return Failure{KindOfCode(code), code};
}

bool HasPosixFiles() {
    return true;
}

std::filesystem::path SystemPath(const std::filesystem::path& path) {
    return path; // PATH_MAX is the kernel's: nothing to do about it here
}

bool WritableProgramFolderServes() {
    return true;
}

Failure FailureOfError(const std::error_code& error) {
    // Both categories hold errno values here.
    return FailureOfCode(error.value());
}

Failure MediumFailure() {
    return FailureOfCode(EIO);
}

Failure LastFailure() {
    return FailureOfCode(errno != 0 ? errno : EIO);
}

namespace {

bool Fail(Failure* failure, Failure value) {
    if (failure != nullptr) {
        *failure = std::move(value);
    }
    return false;
}

bool FailLast(Failure* failure) {
    return Fail(failure, LastFailure());
}

std::int64_t TimeOf(const struct stat& status) {
    return static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 +
           status.st_mtim.tv_nsec;
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t done = ::write(fd, data, size);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            errno = done == 0 ? EIO : errno;
            return false;
        }
        data += done;
        size -= static_cast<std::size_t>(done);
    }
    return true;
}

} // namespace

bool ReadWhole(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
               std::uintmax_t maxSize, Failure* failure) {
    // Not blocking, so that a pipe cannot hang the program before it is refused.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return FailLast(failure);
    }
    struct stat status {};
    Failure refusal;
    bool refused = true;
    if (::fstat(fd, &status) != 0) {
        refusal = LastFailure();
    } else if (!S_ISREG(status.st_mode)) {
        refusal = Failure{FailureKind::NotAFile, 0};
    } else {
        refused = false;
    }
    std::vector<std::uint8_t> read;
    if (!refused && static_cast<std::uintmax_t>(status.st_size) <= maxSize) {
        read.reserve(static_cast<std::size_t>(status.st_size)); // one allocation as a rule
    }
    std::uint8_t buffer[65536];
    while (!refused) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            refusal = LastFailure();
            refused = true;
        } else if (got == 0) {
            break;
        } else if (read.size() + static_cast<std::size_t>(got) > maxSize) {
            refusal = Failure{FailureKind::TooLarge, 0};
            refused = true;
        } else {
            read.insert(read.end(), buffer, buffer + got);
        }
    }
    ::close(fd);
    if (refused) {
        return Fail(failure, std::move(refusal));
    }
    bytes = std::move(read);
    return true;
}

bool CheckWritable(const std::filesystem::path& path, Failure* failure) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return errno == ENOENT || FailLast(failure);
    }
    if (!S_ISREG(status.st_mode)) {
        return Fail(failure, Failure{FailureKind::NotAFile, 0});
    }
    // Root may write anything: a file without any write bit is refused all the same.
    if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        return Fail(failure, FailureOfCode(EACCES));
    }
    return ::access(path.c_str(), W_OK) == 0 || FailLast(failure);
}

bool CheckFolderWritable(const std::filesystem::path& folder, Failure* failure) {
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0) {
        return FailLast(failure);
    }
    if (!S_ISDIR(status.st_mode)) {
        return Fail(failure, FailureOfCode(ENOTDIR));
    }
    return ::access(folder.c_str(), W_OK | X_OK) == 0 || FailLast(failure);
}

void TemporaryFile::Discard() {
    if (handle_ >= 0) {
        ::close(static_cast<int>(handle_));
        handle_ = -1;
    }
    if (!path_.empty()) {
        ::unlink(path_.c_str());
        path_.clear();
    }
}

bool TemporaryFile::Create(const std::filesystem::path& target, Failure* failure) {
    Discard();
    target_ = target;
    const std::filesystem::path folder = target.parent_path().empty() ? "." : target.parent_path();
    // Built by appending: GCC 12 sees a false overlapping copy in "." + name at -O3.
    std::string name(1, '.');
    name.append(target.filename().string()).append(".XXXXXX");
    std::string pattern = (folder / name).string();
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) {
        return FailLast(failure);
    }
    handle_ = fd;
    path_ = pattern;
    // The new file keeps the old one's mode, and its owner (else its group) where the user may
    // set it; a new target gets the mode of any new file.
    struct stat old {};
    mode_t mode = 0;
    if (::stat(target.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
            [[maybe_unused]] const int group = ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
        }
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    // A file system without modes (FAT) refuses with EPERM: its files keep the mount's mode.
    if (::fchmod(fd, mode) != 0 && errno != EPERM) {
        const Failure reason = LastFailure();
        Discard();
        return Fail(failure, reason);
    }
    return true;
}

bool TemporaryFile::Write(std::span<const std::uint8_t> bytes, Failure* failure) {
    if (handle_ < 0) {
        return Fail(failure, FailureOfCode(EBADF));
    }
    if (!WriteAll(static_cast<int>(handle_), bytes.data(), bytes.size())) {
        return FailLast(failure);
    }
#ifdef __linux__
    // Starts putting the data on the disk now (no waiting): the flush of another file that comes
    // first then commits this one's blocks as well, and this one's own flush finds little to do.
    ::sync_file_range(static_cast<int>(handle_), 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
    return true;
}

bool TemporaryFile::FlushAndClose(Failure* failure) {
    if (handle_ < 0) {
        return Fail(failure, FailureOfCode(EBADF));
    }
    const int fd = static_cast<int>(std::exchange(handle_, -1));
    const bool flushed = ::fsync(fd) == 0;
    const Failure reason = flushed ? Failure{} : LastFailure();
    const bool closed = ::close(fd) == 0;
    if (!flushed || !closed) {
        return Fail(failure, flushed ? LastFailure() : reason);
    }
    return true;
}

bool TemporaryFile::Commit(Failure* failure) {
    if (handle_ >= 0 || path_.empty()) {
        return Fail(failure, FailureOfCode(EBADF));
    }
    if (!RenameOver(path_, target_, failure)) {
        return false;
    }
    path_.clear();
    return true;
}

std::filesystem::path TemporaryFile::Keep() {
    if (handle_ >= 0) {
        ::close(static_cast<int>(std::exchange(handle_, -1)));
    }
    return std::exchange(path_, {});
}

bool CreateNew(const std::filesystem::path& from, const std::filesystem::path& to,
               Failure* failure) {
    // A hard link takes the name only where none is; the second name then goes.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return true;
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK && errno != ENOSYS) {
        return FailLast(failure);
    }
    // A file system without links (FAT): the name taken exclusively first, then renamed over.
    const int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        return FailLast(failure);
    }
    ::close(fd);
    if (::rename(from.c_str(), to.c_str()) == 0) {
        return true;
    }
    const Failure reason = LastFailure();
    ::unlink(to.c_str());
    return Fail(failure, reason);
}

bool RenameOver(const std::filesystem::path& from, const std::filesystem::path& to,
                Failure* failure) {
    return ::rename(from.c_str(), to.c_str()) == 0 || FailLast(failure);
}

bool RemoveFile(const std::filesystem::path& path, Failure* failure) {
    return ::unlink(path.c_str()) == 0 || FailLast(failure);
}

bool FlushFolder(const std::filesystem::path& folder, Failure* failure) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return FailLast(failure);
    }
    // A file system that cannot flush a folder (EINVAL, ENOTSUP) has nothing to flush.
    const bool flushed = ::fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP;
    const Failure reason = flushed ? Failure{} : LastFailure();
    ::close(fd);
    return flushed || Fail(failure, reason);
}

bool ListFolder(const std::filesystem::path& folder, std::vector<FolderEntry>& entries,
                Failure* failure) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return FailLast(failure);
    }
    std::vector<FolderEntry> found;
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        // Relative to the open folder: thousands of entries are listed in milliseconds.
        struct stat status {};
        const bool known = ::fstatat(::dirfd(dir), entry->d_name, &status, 0) == 0;
        found.push_back({name, known && S_ISDIR(status.st_mode), known && S_ISREG(status.st_mode),
                         known ? static_cast<std::uint64_t>(status.st_size) : 0,
                         known ? TimeOf(status) : 0});
        errno = 0;
    }
    const int code = errno;
    ::closedir(dir);
    if (code != 0) {
        return Fail(failure, FailureOfCode(code));
    }
    entries = std::move(found);
    return true;
}

FileStamp StampOf(const std::filesystem::path& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) {
        return {};
    }
    return FileStamp{true, S_ISLNK(status.st_mode), S_ISREG(status.st_mode),
                     static_cast<std::uint64_t>(status.st_size), TimeOf(status)};
}

std::string FileIdentity(const std::filesystem::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return {};
    }
    return std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino);
}

CardFolderLock::CardFolderLock(const std::filesystem::path& folder, std::chrono::milliseconds wait,
                               Mode mode) {
    const std::filesystem::path open = folder.empty() ? std::filesystem::path(".") : folder;
    const int fd = ::open(open.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat status {};
    if (fd < 0 || ::fstat(fd, &status) != 0) {
        failure_ = LastFailure();
        if (fd >= 0) {
            ::close(fd);
        }
        return;
    }
    identity_ = FileIdentity(open);
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (true) {
        if (::flock(fd, (mode == Mode::Shared ? LOCK_SH : LOCK_EX) | LOCK_NB) == 0) {
            handle_ = fd;
            state_ = State::Held;
            return;
        }
        const int code = errno;
        if (code == EINTR) {
            continue;
        }
        if (code != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
            const bool unsupported = code == EOPNOTSUPP || code == ENOLCK || code == EINVAL;
            state_ = code == EWOULDBLOCK ? State::Busy
                     : unsupported       ? State::Unsupported
                                         : State::Failed;
            failure_ = FailureOfCode(code);
            ::close(fd);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

void CardFolderLock::Release() {
    if (handle_ >= 0) {
        ::close(static_cast<int>(handle_)); // closing the descriptor ends the flock
        handle_ = -1;
    }
}

} // namespace orvix::platform
