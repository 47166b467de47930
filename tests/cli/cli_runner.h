#pragma once

// Runs orvix2-cli command lines in-process with captured streams and a settings folder of the
// test's own.

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/run_cli.h"
#include "support/temp_folder.h"

namespace orvix::test {

struct CliResult {
    int status = -1;
    std::string out;
    std::string err;
};

inline CliResult RunCommandLine(const TempFolder& temp, std::vector<std::string> arguments) {
    std::vector<const char*> argv{"orvix2-cli"};
    for (const std::string& argument : arguments) {
        argv.push_back(argument.c_str());
    }
    // The editor's settings folder always exists by the time a command runs.
    std::filesystem::create_directories(temp / "settings");
    std::ostringstream out;
    std::ostringstream err;
    CliResult result;
    result.status = cli::RunCli(static_cast<int>(argv.size()), argv.data(), out, err,
                                cli::CliEnvironment{temp / "settings"});
    result.out = out.str();
    result.err = err.str();
    return result;
}

} // namespace orvix::test
