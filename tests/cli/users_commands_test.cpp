#include "cli/users_commands.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli_runner.h"

namespace orvix::test {
namespace {

bool Contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

// The demo card: users 1 and 2 registered, the name table numbering its entries by their index,
// たろうくん at entry 1.
class UsersCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        const CliResult made = RunCommandLine(temp_, {"demo", (temp_ / "card").string()});
        ASSERT_EQ(made.status, 0) << made.err;
    }
    CliResult Run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin() + 2, image_);
        return RunCommandLine(temp_, arguments);
    }
    nlohmann::json List() {
        const CliResult listed = Run({"users", "list", "--json"});
        EXPECT_EQ(listed.status, 0) << listed.err;
        return nlohmann::json::parse(listed.out);
    }

    TempFolder temp_;
    std::string image_ = (temp_ / "card" / "STARTUP.BIN").string();
};

// A user created, named and dated reads back the same.
TEST_F(UsersCommandTest, AUserCreatedAndSetReadsBack) {
    const nlohmann::json before = List();
    ASSERT_EQ(before.size(), 10u);
    EXPECT_EQ(before[0], nlohmann::json::parse(R"({"slot":0,"inUse":true,"nameIndex":1,
        "nameNumber":1,"name":"たろうくん","birthday":"5/5","anniversary":null,"specialDay":null,
        "lessonDays":[0,6],"garbageDays":[1,4]})"));
    EXPECT_EQ(before[2], nlohmann::json::parse(R"({"slot":2,"inUse":false})"));
    EXPECT_EQ(Run({"users", "new"}).status, 1); // message 168 answered No
    EXPECT_EQ(List(), before);

    const CliResult created = Run({"users", "new", "--yes"});
    ASSERT_EQ(created.status, 0) << created.err;
    EXPECT_TRUE(Contains(created.err, "ユーザ番号[3]"));
    const CliResult set = Run({"users", "set", "3", "--name-index", "1", "--birthday", "4/1",
                               "--special-day", "12/24", "--lessons", "0,6", "--garbage", ""});
    ASSERT_EQ(set.status, 0) << set.err;
    nlohmann::json expected = before[0];
    expected.update({{"slot", 2}, {"birthday", "4/1"}, {"specialDay", "12/24"}});
    expected["garbageDays"] = nlohmann::json::array();
    EXPECT_EQ(List()[2], expected);
    EXPECT_TRUE(Contains(Run({"users", "list"}).out, "3\t1\tたろうくん\t4/1\t-\t12/24\t0,6\t-\n"));
}

TEST_F(UsersCommandTest, UsageErrorsAndRefusals) {
    const std::pair<std::vector<std::string>, int> cases[] = {
        {{"users", "set", "11"}, 2},
        {{"users", "set", "1", "--name-index", "2325"}, 2},
        {{"users", "set", "1", "--lessons", "7"}, 2},
        {{"users", "set", "1", "--garbage", "1,"}, 2},
        {{"users", "set", "3", "--birthday", "1/1"}, 1}, // a free slot
        {{"users", "set", "1", "--birthday", "13/1"}, 1},
    };
    for (const auto& [arguments, status] : cases) {
        EXPECT_EQ(Run(arguments).status, status) << arguments.back();
    }
    for (int slot = 2; slot < 10; ++slot) {
        ASSERT_EQ(Run({"users", "new", "--yes"}).status, 0);
    }
    EXPECT_EQ(Run({"users", "new", "--yes"}).status, 1); // no slot is free
    std::filesystem::remove(temp_ / "card" / "user" / "user04.log");
    const CliResult broken = Run({"users", "list"});
    EXPECT_EQ(broken.status, 1);
    EXPECT_TRUE(Contains(broken.err, "[user\\user04.log]"));
}

TEST_F(UsersCommandTest, NamesListsTheOfferedEntriesAndTheDemoSaysWhatItIs) {
    const CliResult names = Run({"users", "names", "--json"});
    ASSERT_EQ(names.status, 0) << names.err;
    const nlohmann::json entries = nlohmann::json::parse(names.out);
    ASSERT_EQ(entries.size(), 2324u);
    EXPECT_EQ(entries[0],
              nlohmann::json::parse(R"({"index":1,"nameNumber":1,"name":"たろうくん"})"));
    EXPECT_EQ(entries[2323]["index"], 2324);
    EXPECT_EQ(Run({"users", "names"}).out.rfind("1\t1\tたろうくん\n2\t", 0), 0u);
    EXPECT_TRUE(Contains(ReadText(temp_ / "card" / "DEMO.txt"), "NAMETBL.BIN"));
}

} // namespace
} // namespace orvix::test
