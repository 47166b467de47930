#pragma once

// The user register commands: list the ten users, create one, change one through the user data
// dialog, and list the names on offer, through the same dialogs and checks as the editor.

#include <optional>
#include <string>

#include "cli/image_session.h"

namespace CLI {
class App;
class Option;
} // namespace CLI

namespace orvix::cli {

struct UsersArguments {
    std::string imagePath;
    bool json = false;
    std::string number;    // the user number, 1 to 10, as given (plain decimal digits)
    std::string nameIndex; // the name table entry, 1 to 2324, as given
    std::string birthday;
    std::string anniversary;
    std::string specialDay;
    std::string lessons; // "D,D,…", days 0 Sunday to 6 Saturday
    std::string garbage;
};

// The users commands and what the command line gave them; CLI11 fills the arguments in.
struct UserCommands {
    UsersArguments arguments;
    CLI::App* list = nullptr;
    CLI::App* create = nullptr;
    CLI::App* set = nullptr;
    CLI::App* names = nullptr;
    CLI::Option* nameIndex = nullptr;
    CLI::Option* birthday = nullptr;
    CLI::Option* anniversary = nullptr;
    CLI::Option* specialDay = nullptr;
    CLI::Option* lessons = nullptr;
    CLI::Option* garbage = nullptr;
};

void DefineUserCommands(CLI::App& app, UserCommands& commands);

// The exit status of the users command that was given, or none when the command was another.
std::optional<int> RunUserCommands(const UserCommands& commands, const CommandContext& context);

// The weekday set of a list "0,6" of day numbers, 0 Sunday to 6 Saturday; an empty list is no
// day. None for anything else.
std::optional<std::uint8_t> ParseDayList(const std::string& text);

} // namespace orvix::cli
