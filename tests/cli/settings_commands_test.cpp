#include "cli/settings_commands.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli_runner.h"

namespace orvix::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

class SettingsCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(RunCommandLine(temp_, {"demo", (temp_ / "card").string()}).status, 0);
    }
    CliResult Run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin() + 2, image_);
        return RunCommandLine(temp_, arguments);
    }
    nlohmann::json Show() {
        const CliResult shown = Run({"settings", "show", "--json"});
        EXPECT_EQ(shown.status, 0) << shown.err;
        return nlohmann::json::parse(shown.out);
    }
    Bytes File(const char* name) const { return ReadBytes(temp_ / "card" / name); }

    TempFolder temp_;
    std::string image_ = (temp_ / "card" / "STARTUP.BIN").string();
};

TEST_F(SettingsCommandTest, ShowReadsTheCardAsTheDialogDoes) {
    const nlohmann::json shown = Show();
    EXPECT_EQ(shown["random"], "variable");
    EXPECT_EQ(shown["timeoutCharge"], 216000);
    EXPECT_EQ(shown["birthday"], nlohmann::json::parse(R"({"month": 4, "day": 1})"));
    EXPECT_EQ(shown["tvMaker"], 0);
    EXPECT_EQ(shown["wakeUp"], "26/12/07 10:30:00");
    EXPECT_EQ(shown["servoLegs"], nlohmann::json::parse("[1, 32, 16]"));
    EXPECT_EQ(shown["powerUps"], nlohmann::json::parse("[1]"));
    EXPECT_EQ(shown["powerUpFlags"], "0x0000000000000008");
}

TEST_F(SettingsCommandTest, SetActsOnTheDialogAndWritesTheChangedFiles) {
    const CliResult set =
        Run({"settings", "set", "volume=7", "birthday=12/31", "random=5", "tvMaker=3",
             "servoLegs=2,30,10", "powerUps=+38,-1", "headSwitch=on", "--yes"});
    ASSERT_EQ(set.status, 0) << set.err;
    EXPECT_EQ(File("VOLUME.BIN"), (Bytes{7, 0}));
    EXPECT_EQ(File("MYBIRTHDAY.BIN"), (Bytes{12, 31}));
    EXPECT_EQ(File("TV_SETTING.BIN"), (Bytes{0x23, 0}));
    EXPECT_EQ(File("RND.BIN"), (Bytes{0})); // 第38回's random value, taken on the question
    EXPECT_EQ(File("QRCODE_FLAGBIT.BIN"), (Bytes{1, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(File("servo/SV11_ON.BIN"), (Bytes{2, 30, 10, 0}));
    EXPECT_EQ(File("servo/SV16_ON.BIN"), (Bytes{1, 32, 16, 0}));
    EXPECT_EQ(File("ENABLEINITML.BIN"), (Bytes{1}));
    EXPECT_EQ(Show()["powerUps"], nlohmann::json::parse("[38]"));

    ASSERT_EQ(Run({"settings", "set", "timeoutStand=5"}).status, 0);
    ASSERT_EQ(Run({"settings", "restore"}).status, 0);
    EXPECT_EQ(File("IDLE_TIMEOUT_STAND.BIN"), (Bytes{0x30, 0x2A, 0, 0}));
    EXPECT_EQ(File("RND.BIN"), (Bytes{0xFF}));
}

TEST_F(SettingsCommandTest, RefusalsAndUsageErrorsWriteNothing) {
    std::filesystem::remove(temp_ / "card" / "servo" / "SV16_ON.BIN");
    const Bytes volume = File("VOLUME.BIN");
    struct Case {
        std::vector<std::string> keys;
        int status;
    };
    const Case cases[] = {
        {{"volume=2", "timeoutSit=99999999999"}, 1}, // beyond 32 bits: message 155
        {{"volume=2", "headSwitch=on"}, 1},          // Cancel to message 172
        {{"volume=2", "powerUps=all"}, 1},           // No to message 170
        {{"volume=2", "servoArms=1,2,3"}, 2},        // no arm servo file on this card
        {{"volume=2", "wakeUp=1"}, 2},
        {{"volume=2", "powerUpFlags=1"}, 2},
        {{"volume=2", "tvMaker=8"}, 2},
        {{"volume=2", "powerUps=+42"}, 2},
    };
    for (const Case& c : cases) {
        std::vector<std::string> line{"settings", "set"};
        line.insert(line.end(), c.keys.begin(), c.keys.end());
        const CliResult result = Run(line);
        EXPECT_EQ(result.status, c.status) << c.keys[1] << result.err;
        EXPECT_EQ(File("VOLUME.BIN"), volume) << c.keys[1];
    }
}

} // namespace
} // namespace orvix::test
