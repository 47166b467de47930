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

// Each row on the same card, with SERVO.BIN as given (none: missing), the image one byte longer
// where asked: the file is written with the same bytes, and a change asked for and not made is
// named with exit status 3; a value refused is named with exit status 1.
TEST_F(OptionsCommandTest, SetNamesWhatWasRefusedOrNotMade) {
    using Bytes = std::vector<std::uint8_t>;
    const std::tuple<std::vector<std::string>, std::optional<Bytes>, bool, int, const char*>
        cases[] = {
            {{"servoParameters=on"}, std::nullopt, false, 3, "not changed: servoParameters=on"},
            {{"servoParameters=on"}, Bytes(2956, 1), false, 3, "not changed: servoParameters=on"},
            {{"servoParameters=on"}, Bytes{}, false, 3, "SERVO.BIN: empty"},
            {{"servoParameters=on"}, Bytes(64, 0), false, 3, "SERVO.BIN: holds only zero bytes"},
            {{"servoParameters=on"}, Bytes(64, 1), true, 3, "プログラムが間違っています\nプロ"},
            {{"startCode=2000"}, Bytes(64, 1), false, 3, "not changed: startCode=2000"},
            {{"startCode=1154"}, Bytes(64, 1), false, 3, "not changed: startCode=1154"},
            {{"walkSteps=0"}, Bytes(64, 1), false, 1, "refused: walkSteps=0\n"},
            {{"remoteSupport=on", "startCode=65537", "--yes"},
             Bytes(64, 1),
             false,
             1,
             "(1～65536)を越えています\norvix2-cli: refused: startCode=65537\n"},
        };
    MakeCard();
    const std::filesystem::path code = temp_ / "card/code";
    const Bytes made = Card();
    for (auto [arguments, servoCode, longer, status, says] : cases) {
        std::filesystem::remove(code / "SERVO.BIN");
        if (servoCode) {
            WriteBytes(code / "SERVO.BIN", *servoCode);
        }
        Bytes original = made;
        original.resize(made.size() + (longer ? 1 : 0));
        WriteBytes(image_, original);
        arguments.insert(arguments.end(), {"--code-dir", code.string()});
        const CliResult result = On("options", "set", arguments);
        EXPECT_EQ(result.status, status) << arguments[0] << result.err;
        EXPECT_TRUE(Contains(result.err, says) && Card() == original) << result.err;
    }
    // Voice playback asked for without VOICE.BIN: the extension is rebuilt as it was.
    WriteBytes(image_, made);
    const std::string dir = "--code-dir=" + code.string();
    ASSERT_EQ(On("options", "set", {"remoteSupport=on", "voicePlayback=off", "--yes", dir}).status,
              0);
    const Bytes remote = Card();
    std::filesystem::remove(code / "VOICE.BIN");
    const CliResult voice = On("options", "set", {"voicePlayback=on", dir});
    EXPECT_EQ(voice.status, 3);
    EXPECT_TRUE(Contains(voice.err, "not changed: voicePlayback=on") && Card() == remote);
}

TEST_F(OptionsCommandTest, EyeColourAndPatchFiles) {
    MakeCard();
    ASSERT_EQ(On("options", "eye-colour", {"200,100,50", "--energy-saving"}).status, 0);
    EXPECT_EQ(Json("options", "show")["eyeColour"]["second"], nlohmann::json::parse("[50,25,12]"));
    EXPECT_EQ(On("options", "eye-colour", {"256,0,0"}).status, 2);

    // The demo program holds 1 at the torque byte 0xFD2 (4050). A file in which no entry is found
    // is passed over by the editor; the tool says so.
    const std::tuple<std::string, int, const char*> patches[] = {
        {"# nothing\n", 1, "holds no entry"},
        {std::string("\xFF\xFE\x34\0\x30\0\x35\0\x30\0,\0*\0,\0\x30\0", 18), 1,
         "no entry"},                                       // UTF-16
        {" 4050,1,0\n\"4050\",1,0\n", 1, "holds no entry"}, // indented, quoted
        {"4050,1,0\n", 0, "[1]ヶ所にパッチを適用しました"},
        {"4050,1,0\n", 1, "既にパッチは適用されています"},
        {"4051,0x44,0\n", 1, "[0x00000fd3]"},
        {"# a\n0x0000000064,*,5\n", 1, "[2行目]\n"}, // no address but the line
        {"# a\n0x0000000064,*,5\n", 1, "patch.csv:2: \"0x0000000064,*,5\": no entry"},
    };
    const std::string csv = (temp_ / "patch.csv").string();
    for (const auto& [text, status, says] : patches) {
        WriteText(csv, text);
        const auto before = Card();
        const CliResult result =
            Run({"patch", path_, csv, "--code-dir", (temp_ / "card/code").string()});
        EXPECT_EQ(result.status, status) << text << result.err;
        EXPECT_TRUE(Contains(result.err, says)) << result.err;
        EXPECT_EQ(status == 0, Card() != before) << result.err;
    }
    // The short variant of 4,011 bytes carries no program to patch.
    const std::vector<std::uint8_t> shortFile(4011, 0x11);
    WriteBytes(temp_ / "short/SHORT.BIN", shortFile);
    const CliResult refused = Run({"patch", (temp_ / "short/SHORT.BIN").string(), csv});
    EXPECT_TRUE(refused.status == 1 && Contains(refused.err, "short variant")) << refused.err;
    EXPECT_EQ(ReadBytes(temp_ / "short/SHORT.BIN"), shortFile);
    EXPECT_EQ(Json("options", "show")["torqueOn"], false); // the patched option was not put back
    EXPECT_EQ(Run({"patch", path_, (temp_ / "none.csv").string()}).status, 1);
}

} // namespace
} // namespace orvix::test
