#include "cli/users_commands.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

#include "cli_runner.h"

namespace orvix::test {
namespace {

// The demo card: users 1 and 2 registered, the name table numbering its entries by their index,
// たろうくん at entry 1.
class UsersCommandTest : public CardTest {
protected:
    void SetUp() override { MakeCard(); }
};

// A user created, named and dated reads back the same.
TEST_F(UsersCommandTest, AUserCreatedAndSetReadsBack) {
    const nlohmann::json before = Json("users", "list");
    ASSERT_EQ(before.size(), 10u);
    EXPECT_EQ(before[0], nlohmann::json::parse(R"({"slot":0,"inUse":true,"nameIndex":1,
        "nameNumber":1,"name":"たろうくん","birthday":"5/5","anniversary":null,"specialDay":null,
        "lessonDays":[0,6],"garbageDays":[1,4]})"));
    EXPECT_EQ(before[2], nlohmann::json::parse(R"({"slot":2,"inUse":false})"));
    EXPECT_EQ(On("users", "new").status, 1); // message 168 answered No
    EXPECT_EQ(Json("users", "list"), before);

    const CliResult created = On("users", "new", {"--yes"});
    ASSERT_EQ(created.status, 0) << created.err;
    EXPECT_TRUE(Contains(created.err, "ユーザ番号[3]"));
    const CliResult set = On("users", "set",
                             {"3", "--name-index", "1", "--birthday", "4/1", "--special-day",
                              "12/24", "--lessons", "0,6", "--garbage", ""});
    ASSERT_EQ(set.status, 0) << set.err;
    nlohmann::json expected = before[0];
    expected.update({{"slot", 2}, {"birthday", "4/1"}, {"specialDay", "12/24"}});
    expected["garbageDays"] = nlohmann::json::array();
    EXPECT_EQ(Json("users", "list")[2], expected);
    EXPECT_TRUE(Contains(On("users", "list").out, "3\t1\tたろうくん\t4/1\t-\t12/24\t0,6\t-\n"));
}

TEST_F(UsersCommandTest, UsageErrorsAndRefusals) {
    // Each with the text its message must name.
    const std::tuple<std::vector<std::string>, int, const char*> cases[] = {
        {{"11"}, 2, "NUMBER"},
        {{"0x3"}, 2, "NUMBER"},
        {{"+1", "--birthday", "1/1"}, 2, "NUMBER"},
        {{"1", "--name-index", "2325"}, 2, "--name-index"},
        {{"1", "--name-index", "1.0"}, 2, "--name-index"},
        {{"1", "--name-index", " 2"}, 2, "--name-index"},
        {{"1", "--lessons", "7"}, 2, "--lessons"},
        {{"1", "--garbage", "1,"}, 2, "--garbage"},
        {{"3", "--birthday", "1/1"}, 1, "user 3"}, // a free slot
        {{"1", "--birthday", "13/1"}, 1, "--birthday '13/1'"},
    };
    for (const auto& [arguments, status, named] : cases) {
        const CliResult result = On("users", "set", arguments);
        EXPECT_EQ(result.status, status) << arguments.back();
        EXPECT_TRUE(Contains(result.err, named)) << result.err;
    }
    for (int slot = 2; slot < 10; ++slot) {
        ASSERT_EQ(On("users", "new", {"--yes"}).status, 0);
    }
    EXPECT_EQ(On("users", "new", {"--yes"}).status, 1); // no slot is free
    std::filesystem::remove(temp_ / "card" / "user" / "user04.log");
    const CliResult broken = On("users", "list");
    EXPECT_EQ(broken.status, 1);
    EXPECT_TRUE(Contains(broken.err, "[user\\user04.log]"));
}

// Two new users made at once are two users, or one and a refusal: never the same one twice.
TEST_F(UsersCommandTest, TwoNewUsersAtOnceAreNeverTheSameUser) {
    pid_t children[2];
    for (pid_t& child : children) {
        child = fork();
        if (child == 0) {
            _exit(On("users", "new", {"--yes"}).status);
        }
    }
    int made = 0;
    for (const pid_t child : children) {
        int status = -1;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        made += WEXITSTATUS(status) == 0 ? 1 : 0;
    }
    int registered = 0;
    for (const nlohmann::json& slot : Json("users", "list")) {
        registered += slot["inUse"].get<bool>() ? 1 : 0;
    }
    EXPECT_GE(made, 1);
    EXPECT_EQ(registered, 2 + made);
}

TEST_F(UsersCommandTest, NamesListsTheOfferedEntries) {
    const nlohmann::json entries = Json("users", "names");
    ASSERT_EQ(entries.size(), 2324u);
    EXPECT_EQ(entries[0],
              nlohmann::json::parse(R"({"index":1,"nameNumber":1,"name":"たろうくん"})"));
    EXPECT_TRUE(On("users", "names").out.starts_with("1\t1\tたろうくん\n2\t"));
}

} // namespace
} // namespace orvix::test
