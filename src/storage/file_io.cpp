#include "storage/file_io.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace orvix {

namespace {

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

mode_t ModeForNewFile(const std::filesystem::path& target) {
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) {
        return existing.st_mode & 07777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

void SyncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd); // best effort: some file systems (a FAT card) do not sync folders
        ::close(fd);
    }
}

} // namespace

bool ReadFilePrefix(const std::filesystem::path& path, std::size_t maxBytes,
                    std::vector<std::uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::vector<std::uint8_t> read;
    constexpr std::size_t kChunk = 1 << 16;
    while (read.size() < maxBytes) {
        const std::size_t want = std::min(kChunk, maxBytes - read.size());
        const std::size_t before = read.size();
        read.resize(before + want);
        in.read(reinterpret_cast<char*>(read.data() + before), static_cast<std::streamsize>(want));
        read.resize(before + static_cast<std::size_t>(in.gcount()));
        if (!in) {
            if (in.bad() || !in.eof()) {
                return false;
            }
            break;
        }
    }
    bytes = std::move(read);
    return true;
}

bool ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        return false;
    }
    return ReadFilePrefix(path, static_cast<std::size_t>(-1), bytes);
}

bool WriteFileAtomically(const std::filesystem::path& path,
                         std::initializer_list<std::span<const std::uint8_t>> parts) {
    const std::filesystem::path folder = path.parent_path();
    std::string pattern = (folder / ("." + path.filename().string() + ".tmp-XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        return false;
    }
    bool ok = ::fchmod(fd, ModeForNewFile(path)) == 0 || errno == EPERM;
    for (std::span<const std::uint8_t> part : parts) {
        ok = ok && WriteAll(fd, part);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(pattern.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(pattern.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
}

bool WriteTextFileAtomically(const std::filesystem::path& path, const std::string& text) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(text.data());
    return WriteFileAtomically(path, {std::span<const std::uint8_t>(data, text.size())});
}

std::filesystem::path PathFromUtf8(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::filesystem::path CardFilePath(const std::filesystem::path& folder, const std::string& name) {
    std::filesystem::path result = folder;
    std::string::size_type start = 0;
    while (true) {
        const std::string::size_type slash = name.find('\\', start);
        result /= PathFromUtf8(name.substr(start, slash - start));
        if (slash == std::string::npos) {
            return result;
        }
        start = slash + 1;
    }
}

} // namespace orvix
