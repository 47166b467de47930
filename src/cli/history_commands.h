#pragma once

// The card history commands: diff (two cards, files or points by meaning), history (a card's
// entries, newest first) and restore (a point, after a question).

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <vector>

#include "cli/image_session.h"

namespace orvix::cli {

struct HistoryArguments {
    CLI::App* diff = nullptr;
    CLI::App* history = nullptr;
    CLI::App* restore = nullptr;
    std::string a;
    std::string b;
    bool standard = false;
    bool json = false;
    std::vector<std::string> only;
    bool force = false;
};

void DefineHistoryCommands(CLI::App& app, HistoryArguments& arguments);

// The exit status of the history command given, or none when none was.
std::optional<int> RunHistoryCommands(const HistoryArguments& arguments,
                                      const CommandContext& context);

} // namespace orvix::cli
