#pragma once

// The command line's own texts in the interface language: the help of each command and option
// (Japanese in the source, English from the catalogue), CLI11's labels ("Options", "Usage") and
// its failure messages.

#include <CLI/CLI.hpp>
#include <string>
#include <string_view>

#include "resources/translation.h"

namespace orvix::cli {

// A help text in the interface language.
inline std::string Help(std::string_view japanese) {
    return std::string(Translate(japanese));
}

// Gives app and every subcommand of it the labels, group names and help flag texts of the
// interface language, and words its failures so (call once every command is defined).
void UseInterfaceLanguage(CLI::App& app);

// A CLI11 failure as the tool says it: what is wrong, then how to see the help.
std::string FailureText(const CLI::Error& error);

} // namespace orvix::cli
