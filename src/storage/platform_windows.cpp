#include "storage/platform.h"

// Files and folders on Windows. UTF-8 inside, UTF-16 at every call: only the W functions, paths
// through their native wstring, a long one as a "\\?\" path (SystemPath).

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <random>
#include <utility>

namespace orvix::platform {

FailureKind KindOfCode(int code) {
    switch (static_cast<DWORD>(code)) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_PATHNAME:
        return FailureKind::NotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_PRIVILEGE_NOT_HELD:
        return FailureKind::NoPermission;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
        return FailureKind::InUse;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return FailureKind::NoSpace;
    case ERROR_CRC:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_IO_DEVICE:
    case ERROR_NOT_READY:
    case ERROR_DEVICE_REMOVED:
        return FailureKind::InputOutput;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return FailureKind::Exists;
    default:
        return FailureKind::Other;
    }
}

namespace {

std::string Utf8(const std::wstring& text) {
    const std::u8string utf8 = std::filesystem::path(text).u8string();
    return std::string(utf8.begin(), utf8.end());
}

} // namespace

Failure FailureOfCode(int code) {
    return Failure{KindOfCode(code), code};
}

bool HasPosixFiles() {
    return false;
}

bool WritableProgramFolderServes() {
    return false;
}

Failure FailureOfError(const std::error_code& error) {
    if (error.category() == std::system_category()) {
        return FailureOfCode(error.value()); // a GetLastError() code
    }
    switch (error.value()) { // errno, as the C++ library's generic errors hold it
    case ENOENT:
    case ENOTDIR:
        return FailureOfCode(ERROR_PATH_NOT_FOUND);
    case EACCES:
    case EPERM:
    case EROFS:
        return FailureOfCode(ERROR_ACCESS_DENIED);
    case EBUSY:
        return FailureOfCode(ERROR_SHARING_VIOLATION);
    case ENOSPC:
        return FailureOfCode(ERROR_DISK_FULL);
    case EIO:
        return FailureOfCode(ERROR_IO_DEVICE);
    case EEXIST:
        return FailureOfCode(ERROR_FILE_EXISTS);
    default:
        return Failure{FailureKind::Other, error.value()};
    }
}

Failure MediumFailure() {
    return FailureOfCode(ERROR_IO_DEVICE);
}

Failure LastFailure() {
    const DWORD code = ::GetLastError();
    return FailureOfCode(static_cast<int>(code != ERROR_SUCCESS ? code : ERROR_GEN_FAILURE));
}

std::filesystem::path SystemPath(const std::filesystem::path& path) {
    // CreateDirectoryW's limit (MAX_PATH less room for an 8.3 name) is the lowest of them.
    constexpr std::size_t kShortest = MAX_PATH - 12;
    const std::wstring& given = path.native();
    if (given.size() < kShortest || given.starts_with(LR"(\\?\)")) {
        return path;
    }
    // A "\\?\" path goes to the file system as it is: absolute, with backslashes, without "."
    // and "..", as GetFullPathNameW (which takes any length) makes it.
    std::wstring full(given.size() + MAX_PATH, L'\0');
    const DWORD length =
        ::GetFullPathNameW(given.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0 || length >= full.size()) {
        return path;
    }
    full.resize(length);
    return full.starts_with(LR"(\\)") ? LR"(\\?\UNC\)" + full.substr(2) : LR"(\\?\)" + full;
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

Failure SeamFailure(FailureKind kind) {
    return Failure{kind, 0};
}

HANDLE AsHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

constexpr DWORD kNoAttributes = INVALID_FILE_ATTRIBUTES;

// A FILETIME (100 ns since 1601) in nanoseconds since 1970.
std::int64_t TimeOf(const FILETIME& time) {
    const std::int64_t ticks =
        static_cast<std::int64_t>((std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime);
    return (ticks - 116444736000000000LL) * 100;
}

std::uint64_t SizeOf(DWORD high, DWORD low) {
    return (std::uint64_t{high} << 32) | low;
}

} // namespace

bool ReadWhole(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
               std::uintmax_t maxSize, Failure* failure) {
    // A folder cannot be opened as a file at all (access denied): tell it apart first.
    const DWORD attributes = ::GetFileAttributesW(SystemPath(path).c_str());
    if (attributes != kNoAttributes && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return Fail(failure, SeamFailure(FailureKind::NotAFile));
    }
    // Others may go on reading and writing it; a program that holds it without sharing makes
    // this fail as in use.
    const HANDLE file = ::CreateFileW(SystemPath(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return FailLast(failure);
    }
    Failure refusal;
    bool refused = ::GetFileType(file) != FILE_TYPE_DISK;
    if (refused) {
        refusal = SeamFailure(FailureKind::NotAFile);
    }
    std::vector<std::uint8_t> read;
    std::vector<std::uint8_t> buffer(65536);
    while (!refused) {
        DWORD got = 0;
        if (!::ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
            refusal = LastFailure();
            refused = true;
        } else if (got == 0) {
            break;
        } else if (read.size() + got > maxSize) {
            refusal = SeamFailure(FailureKind::TooLarge);
            refused = true;
        } else {
            read.insert(read.end(), buffer.begin(), buffer.begin() + got);
        }
    }
    ::CloseHandle(file);
    if (refused) {
        return Fail(failure, std::move(refusal));
    }
    bytes = std::move(read);
    return true;
}

bool CheckFolderWritable(const std::filesystem::path& folder, Failure* failure) {
    const DWORD attributes = ::GetFileAttributesW(SystemPath(folder).c_str());
    if (attributes == kNoAttributes) {
        return FailLast(failure);
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
           Fail(failure, FailureOfCode(ERROR_DIRECTORY));
}

bool CheckWritable(const std::filesystem::path& path, Failure* failure) {
    const DWORD attributes = ::GetFileAttributesW(SystemPath(path).c_str());
    if (attributes == kNoAttributes) {
        const DWORD code = ::GetLastError();
        return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ||
               Fail(failure, FailureOfCode(static_cast<int>(code)));
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return Fail(failure, SeamFailure(FailureKind::NotAFile));
    }
    // Wine's MoveFileExW replaces a read-only file where Windows refuses: refused here on both.
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return Fail(failure, FailureOfCode(ERROR_ACCESS_DENIED));
    }
    return true;
}

void TemporaryFile::Discard() {
    if (handle_ != -1) {
        ::CloseHandle(AsHandle(handle_));
        handle_ = -1;
    }
    if (!path_.empty()) {
        ::DeleteFileW(SystemPath(path_).c_str());
        path_.clear();
    }
}

bool TemporaryFile::Create(const std::filesystem::path& target, Failure* failure) {
    Discard();
    target_ = target;
    const std::filesystem::path folder = target.parent_path().empty() ? "." : target.parent_path();
    // The new file keeps the old one's hidden, system and archive marks.
    const DWORD old = ::GetFileAttributesW(SystemPath(target).c_str());
    const DWORD kept =
        old == kNoAttributes
            ? FILE_ATTRIBUTE_NORMAL
            : old & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::wstring name =
            L"." + target.filename().wstring() + L"." + std::to_wstring(random()) + L".tmp";
        const std::filesystem::path path = folder / name;
        const HANDLE file =
            ::CreateFileW(SystemPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          kept == 0 ? FILE_ATTRIBUTE_NORMAL : kept, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            handle_ = reinterpret_cast<std::intptr_t>(file);
            path_ = path;
            return true;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS) {
            return FailLast(failure);
        }
    }
    return Fail(failure, FailureOfCode(ERROR_FILE_EXISTS));
}

bool TemporaryFile::Write(std::span<const std::uint8_t> bytes, Failure* failure) {
    if (handle_ == -1) {
        return Fail(failure, FailureOfCode(ERROR_INVALID_HANDLE));
    }
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD done = 0;
        if (!::WriteFile(AsHandle(handle_), bytes.data(), chunk, &done, nullptr)) {
            return FailLast(failure);
        }
        if (done == 0) {
            return Fail(failure, FailureOfCode(ERROR_WRITE_FAULT));
        }
        bytes = bytes.subspan(done);
    }
    return true;
}

bool TemporaryFile::FlushAndClose(Failure* failure) {
    if (handle_ == -1) {
        return Fail(failure, FailureOfCode(ERROR_INVALID_HANDLE));
    }
    const HANDLE file = AsHandle(std::exchange(handle_, -1));
    const bool flushed = ::FlushFileBuffers(file) != 0;
    const Failure reason = flushed ? Failure{} : LastFailure();
    const bool closed = ::CloseHandle(file) != 0;
    if (!flushed || !closed) {
        return Fail(failure, flushed ? LastFailure() : reason);
    }
    return true;
}

bool TemporaryFile::Commit(Failure* failure) {
    if (handle_ != -1 || path_.empty()) {
        return Fail(failure, FailureOfCode(ERROR_INVALID_HANDLE));
    }
    if (!RenameOver(path_, target_, failure)) {
        return false;
    }
    path_.clear();
    return true;
}

std::filesystem::path TemporaryFile::Keep() {
    if (handle_ != -1) {
        ::CloseHandle(AsHandle(handle_));
        handle_ = -1;
    }
    return std::exchange(path_, {});
}

bool CreateNew(const std::filesystem::path& from, const std::filesystem::path& to,
               Failure* failure) {
    return ::MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(),
                         MOVEFILE_WRITE_THROUGH) != 0 ||
           FailLast(failure);
}

namespace {

// The name a file has on the disk, in its own letter case: a file replaced by a rename takes the
// case of the name asked for, and a card's "STARTUP.BIN" opened as "startup.bin" keeps its own.
std::filesystem::path NameOnDisk(const std::filesystem::path& path) {
    WIN32_FIND_DATAW data{};
    const HANDLE find = ::FindFirstFileExW(SystemPath(path).c_str(), FindExInfoBasic, &data,
                                           FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) {
        return path;
    }
    ::FindClose(find);
    return path.parent_path() / data.cFileName;
}

} // namespace

bool RenameOver(const std::filesystem::path& from, const std::filesystem::path& to,
                Failure* failure) {
    if (::MoveFileExW(SystemPath(from).c_str(), SystemPath(NameOnDisk(to)).c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0) {
        return true;
    }
    Failure reason = LastFailure();
    if (reason.code == ERROR_ACCESS_DENIED) {
        // A target that another program holds open without sharing is refused as access denied:
        // an open for deleting it tells that apart from a real lack of permission.
        const HANDLE probe = ::CreateFileW(SystemPath(to).c_str(), DELETE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (probe != INVALID_HANDLE_VALUE) {
            ::CloseHandle(probe);
        } else if (::GetLastError() == ERROR_SHARING_VIOLATION) {
            reason = FailureOfCode(ERROR_SHARING_VIOLATION);
        }
    }
    return Fail(failure, std::move(reason));
}

bool RemoveFile(const std::filesystem::path& path, Failure* failure) {
    return ::DeleteFileW(SystemPath(path).c_str()) != 0 || FailLast(failure);
}

bool FlushFolder(const std::filesystem::path&, Failure*) {
    return true; // MOVEFILE_WRITE_THROUGH has put the rename onto the disk
}

bool ListFolder(const std::filesystem::path& folder, std::vector<FolderEntry>& entries,
                Failure* failure) {
    // A drive without a medium fails here instead of asking the person to insert one.
    DWORD oldMode = 0;
    ::SetThreadErrorMode(SEM_FAILCRITICALERRORS, &oldMode);
    const DWORD attributes = ::GetFileAttributesW(SystemPath(folder).c_str());
    bool listed = false;
    if (attributes == kNoAttributes) {
        FailLast(failure);
    } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        Fail(failure, FailureOfCode(ERROR_DIRECTORY));
    } else {
        std::vector<FolderEntry> found;
        WIN32_FIND_DATAW data{};
        const HANDLE find = ::FindFirstFileExW((SystemPath(folder) / L"*").c_str(), FindExInfoBasic,
                                               &data, FindExSearchNameMatch, nullptr, 0);
        // A drive's root with nothing on it has not even "." and "..".
        listed = find != INVALID_HANDLE_VALUE || ::GetLastError() == ERROR_FILE_NOT_FOUND;
        if (!listed) {
            FailLast(failure);
        }
        while (find != INVALID_HANDLE_VALUE) {
            const std::wstring name = data.cFileName;
            if (name != L"." && name != L"..") {
                const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
                const bool isDevice = (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) != 0;
                found.push_back({Utf8(name), isFolder, !isFolder && !isDevice,
                                 SizeOf(data.nFileSizeHigh, data.nFileSizeLow),
                                 TimeOf(data.ftLastWriteTime)});
            }
            if (!::FindNextFileW(find, &data)) {
                listed = ::GetLastError() == ERROR_NO_MORE_FILES;
                if (!listed) {
                    FailLast(failure);
                }
                ::FindClose(find);
                break;
            }
        }
        if (listed) {
            entries = std::move(found);
        }
    }
    ::SetThreadErrorMode(oldMode, nullptr);
    return listed;
}

FileStamp StampOf(const std::filesystem::path& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(SystemPath(path).c_str(), GetFileExInfoStandard, &data)) {
        return {};
    }
    const DWORD attributes = data.dwFileAttributes;
    const bool isLink = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    const bool isFile =
        !isLink && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
    return FileStamp{true, isLink, isFile, SizeOf(data.nFileSizeHigh, data.nFileSizeLow),
                     TimeOf(data.ftLastWriteTime)};
}

} // namespace orvix::platform
