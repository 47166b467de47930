#pragma once

#include <string>
#include <vector>

namespace orvix {

// What an editor's command line asks for: [--lang ja|en] [-h|--help] [--version]
// [STARTUP.BIN | CARD-FOLDER].
struct EditorCommandLine {
    enum class Action { Run, Help, Version, Usage };
    Action action = Action::Run;
    std::string language; // the --lang value, empty when not given
    std::string image;    // the one argument, empty when not given
};

// Help and --version win over everything else but a language that is not ja or en; an unknown
// option or a second argument is a usage error.
EditorCommandLine ParseEditorCommandLine(const std::vector<std::string>& arguments);

// The front end whose help is shown: each adds a line of its own.
enum class EditorFrontEnd { Qt, Windows };

// The usage line, and the whole help (the usage line first), in the interface language.
std::string EditorUsage();
std::string EditorHelp(EditorFrontEnd frontEnd);

} // namespace orvix
