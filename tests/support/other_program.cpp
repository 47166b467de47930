#include "support/other_program.h"

#include "storage/file_io.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace orvix::test {

#ifdef _WIN32
FileHeldOpen::FileHeldOpen(const std::filesystem::path& path) {
    const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    handle_ = handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

FileHeldOpen::~FileHeldOpen() {
    if (handle_ != nullptr) {
        ::CloseHandle(handle_);
    }
}

namespace {

// One word of a command line as the C runtime splits it again: quoted, a quote escaped with a
// backslash, backslashes doubled only before a quote.
std::wstring Quoted(const std::wstring& word) {
    std::wstring quoted = L"\"";
    std::size_t slashes = 0;
    for (const wchar_t c : word) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        quoted.append(c == L'"' ? 2 * slashes + 1 : slashes, L'\\');
        slashes = 0;
        quoted += c;
    }
    return quoted.append(2 * slashes, L'\\') + L"\"";
}

HANDLE Inherited(const std::filesystem::path& path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return ::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                         disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

int RunProgramWithFiles(const std::filesystem::path& program,
                        const std::vector<std::string>& arguments, const std::filesystem::path& out,
                        const std::filesystem::path& err) {
    std::wstring line = Quoted(program.wstring());
    for (const std::string& argument : arguments) {
        line += L" " + Quoted(PathFromUtf8(argument).wstring());
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = Inherited(L"NUL", GENERIC_READ, OPEN_EXISTING);
    startup.hStdOutput = Inherited(out, GENERIC_WRITE, CREATE_ALWAYS);
    startup.hStdError = Inherited(err, GENERIC_WRITE, CREATE_ALWAYS);
    PROCESS_INFORMATION process{};
    const bool started = ::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0,
                                          nullptr, nullptr, &startup, &process) != 0;
    DWORD status = static_cast<DWORD>(-1);
    if (started) {
        ::WaitForSingleObject(process.hProcess, INFINITE);
        ::GetExitCodeProcess(process.hProcess, &status);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    for (const HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) {
        if (handle != INVALID_HANDLE_VALUE) {
            ::CloseHandle(handle);
        }
    }
    return static_cast<int>(status);
}
#else
FileHeldOpen::FileHeldOpen(const std::filesystem::path&) {}
FileHeldOpen::~FileHeldOpen() = default;

int RunProgramWithFiles(const std::filesystem::path& program,
                        const std::vector<std::string>& arguments, const std::filesystem::path& out,
                        const std::filesystem::path& err) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    pid_t child = -1;
    const bool started =
        ::posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (!started || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}
#endif

} // namespace orvix::test
