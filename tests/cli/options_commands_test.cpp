#include "cli/options_commands.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli_runner.h"
#include "resources/string_table.h"

namespace orvix::test {
namespace {

using OptionsCommandTest = CardTest;

TEST_F(OptionsCommandTest, ShowReadsTheOptionsOfEitherLayout) {
    MakeCard("B");
    const nlohmann::json shown = Json("options", "show");
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
    const std::string code = (temp_ / "card" / "code").string();
    const auto original = Card();
    // Without --yes, message 148 is answered No: nothing is written.
    EXPECT_EQ(On("options", "set", {"remoteSupport=on", "--code-dir", code}).status, 1);
    EXPECT_TRUE(Card() == original);

    const CliResult set = On("options", "set",
                             {"torqueOn=off", "voltageMonitor=off", "walkSteps=12",
                              "remoteSupport=on", "startCode=2000", "syncStartDelay=20",
                              "servoParameters=on", "--yes", "--code-dir", code});
    ASSERT_EQ(set.status, 0) << set.err;
    EXPECT_TRUE(Contains(set.err, LoadString(IDP_VOLTAGE_WARNING)));
    EXPECT_EQ(Card().size(), 4'730'880u);
    const nlohmann::json shown = Json("options", "show");
    for (const char* off : {"torqueOn", "voltageMonitor"}) {
        EXPECT_EQ(shown[off], false) << off;
    }
    for (const char* on : {"remoteSupportFixed", "bluetooth", "servoParameters"}) {
        EXPECT_EQ(shown[on], true) << on;
    }
    EXPECT_EQ(shown["walkSteps"], 12);
    EXPECT_EQ(shown["startCode"], 2000);
    EXPECT_EQ(shown["syncStartDelay"], 20);

    const std::pair<std::vector<std::string>, const char*> usages[] = {
        {{"bluetooth=off"}, "bluetooth"}, // fixed with the extension loaded
        {{"armAngleFixed=on"}, "armAngleFixed"},
        {{"torqueOn=maybe"}, "torqueOn"},
        {{"colour=on"}, "colour=on"},
        {{}, "nothing to set"},
    };
    for (const auto& [assignments, says] : usages) {
        const CliResult result = On("options", "set", assignments);
        EXPECT_EQ(result.status, 2) << says;
        EXPECT_TRUE(Contains(result.err, says)) << result.err;
    }
}

TEST_F(OptionsCommandTest, EyeColourAndPatchFiles) {
    MakeCard();
    ASSERT_EQ(On("options", "eye-colour", {"200,100,50", "--energy-saving"}).status, 0);
    EXPECT_EQ(Json("options", "show")["eyeColour"]["second"], nlohmann::json::parse("[50,25,12]"));
    EXPECT_EQ(On("options", "eye-colour", {"256,0,0"}).status, 2);

    // The demo program holds 1 at the torque byte 0xFD2 (4050).
    const std::tuple<std::string, int, int> patches[] = {
        {"# nothing\n", 0, 0},
        {"4050,1,0\n", 0, IDP_PATCH_APPLIED},
        {"4050,1,0\n", 1, IDP_PATCH_ALREADY_APPLIED},
        {"4051,0x44,0\n", 1, IDP_PATCH_FAILED}, // names the address as [0x00000fd3]
    };
    const std::string csv = (temp_ / "patch.csv").string();
    for (const auto& [text, status, message] : patches) {
        WriteText(csv, text);
        const CliResult result =
            Run({"patch", path_, csv, "--code-dir", (temp_ / "card/code").string()});
        EXPECT_EQ(result.status, status) << text << result.err;
        if (message != 0) {
            EXPECT_TRUE(Contains(result.err, LoadString(message).substr(0, 30))) << result.err;
        }
        EXPECT_EQ(message == IDP_PATCH_FAILED, Contains(result.err, "[0x00000fd3]")) << result.err;
    }
    EXPECT_EQ(Json("options", "show")["torqueOn"], false); // the patched option was not put back
    EXPECT_EQ(Run({"patch", path_, (temp_ / "none.csv").string()}).status, 1);
}

} // namespace
} // namespace orvix::test
