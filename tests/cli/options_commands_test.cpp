#include "cli/options_commands.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli_runner.h"
#include "options/remote_extension.h"
#include "resources/string_table.h"

namespace orvix::test {
namespace {

bool Contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

// A demo card of the tool's own, with its synthetic code files.
class OptionsCommandTest : public ::testing::Test {
protected:
    void MakeCard(const char* layout = "A") {
        const CliResult made =
            RunCommandLine(temp_, {"demo", (temp_ / "card").string(), "--layout", layout});
        ASSERT_EQ(made.status, 0) << made.err;
    }

    CliResult Run(std::vector<std::string> arguments) { return RunCommandLine(temp_, arguments); }
    nlohmann::json Show() {
        const CliResult shown = Run({"options", "show", path_, "--json"});
        EXPECT_EQ(shown.status, 0) << shown.err;
        return nlohmann::json::parse(shown.out);
    }

    TempFolder temp_;
    std::filesystem::path image_ = temp_ / "card" / "STARTUP.BIN";
    std::string path_ = image_.string();
    std::string code_ = (temp_ / "card" / "code").string();
};

TEST_F(OptionsCommandTest, ShowReadsTheOptionsOfEitherLayout) {
    MakeCard("B");
    const nlohmann::json shown = Show();
    EXPECT_EQ(shown["layout"], "B");
    EXPECT_EQ(shown["size"], 4'309'671);
    EXPECT_EQ(shown["walkSteps"], 4);
    EXPECT_EQ(shown["torqueOn"], true);
    EXPECT_EQ(shown["servoParametersAvailable"], false);
    EXPECT_EQ(shown["eyeColour"]["first"], nlohmann::json::parse("[175,70,0]"));
    EXPECT_EQ(shown.size(), 28u);

    WriteBytes(temp_ / "small" / "STARTUP.BIN", std::vector<std::uint8_t>(5000, 0));
    const CliResult small = Run({"options", "show", (temp_ / "small" / "STARTUP.BIN").string()});
    EXPECT_EQ(small.status, 1);
    EXPECT_TRUE(Contains(small.err, LoadString(IDP_WRONG_PROGRAM)));
}

TEST_F(OptionsCommandTest, SetActsOnTheDialogAndRoundTrips) {
    MakeCard();
    const auto original = ReadBytes(image_);
    // Without --yes, message 148 is answered No: nothing is written.
    const CliResult refused =
        Run({"options", "set", path_, "remoteSupport=on", "--code-dir", code_});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(ReadBytes(image_) == original);

    const CliResult set =
        Run({"options", "set", path_, "torqueOn=off", "voltageMonitor=off", "walkSteps=12",
             "remoteSupport=on", "startCode=2000", "syncStartDelay=20", "servoParameters=on",
             "--yes", "--code-dir", code_});
    ASSERT_EQ(set.status, 0) << set.err;
    EXPECT_TRUE(Contains(set.err, LoadString(IDP_VOLTAGE_WARNING)));
    EXPECT_EQ(ReadBytes(image_).size(), 4'730'880u);
    const nlohmann::json shown = Show();
    EXPECT_EQ(shown["torqueOn"], false);
    EXPECT_EQ(shown["voltageMonitor"], false);
    EXPECT_EQ(shown["walkSteps"], 12);
    EXPECT_EQ(shown["remoteSupportFixed"], true);
    EXPECT_EQ(shown["bluetooth"], true);
    EXPECT_EQ(shown["startCode"], 2000);
    EXPECT_EQ(shown["syncStartDelay"], 20);
    EXPECT_EQ(shown["servoParameters"], true);

    struct Usage {
        std::vector<std::string> assignments;
        const char* says;
    };
    const Usage usages[] = {
        {{"bluetooth=off"}, "bluetooth"}, // fixed with the extension loaded
        {{"armAngleFixed=on"}, "armAngleFixed"},
        {{"torqueOn=maybe"}, "torqueOn"},
        {{"colour=on"}, "colour=on"},
        {{}, "nothing to set"},
    };
    for (const Usage& usage : usages) {
        std::vector<std::string> line{"options", "set", path_};
        line.insert(line.end(), usage.assignments.begin(), usage.assignments.end());
        const CliResult result = Run(line);
        EXPECT_EQ(result.status, 2) << usage.says;
        EXPECT_TRUE(Contains(result.err, usage.says)) << result.err;
    }
}

TEST_F(OptionsCommandTest, EyeColourAndPatchFiles) {
    MakeCard();
    ASSERT_EQ(Run({"options", "eye-colour", path_, "200,100,50", "--energy-saving"}).status, 0);
    EXPECT_EQ(Show()["eyeColour"]["second"], nlohmann::json::parse("[50,25,12]"));
    EXPECT_EQ(Run({"options", "eye-colour", path_, "256,0,0"}).status, 2);

    struct Patch {
        std::string text;
        int status;
        int message;
    };
    // The demo program holds 1 at the torque byte 0xFD2 (4050).
    const Patch patches[] = {
        {"# nothing\n", 0, 0},
        {"4050,1,0\n", 0, IDP_PATCH_APPLIED},
        {"4050,1,0\n", 1, IDP_PATCH_ALREADY_APPLIED},
        {"4051,0x44,0\n", 1, IDP_PATCH_FAILED}, // names the address as [0x00000fd3]
    };
    for (const Patch& patch : patches) {
        WriteText(temp_ / "patch.csv", patch.text);
        const CliResult result =
            Run({"patch", path_, (temp_ / "patch.csv").string(), "--code-dir", code_});
        EXPECT_EQ(result.status, patch.status) << patch.text << result.err;
        if (patch.message != 0) {
            EXPECT_TRUE(Contains(result.err, LoadString(patch.message).substr(0, 30)))
                << result.err;
        }
        if (patch.message == IDP_PATCH_FAILED) {
            EXPECT_TRUE(Contains(result.err, "[0x00000fd3]")) << result.err;
        }
    }
    EXPECT_EQ(Show()["torqueOn"], false); // the patched option was not put back
    EXPECT_EQ(Run({"patch", path_, (temp_ / "none.csv").string()}).status, 1);
}

TEST_F(OptionsCommandTest, DemoCodeFilesPassTheChecks) {
    MakeCard();
    std::string problem;
    EXPECT_TRUE(ParseRemoteBlocks(ReadBytes(temp_ / "card" / "code" / "REMOTEBLK.BIN"), problem))
        << problem;
    EXPECT_TRUE(Contains(ReadText(temp_ / "card" / "DEMO.txt"), "not robot code"));
}

} // namespace
} // namespace orvix::test
