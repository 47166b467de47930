#pragma once

// orvix2-cli: AREA VERB [OPTIONS] ARGS... running the same operations as the editor's dialogs.

#include <filesystem>
#include <ostream>
#include <vector>

namespace orvix::cli {

struct CliEnvironment {
    // The folder of Orvix2.ini, whose backups folder receives the copies the save makes; empty
    // for the folder the editor itself uses.
    std::filesystem::path settingsFolder;
    // Where the English catalogue may be; empty for the places beside the executable.
    std::vector<std::filesystem::path> catalogues;
};

// Runs one command line; output goes to out, messages and errors to err. Returns the exit status.
int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
           const CliEnvironment& environment = {});

} // namespace orvix::cli
