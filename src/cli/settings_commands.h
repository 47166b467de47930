#pragma once

// The settings commands: show, set and restore the setting files of the card through the
// settings data dialog, with its checks, questions and write order.

#include <string>
#include <vector>

#include "cli/image_session.h"

namespace orvix::cli {

struct SettingsArguments {
    std::string imagePath;
    bool json = false;
    std::vector<std::string> assignments; // "KEY=VALUE", in command-line order
};

// Each returns the exit status of the command.
int ShowSettings(const CommandContext& context, const SettingsArguments& arguments);
int SetSettings(const CommandContext& context, const SettingsArguments& arguments);
// Restore answers its own question with Yes.
int RestoreSettings(const CommandContext& context, const SettingsArguments& arguments);

} // namespace orvix::cli
