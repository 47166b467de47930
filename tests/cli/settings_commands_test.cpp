// What the whole-card scenarios cannot state about `settings set`: every refusal and usage error
// names the key (or the file) and leaves every file of the card as it was.

#include "cli/settings_commands.h"

#include <gtest/gtest.h>
#include <tuple>

#include "cli_runner.h"
#include "support/card_diff.h"

namespace orvix::test {
namespace {

using SettingsCommandTest = CardTest;

TEST_F(SettingsCommandTest, RefusalsAndUsageErrorsNameTheKeyAndWriteNothing) {
    MakeCard();
    std::filesystem::remove(temp_ / "card" / "servo" / "SV16_ON.BIN");
    std::filesystem::permissions(temp_ / "card/servo/SV05_ON.BIN",
                                 std::filesystem::perms::owner_read);
    const CardFiles card = SnapshotFolder(temp_ / "card");
    // The status, and the text the error must hold (the assignment itself when empty).
    const std::tuple<const char*, int, const char*> cases[] = {
        {"timeoutSit=99999999999", 1, ""}, // beyond 32 bits: message 155
        {"timeoutSit=abc", 1, ""},
        {"volume=", 1, ""},
        {"vbatHigh=3.0", 1, ""},
        {"vbatLow=32768", 1, ""},
        {"random=128", 1, ""},
        {"birthday=a/1", 1, ""},
        {"headSwitch=on", 1, ""},                     // Cancel to message 172
        {"powerUps=all", 1, ""},                      // No to message 170
        {"servoLegs=1,2,3", 1, "servo\\SV05_ON.BIN"}, // may not be written
        {"servoArms=1,2,3", 2, "servoArms"},          // no arm servo file on this card
        {"servoLegs=abc,1,2", 2, "servoLegs"},
        {"servoLegs=1,+2,3", 2, "servoLegs"},
        {"random=VARIABLE", 2, "random"},
        {"random=0x3", 2, "random"},
        {"wakeUp=1", 2, "wakeUp"},
        {"powerUpFlags=1", 2, "powerUpFlags"},
        {"tvMaker=8", 2, "tvMaker"},
        {"powerUps=+42", 2, "powerUps"},
    };
    for (const auto& [key, status, named] : cases) {
        const CliResult result = On("settings", "set", {"volume=2", key});
        EXPECT_EQ(result.status, status) << key << result.err;
        EXPECT_TRUE(Contains(result.err, *named != 0 ? named : key)) << key << result.err;
        EXPECT_EQ(SnapshotFolder(temp_ / "card"), card) << key;
    }
}

} // namespace
} // namespace orvix::test
