#include "cli/demo_card.h"

#include <gtest/gtest.h>

#include "cli_runner.h"
#include "support/card_diff.h"

namespace orvix::test {
namespace {

// Only a missing or empty folder takes a demo card: whatever is in it may be a real card.
TEST(DemoCardTest, RefusesAnyFolderThatHoldsSomething) {
    for (const char* entry : {"card/STARTUP.BIN", "card/startup.bin", "card/NAMETBL.BIN",
                              "card/servo/SV02_ON.BIN", "card"}) {
        TempFolder temp;
        WriteBytes(temp / entry, {1, 2, 3});
        const CardFiles before = SnapshotFolder(temp.Path());
        const CliResult result = RunCommandLine(temp, {"demo", (temp / "card").string()});
        EXPECT_EQ(result.status, 1) << entry;
        EXPECT_TRUE(Contains(result.err, "空のフォルダではありません")) << result.err;
        std::filesystem::remove_all(temp / "settings");
        EXPECT_TRUE(SnapshotFolder(temp.Path()) == before) << entry;
    }
    TempFolder temp;
    std::filesystem::create_directories(temp / "card");
    EXPECT_EQ(RunCommandLine(temp, {"demo", (temp / "card").string()}).status, 0);
}

} // namespace
} // namespace orvix::test
