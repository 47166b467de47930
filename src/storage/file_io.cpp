#include "storage/file_io.h"

#include "storage/file_steps.h"
#include "storage/platform.h"

namespace orvix {

namespace {

bool Fail(FileError* error, const std::filesystem::path& path, std::string reason) {
    if (error != nullptr) {
        *error = FileError{path, std::move(reason)};
    }
    return false;
}

} // namespace

namespace {

std::string KindWording(platform::FailureKind kind, int code) {
    std::string text(platform::KindName(kind));
    if (kind == platform::FailureKind::Other) {
        text += " (code " + std::to_string(code) + ")";
    }
    return text;
}

FailureWording& Wording() {
    static FailureWording wording = &KindWording;
    return wording;
}

} // namespace

void SetFailureWording(FailureWording wording) {
    Wording() = wording != nullptr ? wording : &KindWording;
}

FileError FileError::Of(const std::filesystem::path& path, const platform::Failure& failure) {
    return FileError{path, {}, failure.kind, failure.code};
}

std::string FileError::Reason() const {
    return reason.empty() ? Wording()(kind, code) : reason;
}

std::string FileError::Describe() const {
    return Utf8FromPath(path) + ": " + Reason();
}

bool ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
                   FileError* error) {
    platform::Failure failure;
    if (detail::RunFileStep(FileStep::Read, path, failure, [&](platform::Failure* reason) {
            return platform::ReadWhole(path, bytes, kMaxReadSize, reason);
        })) {
        return true;
    }
    if (error != nullptr) {
        *error = FileError::Of(path, failure);
    }
    return false;
}

bool WriteTextFileAtomically(const std::filesystem::path& path, const std::string& text,
                             FileError* error) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(text.data());
    return WriteFileAtomically(path, {std::span<const std::uint8_t>(data, text.size())}, error);
}

namespace detail {

FileFaultInjector& FaultInjector() {
    static FileFaultInjector injector;
    return injector;
}

} // namespace detail

void SetFileFaultInjector(FileFaultInjector injector) {
    detail::FaultInjector() = std::move(injector);
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
    bool several = false; // a folder part that is ambiguous makes the whole name so
    std::string::size_type start = 0;
    while (true) {
        const std::string::size_type slash = name.find('\\', start);
        bool part = false;
        result = FindEntry(result, name.substr(start, slash - start), part);
        several = several || part;
        if (slash == std::string::npos) {
            if (ambiguous != nullptr) {
                *ambiguous = several;
            }
            return result;
        }
        start = slash + 1;
    }
}

bool ReadCardFile(const std::filesystem::path& folder, const std::string& name,
                  std::vector<std::uint8_t>& bytes, FileError* error) {
    bool ambiguous = false;
    const std::filesystem::path path = CardFilePath(folder, name, &ambiguous);
    if (ambiguous) {
        return Fail(error, path, std::string(kAmbiguousNameReason));
    }
    return ReadWholeFile(path, bytes, error);
}

} // namespace orvix
