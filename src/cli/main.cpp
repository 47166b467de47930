#include <iostream>
#include <string>
#include <vector>

#include "cli/run_cli.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <stdio.h>

#include "storage/file_io.h"

// Windows gives the arguments as UTF-16: they are taken as such and made UTF-8, which is what
// the core takes everywhere; what is written goes out as UTF-8 bytes, untouched by text mode.
int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.push_back(orvix::Utf8FromPath(std::filesystem::path(argv[i])));
    }
    std::vector<const char*> pointers;
    for (const std::string& argument : arguments) {
        pointers.push_back(argument.c_str());
    }
    pointers.push_back(nullptr);
    return orvix::cli::RunCli(argc, pointers.data(), std::cout, std::cerr);
}
#else
int main(int argc, char** argv) {
    return orvix::cli::RunCli(argc, argv, std::cout, std::cerr);
}
#endif
