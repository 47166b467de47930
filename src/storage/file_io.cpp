#include "storage/file_io.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace orvix {

namespace {

FileFaultInjector& Injector() {
    static FileFaultInjector injector;
    return injector;
}

// Runs one step, unless the seam of the tests makes it fail first; false with errno set when
// the step failed.
template <class Operation>
bool Run(FileStep step, const std::filesystem::path& file, Operation operation) {
    if (Injector() && Injector()(step, file)) {
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

bool Fail(FileError* error, const std::filesystem::path& path, std::string reason) {
    if (error != nullptr) {
        *error = FileError{path, std::move(reason)};
    }
    return false;
}

bool FailErrno(FileError* error, const std::filesystem::path& path, int code) {
    return Fail(error, path, std::generic_category().message(code));
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// Flushes a folder's entries to the disk. A file system that cannot flush folders says so with
// EINVAL; that is no failure of ours.
bool SyncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) {
        return false;
    }
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP;
    const int code = errno;
    ::close(fd);
    errno = code;
    return ok;
}

// The file that a write to path replaces: path itself, or the end of its chain of links.
std::filesystem::path WriteTarget(const std::filesystem::path& path) {
    std::filesystem::path target = path;
    std::error_code error;
    for (int hops = 0; hops < 40 && std::filesystem::is_symlink(target, error); ++hops) {
        const std::filesystem::path link = std::filesystem::read_symlink(target, error);
        if (error) {
            break;
        }
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
    return target;
}

std::string TemporaryPattern(const std::filesystem::path& target) {
    std::string name = ".";
    name += target.filename().string();
    name += ".tmp-XXXXXX";
    return (target.parent_path() / name).string();
}

} // namespace

std::string FileError::Describe() const {
    return path.string() + ": " + reason;
}

bool ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
                   FileError* error) {
    if (!Run(FileStep::Read, path, [] { return true; })) {
        return FailErrno(error, path, errno);
    }
    // Not blocking, so that a pipe cannot hang the program before it is refused.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return FailErrno(error, path, errno);
    }
    struct stat status {};
    std::string refusal;
    if (::fstat(fd, &status) != 0) {
        refusal = std::generic_category().message(errno);
    } else if (!S_ISREG(status.st_mode)) {
        refusal = "not a regular file";
    } else if (static_cast<std::uintmax_t>(status.st_size) > kMaxReadSize) {
        refusal = "larger than 64 MiB";
    }
    std::vector<std::uint8_t> read(refusal.empty() ? static_cast<std::size_t>(status.st_size) : 0);
    std::size_t done = 0;
    while (refusal.empty()) {
        if (done == read.size()) {
            // The file may have grown since it was measured; read on up to the limit.
            if (read.size() > kMaxReadSize) {
                refusal = "larger than 64 MiB";
                break;
            }
            read.resize(read.size() + 65536);
        }
        const ssize_t got = ::read(fd, read.data() + done, read.size() - done);
        if (got < 0 && errno != EINTR) {
            refusal = std::generic_category().message(errno);
        } else if (got == 0) {
            break;
        } else if (got > 0) {
            done += static_cast<std::size_t>(got);
        }
    }
    ::close(fd);
    if (!refusal.empty()) {
        return Fail(error, path, refusal);
    }
    read.resize(done);
    bytes = std::move(read);
    return true;
}

bool WriteFileAtomically(const std::filesystem::path& path,
                         std::initializer_list<std::span<const std::uint8_t>> parts,
                         FileError* error) {
    const std::filesystem::path target = WriteTarget(path);
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT) {
        return FailErrno(error, path, errno);
    }
    if (exists && !S_ISREG(existing.st_mode)) {
        return Fail(error, path, "not a regular file");
    }
    // A file without any write bit is the user's "read-only", which root would write past.
    if (exists && ((existing.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0)) {
        return FailErrno(error, path, EACCES);
    }

    std::string temporary = TemporaryPattern(target);
    int fd = -1;
    if (!Run(FileStep::OpenTemporary, target,
             [&] { return (fd = ::mkstemp(temporary.data())) >= 0; })) {
        return FailErrno(error, path, errno);
    }
    mode_t mode = existing.st_mode & 07777;
    if (exists) {
        // Keep the owner where we may set it (root may; a group the user is in, too).
        if (::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
            [[maybe_unused]] const int ignored =
                ::fchown(fd, static_cast<uid_t>(-1), existing.st_gid);
        }
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    // Each step runs only while every one before it succeeded; the first failure's reason stays.
    int code = ::fchmod(fd, mode) == 0 || errno == EPERM ? 0 : errno;
    const auto step = [&](FileStep which, auto operation) {
        if (code == 0 && !Run(which, target, operation)) {
            code = errno;
        }
    };
    for (std::span<const std::uint8_t> part : parts) {
        step(FileStep::Write, [&] { return WriteAll(fd, part); });
    }
    step(FileStep::Flush, [&] { return ::fsync(fd) == 0; });
    if (::close(fd) != 0 && code == 0) {
        code = errno;
    }
    step(FileStep::FolderFlush, [&] { return SyncFolder(target.parent_path()); });
    step(FileStep::Rename, [&] { return ::rename(temporary.c_str(), target.c_str()) == 0; });
    if (code != 0) {
        ::unlink(temporary.c_str());
        return FailErrno(error, path, code);
    }
    SyncFolder(target.parent_path()); // the rename itself; the data is safe already
    return true;
}

bool WriteTextFileAtomically(const std::filesystem::path& path, const std::string& text,
                             FileError* error) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(text.data());
    return WriteFileAtomically(path, {std::span<const std::uint8_t>(data, text.size())}, error);
}

void SetFileFaultInjector(FileFaultInjector injector) {
    Injector() = std::move(injector);
}

std::filesystem::path PathFromUtf8(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

namespace {

std::string Lowered(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

// The entry of folder named as written, else the one entry whose name differs only in letter
// case; several such entries and no exact one (ambiguous), or none, give the name as written.
std::filesystem::path FindEntry(const std::filesystem::path& folder, const std::string& name,
                                bool& ambiguous) {
    ambiguous = false;
    const std::filesystem::path exact = folder / PathFromUtf8(name);
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(exact, error))) {
        return exact;
    }
    const std::string wanted = Lowered(name);
    std::filesystem::path found;
    int matches = 0;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        if (Lowered(Utf8FromPath(it->path().filename())) == wanted) {
            found = it->path();
            ++matches;
        }
    }
    ambiguous = matches > 1;
    return matches == 1 ? found : exact;
}

} // namespace

std::filesystem::path CardFilePath(const std::filesystem::path& folder, const std::string& name,
                                   bool* ambiguous) {
    std::filesystem::path result = folder;
    bool several = false;
    std::string::size_type start = 0;
    while (true) {
        const std::string::size_type slash = name.find('\\', start);
        result = FindEntry(result, name.substr(start, slash - start), several);
        if (slash == std::string::npos) {
            if (ambiguous != nullptr) {
                *ambiguous = several;
            }
            return result;
        }
        start = slash + 1;
    }
}

} // namespace orvix
