#pragma once

// Another program's lock on a card, as a second process of Orvix2 would hold it: the seam's lock
// taken on a thread of its own, outside this process's table of held cards (on Windows a named
// mutex belongs to the thread that took it; on POSIX each flock is its own open folder).

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "storage/platform.h"
#include "support/temp_folder.h"

namespace orvix::test {

class OtherProgram {
public:
    using Mode = platform::CardFolderLock::Mode;

    explicit OtherProgram(const std::filesystem::path& folder, Mode mode = Mode::Exclusive)
        : thread_([this, folder, mode] {
              platform::CardFolderLock lock(folder, std::chrono::milliseconds(0), mode);
              held_.set_value(lock.GetState() == platform::CardFolderLock::State::Held);
              release_.get_future().wait();
          }) {
        holds_ = held_.get_future().get();
    }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;
    ~OtherProgram() {
        release_.set_value();
        thread_.join();
    }

    // Whether it got the lock (it keeps it until it goes).
    bool Holds() const { return holds_; }

private:
    std::promise<bool> held_;
    std::promise<void> release_;
    bool holds_ = false;
    std::thread thread_; // last: started once the promises are there
};

// A file another program holds open without sharing it, as Windows lets a program do (an
// editor, a virus scanner): neither read nor written by anyone else until it goes. POSIX has no
// such thing: Holds() is then false.
class FileHeldOpen {
public:
    explicit FileHeldOpen(const std::filesystem::path& path);
    FileHeldOpen(const FileHeldOpen&) = delete;
    FileHeldOpen& operator=(const FileHeldOpen&) = delete;
    ~FileHeldOpen();
    bool Holds() const { return handle_ != nullptr; }

private:
    void* handle_ = nullptr;
};

// A portable copy of a program of Orvix2 in folder: an Orvix2.ini beside it makes its folder take
// the settings file and the backups. Its path quoted, for a command line.
inline std::string PortableCopy(const std::filesystem::path& program,
                                const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(program, folder / program.filename());
    WriteText(folder / "Orvix2.ini", "");
    return "\"" + (folder / program.filename()).string() + "\"";
}

// Runs a command line through the system's shell (sh, cmd.exe; "A >OUT 2>ERR" works in both) and
// gives the program's exit status, -1 when it did not end by itself.
inline int RunProgram(const std::string& commandLine) {
#ifdef _WIN32
    // cmd.exe /c takes the first and the last quote away when there are several.
    return std::system(("\"" + commandLine + "\"").c_str());
#else
    const int result = std::system(commandLine.c_str());
    return (result & 0x7f) == 0 ? (result >> 8) & 0xff : -1;
#endif
}

// Starts program with the arguments (UTF-8; each reaches it as one word, whatever it holds),
// its standard output and error going into the files out and err, and waits for it: its exit
// status, -1 when it could not be started or did not end by itself. No shell comes between.
int RunProgramWithFiles(const std::filesystem::path& program,
                        const std::vector<std::string>& arguments, const std::filesystem::path& out,
                        const std::filesystem::path& err);

} // namespace orvix::test
