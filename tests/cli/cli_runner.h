#pragma once

// Runs orvix2-cli command lines in-process with captured streams and a settings folder of the
// test's own, or through the program itself.

#include <filesystem>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/run_cli.h"
#include "support/other_program.h"
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
                                cli::CliEnvironment{temp / "settings", {ORVIX2_TEST_CATALOGUE}});
    result.out = out.str();
    result.err = err.str();
    return result;
}

// The same through the program itself: a portable copy of it in the test's settings folder (a
// hard link where the file system has them), so that it takes that folder as its own.
inline CliResult RunProgramLine(const TempFolder& temp, const std::filesystem::path& program,
                                const std::vector<std::string>& arguments) {
    const std::filesystem::path copy = temp / "settings" / program.filename();
    if (!std::filesystem::exists(copy)) {
        std::filesystem::create_directories(copy.parent_path());
        std::error_code error;
        std::filesystem::create_hard_link(program, copy, error);
        if (error) {
            std::filesystem::copy_file(program, copy);
        }
        if (!std::filesystem::exists(temp / "settings" / "Orvix2.ini")) {
            WriteText(temp / "settings" / "Orvix2.ini", "");
        }
    }
    CliResult result;
    result.status = RunProgramWithFiles(copy, arguments, temp / "out.txt", temp / "err.txt");
    result.out = ReadText(temp / "out.txt");
    result.err = ReadText(temp / "err.txt");
    return result;
}

inline bool Contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

// Commands on a demo card of the tool's own, card/STARTUP.BIN in a folder of the test's own.
class CardTest : public ::testing::Test {
protected:
    void MakeCard(const char* layout = "A") {
        const CliResult made =
            RunCommandLine(temp_, {"demo", (temp_ / "card").string(), "--layout", layout});
        ASSERT_EQ(made.status, 0) << made.err;
    }
    CliResult Run(std::vector<std::string> arguments) { return RunCommandLine(temp_, arguments); }
    // "VERB SUB IMAGE REST...", the image being the card's.
    CliResult On(std::string verb, std::string sub, std::vector<std::string> rest = {}) {
        rest.insert(rest.begin(), {verb, sub, path_});
        return Run(rest);
    }
    // The same with --json, which must succeed.
    nlohmann::json Json(std::string verb, std::string sub, std::vector<std::string> rest = {}) {
        rest.push_back("--json");
        const CliResult result = On(verb, sub, rest);
        EXPECT_EQ(result.status, 0) << result.err;
        return nlohmann::json::parse(result.out);
    }
    std::vector<std::uint8_t> Card(const std::string& name = "STARTUP.BIN") const {
        return ReadBytes(temp_ / "card" / name);
    }

    TempFolder temp_;
    std::filesystem::path image_ = temp_ / "card" / "STARTUP.BIN";
    std::string path_ = image_.string();
};

} // namespace orvix::test
