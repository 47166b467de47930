#include "cli/options_commands.h"

#include <gtest/gtest.h>

#include "cli_runner.h"

namespace orvix::test {
namespace {

using OptionsCommandTest = CardTest;

// Each row on the same card, with SERVO.BIN as given (none: missing), the image one byte longer
// where asked: the file is written with the same bytes, and a change asked for and not made is
// named with exit status 3; a value refused is named with exit status 1.
TEST_F(OptionsCommandTest, SetNamesWhatWasRefusedOrNotMade) {
    using Bytes = std::vector<std::uint8_t>;
    const std::tuple<std::vector<std::string>, std::optional<Bytes>, bool, int, const char*>
        cases[] = {
            {{"servoParameters=on"},
             std::nullopt,
             false,
             3,
             "変更されませんでした: servoParameters=on"},
            {{"servoParameters=on"},
             Bytes(2956, 1),
             false,
             3,
             "変更されませんでした: servoParameters=on"},
            {{"servoParameters=on"}, Bytes{}, false, 3, "SERVO.BIN: empty"},
            {{"servoParameters=on"}, Bytes(64, 0), false, 3, "SERVO.BIN: holds only zero bytes"},
            {{"servoParameters=on"}, Bytes(64, 1), true, 3, "プログラムが間違っています\nプロ"},
            {{"startCode=2000"}, Bytes(64, 1), false, 3, "変更されませんでした: startCode=2000"},
            {{"startCode=1154"}, Bytes(64, 1), false, 3, "変更されませんでした: startCode=1154"},
            {{"walkSteps=0"}, Bytes(64, 1), false, 1, "拒否しました: walkSteps=0\n"},
            {{"remoteSupport=on", "startCode=65537", "--yes"},
             Bytes(64, 1),
             false,
             1,
             "(1～65536)を越えています\norvix2-cli: 拒否しました: startCode=65537\n"},
        };
    MakeCard();
    const std::filesystem::path code = temp_ / "card/code";
    const Bytes made = Card();
    for (auto [arguments, servoCode, longer, status, says] : cases) {
        std::filesystem::remove(code / "SERVO.BIN");
        if (servoCode) {
            WriteBytes(code / "SERVO.BIN", *servoCode);
        }
        Bytes original = made;
        original.resize(made.size() + (longer ? 1 : 0));
        WriteBytes(image_, original);
        arguments.insert(arguments.end(), {"--code-dir", code.string()});
        const CliResult result = On("options", "set", arguments);
        EXPECT_EQ(result.status, status) << arguments[0] << result.err;
        EXPECT_TRUE(Contains(result.err, says) && Card() == original) << result.err;
    }
}

} // namespace
} // namespace orvix::test
