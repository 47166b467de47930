#pragma once

// What the history's command and dialog tests start from: typed cards and saves made through the
// tool.

#include <regex>
#include <string>
#include <vector>

#include "cli/cli_runner.h"
#include "support/card_diff.h"

namespace orvix::test {

// The recorded times as TIME.
inline std::string WithoutTimes(const std::string& text) {
    return std::regex_replace(text, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d)"), "TIME");
}

// Writes the card a description in the test data's history folder gives.
inline void MakeHistoryCard(const std::string& description, const std::filesystem::path& folder,
                            const TempFolder& temp) {
    CardState state;
    ApplyDescription(std::filesystem::path(ORVIX2_TEST_DATA) / "history" / description, state);
    WriteCard(state, folder, temp / "settings");
}

// On the layout A card, a calibration, an option and a setting, each saved on its own; the card
// before each save and after the last.
inline std::vector<CardFiles> ThreeSaves(const TempFolder& temp,
                                         const std::filesystem::path& card) {
    const std::string image = (card / "STARTUP.BIN").string();
    std::vector<CardFiles> states;
    for (const std::vector<std::string>& save :
         {std::vector<std::string>{"calibration", "set", image, "ID2=30"},
          {"options", "set", image, "walkSteps=12"},
          {"settings", "set", image, "volume=7"}}) {
        states.push_back(SnapshotFolder(card));
        const CliResult result = RunCommandLine(temp, save);
        EXPECT_EQ(result.status, 0) << result.err;
    }
    states.push_back(SnapshotFolder(card));
    return states;
}

} // namespace orvix::test
