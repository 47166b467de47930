#include <iostream>
#include <string>
#include <vector>

#include "cli/run_cli.h"
#include "storage/platform.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments = orvix::platform::ConsoleArguments(argc, argv);
    std::vector<const char*> pointers;
    for (const std::string& argument : arguments) {
        pointers.push_back(argument.c_str());
    }
    pointers.push_back(nullptr);
    return orvix::cli::RunCli(static_cast<int>(arguments.size()), pointers.data(), std::cout,
                              std::cerr);
}
