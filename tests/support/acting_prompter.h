#pragma once

// A scripted prompter that lets something happen while a message is on screen (another program
// taking the card's lock or changing a file), as a person's slow answer would let it.

#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/file.h>
#include <unistd.h>

#include "support/scripted_prompter.h"

namespace orvix::test {

class ActingPrompter : public ScriptedPrompter {
public:
    // Runs before each message is answered, with its ID.
    std::function<void(int messageId)> whileShown;

    ui::Answer ShowMessage(const ui::MessageRequest& request) override {
        if (whileShown) {
            whileShown(request.messageId);
        }
        return ScriptedPrompter::ShowMessage(request);
    }
};

// Whether another program could take the card's lock (on the folder) now, exclusive, at once.
inline bool AnotherProgramCouldLock(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool locked = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (fd >= 0) {
        ::close(fd); // ends the lock
    }
    return locked;
}

} // namespace orvix::test
