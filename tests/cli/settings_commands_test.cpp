#include "cli/settings_commands.h"

#include <gtest/gtest.h>
#include <map>
#include <nlohmann/json.hpp>

#include "cli_runner.h"

namespace orvix::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

class SettingsCommandTest : public CardTest {
protected:
    void SetUp() override { MakeCard(); }
    // Every file of the card with its bytes.
    std::map<std::string, Bytes> Tree() const {
        std::map<std::string, Bytes> tree;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(temp_ / "card")) {
            if (entry.is_regular_file()) {
                tree[entry.path().lexically_relative(temp_ / "card").generic_string()] =
                    ReadBytes(entry.path());
            }
        }
        return tree;
    }
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

TEST_F(SettingsCommandTest, RefusalsAndUsageErrorsNameTheKeyAndWriteNothing) {
    std::filesystem::remove(temp_ / "card" / "servo" / "SV16_ON.BIN");
    std::filesystem::permissions(temp_ / "card/servo/SV05_ON.BIN",
                                 std::filesystem::perms::owner_read);
    const auto card = Tree();
    const std::pair<const char*, int> cases[] = {
        {"timeoutSit=99999999999", 1}, // beyond 32 bits: message 155
        {"timeoutSit=abc", 1},
        {"volume=", 1},
        {"vbatHigh=3.0", 1},
        {"vbatLow=32768", 1},
        {"random=128", 1},
        {"birthday=a/1", 1},
        {"headSwitch=on", 1},   // Cancel to message 172
        {"powerUps=all", 1},    // No to message 170
        {"servoLegs=1,2,3", 1}, // servo\SV05_ON.BIN may not be written
        {"servoArms=1,2,3", 2}, // no arm servo file on this card
        {"servoLegs=abc,1,2", 2},
        {"servoLegs=1,+2,3", 2},
        {"random=VARIABLE", 2},
        {"random=0x3", 2},
        {"wakeUp=1", 2},
        {"powerUpFlags=1", 2},
        {"tvMaker=8", 2},
        {"powerUps=+42", 2},
    };
    for (const auto& [key, status] : cases) {
        const CliResult result = On("settings", "set", {"volume=2", key});
        EXPECT_EQ(result.status, status) << key << result.err;
        const std::string named = std::string(key).substr(0, std::string(key).find('=') + 1);
        EXPECT_TRUE(Contains(result.err, status == 2             ? named.substr(0, named.size() - 1)
                                         : named == "servoLegs=" ? "servo\\SV05_ON.BIN"
                                                                 : key))
            << key << result.err;
        EXPECT_EQ(Tree(), card) << key;
    }
}

// A maker chosen is recorded even when it shows already; a group not changed is not written.
TEST_F(SettingsCommandTest, WritesWhatWasAskedAndNothingElse) {
    WriteBytes(temp_ / "card/TV_SETTING.BIN", {0, 0});
    auto card = Tree();
    ASSERT_EQ(On("settings", "set", {"tvMaker=0", "servoLegs=1,2,-3"}).status, 0);
    card["TV_SETTING.BIN"] = {0x20, 0};
    for (const char* n : {"02", "03", "04", "05", "06", "07", "08", "09", "10", "11"}) {
        card["servo/SV" + std::string(n) + "_ON.BIN"] = {1, 2, 0xFD, 0};
    }
    EXPECT_EQ(Tree(), card);
}

} // namespace
} // namespace orvix::test
