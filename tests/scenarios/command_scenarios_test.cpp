// Commands run on cards typed as text: each row of commands.txt names a card, a command line, the
// exit status, and the expected change of the whole card (or, for a .json, the output, with the
// card unchanged).

#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string_view>

#include "cli/cli_runner.h"
#include "support/card_diff.h"

namespace orvix::test {
namespace {

const std::filesystem::path kData = ORVIX2_SCENARIO_DATA;

// On Windows each row starts the real orvix2-cli.exe, as a person does; elsewhere the rows run in
// this process, where they are fast and the sanitizers see them.
CliResult RunRow(const TempFolder& temp, const std::vector<std::string>& words) {
#ifdef ORVIX2_SCENARIO_PROGRAM
    return RunProgramLine(temp, ORVIX2_SCENARIO_PROGRAM, words);
#else
    return RunCommandLine(temp, words);
#endif
}

#ifdef _WIN32
constexpr std::string_view kSystem = "windows:";
#else
constexpr std::string_view kSystem = "linux:";
#endif

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

// "name | card | status | command | expected [| note]" lines; '#' lines are comments. A note
// "skip: why" skips the row; "windows: ..." or "linux: ..." holds on that system alone: "skip:
// why", or "STATUS EXPECTED" in place of the row's own.
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
        Row row{cells[0], cells[1], std::stoi(cells[2]), cells[3], cells[4], cells[5]};
        if (row.skip.starts_with("windows:") || row.skip.starts_with("linux:")) {
            const std::string note = Trim(row.skip.substr(row.skip.find(':') + 1));
            const bool here = row.skip.starts_with(kSystem);
            row.skip.clear();
            if (here && note.starts_with("skip:")) {
                row.skip = note;
            } else if (here) {
                std::istringstream words(note);
                words >> row.status >> row.expected;
            }
        }
        rows.push_back(row);
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
    const CliResult result = RunRow(temp, words);
    EXPECT_EQ(result.status, row.status) << result.err;
    const bool reading = row.expected.ends_with(".json");
    if (reading) {
        // The expected output names the card folder "{card}/", which is the folder with the
        // system's separator, as a JSON string holds it (backslashes escaped).
        std::string expected = ReadText(kData / row.expected);
        const std::string quoted = nlohmann::json((temp / "card" / "").string()).dump();
        for (auto at = expected.find("{card}/"); at != std::string::npos;
             at = expected.find("{card}/")) {
            expected.replace(at, 7, quoted.substr(1, quoted.size() - 2));
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
