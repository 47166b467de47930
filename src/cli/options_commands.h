#pragma once

// The program change commands: show and set the options of the robot's program, set the eye
// colour, and apply a CSV patch file, through the same dialog and checks as the editor.

#include <optional>
#include <string>
#include <vector>

#include "cli/cli_prompter.h"
#include "cli/image_session.h"

namespace orvix::cli {

struct OptionsArguments {
    std::string imagePath;
    bool checkRange = true;
    bool json = false;
    std::string codeFolder;               // empty: the folder of Orvix2.ini
    std::vector<std::string> assignments; // "FIELD=VALUE", in command-line order
    std::string colour;                   // "standard" or "R,G,B"
    bool energySaving = false;
    bool noBlink = false;
    std::string patchPath;
};

// Each returns the exit status of the command. The prompter is the context's, as a CliPrompter,
// so that a chosen file or colour can be given to it.
int ShowOptions(const CommandContext& context, const OptionsArguments& arguments);
int SetOptions(const CommandContext& context, const OptionsArguments& arguments);
int SetEyeColour(const CommandContext& context, CliPrompter& prompter,
                 const OptionsArguments& arguments);
int ApplyPatch(const CommandContext& context, CliPrompter& prompter,
               const OptionsArguments& arguments);

} // namespace orvix::cli
