#include "storage/file_set_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

#include "storage/file_steps.h"

namespace orvix {

namespace {

constexpr const char* kChangedReason = "changed by another program since it was read";

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

std::filesystem::path FolderOf(const std::filesystem::path& file) {
    return file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
}

// Flushes a folder's entries to the disk. A file system that cannot flush folders says so with
// EINVAL; that is no failure of ours.
bool SyncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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

// One file of the set on its way: where it goes, what it held, its temporary file.
struct Target {
    const FileReplacement* file = nullptr;
    std::filesystem::path target;
    bool existed = false;
    struct stat status {};
    std::optional<std::vector<std::uint8_t>> old; // read where a put-back or a check needs it
    std::string temporary; // empty while there is none; of a removal, where it is set aside
    enum class State { Old, New, PutBack } state = State::Old;
    std::string failure; // why a put-back failed

    bool Removal() const { return file->kind == FileReplacement::Kind::Remove; }
    // A removal of a file that is not there: nothing to do.
    bool Idle() const { return Removal() && !existed; }
};

// Why target may not be replaced ("" when it may): it must be a regular file that may be written
// (a file without any write bit is the user's "read-only", which root would write past), or be
// missing in a folder that exists and may be written.
int CheckTarget(Target& t) {
    t.target = WriteTarget(t.file->path);
    t.existed = ::stat(t.target.c_str(), &t.status) == 0;
    if (!t.existed && errno != ENOENT) {
        return errno;
    }
    if (t.existed && !S_ISREG(t.status.st_mode)) {
        return -1;
    }
    if (t.existed && ((t.status.st_mode & 0222) == 0 || ::access(t.target.c_str(), W_OK) != 0)) {
        return EACCES;
    }
    struct stat folder {};
    if (::stat(FolderOf(t.target).c_str(), &folder) != 0) {
        return errno;
    }
    if (!S_ISDIR(folder.st_mode)) {
        return ENOTDIR;
    }
    return ::access(FolderOf(t.target).c_str(), W_OK | X_OK) == 0 ? 0 : errno;
}

// Writes bytes into a new temporary file beside t's target, with the old file's mode and, where
// the user may set it, its owner, flushed to the disk; each step asks the seam when seam is set.
// 0, or the failure's errno (the temporary file then removed).
int WriteTemporary(Target& t, std::span<const std::uint8_t> bytes, bool seam) {
    const auto run = [&](FileStep step, auto operation) {
        return seam ? detail::RunFileStep(step, t.target, operation) : operation();
    };
    // Appended, not "." + name: GCC 12 warns falsely of an overlapping copy in that form.
    std::string temporaryName = ".";
    temporaryName += t.target.filename().string();
    temporaryName += ".tmp-XXXXXX";
    std::string name = (FolderOf(t.target) / temporaryName).string();
    int fd = -1;
    if (!run(FileStep::OpenTemporary, [&] { return (fd = ::mkstemp(name.data())) >= 0; })) {
        return errno != 0 ? errno : EIO;
    }
    mode_t mode = t.status.st_mode & 07777;
    if (t.existed) {
        if (::fchown(fd, t.status.st_uid, t.status.st_gid) != 0) {
            [[maybe_unused]] const int ignored =
                ::fchown(fd, static_cast<uid_t>(-1), t.status.st_gid);
        }
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    // Each step runs only while every one before it succeeded; the first failure's reason stays.
    int code = ::fchmod(fd, mode) == 0 || errno == EPERM ? 0 : errno;
    const auto step = [&](FileStep which, auto operation) {
        if (code == 0 && !run(which, operation)) {
            code = errno != 0 ? errno : EIO;
        }
    };
    step(FileStep::Write, [&] { return WriteAll(fd, bytes); });
    step(FileStep::Flush, [&] { return ::fsync(fd) == 0; });
    if (::close(fd) != 0 && code == 0) {
        code = errno;
    }
    step(FileStep::FolderFlush, [&] { return SyncFolder(FolderOf(t.target)); });
    if (code != 0) {
        ::unlink(name.c_str());
        return code;
    }
    t.temporary = name;
    return 0;
}

// Makes the empty file a removal renames its target over: a name of its own beside it, which
// the rename takes without ever replacing another file. 0, or the failure's errno.
int ReserveAside(Target& t) {
    std::string name = (FolderOf(t.target) / ".").string();
    name += t.target.filename().string();
    name += ".del-XXXXXX";
    int fd = -1;
    if (!detail::RunFileStep(FileStep::OpenTemporary, t.target,
                             [&] { return (fd = ::mkstemp(name.data())) >= 0; })) {
        return errno != 0 ? errno : EIO;
    }
    ::close(fd);
    t.temporary = name;
    return 0;
}

// Removes the temporary files not yet renamed; a removed file's content set aside stays.
void RemoveTemporaries(std::vector<Target>& targets) {
    for (Target& t : targets) {
        if (!t.temporary.empty() && !(t.Removal() && t.state == Target::State::New)) {
            ::unlink(t.temporary.c_str());
            t.temporary.clear();
        }
    }
}

// Gives a replaced file its old content back, or removes it when it did not exist; a removed
// file is renamed back from where it was set aside.
bool PutBack(Target& t) {
    return detail::RunFileStep(FileStep::PutBack, t.target, [&] {
        if (t.Removal()) {
            if (::rename(t.temporary.c_str(), t.target.c_str()) != 0) {
                return false;
            }
            t.temporary.clear();
            SyncFolder(FolderOf(t.target));
            return true;
        }
        if (!t.existed) {
            return ::unlink(t.target.c_str()) == 0;
        }
        const int code = WriteTemporary(t, *t.old, false);
        if (code != 0) {
            errno = code;
            return false;
        }
        const bool renamed = ::rename(t.temporary.c_str(), t.target.c_str()) == 0;
        const int error = errno;
        if (renamed) {
            SyncFolder(FolderOf(t.target));
        } else {
            ::unlink(t.temporary.c_str());
        }
        t.temporary.clear();
        errno = error;
        return renamed;
    });
}

bool Refuse(FileSetReport& report, const FileReplacement& file, int code) {
    report.outcome = FileSetOutcome::Unchanged;
    report.error = FileError{file.path, code < 0 ? std::string("not a regular file")
                                                 : std::generic_category().message(code)};
    return false;
}

// content, when given, is the one file's new content in place of its bytes (spares a copy).
bool WriteSet(std::span<const FileReplacement> files, FileSetReport& report,
              std::optional<std::span<const std::uint8_t>> content = std::nullopt) {
    std::vector<Target> targets(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        targets[i].file = &files[i];
        if (const int code = CheckTarget(targets[i])) {
            return Refuse(report, files[i], code);
        }
    }
    // The old content of every file that a later file's failure would have to put back (all but
    // the last), and of every file that must still hold what was read.
    for (std::size_t i = 0; i < files.size(); ++i) {
        Target& t = targets[i];
        if (t.existed && ((!t.Removal() && i + 1 < files.size()) || t.file->checkAsRead)) {
            std::vector<std::uint8_t> bytes;
            FileError error;
            if (!ReadWholeFile(t.target, bytes, &error)) {
                report.error = FileError{t.file->path, error.reason};
                return false;
            }
            t.old = std::move(bytes);
        }
        if (t.file->checkAsRead && t.old != t.file->asRead) {
            report.error = FileError{t.file->path, kChangedReason};
            return false;
        }
    }
    for (Target& t : targets) {
        if (t.Idle()) {
            continue;
        }
        if (const int code = t.Removal()
                                 ? ReserveAside(t)
                                 : WriteTemporary(t, content ? *content : t.file->bytes, true)) {
            RemoveTemporaries(targets);
            return Refuse(report, *t.file, code);
        }
    }
    for (std::size_t i = 0; i < targets.size(); ++i) {
        Target& t = targets[i];
        if (t.Idle()) {
            continue;
        }
        if (!detail::RunFileStep(FileStep::Rename, t.target, [&] {
                return t.Removal() ? ::rename(t.target.c_str(), t.temporary.c_str()) == 0
                                   : ::rename(t.temporary.c_str(), t.target.c_str()) == 0;
            })) {
            Refuse(report, *t.file, errno);
            RemoveTemporaries(targets);
            bool mixed = false;
            for (std::size_t j = i; j-- > 0;) {
                Target& done = targets[j];
                done.state = PutBack(done) ? Target::State::PutBack : Target::State::New;
                if (done.state == Target::State::New) {
                    done.failure = std::generic_category().message(errno);
                    mixed = true;
                }
            }
            for (const Target& each : targets) {
                std::string line = Utf8FromPath(each.file->path) + ": ";
                if (each.state == Target::State::New && each.Removal()) {
                    line += "removed (putting it back failed: " + each.failure +
                            "; its content is in " + each.temporary + ")";
                } else if (each.state == Target::State::New) {
                    line += "new (putting back the old content failed: " + each.failure + ")";
                } else {
                    line += each.state == Target::State::PutBack ? "old (put back)" : "old";
                }
                report.states.push_back(line);
            }
            report.outcome = mixed ? FileSetOutcome::Mixed : FileSetOutcome::Unchanged;
            return false;
        }
        if (!t.Removal()) {
            t.temporary.clear();
        }
        t.state = Target::State::New;
    }
    // Every file is in place: only now may the removed ones' content go. One that cannot be
    // unlinked stays hidden beside its old name; the card's files are as the set says.
    for (Target& t : targets) {
        if (t.Removal() && !t.temporary.empty() &&
            detail::RunFileStep(FileStep::Remove, t.target,
                                [&] { return ::unlink(t.temporary.c_str()) == 0; })) {
            t.temporary.clear();
        }
    }
    for (const Target& t : targets) {
        SyncFolder(FolderOf(t.target)); // the renames themselves; the data is safe already
    }
    report.outcome = FileSetOutcome::Written;
    return true;
}

} // namespace

std::string FileSetReport::Describe() const {
    std::string text = error.Describe();
    for (const std::string& line : states) {
        text += "\n" + line;
    }
    return text;
}

std::vector<std::filesystem::path> FilesChangedSinceRead(std::span<const FileReplacement> files) {
    std::vector<std::filesystem::path> changed;
    for (const FileReplacement& file : files) {
        if (!file.checkAsRead) {
            continue;
        }
        std::optional<std::vector<std::uint8_t>> now;
        std::error_code error;
        if (std::filesystem::exists(file.path, error) || error) {
            std::vector<std::uint8_t> bytes;
            if (ReadWholeFile(file.path, bytes)) {
                now = std::move(bytes);
            } else {
                changed.push_back(file.path);
                continue;
            }
        }
        if (now != file.asRead) {
            changed.push_back(file.path);
        }
    }
    return changed;
}

bool WriteFileSet(std::span<const FileReplacement> files, FileSetReport* report) {
    FileSetReport local;
    FileSetReport& result = report != nullptr ? *report : local;
    result = FileSetReport{};
    return WriteSet(files, result);
}

bool WriteNewTextFileAtomically(const std::filesystem::path& path, const std::string& text,
                                FileError* error, bool* exists) {
    if (exists != nullptr) {
        *exists = false;
    }
    const auto fail = [&](int code) {
        if (error != nullptr) {
            *error = FileError{path, code < 0 ? std::string("not a regular file")
                                              : std::generic_category().message(code)};
        }
        if (exists != nullptr) {
            *exists = code == EEXIST;
        }
        return false;
    };
    const FileReplacement file{path, {}};
    Target t;
    t.file = &file;
    if (const int code = CheckTarget(t)) {
        return fail(code);
    }
    if (t.existed) {
        return fail(EEXIST);
    }
    const auto* data = reinterpret_cast<const std::uint8_t*>(text.data());
    if (const int code = WriteTemporary(t, {data, text.size()}, true)) {
        return fail(code);
    }
    // A hard link puts the file in place only where no file of that name is; a file system
    // without links (FAT) gets the name taken exclusively first, then the rename over it.
    const bool placed = detail::RunFileStep(FileStep::Rename, t.target, [&] {
        if (::link(t.temporary.c_str(), t.target.c_str()) == 0) {
            return true;
        }
        if (errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK && errno != ENOSYS) {
            return false;
        }
        const int fd = ::open(t.target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            return false;
        }
        ::close(fd);
        if (::rename(t.temporary.c_str(), t.target.c_str()) == 0) {
            return true;
        }
        const int code = errno;
        ::unlink(t.target.c_str());
        errno = code;
        return false;
    });
    const int code = errno;
    ::unlink(t.temporary.c_str()); // the link's second name, or the file that failed
    if (!placed) {
        return fail(code);
    }
    SyncFolder(FolderOf(t.target));
    return true;
}

bool WriteFileAtomically(const std::filesystem::path& path,
                         std::initializer_list<std::span<const std::uint8_t>> parts,
                         FileError* error) {
    FileReplacement file{path, {}};
    std::optional<std::span<const std::uint8_t>> content;
    if (parts.size() == 1) {
        content = *parts.begin(); // written as it is, not copied
    } else {
        for (std::span<const std::uint8_t> part : parts) {
            file.bytes.insert(file.bytes.end(), part.begin(), part.end());
        }
    }
    FileSetReport report;
    if (WriteSet({&file, 1}, report, content)) {
        return true;
    }
    if (error != nullptr) {
        *error = report.error;
    }
    return false;
}

} // namespace orvix
