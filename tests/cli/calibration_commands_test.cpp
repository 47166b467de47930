#include "cli/calibration_commands.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli_runner.h"
#include "resources/string_table.h"
#include "storage/byte_order.h"
#include "support/documented_servos.h"

namespace orvix::test {
namespace {

std::size_t CountLines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// Every test works on a card of its own.
class CalibrationCommandTest : public CardTest {
protected:
    void SetUp() override {
        MakeCard();
        original_ = Card();
    }

    // A short binary file of 4,011 bytes, the variant that carries the attenuator.
    std::string MakeShortFile(std::int8_t attenuator) {
        std::vector<std::uint8_t> bytes(4011, 0x11);
        bytes[16] = static_cast<std::uint8_t>(attenuator);
        for (int k = 0; k < kServos; ++k) {
            WriteU16(bytes, DocumentedBinaryOffset(k, 0),
                     static_cast<std::uint16_t>(kDocumentedStandard[static_cast<std::size_t>(k)]));
        }
        WriteBytes(temp_ / "short/SHORT.BIN", bytes);
        return (temp_ / "short/SHORT.BIN").string();
    }

    std::vector<std::uint8_t> original_;
};

TEST_F(CalibrationCommandTest, ShowPrintsOneLinePerServoOrJson) {
    const CliResult result = On("calibration", "show");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(CountLines(result.out), 20u);
    EXPECT_TRUE(result.out.starts_with("ID2\t股横回転\t25\n")) << result.out;
    EXPECT_TRUE(Contains(result.out, "ID21\tヒジ\t-295\n"));
    EXPECT_EQ(result.err, "");
    const CliResult attenuator = Run({"calibration", "show", MakeShortFile(5)});
    EXPECT_EQ(CountLines(attenuator.out), 21u);
    EXPECT_TRUE(attenuator.out.ends_with("attenuator\t5\n")) << attenuator.out;

    nlohmann::json expected = nlohmann::json::parse(R"({"path": ")" + path_ + R"(",
        "form": "binary", "layout": "A", "size": 4301707, "table": "lower", "attenuator": null})");
    for (int id = 2; id <= 21; ++id) {
        expected["servos"]["ID" + std::to_string(id)] = -32767;
    }
    EXPECT_EQ(Json("calibration", "show", {"--table", "lower"}), expected);
    const nlohmann::json shortJson =
        nlohmann::json::parse(Run({"calibration", "show", MakeShortFile(-3), "--json"}).out);
    EXPECT_EQ(shortJson["size"], 4011);
    EXPECT_EQ(shortJson["attenuator"], -3);
    EXPECT_EQ(shortJson["table"], "origin");
}

// A failure prints the message, then the path and the system's reason.
TEST_F(CalibrationCommandTest, FailuresSayWhy) {
    const std::string missing = (temp_ / "none/STARTUP.BIN").string();
    const CliResult result = Run({"calibration", "show", missing});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, std::string(LoadString(IDP_READ_PROGRAM_FAILED)) + "\n" + missing +
                              ": No such file or directory\n");
    EXPECT_EQ(result.out, "");

    std::filesystem::permissions(image_, std::filesystem::perms(0444));
    const CliResult refused = On("calibration", "set", {"ID2=30"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, std::string(LoadString(IDP_WRITE_PROGRAM_FAILED)) + "\n" + path_ +
                               ": Permission denied\n");
    EXPECT_EQ(Card(), original_);
}

// A folder name from an old card may be Shift_JIS: the JSON stays valid, with U+FFFD.
TEST_F(CalibrationCommandTest, ShowJsonOfAPathThatIsNotUtf8) {
    const std::filesystem::path folder = temp_ / std::string("\x83J\x81[\x83h"); // "カード"
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(image_, folder / "STARTUP.BIN");
    const CliResult result =
        Run({"calibration", "show", (folder / "STARTUP.BIN").string(), "--json"});
    ASSERT_EQ(result.status, 0) << result.err;
    const nlohmann::json json = nlohmann::json::parse(result.out);
    EXPECT_TRUE(json["path"].get<std::string>().ends_with("\uFFFDJ\uFFFD[\uFFFDh/STARTUP.BIN"))
        << json["path"];
}

TEST_F(CalibrationCommandTest, SetChangesOnlyTheNamedServoAndMakesABackup) {
    const CliResult result = On("calibration", "set", {"ID5=170"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, std::string(LoadString(IDP_WRITE_PROGRAM_DONE)) + "\n");
    std::vector<std::uint8_t> expected = original_;
    WriteU16(expected, 486, 170); // ID5
    EXPECT_EQ(Card(), expected);  // every other byte as it was

    // The file as it was before is kept among the backups beside Orvix2.ini.
    const std::filesystem::path backups = temp_ / "settings" / "backups";
    ASSERT_TRUE(std::filesystem::is_directory(backups));
    bool found = false;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(backups)) {
        found = found || (entry.is_regular_file() && ReadBytes(entry.path()) == original_);
    }
    EXPECT_TRUE(found);
    // The editor's remembered file is not the tool's business.
    const auto ini = temp_ / "settings" / "Orvix2.ini";
    EXPECT_FALSE(std::filesystem::exists(ini) && Contains(ReadText(ini), "STARTUP.BIN"));
}

// Each line runs on a fresh card: the exit status, what the message says, and the two bytes at an
// offset (or the card unchanged when refused). The image file tests check the limits themselves.
TEST_F(CalibrationCommandTest, SetChecksAsTheWriteButtonDoes) {
    struct Case {
        std::vector<std::string> arguments;
        int status;
        const char* says;
        std::size_t offset = 0;
        int value = 0;
    };
    const char* done = "プログラムの書出しに成功しました\n";
    const Case cases[] = {
        {{"ID3=100", "ID2=176"}, 1, "(-125～175)を越えています\norvix2-cli: refused: ID2=176\n"},
        {{"ID21=1x"}, 1, "指定してください\norvix2-cli: refused: ID21=1x\n"},
        {{"--no-range-limit", "ID2=1500"}, 0, done, 276, 1500},
        {{"--table", "lower", "ID7=5000"}, 0, done, 626 + 2, 5000},
        {{"ID99=5"}, 2, "orvix2-cli: unknown servo 'ID99'; the servos are ID2 to ID21\n"},
        {{"--attenuator", "3"}, 1, " carries no attenuator; --attenuator is refused\n"},
    };
    for (const Case& c : cases) {
        WriteBytes(image_, original_);
        const CliResult result = On("calibration", "set", c.arguments);
        EXPECT_EQ(result.status, c.status) << c.arguments.back();
        EXPECT_TRUE(result.err.ends_with(c.says) && CountLines(result.err) == CountLines(c.says))
            << result.err;
        if (c.status != 0) {
            EXPECT_EQ(Card(), original_);
        } else {
            EXPECT_EQ(*ReadI16(Card(), c.offset), c.value);
        }
    }
    const std::string shortFile = MakeShortFile(5);
    EXPECT_EQ(Run({"calibration", "set", shortFile, "--attenuator", "7"}).status, 0);
    const CliResult attenuator = Run({"calibration", "set", shortFile, "--attenuator", "8"});
    EXPECT_TRUE(attenuator.status == 1 && attenuator.err.ends_with("refused: --attenuator=8\n"));
    EXPECT_EQ(ReadBytes(shortFile)[16], 7);
}

TEST_F(CalibrationCommandTest, RestoreWritesTheBuiltInValues) {
    ASSERT_EQ(On("calibration", "set", {"ID2=100", "ID21=-200"}).status, 0);
    ASSERT_EQ(On("calibration", "set", {"--table", "upper", "ID9=10", "ID12=-10"}).status, 0);
    ASSERT_EQ(On("calibration", "restore").status, 0);
    EXPECT_EQ(*ReadI16(Card(), 276), 25);
    EXPECT_EQ(*ReadI16(Card(), 1606), -295);
    ASSERT_EQ(On("calibration", "restore", {"--table", "upper"}).status, 0);
    EXPECT_EQ(Card(), original_);
}

} // namespace
} // namespace orvix::test
