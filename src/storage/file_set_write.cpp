#include "storage/file_set_write.h"

#include <algorithm>

#include "storage/file_steps.h"
#include "storage/platform.h"

namespace orvix {

namespace {

constexpr const char* kChangedReason = "changed by another program since it was read";

std::filesystem::path FolderOf(const std::filesystem::path& file) {
    return file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
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
    // What the file held, for a put-back or a check: read, or given by the caller.
    std::vector<std::uint8_t> read;
    std::optional<std::span<const std::uint8_t>> old;
    std::filesystem::path
        temporary; // empty while there is none; of a removal, where it is set aside
    enum class State { Old, New, PutBack } state = State::Old;
    std::string failure; // why a put-back failed

    bool Removal() const { return file->kind == FileReplacement::Kind::Remove; }
    // A removal of a file that is not there: nothing to do.
    bool Idle() const { return Removal() && !existed; }
};

// Whether target may be replaced: it must be a regular file that may be written (a file without
// any write bit is the user's "read-only", which root would write past), or be missing in a
// folder that exists and may be written.
bool CheckTarget(Target& t, platform::Failure& failure) {
    t.target = WriteTarget(t.file->path);
    if (!platform::CheckWritable(t.target, &failure)) {
        return false;
    }
    std::error_code error;
    t.existed = std::filesystem::exists(t.target, error);
    return platform::CheckFolderWritable(FolderOf(t.target), &failure);
}

// Writes bytes into a new temporary file beside t's target, with the old file's mode and, where
// the user may set it, its owner, flushed to the disk; each step asks the seam when seam is set.
// On failure the temporary file is gone. Its folder is flushed once the renames are done: the
// temporary name itself need never be on the disk.
bool WriteTemporary(Target& t, std::span<const std::uint8_t> bytes, bool seam,
                    platform::Failure& failure) {
    const auto run = [&](FileStep step, auto operation) {
        return seam ? detail::RunFileStep(step, t.target, failure, operation) : operation(&failure);
    };
    platform::TemporaryFile temporary;
    const bool written =
        run(FileStep::OpenTemporary,
            [&](platform::Failure* f) { return temporary.Create(t.target, f); }) &&
        run(FileStep::Write, [&](platform::Failure* f) { return temporary.Write(bytes, f); }) &&
        run(FileStep::Flush, [&](platform::Failure* f) { return temporary.FlushAndClose(f); });
    if (written) {
        t.temporary = temporary.Keep();
    }
    return written;
}

// Makes the empty file a removal renames its target over: a name of its own beside it, which
// the rename takes without ever replacing another file.
bool ReserveAside(Target& t, platform::Failure& failure) {
    platform::TemporaryFile aside;
    if (!detail::RunFileStep(FileStep::OpenTemporary, t.target, failure,
                             [&](platform::Failure* f) { return aside.Create(t.target, f); })) {
        return false;
    }
    t.temporary = aside.Keep();
    return true;
}

// Removes the temporary files not yet renamed; a removed file's content set aside stays.
void RemoveTemporaries(std::vector<Target>& targets) {
    for (Target& t : targets) {
        if (!t.temporary.empty() && !(t.Removal() && t.state == Target::State::New)) {
            platform::RemoveFile(t.temporary);
            t.temporary.clear();
        }
    }
}

// Gives a replaced file its old content back, or removes it when it did not exist; a removed
// file is renamed back from where it was set aside.
bool PutBack(Target& t, platform::Failure& failure) {
    return detail::RunFileStep(FileStep::PutBack, t.target, failure, [&](platform::Failure* f) {
        if (t.Removal()) {
            if (!platform::RenameOver(t.temporary, t.target, f)) {
                return false;
            }
            t.temporary.clear();
            platform::FlushFolder(FolderOf(t.target));
            return true;
        }
        if (!t.existed) {
            return platform::RemoveFile(t.target, f);
        }
        if (!WriteTemporary(t, *t.old, false, *f)) {
            return false;
        }
        const bool renamed = platform::RenameOver(t.temporary, t.target, f);
        if (renamed) {
            platform::FlushFolder(FolderOf(t.target));
        } else {
            platform::RemoveFile(t.temporary);
        }
        t.temporary.clear();
        return renamed;
    });
}

bool Refuse(FileSetReport& report, const FileReplacement& file, const platform::Failure& failure) {
    report.outcome = FileSetOutcome::Unchanged;
    report.error = FileError::Of(file.path, failure);
    return false;
}

// After a failure once the first `replaced` files were renamed: puts those back, last first, and
// says every file's state.
bool Undo(std::vector<Target>& targets, std::size_t replaced, FileSetReport& report) {
    RemoveTemporaries(targets);
    bool mixed = false;
    for (std::size_t j = replaced; j-- > 0;) {
        Target& done = targets[j];
        if (done.Idle()) {
            continue;
        }
        platform::Failure putBack;
        done.state = PutBack(done, putBack) ? Target::State::PutBack : Target::State::New;
        if (done.state == Target::State::New) {
            done.failure = FileError::Of(done.file->path, putBack).Reason();
            mixed = true;
        }
    }
    for (const Target& each : targets) {
        std::string line = Utf8FromPath(each.file->path) + ": ";
        if (each.state == Target::State::New && each.Removal()) {
            line += "removed (putting it back failed: " + each.failure + "; its content is in " +
                    Utf8FromPath(each.temporary) + ")";
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

// now, when given, is what the one file holds (checked by the caller): a put-back needs it, and
// it is not read again.
bool WriteSet(std::span<const FileReplacement> files, FileSetReport& report,
              std::optional<std::span<const std::uint8_t>> content = std::nullopt,
              std::optional<std::span<const std::uint8_t>> now = std::nullopt,
              bool flushFolders = true) {
    std::vector<Target> targets(files.size());
    platform::Failure failure;
    for (std::size_t i = 0; i < files.size(); ++i) {
        targets[i].file = &files[i];
        if (!CheckTarget(targets[i], failure)) {
            return Refuse(report, files[i], failure);
        }
    }
    // The old content of every file written over, which a failure up to the last folder flush
    // would have to put back, and of every file that must still hold what was read.
    for (Target& t : targets) {
        if (t.existed && now && !t.file->checkAsRead) {
            t.old = *now;
        } else if (t.existed && (!t.Removal() || t.file->checkAsRead)) {
            FileError error;
            if (!ReadWholeFile(t.target, t.read, &error)) {
                report.error = error;
                report.error.path = t.file->path;
                return false;
            }
            t.old = t.read;
        }
        if (t.file->checkAsRead && (t.old.has_value() != t.file->asRead.has_value() ||
                                    (t.old && !std::ranges::equal(*t.old, *t.file->asRead)))) {
            report.error = FileError{t.file->path, kChangedReason};
            return false;
        }
    }
    for (Target& t : targets) {
        if (t.Idle()) {
            continue;
        }
        if (!(t.Removal() ? ReserveAside(t, failure)
                          : WriteTemporary(t, content ? *content : t.file->bytes, true, failure))) {
            RemoveTemporaries(targets);
            return Refuse(report, *t.file, failure);
        }
    }
    for (std::size_t i = 0; i < targets.size(); ++i) {
        Target& t = targets[i];
        if (t.Idle()) {
            continue;
        }
        if (!detail::RunFileStep(FileStep::Rename, t.target, failure, [&](platform::Failure* f) {
                return t.Removal() ? platform::RenameOver(t.target, t.temporary, f)
                                   : platform::RenameOver(t.temporary, t.target, f);
            })) {
            Refuse(report, *t.file, failure);
            return Undo(targets, i, report);
        }
        if (!t.Removal()) {
            t.temporary.clear();
        }
        t.state = Target::State::New;
    }
    // The renames onto the disk: each folder of the set flushed once (each file asks the seam).
    // Until then a failure puts every file back, since a rename not on the disk is not made.
    std::vector<std::filesystem::path> flushed;
    for (const Target& t : targets) {
        if (!flushFolders) {
            break; // the caller flushes the folder (detail::WriteFileLeavingFolder)
        }
        const std::filesystem::path folder = FolderOf(t.target);
        if (!t.Idle() && !detail::RunFileStep(
                             FileStep::FolderFlush, t.target, failure, [&](platform::Failure* f) {
                                 if (std::ranges::find(flushed, folder) != flushed.end()) {
                                     return true;
                                 }
                                 flushed.push_back(folder);
                                 return platform::FlushFolder(folder, f);
                             })) {
            Refuse(report, *t.file, failure);
            return Undo(targets, targets.size(), report);
        }
    }
    // Every file is in place: only now may the removed ones' content go. One that cannot be
    // unlinked stays hidden beside its old name; the card's files are as the set says.
    for (Target& t : targets) {
        if (t.Removal() && !t.temporary.empty() &&
            detail::RunFileStep(FileStep::Remove, t.target, failure, [&](platform::Failure* f) {
                return platform::RemoveFile(t.temporary, f);
            })) {
            t.temporary.clear();
        }
    }
    report.outcome = FileSetOutcome::Written;
    return true;
}

} // namespace

namespace detail {

bool WriteFileLeavingFolder(const std::filesystem::path& path,
                            std::span<const std::uint8_t> content, FileError* error) {
    const FileReplacement file{path, {}};
    FileSetReport report;
    if (WriteSet({&file, 1}, report, content, std::nullopt, false)) {
        return true;
    }
    if (error != nullptr) {
        *error = report.error;
    }
    return false;
}

bool FlushFolderOf(const std::filesystem::path& file, FileError* error) {
    platform::Failure failure;
    if (RunFileStep(FileStep::FolderFlush, file, failure, [&](platform::Failure* f) {
            return platform::FlushFolder(FolderOf(file), f);
        })) {
        return true;
    }
    if (error != nullptr) {
        *error = FileError::Of(file, failure);
    }
    return false;
}

} // namespace detail

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
    const auto fail = [&](const platform::Failure& failure) {
        if (error != nullptr) {
            *error = FileError::Of(path, failure);
        }
        if (exists != nullptr) {
            *exists = failure.kind == platform::FailureKind::Exists;
        }
        return false;
    };
    const FileReplacement file{path, {}};
    Target t;
    t.file = &file;
    platform::Failure failure;
    if (!CheckTarget(t, failure)) {
        return fail(failure);
    }
    if (t.existed) {
        return fail(platform::Failure{platform::FailureKind::Exists, 0});
    }
    const auto* data = reinterpret_cast<const std::uint8_t*>(text.data());
    if (!WriteTemporary(t, {data, text.size()}, true, failure)) {
        return fail(failure);
    }
    // Put in place only where no file of that name is, also not one made meanwhile.
    if (!detail::RunFileStep(FileStep::Rename, t.target, failure, [&](platform::Failure* f) {
            return platform::CreateNew(t.temporary, t.target, f);
        })) {
        platform::RemoveFile(t.temporary);
        return fail(failure);
    }
    // The new name onto the disk; a file whose name may not be there is none.
    if (!detail::RunFileStep(FileStep::FolderFlush, t.target, failure, [&](platform::Failure* f) {
            return platform::FlushFolder(FolderOf(t.target), f);
        })) {
        platform::RemoveFile(t.target);
        return fail(failure);
    }
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

bool ReplaceFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> content,
                           std::span<const std::uint8_t> now, FileError* error) {
    const FileReplacement file{path, {}};
    FileSetReport report;
    if (WriteSet({&file, 1}, report, content, now)) {
        return true;
    }
    if (error != nullptr) {
        *error = report.error;
    }
    return false;
}

} // namespace orvix
