#include "storage/platform.h"

#include <array>
#include <cstdio>
#include <utility>

// What the seam does alike on both systems, in terms of its system calls.

namespace orvix::platform {

std::string_view KindName(FailureKind kind) {
    switch (kind) {
    case FailureKind::NotFound:
        return "not found";
    case FailureKind::NoPermission:
        return "no permission";
    case FailureKind::InUse:
        return "in use by another program";
    case FailureKind::NoSpace:
        return "no space left";
    case FailureKind::InputOutput:
        return "input/output error";
    case FailureKind::NotAFile:
        return "not a regular file";
    case FailureKind::TooLarge:
        return "too large";
    case FailureKind::Exists:
        return "exists already";
    case FailureKind::Other:
        break;
    }
    return "other";
}

std::string VolumeSerial(const std::filesystem::path& folder) {
    const std::optional<Volume> volume = VolumeOf(folder);
    return volume ? volume->serial : std::string();
}

std::string FormatVolumeSerial(std::uint32_t serial) {
    std::array<char, 10> text{};
    std::snprintf(text.data(), text.size(), "%04X-%04X", static_cast<unsigned>(serial >> 16),
                  static_cast<unsigned>(serial & 0xFFFF));
    return text.data();
}

bool HoldsCardImage(const std::filesystem::path& folder) {
    std::vector<FolderEntry> entries;
    if (!ListFolder(folder, entries)) {
        return false;
    }
    constexpr std::string_view kImageName = "startup.bin";
    for (const FolderEntry& entry : entries) {
        std::string lowered = entry.name;
        for (char& c : lowered) {
            c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        }
        if (entry.isFile && lowered == kImageName) {
            return true;
        }
    }
    return false;
}

std::vector<std::filesystem::path> CardFolders() {
    std::vector<std::filesystem::path> cards;
    for (const std::filesystem::path& folder : MediaFolders()) {
        if (HoldsCardImage(folder)) {
            cards.push_back(folder);
        }
    }
    return cards;
}

namespace {

// A step that the tests' fault makes fail fails as a medium would.
bool Faulted(const WriteFault& fault, WriteStep step, Failure* failure) {
    if (!fault || !fault(step)) {
        return false;
    }
    if (failure != nullptr) {
        *failure = Failure{FailureKind::InputOutput, 0};
    }
    return true;
}

} // namespace

bool WriteFileWhole(const std::filesystem::path& path,
                    std::initializer_list<std::span<const std::uint8_t>> parts, Failure* failure,
                    const WriteFault& fault) {
    std::filesystem::path target = path;
    std::error_code error;
    if (std::filesystem::is_symlink(path, error)) {
        // Written through: the link stays, its target gets the new content.
        const std::filesystem::path resolved = std::filesystem::canonical(path, error);
        target = error ? path : resolved;
    }
    if (Faulted(fault, WriteStep::Check, failure) || !CheckWritable(target, failure)) {
        return false;
    }
    TemporaryFile temporary;
    if (Faulted(fault, WriteStep::Create, failure) || !temporary.Create(target, failure)) {
        return false;
    }
    for (const std::span<const std::uint8_t> part : parts) {
        if (Faulted(fault, WriteStep::Write, failure) || !temporary.Write(part, failure)) {
            return false;
        }
    }
    if (Faulted(fault, WriteStep::Flush, failure) || !temporary.FlushAndClose(failure) ||
        Faulted(fault, WriteStep::Replace, failure) || !temporary.Commit(failure)) {
        return false;
    }
    // The new file is in place; a failed folder flush only means it may not yet be on the disk.
    return !Faulted(fault, WriteStep::FolderFlush, failure) &&
           FlushFolder(target.parent_path().empty() ? "." : target.parent_path(), failure);
}

// Moving and ending the seam's objects: alike on both systems, around their own Discard and
// Release.

TemporaryFile::TemporaryFile(TemporaryFile&& other) noexcept
    : target_(std::move(other.target_)), path_(std::exchange(other.path_, {})),
      handle_(std::exchange(other.handle_, -1)) {}

TemporaryFile& TemporaryFile::operator=(TemporaryFile&& other) noexcept {
    if (this != &other) {
        Discard();
        target_ = std::move(other.target_);
        path_ = std::exchange(other.path_, {});
        handle_ = std::exchange(other.handle_, -1);
    }
    return *this;
}

TemporaryFile::~TemporaryFile() {
    Discard();
}

CardFolderLock::CardFolderLock(CardFolderLock&& other) noexcept
    : handle_(std::exchange(other.handle_, -1)), state_(std::exchange(other.state_, State::Failed)),
      failure_(std::move(other.failure_)), identity_(std::move(other.identity_)) {}

CardFolderLock& CardFolderLock::operator=(CardFolderLock&& other) noexcept {
    if (this != &other) {
        Release();
        handle_ = std::exchange(other.handle_, -1);
        state_ = std::exchange(other.state_, State::Failed);
        failure_ = std::move(other.failure_);
        identity_ = std::move(other.identity_);
    }
    return *this;
}

CardFolderLock::~CardFolderLock() {
    Release();
}

} // namespace orvix::platform
