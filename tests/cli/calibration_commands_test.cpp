#include "cli/calibration_commands.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli_runner.h"
#include "resources/string_table.h"
#include "storage/platform.h"
#include "storage/settings_file.h"
#include "support/other_program.h"

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

    std::vector<std::uint8_t> original_;
};

// A failure prints the message, then the path and the system's reason (a refused write: the image
// file tests).
TEST_F(CalibrationCommandTest, FailuresSayWhy) {
    const std::string missing = (temp_ / "none/STARTUP.BIN").string();
    const CliResult result = Run({"calibration", "show", missing});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, std::string(LoadString(IDP_READ_PROGRAM_FAILED)) + "\n" + missing +
                              ": ファイルが見つかりません\n");
    EXPECT_EQ(result.out, "");
    // A read-only card file (no write bit; the read-only attribute on Windows) is refused with
    // the reason in the interface's language, not the system's.
    std::filesystem::permissions(image_,
                                 std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    for (const auto& [language, reason] :
         {std::pair{"ja", "アクセスが拒否されました（権限がないか、読み取り専用です）"},
          std::pair{"en", "access denied (no permission, or read-only)"}}) {
        const CliResult refused = Run({"--lang", language, "calibration", "set", path_, "ID2=30"});
        EXPECT_EQ(refused.status, 1);
        EXPECT_TRUE(refused.err.ends_with("\n" + path_ + ": " + reason + "\n")) << refused.err;
        EXPECT_EQ(Card(), original_);
    }
}

// A card file another program holds open without sharing (Windows) is named with the reason;
// nothing is written.
TEST_F(CalibrationCommandTest, AFileAnotherProgramHoldsOpenIsNamed) {
    CliResult refused;
    {
        const FileHeldOpen held(image_);
        if (!held.Holds()) {
            GTEST_SKIP() << "only Windows lets a program hold a file open without sharing";
        }
        refused = On("calibration", "set", {"ID2=30"});
    }
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.ends_with("\n" + path_ + ": 他のプログラムが使用中です\n"))
        << refused.err;
    EXPECT_EQ(Card(), original_);
}

// English on request or as the editor's choice kept in Orvix2.ini; the option wins, and the
// JSON is the same in both.
TEST_F(CalibrationCommandTest, EnglishOnRequestOrAsTheEditorsChoice) {
    const nlohmann::json json = Json("calibration", "show");
    ASSERT_TRUE(
        WriteProfileString((temp_ / "settings/Orvix2.ini").string(), "FILE", "Language", "en"));
    EXPECT_TRUE(On("calibration", "show").out.starts_with("ID2 hip roll\tright leg\t"));
    EXPECT_TRUE(Run({"--lang", "ja", "calibration", "show", path_})
                    .out.starts_with("ID2(股横回転)\t右足\t"));
    EXPECT_EQ(Json("calibration", "show"), json);
    const CliResult refused = Run({"--lang", "en", "calibration", "set", path_, "ID2=9999"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.starts_with("The number is out of range (-125 to 175).\n"))
        << refused.err;
    EXPECT_EQ(Card(), original_);
    // The history's summaries name the table in the language shown; its JSON keeps them.
    ASSERT_EQ(On("calibration", "set", {"ID2=30"}).status, 0);
    EXPECT_NE(Run({"history", path_}).out.find("\tright leg ID2 hip roll origin "),
              std::string::npos);
    EXPECT_NE(Run({"--lang", "ja", "history", path_}).out.find("\t右足 ID2(股横回転) 原点 "),
              std::string::npos);
    EXPECT_NE(Run({"history", path_, "--json"}).out.find("ID2 原点 "), std::string::npos);
}

// A folder name from an old card may be Shift_JIS: the JSON stays valid, with U+FFFD.
TEST_F(CalibrationCommandTest, ShowJsonOfAPathThatIsNotUtf8) {
    if (!platform::HasPosixFiles()) {
        GTEST_SKIP() << "Windows names are UTF-16: no name of bytes that are not UTF-8";
    }
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

// The file as it was before a write is kept among the backups beside Orvix2.ini; the editor's
// remembered file is not the tool's business.
TEST_F(CalibrationCommandTest, SetMakesABackup) {
    ASSERT_EQ(On("calibration", "set", {"ID5=170"}).status, 0);
    const std::filesystem::path backups = temp_ / "settings" / "backups";
    bool found = false;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(backups)) {
        found = found || (entry.is_regular_file() && ReadBytes(entry.path()) == original_);
    }
    EXPECT_TRUE(found);
    const auto ini = temp_ / "settings" / "Orvix2.ini";
    EXPECT_FALSE(std::filesystem::exists(ini) && Contains(ReadText(ini), "STARTUP.BIN"));
}

// Each line runs on a fresh card: the exit status, what the message says, and the two bytes at an
// offset (or the card unchanged when refused). The image file tests check the limits themselves.
TEST_F(CalibrationCommandTest, SetChecksAsTheWriteButtonDoes) {
    const std::tuple<std::vector<std::string>, int, const char*> cases[] = {
        {{"ID3=100", "ID2=176"},
         1,
         "(-125～175)を越えています\norvix2-cli: 拒否しました: ID2=176\n"},
        {{"ID21=1x"}, 1, "指定してください\norvix2-cli: 拒否しました: ID21=1x\n"},
        {{"ID5=170"}, 0, "プログラムの書出しに成功しました\n"},
        {{"ID99=5"}, 2, "orvix2-cli: サーボ'ID99'はありません。サーボはID2～ID21です\n"},
        {{"--attenuator", "3"}, 1, "にはアッテネータがありません。--attenuatorは使えません\n"},
    };
    for (const auto& [arguments, status, says] : cases) {
        WriteBytes(image_, original_);
        const CliResult result = On("calibration", "set", arguments);
        EXPECT_EQ(result.status, status) << arguments.back();
        EXPECT_TRUE(result.err.ends_with(says) && CountLines(result.err) == CountLines(says))
            << result.err;
        EXPECT_EQ(Card() == original_, status != 0);
    }
}

} // namespace
} // namespace orvix::test
