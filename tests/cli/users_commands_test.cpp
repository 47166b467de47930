// What the whole-card scenarios cannot state about the users commands: the text output, the
// refusals naming what they refuse, a full register, and two new users made at once.

#include "cli/users_commands.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <thread>
#include <tuple>

#include "cli_runner.h"
#include "support/other_program.h"

namespace orvix::test {
namespace {

// The demo card: users 1 and 2 registered, たろうくん at entry 1.
class UsersCommandTest : public CardTest {
protected:
    void SetUp() override { MakeCard(); }
};

TEST_F(UsersCommandTest, OutputAndRefusalsNameWhatTheyShowAndRefuse) {
    // A header line, then the users; the days by their names, a date not set as no value.
    EXPECT_TRUE(
        On("users", "list")
            .out.starts_with("番号\t名前番号\t名前\t誕生日\t結婚記念日\t特別な日\t習い事の日\t"
                             "ゴミの日\n1\t1\tたろうくん\t5/5\t(なし)\t(なし)\t日,土\t月,木\n"));
    EXPECT_TRUE(On("users", "names").out.starts_with("1\t1\tたろうくん\n2\t"));
    // Each with the text its message must name.
    const std::tuple<std::vector<std::string>, int, const char*> cases[] = {
        {{"11"}, 1, "NUMBER=11"}, // a number out of range is a value refused
        {{"99999999999"}, 1, "NUMBER=99999999999"},
        {{"0x3"}, 2, "NUMBER"},
        {{"+1", "--birthday", "1/1"}, 2, "NUMBER"},
        {{"1", "--name-index", "2325"}, 1, "--name-index=2325"},
        {{"1", "--name-index", "1.0"}, 2, "--name-index"},
        {{"1", "--name-index", " 2"}, 2, "--name-index"},
        {{"1", "--lessons", "7"}, 2, "--lessons"},
        {{"1", "--garbage", "1,"}, 2, "--garbage"},
        {{"3", "--birthday", "1/1"}, 1, "ユーザ3"}, // a free slot
        {{"1", "--birthday", "13/1"}, 1, "--birthday=13/1"},
    };
    for (const auto& [arguments, status, named] : cases) {
        const CliResult result = On("users", "set", arguments);
        EXPECT_EQ(result.status, status) << arguments.back();
        EXPECT_TRUE(Contains(result.err, named)) << result.err;
    }
    const CliResult declined = On("users", "new"); // the question answered No
    EXPECT_EQ(declined.status, 1);
    EXPECT_TRUE(Contains(declined.err, "users newは行いませんでした")) << declined.err;
    const CliResult made = On("users", "new", {"--yes"});
    EXPECT_TRUE(Contains(made.err, "ユーザ番号[3]")) << made.err;
    std::filesystem::remove(temp_ / "card" / "user" / "user04.log");
    const CliResult broken = On("users", "list");
    EXPECT_EQ(broken.status, 1);
    EXPECT_TRUE(Contains(broken.err, "[user\\user04.log]"));
}

// Two new users made at once are two users, or one and a refusal: never the same one twice.
TEST_F(UsersCommandTest, TwoNewUsersAtOnceAreNeverTheSameUser) {
    const std::string tool = PortableCopy(ORVIX2_CLI_PATH, temp_ / "bin");
    int status[2] = {-1, -1};
    std::thread children[2];
    for (int child = 0; child < 2; ++child) {
        const std::string out = (temp_ / ("out" + std::to_string(child))).string();
        const std::string line = tool + " users new \"" + path_ + "\" --yes >\"" + out + "\" 2>&1";
        children[child] = std::thread([&status, child, line] { status[child] = RunProgram(line); });
    }
    for (std::thread& child : children) {
        child.join();
    }
    const int made = (status[0] == 0 ? 1 : 0) + (status[1] == 0 ? 1 : 0);
    int registered = 0;
    for (const nlohmann::json& slot : Json("users", "list")) {
        registered += slot["inUse"].get<bool>() ? 1 : 0;
    }
    EXPECT_GE(made, 1);
    EXPECT_EQ(registered, 2 + made);
}

} // namespace
} // namespace orvix::test
