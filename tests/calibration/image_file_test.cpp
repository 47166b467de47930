#include "calibration/image_file.h"

#include <gtest/gtest.h>

#include "image_fixtures.h"
#include "resources/main_dialog.h"
#include "resources/string_table.h"
#include "storage/byte_order.h"
#include "storage/file_backup.h"
#include "storage/file_io.h"
#include "storage/settings_file.h"
#include "support/scripted_prompter.h"
#include "support/temp_folder.h"

namespace orvix {
namespace {

using namespace main_dlg;
using test::DistinctValues;
using ui::Answer;

class ImageFileTest : public ::testing::Test {
protected:
    ImageFileTest()
        : document(Utf8FromPath(folder / kSettingsFileName)), dialog(MainDialogTemplate()) {}

    std::filesystem::path Card(const std::string& name = "STARTUP.BIN") const {
        return folder / "card" / name;
    }

    bool Load(const std::filesystem::path& path) {
        document.imagePath = Utf8FromPath(path);
        return LoadImageFile(document, dialog, prompter, false);
    }

    test::TableValues Fields() const {
        test::TableValues values{};
        for (int k = 0; k < kServoCount; ++k) {
            values[static_cast<std::size_t>(k)] = dialog.GetIntOrZero(ServoField(k));
        }
        return values;
    }

    void SetField(int k, const std::string& text) { dialog.SetText(ServoField(k), text); }

    test::TempFolder folder;
    test::ScriptedPrompter prompter;
    EditorDocument document;
    ui::DialogModel dialog;
};

// --- loading ----------------------------------------------------------------------------------

TEST_F(ImageFileTest, BinaryLoadShowsTheSelectedTableAndRemembersThePath) {
    test::WriteBytes(Card(), test::MakeBinaryImage(4301707));
    for (std::uint32_t table = 0; table < 3; ++table) {
        document.tableSelector = table;
        ASSERT_TRUE(Load(Card()));
        EXPECT_EQ(Fields(), DistinctValues(static_cast<int>(table)));
    }
    EXPECT_TRUE(document.isBinaryImage);
    EXPECT_FALSE(document.buildVariant);
    EXPECT_EQ(document.ImageSize(), 4301707u);
    EXPECT_FALSE(dialog.IsVisible(IDC_ATTENUATOR));
    for (int id : {IDC_WRITE, IDC_PROGRAM_CHANGE, IDC_SETTINGS_DATA, IDC_USER_DATA}) {
        EXPECT_TRUE(dialog.IsEnabled(id)) << id;
    }
    EXPECT_EQ(GetProfileString(document.iniPath, kSectionFile, kKeyPath, ""), Utf8FromPath(Card()));
}

TEST_F(ImageFileTest, TheBuildMarkerChoosesLayoutB) {
    auto image = test::MakeBinaryImage(8000);
    image[7600] = 23;
    test::WriteBytes(Card(), image);
    ASSERT_TRUE(Load(Card()));
    EXPECT_TRUE(document.buildVariant);
    test::WriteBytes(Card(), test::MakeBinaryImage(7600)); // too short for the marker: layout A
    ASSERT_TRUE(Load(Card()));
    EXPECT_FALSE(document.buildVariant);
}

TEST_F(ImageFileTest, TheShortVariantShowsTheAttenuatorAndNoProgramChange) {
    test::WriteBytes(Card(), test::MakeBinaryImage(4011, -2));
    ASSERT_TRUE(Load(Card()));
    for (int id :
         {IDC_ATTENUATOR, IDC_ATTENUATOR_SPIN, IDC_ATTENUATOR_LABEL, IDC_ATTENUATOR_SCALE}) {
        EXPECT_TRUE(dialog.IsVisible(id)) << id;
    }
    EXPECT_EQ(dialog.GetText(IDC_ATTENUATOR), "-2");
    EXPECT_FALSE(dialog.IsEnabled(IDC_PROGRAM_CHANGE));
    EXPECT_TRUE(dialog.IsEnabled(IDC_WRITE));

    test::WriteBytes(Card(), test::MakeBinaryImage(4012)); // any other size hides it again
    ASSERT_TRUE(Load(Card()));
    EXPECT_FALSE(dialog.IsVisible(IDC_ATTENUATOR));
    EXPECT_TRUE(dialog.IsEnabled(IDC_PROGRAM_CHANGE));
}

TEST_F(ImageFileTest, FilesThatCannotHoldTheTableAreRefused) {
    test::WriteBytes(Card(), test::MakeBinaryImage(1675));
    prompter.Expect(IDP_READ_PROGRAM_FAILED);
    EXPECT_FALSE(Load(Card()));
    EXPECT_EQ(document.imagePath, "");
    EXPECT_EQ(GetProfileString(document.iniPath, kSectionFile, kKeyPath, "none"), "none");

    test::WriteBytes(Card(), test::MakeBinaryImage(1676));
    EXPECT_TRUE(Load(Card()));
    EXPECT_EQ(Fields(), DistinctValues(0));

    prompter.Expect(IDP_READ_PROGRAM_FAILED);
    EXPECT_FALSE(Load(Card("ABSENT.BIN")));
    prompter.Expect(IDP_READ_PROGRAM_FAILED);
    std::filesystem::create_directories(Card("FOLDER.BIN"));
    EXPECT_FALSE(Load(Card("FOLDER.BIN")));
}

TEST_F(ImageFileTest, AFileOfTheFirstReadsSizeIsReadWhole) {
    test::WriteBytes(Card(), test::MakeBinaryImage(5242880));
    ASSERT_TRUE(Load(Card()));
    EXPECT_EQ(document.ImageSize(), 5242880u);
    EXPECT_EQ(document.image, test::ReadBytes(Card()));
}

TEST_F(ImageFileTest, TheFormIsTakenFromTheCaseOfTheLastCharacter) {
    test::WriteBytes(Card("startup.bin"), test::MakeTextImage(8000, 5));
    ASSERT_TRUE(Load(Card("startup.bin")));
    EXPECT_FALSE(document.isBinaryImage);
    EXPECT_EQ(Fields(), DistinctValues(0));
    EXPECT_EQ(dialog.GetText(IDC_ATTENUATOR), "5");
    EXPECT_TRUE(dialog.IsVisible(IDC_ATTENUATOR)); // a text file with an attenuator shows it

    test::WriteBytes(Card("startup.bin"), test::MakeBinaryImage(4301707));
    prompter.Expect(IDP_READ_PROGRAM_FAILED);
    EXPECT_FALSE(Load(Card("startup.bin"))); // a binary file taken as text
}

TEST_F(ImageFileTest, TextValuesAreLowerCaseHexSignExtended) {
    document.tableSelector = 1;
    test::WriteBytes(Card("STARTUP.TXT"), test::MakeTextImage(8000, -1));
    ASSERT_TRUE(Load(Card("STARTUP.TXT")));
    EXPECT_EQ(Fields(), DistinctValues(1)); // negative values come through 0xfc18 and the like
    EXPECT_FALSE(dialog.IsVisible(IDC_ATTENUATOR)); // the mark of a file without one
    EXPECT_EQ(dialog.GetText(IDC_ATTENUATOR), "");

    auto image = test::MakeTextImage(8000, -1);
    const auto at = static_cast<std::size_t>(TextValuePosition(4, 1));
    image[at + 2] = 'F'; // an upper-case digit
    test::WriteBytes(Card("STARTUP.TXT"), image);
    prompter.Expect(IDP_WRONG_SETTING_VALUES);
    EXPECT_FALSE(Load(Card("STARTUP.TXT")));
    EXPECT_EQ(document.imagePath, "");
}

TEST_F(ImageFileTest, TextFilesTooShortForTheirValuesAreRefused) {
    // The last upper limit ends at byte 7734; the origin table ends earlier.
    test::WriteBytes(Card("STARTUP.TXT"), test::MakeTextImage(7733, 1));
    EXPECT_TRUE(Load(Card("STARTUP.TXT")));
    document.tableSelector = 2;
    prompter.Expect(IDP_WRONG_SETTING_VALUES);
    EXPECT_FALSE(Load(Card("STARTUP.TXT")));
    document.tableSelector = 0;

    // 4,011 bytes: the attenuator at 220, but the servo values lie beyond the end.
    test::WriteBytes(Card("STARTUP.TXT"), test::MakeTextImage(4011, 6));
    prompter.Expect(IDP_WRONG_SETTING_VALUES);
    EXPECT_FALSE(Load(Card("STARTUP.TXT")));

    test::WriteBytes(Card("STARTUP.TXT"), std::vector<std::uint8_t>(100, ' '));
    prompter.Expect(IDP_READ_PROGRAM_FAILED); // no attenuator where one belongs
    EXPECT_FALSE(Load(Card("STARTUP.TXT")));
}

TEST_F(ImageFileTest, HexValuesParseAndFormatOnlyWithinTheText) {
    std::vector<std::uint8_t> text{'0', 'x', 'f', 'f', 'e', 'c', '0', 'x', '0', '0'};
    EXPECT_EQ(ParseHexValue(text, 0), -20);
    EXPECT_EQ(ParseHexValue(text, 6), std::nullopt); // runs past the end
    EXPECT_EQ(ParseHexValue(text, 1), std::nullopt);
    ASSERT_TRUE(FormatHexValue(0x12ab, text, 0));
    EXPECT_EQ(std::string(text.begin(), text.begin() + 6), "0x12ab");
    EXPECT_EQ(text[6], '0');
    EXPECT_FALSE(FormatHexValue(1, text, 5));
    EXPECT_EQ(std::string(text.begin() + 5, text.end()), "b0x00");
}

TEST_F(ImageFileTest, CancellingTheFileDialogChangesNothing) {
    test::WriteBytes(Card(), test::MakeBinaryImage(4301707));
    ASSERT_TRUE(Load(Card()));
    const auto image = document.image;
    prompter.ExpectOpenFile(std::nullopt);
    EXPECT_TRUE(LoadImageFile(document, dialog, prompter, true));
    EXPECT_EQ(document.imagePath, Utf8FromPath(Card()));
    EXPECT_EQ(document.image, image);
    ASSERT_EQ(prompter.FileRequests().size(), 1u);
    EXPECT_EQ(prompter.FileRequests()[0].pattern, "STARTUP.BIN");
    EXPECT_EQ(prompter.FileRequests()[0].filterLabel, "ﾍﾟﾁ2実行ﾌｧｲﾙ");
    EXPECT_EQ(prompter.FileRequests()[0].initialFolder, Utf8FromPath(Card().parent_path()));
}

// --- checking fields ----------------------------------------------------------------------------

TEST_F(ImageFileTest, FieldTextChecks) {
    struct Case {
        const char* text;
        int message; // 0: accepted
        int value;
    };
    const Case cases[] = {{"", IDP_NO_NUMBER, 0},
                          {"+5", IDP_NOT_DECIMAL, 0},
                          {"1.5", IDP_NOT_DECIMAL, 0},
                          {"5-", IDP_NOT_DECIMAL, 0},
                          {" 5", IDP_NOT_DECIMAL, 0},
                          {"--5", IDP_NOT_DECIMAL, 0},
                          {"-", 0, 0},
                          {"-125", 0, -125},
                          {"175", 0, 175},
                          {"0012", 0, 12}};
    for (const Case& c : cases) {
        dialog.SetText(1004, c.text);
        dialog.SetFocus(IDC_READ);
        if (c.message != 0) {
            prompter.Expect(c.message);
        }
        const auto value = ReadValueField(dialog, prompter, 1004, document, -125, 175);
        prompter.Verify();
        if (c.message == 0) {
            EXPECT_EQ(value, c.value) << c.text;
        } else {
            EXPECT_EQ(value, std::nullopt) << c.text;
            EXPECT_EQ(dialog.Focus(), 1004) << c.text;
        }
    }
}

TEST_F(ImageFileTest, OutOfRangeNamesTheLimitsAndHugeNumbersDoNotWrapToZero) {
    for (const char* text : {"176", "-126", "99999999999", "-4294967296"}) {
        dialog.SetText(1004, text);
        prompter.Expect(IDP_OUT_OF_RANGE);
        EXPECT_EQ(ReadValueField(dialog, prompter, 1004, document, -125, 175), std::nullopt);
        prompter.Verify();
        EXPECT_EQ(prompter.Messages().back().argument, "-125～175") << text;
    }
}

TEST_F(ImageFileTest, SaveLimitsFollowTableAndRangeLimit) {
    test::WriteBytes(Card(), test::MakeBinaryImage(4301707));
    ASSERT_TRUE(Load(Card()));

    SetField(0, "176"); // ID2: standard 25, so -125 to 175 while the limit is on
    prompter.Expect(IDP_OUT_OF_RANGE);
    EXPECT_FALSE(SaveImageFile(dialog, prompter, document));
    prompter.Verify();
    EXPECT_EQ(prompter.Messages().back().argument, "-125～175");

    document.checkRange = false;
    SetField(0, "1500");
    prompter.Expect(IDP_WRITE_PROGRAM_DONE);
    EXPECT_TRUE(SaveImageFile(dialog, prompter, document));
    SetField(0, "-1501");
    prompter.Expect(IDP_OUT_OF_RANGE);
    EXPECT_FALSE(SaveImageFile(dialog, prompter, document));
    prompter.Verify();
    EXPECT_EQ(prompter.Messages().back().argument, "-1500～1500");

    document.tableSelector = 2;
    ASSERT_TRUE(Load(Card()));
    SetField(3, "5000");
    prompter.Expect(IDP_WRITE_PROGRAM_DONE);
    EXPECT_TRUE(SaveImageFile(dialog, prompter, document));
    EXPECT_EQ(*ReadI16(test::ReadBytes(Card()), BinaryValueOffset(3, 2)), 5000);
    SetField(3, "40000");
    prompter.Expect(IDP_OUT_OF_RANGE);
    EXPECT_FALSE(SaveImageFile(dialog, prompter, document));
    prompter.Verify();
    EXPECT_EQ(prompter.Messages().back().argument, "-32768～32767");
}

TEST_F(ImageFileTest, TheAttenuatorIsCheckedOnEveryTable) {
    test::WriteBytes(Card(), test::MakeBinaryImage(4011));
    for (std::uint32_t table : {0u, 1u}) {
        document.tableSelector = table;
        ASSERT_TRUE(Load(Card()));
        dialog.SetText(IDC_ATTENUATOR, "8");
        prompter.Expect(IDP_OUT_OF_RANGE);
        EXPECT_FALSE(SaveImageFile(dialog, prompter, document));
        prompter.Verify();
        EXPECT_EQ(prompter.Messages().back().argument, "0～7");
        EXPECT_EQ(dialog.Focus(), IDC_ATTENUATOR);
    }
}

// --- saving -----------------------------------------------------------------------------------

TEST_F(ImageFileTest, SaveChangesOnlyTheEditedBytes) {
    const auto original = test::MakeBinaryImage(4301707);
    test::WriteBytes(Card(), original);
    document.tableSelector = 1;
    ASSERT_TRUE(Load(Card()));
    SetField(19, "-7");
    prompter.Expect(IDP_WRITE_PROGRAM_DONE);
    ASSERT_TRUE(SaveImageFile(dialog, prompter, document));

    auto expected = original;
    const auto offset = static_cast<std::size_t>(BinaryValueOffset(19, 1));
    expected[offset] = 0xF9;
    expected[offset + 1] = 0xFF;
    EXPECT_EQ(test::ReadBytes(Card()), expected);
    EXPECT_FALSE(document.valuesChanged);
}

TEST_F(ImageFileTest, TheShortVariantWritesItsAttenuator) {
    auto original = test::MakeBinaryImage(4011, 2);
    test::WriteBytes(Card(), original);
    ASSERT_TRUE(Load(Card()));
    dialog.SetText(IDC_ATTENUATOR, "7");
    prompter.Expect(IDP_WRITE_PROGRAM_DONE);
    ASSERT_TRUE(SaveImageFile(dialog, prompter, document));
    original[16] = 7;
    EXPECT_EQ(test::ReadBytes(Card()), original);
}

TEST_F(ImageFileTest, TextSaveWritesWhereTheLoadRead) {
    const auto original = test::MakeTextImage(8000, 4);
    test::WriteBytes(Card("STARTUP.TXT"), original);
    ASSERT_TRUE(Load(Card("STARTUP.TXT")));
    SetField(0, "-20");
    dialog.SetText(IDC_ATTENUATOR, "6");
    prompter.Expect(IDP_WRITE_PROGRAM_DONE);
    ASSERT_TRUE(SaveImageFile(dialog, prompter, document));

    auto expected = original;
    const auto put = [&](std::size_t at, const std::string& text) {
        std::copy(text.begin(), text.end(), expected.begin() + static_cast<std::ptrdiff_t>(at));
    };
    put(static_cast<std::size_t>(TextValuePosition(0, 0)), "0xffec");
    put(202, "0x0006");
    EXPECT_EQ(test::ReadBytes(Card("STARTUP.TXT")), expected);
}

TEST_F(ImageFileTest, ATextFileWithoutAttenuatorKeepsItsMark) {
    const auto original = test::MakeTextImage(8000, -1);
    test::WriteBytes(Card("STARTUP.TXT"), original);
    ASSERT_TRUE(Load(Card("STARTUP.TXT")));
    prompter.Expect(IDP_WRITE_PROGRAM_DONE);
    ASSERT_TRUE(SaveImageFile(dialog, prompter, document));
    EXPECT_EQ(test::ReadBytes(Card("STARTUP.TXT")), original);
}

TEST_F(ImageFileTest, ARefusedFieldLeavesFileAndImageAlone) {
    const auto original = test::MakeBinaryImage(4301707);
    test::WriteBytes(Card(), original);
    ASSERT_TRUE(Load(Card()));
    SetField(0, "30");
    SetField(5, "");
    prompter.Expect(IDP_NO_NUMBER);
    EXPECT_FALSE(SaveImageFile(dialog, prompter, document));
    EXPECT_EQ(dialog.Focus(), ServoField(5));
    EXPECT_EQ(test::ReadBytes(Card()), original);
    EXPECT_EQ(document.image, original);
    EXPECT_FALSE(std::filesystem::exists(folder / kBackupFolderName));
}

TEST_F(ImageFileTest, TheServoExtensionIsWrittenOnceARemoteTailAlways) {
    test::WriteBytes(Card(), test::MakeBinaryImage(4301707));
    ASSERT_TRUE(Load(Card()));
    document.imageTail.assign(kServoExtensionSize, 0xAB);
    prompter.Expect(IDP_WRITE_PROGRAM_DONE).Expect(IDP_WRITE_PROGRAM_DONE);
    ASSERT_TRUE(SaveImageFile(dialog, prompter, document));
    EXPECT_EQ(std::filesystem::file_size(Card()), 4301707u + kServoExtensionSize);
    EXPECT_TRUE(document.imageTail.empty());
    ASSERT_TRUE(SaveImageFile(dialog, prompter, document));
    EXPECT_EQ(std::filesystem::file_size(Card()), 4301707u);

    document.imageTail.assign(429173, 0xCD);
    prompter.Expect(IDP_WRITE_PROGRAM_DONE).Expect(IDP_WRITE_PROGRAM_DONE);
    ASSERT_TRUE(SaveImageFile(dialog, prompter, document));
    ASSERT_TRUE(SaveImageFile(dialog, prompter, document));
    EXPECT_EQ(std::filesystem::file_size(Card()), 4730880u);
}

TEST_F(ImageFileTest, AFailedWriteIsReportedAndLeavesTheFileOnTheCard) {
    const auto original = test::MakeBinaryImage(4301707);
    test::WriteBytes(Card(), original);
    ASSERT_TRUE(Load(Card()));
    // The backups folder cannot be made: nothing may be written.
    test::WriteText(folder / kBackupFolderName, "in the way");
    SetField(0, "30");
    prompter.Expect(IDP_WRITE_PROGRAM_FAILED);
    EXPECT_FALSE(SaveImageFile(dialog, prompter, document));
    EXPECT_EQ(test::ReadBytes(Card()), original);

    std::filesystem::remove(folder / kBackupFolderName);
    std::filesystem::remove(Card());
    std::filesystem::create_directories(Card() / "in-the-way"); // the rename cannot replace it
    prompter.Expect(IDP_WRITE_PROGRAM_FAILED);
    EXPECT_FALSE(SaveImageFile(dialog, prompter, document));
    EXPECT_TRUE(std::filesystem::is_directory(Card() / "in-the-way"));
}

TEST_F(ImageFileTest, RestoreAsksThenPutsTheBuiltInValues) {
    prompter.Expect(IDP_RESTORE_ORIGINS, Answer::No);
    RestoreStandardValues(document, dialog, prompter);
    EXPECT_EQ(dialog.GetText(1004), "");

    prompter.Expect(IDP_RESTORE_ORIGINS, Answer::Yes);
    RestoreStandardValues(document, dialog, prompter);
    for (int k = 0; k < kServoCount; ++k) {
        EXPECT_EQ(dialog.GetIntOrZero(ServoField(k)),
                  kServoTable[static_cast<std::size_t>(k)].standard);
    }
    document.tableSelector = 2;
    prompter.Expect(IDP_RESTORE_RANGES, Answer::Yes);
    RestoreStandardValues(document, dialog, prompter);
    EXPECT_EQ(dialog.GetText(1042), "32767");
    document.tableSelector = 1;
    prompter.Expect(IDP_RESTORE_RANGES, Answer::Yes);
    RestoreStandardValues(document, dialog, prompter);
    EXPECT_EQ(dialog.GetText(1004), "-32767");
}

TEST_F(ImageFileTest, SpinRangesFollowTableAndRangeLimit) {
    ApplySpinRanges(document, dialog);
    EXPECT_EQ(dialog.SpinLow(1005), -125);
    EXPECT_EQ(dialog.SpinHigh(1005), 175);
    EXPECT_EQ(dialog.SpinLow(1041), -740); // ID20: standard -590
    document.tableSelector = 1;
    ApplySpinRanges(document, dialog);
    EXPECT_EQ(dialog.SpinLow(1005), -1500);
    EXPECT_EQ(dialog.SpinHigh(1041), 1500);
    document.tableSelector = 0;
    document.checkRange = false;
    ApplySpinRanges(document, dialog);
    EXPECT_EQ(dialog.SpinHigh(1005), 1500);
}

} // namespace
} // namespace orvix
