#include "cli/settings_commands.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli_runner.h"

namespace orvix::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

class SettingsCommandTest : public CardTest {
protected:
    void SetUp() override { MakeCard(); }
};

TEST_F(SettingsCommandTest, ShowReadsTheCardAsTheDialogDoes) {
    const nlohmann::json shown = Json("settings", "show");
    const nlohmann::json expected = nlohmann::json::parse(R"({"random": "variable",
        "timeoutCharge": 216000, "birthday": {"month": 4, "day": 1}, "tvMaker": 0,
        "wakeUp": "26/12/07 10:30:00", "servoLegs": [1, 32, 16], "powerUps": [1],
        "powerUpFlags": "0x0000000000000008"})");
    for (const auto& [key, value] : expected.items()) {
        EXPECT_EQ(shown[key], value) << key;
    }
}

TEST_F(SettingsCommandTest, SetActsOnTheDialogAndWritesTheChangedFiles) {
    const CliResult set = On("settings", "set",
                             {"volume=7", "birthday=12/31", "random=5", "tvMaker=3",
                              "servoLegs=2,30,10", "powerUps=+38,-1", "headSwitch=on", "--yes"});
    ASSERT_EQ(set.status, 0) << set.err;
    const std::pair<const char*, Bytes> files[] = {
        {"VOLUME.BIN", {7, 0}},
        {"MYBIRTHDAY.BIN", {12, 31}},
        {"TV_SETTING.BIN", {0x23, 0}},
        {"RND.BIN", {0}}, // 第38回's random value, taken on the question
        {"QRCODE_FLAGBIT.BIN", {1, 0, 0, 0, 0, 0, 0, 0}},
        {"servo/SV11_ON.BIN", {2, 30, 10, 0}},
        {"servo/SV16_ON.BIN", {1, 32, 16, 0}},
        {"ENABLEINITML.BIN", {1}},
    };
    for (const auto& [name, bytes] : files) {
        EXPECT_EQ(Card(name), bytes) << name;
    }
    EXPECT_EQ(Json("settings", "show")["powerUps"], nlohmann::json::parse("[38]"));

    ASSERT_EQ(On("settings", "set", {"timeoutStand=5"}).status, 0);
    ASSERT_EQ(On("settings", "restore").status, 0);
    EXPECT_EQ(Card("IDLE_TIMEOUT_STAND.BIN"), (Bytes{0x30, 0x2A, 0, 0}));
    EXPECT_EQ(Card("RND.BIN"), (Bytes{0xFF}));
}

TEST_F(SettingsCommandTest, RefusalsAndUsageErrorsWriteNothing) {
    std::filesystem::remove(temp_ / "card" / "servo" / "SV16_ON.BIN");
    const Bytes volume = Card("VOLUME.BIN");
    const std::pair<const char*, int> cases[] = {
        {"timeoutSit=99999999999", 1}, // beyond 32 bits: message 155
        {"headSwitch=on", 1},          // Cancel to message 172
        {"powerUps=all", 1},           // No to message 170
        {"servoArms=1,2,3", 2},        // no arm servo file on this card
        {"wakeUp=1", 2},
        {"powerUpFlags=1", 2},
        {"tvMaker=8", 2},
        {"powerUps=+42", 2},
    };
    for (const auto& [key, status] : cases) {
        const CliResult result = On("settings", "set", {"volume=2", key});
        EXPECT_EQ(result.status, status) << key << result.err;
        EXPECT_EQ(Card("VOLUME.BIN"), volume) << key;
    }
}

} // namespace
} // namespace orvix::test
