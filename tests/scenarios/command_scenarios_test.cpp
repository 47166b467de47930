// Commands run on cards typed as text: each row of commands.txt names a card, a command line, the
// exit status, and the expected change of the whole card (or, for a .json, the output, with the
// card unchanged).

#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli/cli_runner.h"
#include "support/card_diff.h"

namespace orvix::test {
namespace {

const std::filesystem::path kData = ORVIX2_SCENARIO_DATA;

struct Row {
    std::string name;
    std::string card;
    int status = 0;
    std::string command;
    std::string expected;
    std::string skip; // why the row waits, if it does
};

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    return first == std::string::npos ? ""
                                      : text.substr(first, text.find_last_not_of(' ') + 1 - first);
}

// "name | card | status | command | expected [| skip: reason]" lines; '#' lines are comments.
std::vector<Row> Rows() {
    std::vector<Row> rows;
    std::ifstream in(kData / "commands.txt");
    for (std::string line; std::getline(in, line);) {
        if (Trim(line).empty() || Trim(line).starts_with('#')) {
            continue;
        }
        std::vector<std::string> cells;
        for (std::size_t at = 0, bar = 0; bar != std::string::npos; at = bar + 1) {
            bar = line.find('|', at);
            cells.push_back(Trim(line.substr(at, bar - at)));
        }
        cells.resize(6);
        rows.push_back({cells[0], cells[1], std::stoi(cells[2]), cells[3], cells[4], cells[5]});
    }
    return rows;
}

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.command;
}

class CommandScenario : public ::testing::TestWithParam<Row> {};

TEST_P(CommandScenario, ChangesTheCardAsDocumented) {
    const Row& row = GetParam();
    if (!row.skip.empty()) {
        GTEST_SKIP() << row.skip;
    }
    TempFolder temp;
    CardState before;
    ApplyDescription(kData / "cards" / row.card, before);
    WriteCard(before, temp / "card", temp / "settings");
    // Words of the command; "@NAME" is a card file (@ alone STARTUP.BIN, @/ the card folder),
    // "%NAME" a code file, '' an empty word.
    std::vector<std::string> words;
    std::istringstream in(row.command);
    for (std::string word; in >> word;) {
        if (word.starts_with('@')) {
            word = word == "@/"
                       ? (temp / "card").string()
                       : (temp / "card" / (word == "@" ? "STARTUP.BIN" : word.substr(1))).string();
        } else if (word.starts_with('%')) {
            word = (temp / "settings" / word.substr(1)).string();
        }
        words.push_back(word == "''" ? "" : word);
    }
    const FileIds ids = SnapshotIds(temp / "card");
    const CliResult result = RunCommandLine(temp, words);
    EXPECT_EQ(result.status, row.status) << result.err;
    const bool reading = row.expected.ends_with(".json");
    if (reading) {
        // The expected output names the card folder {card}.
        std::string expected = ReadText(kData / row.expected);
        for (auto at = expected.find("{card}"); at != std::string::npos;
             at = expected.find("{card}")) {
            expected.replace(at, 6, (temp / "card").string());
        }
        EXPECT_EQ(nlohmann::json::parse(result.out, nullptr, false).dump(1),
                  nlohmann::json::parse(expected, nullptr, false).dump(1));
    }
    EXPECT_EQ(CompareChange(before, SnapshotFolder(temp / "card"),
                            kData / (reading ? "unchanged.txt" : row.expected), ids,
                            SnapshotIds(temp / "card")),
              "")
        << result.err;
}

INSTANTIATE_TEST_SUITE_P(Card, CommandScenario, ::testing::ValuesIn(Rows()),
                         [](const auto& info) { return info.param.name; });

} // namespace
} // namespace orvix::test
