#include "cli/calibration_commands.h"

#include <cstdio>
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

bool Contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

// A card made by the tool itself; every test works on its own copy.
class CalibrationCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        const CliResult made = RunCommandLine(temp_, {"demo", (temp_ / "card").string()});
        ASSERT_EQ(made.status, 0) << made.err;
        original_ = ReadBytes(image_);
    }

    CliResult Run(std::vector<std::string> arguments) { return RunCommandLine(temp_, arguments); }
    std::vector<std::uint8_t> Image() const { return ReadBytes(image_); }

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

    // The text form: six-character hexadecimal values at fixed positions.
    std::filesystem::path MakeTextFile() {
        std::string text(8000, '.');
        const auto put = [&text](std::size_t position, int value) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "0x%04x", value & 0xFFFF);
            text.replace(position, 6, hex);
        };
        put(202, 4);
        for (int k = 0; k < kServos; ++k) {
            for (int table = 0; table < 3; ++table) {
                put(DocumentedTextPosition(k, table),
                    table == 0 ? kDocumentedStandard[static_cast<std::size_t>(k)] : 100 * table);
            }
        }
        WriteText(temp_ / "text/CALIB.txt", text);
        return temp_ / "text/CALIB.txt";
    }

    TempFolder temp_;
    std::filesystem::path image_ = temp_ / "card" / "STARTUP.BIN";
    std::string path_ = image_.string();
    std::vector<std::uint8_t> original_;
};

TEST_F(CalibrationCommandTest, ShowPrintsOneLinePerServo) {
    const CliResult result = Run({"calibration", "show", path_});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(CountLines(result.out), 20u);
    EXPECT_TRUE(result.out.starts_with("ID2\t股横回転\t25\n")) << result.out;
    EXPECT_TRUE(Contains(result.out, "ID21\tヒジ\t-295\n"));
    EXPECT_FALSE(Contains(result.out, "attenuator"));
    EXPECT_EQ(result.err, "");

    const CliResult upper = Run({"calibration", "show", path_, "--table", "upper"});
    ASSERT_EQ(upper.status, 0) << upper.err;
    EXPECT_TRUE(Contains(upper.out, "ID10\t足首縦回転\t32767\n"));
}

TEST_F(CalibrationCommandTest, ShowPrintsTheAttenuatorOfAShortFile) {
    const CliResult result = Run({"calibration", "show", MakeShortFile(5)});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(CountLines(result.out), 21u);
    EXPECT_TRUE(result.out.ends_with("attenuator\t5\n")) << result.out;
}

TEST_F(CalibrationCommandTest, ShowJsonDescribesTheFile) {
    const CliResult result = Run({"calibration", "show", path_, "--table", "lower", "--json"});
    ASSERT_EQ(result.status, 0) << result.err;
    const nlohmann::json json = nlohmann::json::parse(result.out);
    EXPECT_EQ(json["path"], path_);
    EXPECT_EQ(json["form"], "binary");
    EXPECT_EQ(json["layout"], "A");
    EXPECT_EQ(json["size"], 4'301'707);
    EXPECT_EQ(json["table"], "lower");
    EXPECT_TRUE(json["attenuator"].is_null());
    ASSERT_EQ(json["servos"].size(), 20u);
    for (int k = 0; k < kServos; ++k) {
        EXPECT_EQ(json["servos"]["ID" + std::to_string(k + 2)], -32767);
    }

    const CliResult origin = Run({"calibration", "show", MakeShortFile(-3), "--json"});
    ASSERT_EQ(origin.status, 0) << origin.err;
    const nlohmann::json shortJson = nlohmann::json::parse(origin.out);
    EXPECT_EQ(shortJson["size"], 4011);
    EXPECT_EQ(shortJson["attenuator"], -3);
    EXPECT_EQ(shortJson["servos"]["ID4"], -260);
    EXPECT_EQ(shortJson["table"], "origin");
}

TEST_F(CalibrationCommandTest, TheTextFormIsShownAndWrittenInPlace) {
    const std::filesystem::path file = MakeTextFile();
    const CliResult shown = Run({"calibration", "show", file.string(), "--json"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    const nlohmann::json json = nlohmann::json::parse(shown.out);
    EXPECT_EQ(json["form"], "text");
    EXPECT_EQ(json["attenuator"], 4);
    EXPECT_EQ(json["servos"]["ID6"], -20);

    const std::string before = ReadText(file);
    const CliResult set = Run({"calibration", "set", file.string(), "ID6=-25"});
    ASSERT_EQ(set.status, 0) << set.err;
    std::string expected = before;
    expected.replace(2583, 6, "0xffe7");
    EXPECT_EQ(ReadText(file), expected);
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
    const CliResult refused = Run({"calibration", "set", path_, "ID2=30"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, std::string(LoadString(IDP_WRITE_PROGRAM_FAILED)) + "\n" + path_ +
                               ": Permission denied\n");
    EXPECT_EQ(Image(), original_);
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
    const CliResult result = Run({"calibration", "set", path_, "ID5=170"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, std::string(LoadString(IDP_WRITE_PROGRAM_DONE)) + "\n");

    std::vector<std::uint8_t> expected = original_;
    WriteU16(expected, 486, 170); // ID5
    EXPECT_EQ(Image(), expected); // every other byte as it was

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

TEST_F(CalibrationCommandTest, SetRefusesAnOriginBeyondTheRangeLimit) {
    const CliResult result = Run({"calibration", "set", path_, "ID3=100", "ID2=176"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "数字が範囲(-125～175)を越えています\n");
    EXPECT_EQ(Image(), original_);

    const CliResult wide = Run({"calibration", "set", path_, "--no-range-limit", "ID2=1500"});
    ASSERT_EQ(wide.status, 0) << wide.err;
    EXPECT_EQ(*ReadI16(Image(), 276), 1500);
}

TEST_F(CalibrationCommandTest, SetOnARangeTableHasNoRangeLimit) {
    const CliResult result = Run({"calibration", "set", path_, "--table", "lower", "ID7=5000"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(*ReadI16(Image(), 626 + 2), 5000); // ID7, lower limit
    const std::vector<std::uint8_t> before = Image();

    const CliResult tooBig = Run({"calibration", "set", path_, "--table", "lower", "ID7=40000"});
    EXPECT_EQ(tooBig.status, 1);
    const std::string_view outOfRange = LoadString(IDP_OUT_OF_RANGE);
    EXPECT_TRUE(tooBig.err.starts_with(outOfRange.substr(0, outOfRange.find("%1")))) << tooBig.err;
    EXPECT_EQ(Image(), before);
}

TEST_F(CalibrationCommandTest, SetTheAttenuator) {
    const std::string shortFile = MakeShortFile(5);
    const CliResult result = Run({"calibration", "set", shortFile, "--attenuator", "7"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ReadBytes(shortFile)[16], 7);

    const CliResult tooLoud = Run({"calibration", "set", shortFile, "--attenuator", "8"});
    EXPECT_EQ(tooLoud.status, 1);
    EXPECT_EQ(tooLoud.err, "数字が範囲(0～7)を越えています\n");
    EXPECT_EQ(ReadBytes(shortFile)[16], 7);

    const CliResult none = Run({"calibration", "set", path_, "--attenuator", "3"});
    EXPECT_EQ(none.status, 1);
    EXPECT_TRUE(Contains(none.err, "no attenuator")) << none.err;
    EXPECT_EQ(Image(), original_);
}

TEST_F(CalibrationCommandTest, RestoreWritesTheBuiltInValues) {
    ASSERT_EQ(Run({"calibration", "set", path_, "ID2=100", "ID21=-200"}).status, 0);
    ASSERT_EQ(Run({"calibration", "set", path_, "--table", "upper", "ID9=10", "ID12=-10"}).status,
              0);
    ASSERT_NE(Image(), original_);

    const CliResult origin = Run({"calibration", "restore", path_});
    ASSERT_EQ(origin.status, 0) << origin.err;
    EXPECT_EQ(*ReadI16(Image(), 276), 25);
    EXPECT_EQ(*ReadI16(Image(), 1606), -295);

    const CliResult upper = Run({"calibration", "restore", path_, "--table", "upper"});
    ASSERT_EQ(upper.status, 0) << upper.err;
    EXPECT_EQ(Image(), original_);
}

} // namespace
} // namespace orvix::test
