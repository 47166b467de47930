#pragma once

// The calibration commands: show, set and restore one calibration table of STARTUP.BIN through
// the same load, checks and save as the main dialog.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/image_session.h"

namespace orvix::cli {

// The names of the three tables on the command line, by tableSelector.
inline constexpr std::array<std::string_view, 3> kTableNames{"origin", "lower", "upper"};

struct CalibrationArguments {
    std::string imagePath;
    std::uint32_t table = 0;
    bool checkRange = true;
    bool json = false;
    std::optional<std::string> attenuator;
    std::vector<std::string> assignments; // "ID2=TEXT"
};

// One "ID2=TEXT" of the set command: the servo's index k and the text as typed.
struct ServoAssignment {
    int servo = 0;
    std::string text;
};

// The index of a table name, or none.
std::optional<std::uint32_t> TableByName(std::string_view name);

// Parses the assignments; on a bad form, an unknown servo or a servo named twice, says why on err
// and gives none.
std::optional<std::vector<ServoAssignment>>
ParseAssignments(const std::vector<std::string>& assignments, std::ostream& err);

// Each returns the exit status of the command.
int ShowCalibration(const CommandContext& context, const CalibrationArguments& arguments);
int SetCalibration(const CommandContext& context, const CalibrationArguments& arguments);
int RestoreCalibration(const CommandContext& context, const CalibrationArguments& arguments);

} // namespace orvix::cli
