#include "calibration/image_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "image_fixtures.h"
#include "resources/main_dialog.h"
#include "resources/string_table.h"
#include "storage/file_backup.h"
#include "storage/file_io.h"
#include "storage/settings_file.h"
#include "support/scripted_prompter.h"
#include "support/temp_folder.h"

namespace orvix {
namespace {

using namespace main_dlg;
using test::DistinctValues;
using test::DocumentedBinaryOffset;
using test::DocumentedField;
using test::DocumentedTextPosition;
using ui::Answer;

constexpr std::size_t kFullSize = 4301707;

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

    // Writes an image to the card and loads it.
    void LoadCard(const std::vector<std::uint8_t>& image, const std::string& name = "STARTUP.BIN") {
        test::WriteBytes(Card(name), image);
        ASSERT_TRUE(Load(Card(name)));
    }

    test::TableValues Fields() const {
        test::TableValues values{};
        for (int k = 0; k < test::kServos; ++k) {
            values[static_cast<std::size_t>(k)] = dialog.GetIntOrZero(DocumentedField(k));
        }
        return values;
    }

    void Save(int message) {
        prompter.Expect(message);
        EXPECT_EQ(SaveImageFile(dialog, prompter, document), message == IDP_WRITE_PROGRAM_DONE);
        prompter.Verify();
    }

    test::TempFolder folder;
    test::ScriptedPrompter prompter;
    EditorDocument document;
    ui::DialogModel dialog;
};

// --- loading ----------------------------------------------------------------------------------

TEST_F(ImageFileTest, BinaryLoadShowsEachTableTheLayoutAndTheAttenuator) {
    auto image = test::MakeBinaryImage(kFullSize);
    image[7600] = 23;
    for (std::uint32_t table = 0; table < 3; ++table) {
        document.tableSelector = table;
        LoadCard(image);
        EXPECT_EQ(Fields(), DistinctValues(static_cast<int>(table)));
    }
    EXPECT_TRUE(document.isBinaryImage);
    EXPECT_TRUE(document.buildVariant);
    EXPECT_EQ(document.ImageSize(), kFullSize);
    EXPECT_FALSE(dialog.IsVisible(IDC_ATTENUATOR));
    for (int id : {IDC_WRITE, IDC_PROGRAM_CHANGE, IDC_SETTINGS_DATA, IDC_USER_DATA}) {
        EXPECT_TRUE(dialog.IsEnabled(id)) << id;
    }
    EXPECT_EQ(GetProfileString(document.iniPath, kSectionFile, kKeyPath, ""), Utf8FromPath(Card()));

    // The short variant: the attenuator shows, the program cannot be changed; too short for the
    // build marker, so layout A.
    document.tableSelector = 0;
    LoadCard(test::MakeBinaryImage(4011, -2), "startup.bin"); // lower case is the binary form too
    EXPECT_TRUE(document.isBinaryImage);
    EXPECT_FALSE(document.buildVariant);
    for (int id :
         {IDC_ATTENUATOR, IDC_ATTENUATOR_SPIN, IDC_ATTENUATOR_LABEL, IDC_ATTENUATOR_SCALE}) {
        EXPECT_TRUE(dialog.IsVisible(id)) << id;
    }
    EXPECT_EQ(dialog.GetText(IDC_ATTENUATOR), "-2");
    EXPECT_FALSE(dialog.IsEnabled(IDC_PROGRAM_CHANGE));

    LoadCard(test::MakeBinaryImage(5242880)); // the size of the first read: read whole
    EXPECT_EQ(document.image, test::ReadBytes(Card()));
    EXPECT_FALSE(dialog.IsVisible(IDC_ATTENUATOR));
}

TEST_F(ImageFileTest, TextLoadReadsLowerCaseHexSignExtended) {
    LoadCard(test::MakeTextImage(8000, 5), "STARTUP.TXT");
    EXPECT_FALSE(document.isBinaryImage);
    EXPECT_EQ(Fields(), DistinctValues(0));
    EXPECT_EQ(dialog.GetText(IDC_ATTENUATOR), "5");
    EXPECT_TRUE(dialog.IsVisible(IDC_ATTENUATOR));

    document.tableSelector = 1; // negative values come through 0xfc18 and the like
    LoadCard(test::MakeTextImage(8000, -1), "STARTUP.TXT");
    EXPECT_EQ(Fields(), DistinctValues(1));
    EXPECT_FALSE(dialog.IsVisible(IDC_ATTENUATOR)); // the mark of a file without one
    EXPECT_EQ(dialog.GetText(IDC_ATTENUATOR), "");
}

TEST_F(ImageFileTest, RefusedFilesAreReportedWithTheirReasonAndForgotten) {
    auto upperCase = test::MakeTextImage(8000, -1);
    upperCase[DocumentedTextPosition(4, 0) + 2] = 'F';
    std::filesystem::create_directories(Card("FOLDER.BIN"));
    test::WriteBytes(Card("HUGE.BIN"), {});
    std::filesystem::resize_file(Card("HUGE.BIN"), 64u * 1024 * 1024 + 1);
    ASSERT_EQ(::mkfifo(Card("PIPE.BIN").c_str(), 0600), 0);
    struct Case {
        std::string name;
        std::vector<std::uint8_t> bytes; // written unless empty
        std::uint32_t table;
        int message;
        std::string reason; // the end of the detail line; empty for none
    };
    const Case cases[] = {
        {"STARTUP.BIN", test::MakeBinaryImage(1675), 0, IDP_READ_PROGRAM_FAILED,
         "too short for the servo table (1676 bytes)"},
        {"ABSENT.BIN", {}, 0, IDP_READ_PROGRAM_FAILED, "No such file or directory"},
        {"FOLDER.BIN", {}, 0, IDP_READ_PROGRAM_FAILED, "not a regular file"},
        {"PIPE.BIN", {}, 0, IDP_READ_PROGRAM_FAILED, "not a regular file"},
        {"HUGE.BIN", {}, 0, IDP_READ_PROGRAM_FAILED, "larger than 64 MiB"},
        {"UPPER.TXT", upperCase, 0, IDP_WRONG_SETTING_VALUES, ""},
        // The last upper limit ends at byte 7734; the origin table ends earlier.
        {"SHORT.TXT", test::MakeTextImage(7733, 1), 2, IDP_WRONG_SETTING_VALUES, ""},
        {"ATTEN.TXT", test::MakeTextImage(4011, 6), 0, IDP_WRONG_SETTING_VALUES, ""},
        {"EMPTY.TXT", std::vector<std::uint8_t>(100, ' '), 0, IDP_READ_PROGRAM_FAILED, ""},
    };
    for (const Case& c : cases) {
        if (!c.bytes.empty()) {
            test::WriteBytes(Card(c.name), c.bytes);
        }
        document.tableSelector = c.table;
        prompter.Expect(c.message);
        EXPECT_FALSE(Load(Card(c.name))) << c.name;
        prompter.Verify();
        EXPECT_TRUE(prompter.Messages().back().detail.ends_with(c.reason)) << c.name;
        EXPECT_EQ(prompter.Messages().back().detail.empty(), c.reason.empty()) << c.name;
        EXPECT_EQ(document.imagePath, "") << c.name;
    }
    EXPECT_EQ(GetProfileString(document.iniPath, kSectionFile, kKeyPath, "none"), "none");
    LoadCard(test::MakeBinaryImage(1676)); // just long enough
    EXPECT_EQ(Fields(), DistinctValues(0));
}

// --- checking fields ----------------------------------------------------------------------------

TEST_F(ImageFileTest, FieldsAreCheckedWhole) {
    const std::string zeros(30, '0');
    const std::pair<std::string, std::optional<int>> accepted[] = {
        {"-", 0}, {"-125", -125}, {"175", 175}, {"0012", 12}, {zeros + "25", 25}};
    const std::pair<std::string, int> refused[] = {{"", IDP_NO_NUMBER},
                                                   {"+5", IDP_NOT_DECIMAL},
                                                   {"1.5", IDP_NOT_DECIMAL},
                                                   {"5-", IDP_NOT_DECIMAL},
                                                   {" 5", IDP_NOT_DECIMAL},
                                                   {"--5", IDP_NOT_DECIMAL},
                                                   {zeros + "1x", IDP_NOT_DECIMAL},
                                                   {zeros + "176", IDP_OUT_OF_RANGE},
                                                   {"-126", IDP_OUT_OF_RANGE},
                                                   {"99999999999", IDP_OUT_OF_RANGE},
                                                   {"-4294967296", IDP_OUT_OF_RANGE}};
    for (const auto& [text, value] : accepted) {
        dialog.SetText(1004, text);
        EXPECT_EQ(ReadValueField(dialog, prompter, 1004, document, -125, 175), value) << text;
    }
    for (const auto& [text, message] : refused) {
        dialog.SetText(1004, text);
        dialog.SetFocus(IDC_READ);
        prompter.Expect(message);
        EXPECT_EQ(ReadValueField(dialog, prompter, 1004, document, -125, 175), std::nullopt);
        prompter.Verify();
        EXPECT_EQ(dialog.Focus(), 1004) << text;
        EXPECT_EQ(prompter.Messages().back().argument,
                  message == IDP_OUT_OF_RANGE ? "-125～175" : "")
            << text;
    }
}

TEST_F(ImageFileTest, SaveLimitsFollowTableAndRangeLimit) {
    struct Case {
        std::uint32_t table;
        bool checkRange;
        int field;
        const char* text;
        const char* refusedRange; // nullptr: written
    };
    const Case cases[] = {
        {0, true, 1004, "176", "-125～175"},   // ID2: standard 25
        {0, true, 1040, "-741", "-740～-440"}, // ID20: standard -590
        {0, true, 1040, "-740", nullptr},          {0, false, 1004, "1500", nullptr},
        {0, false, 1004, "-1501", "-1500～1500"},  {2, true, 1010, "5000", nullptr},
        {2, true, 1010, "40000", "-32768～32767"},
    };
    for (const Case& c : cases) {
        document.tableSelector = c.table;
        document.checkRange = c.checkRange;
        LoadCard(test::MakeBinaryImage(kFullSize));
        dialog.SetText(c.field, c.text);
        Save(c.refusedRange ? IDP_OUT_OF_RANGE : IDP_WRITE_PROGRAM_DONE);
        if (c.refusedRange) {
            EXPECT_EQ(prompter.Messages().back().argument, c.refusedRange) << c.text;
            EXPECT_EQ(dialog.Focus(), c.field);
        } else {
            const int k = (c.field - 1004) / 2;
            const auto bits = static_cast<std::uint16_t>(std::stoi(c.text));
            const auto onDisk = test::ReadBytes(Card());
            EXPECT_EQ(onDisk[DocumentedBinaryOffset(k, static_cast<int>(c.table))], bits & 0xFF);
            EXPECT_EQ(onDisk[DocumentedBinaryOffset(k, static_cast<int>(c.table)) + 1], bits >> 8);
        }
    }
}

// On the origin table the attenuator stays within 0 to 7; on the range-limit tables within what
// its byte reads back as (signed), so that every byte a file holds shows and saves as it was and
// every value accepted shows again as given.
TEST_F(ImageFileTest, TheAttenuatorIsCheckedByTable) {
    struct Case {
        std::uint32_t table;
        std::uint8_t held;
        const char* text; // nullptr: saved as loaded
        const char* refusedRange;
        std::uint8_t written;
    };
    const Case cases[] = {
        {0, 3, "8", "0～7", 0},
        {0, 3, "-1", "0～7", 0},
        {1, 0x80, nullptr, nullptr, 0x80},
        {2, 0xFF, nullptr, nullptr, 0xFF},
        {1, 3, "-128", nullptr, 0x80},
        {2, 3, "127", nullptr, 0x7F},
        {1, 3, "128", "-128～127", 0},
        {2, 3, "200", "-128～127", 0},
        {2, 3, "-129", "-128～127", 0},
    };
    for (const Case& c : cases) {
        document.tableSelector = c.table;
        const auto original = test::MakeBinaryImage(4011, c.held);
        LoadCard(original);
        EXPECT_EQ(dialog.GetIntOrZero(IDC_ATTENUATOR), static_cast<std::int8_t>(c.held));
        if (c.text != nullptr) {
            dialog.SetText(IDC_ATTENUATOR, c.text);
        }
        Save(c.refusedRange ? IDP_OUT_OF_RANGE : IDP_WRITE_PROGRAM_DONE);
        auto expected = original;
        if (c.refusedRange) {
            EXPECT_EQ(prompter.Messages().back().argument, c.refusedRange) << c.text;
            EXPECT_EQ(dialog.Focus(), IDC_ATTENUATOR);
        } else {
            expected[16] = c.written;
        }
        EXPECT_EQ(test::ReadBytes(Card()), expected) << c.table << " " << int{c.held};
    }
}

// --- saving -----------------------------------------------------------------------------------

TEST_F(ImageFileTest, SaveChangesOnlyTheEditedBytes) {
    const auto original = test::MakeBinaryImage(kFullSize);
    document.tableSelector = 1;
    LoadCard(original);
    dialog.SetText(1042, "-7"); // ID21
    Save(IDP_WRITE_PROGRAM_DONE);
    auto expected = original;
    expected[1606 + 2] = 0xF9;
    expected[1606 + 3] = 0xFF;
    EXPECT_EQ(test::ReadBytes(Card()), expected);
    EXPECT_FALSE(document.valuesChanged);

    const auto text = test::MakeTextImage(8000, 4);
    document.tableSelector = 0;
    LoadCard(text, "STARTUP.TXT");
    dialog.SetText(1004, "-20");
    dialog.SetText(IDC_ATTENUATOR, "6");
    Save(IDP_WRITE_PROGRAM_DONE);
    std::string expectedText(text.begin(), text.end());
    expectedText.replace(1227, 6, "0xffec");
    expectedText.replace(202, 6, "0x0006");
    EXPECT_EQ(test::ReadText(Card("STARTUP.TXT")), expectedText);

    // The text form holds the attenuator in 16 bits: on a range-limit table 200 stays 200.
    document.tableSelector = 1;
    LoadCard(text, "STARTUP.TXT");
    dialog.SetText(IDC_ATTENUATOR, "200");
    Save(IDP_WRITE_PROGRAM_DONE);
    expectedText.assign(text.begin(), text.end());
    expectedText.replace(202, 6, "0x00c8");
    EXPECT_EQ(test::ReadText(Card("STARTUP.TXT")), expectedText);

    document.tableSelector = 0;
    const auto noAttenuator = test::MakeTextImage(8000, -1); // keeps its mark
    LoadCard(noAttenuator, "STARTUP.TXT");
    Save(IDP_WRITE_PROGRAM_DONE);
    EXPECT_EQ(test::ReadBytes(Card("STARTUP.TXT")), noAttenuator);
}

TEST_F(ImageFileTest, ARefusedFieldLeavesFileAndImageAlone) {
    const auto original = test::MakeBinaryImage(kFullSize);
    LoadCard(original);
    dialog.SetText(1004, "30");
    dialog.SetText(1014, "");
    Save(IDP_NO_NUMBER);
    EXPECT_EQ(dialog.Focus(), 1014);
    EXPECT_EQ(test::ReadBytes(Card()), original);
    EXPECT_EQ(document.image, original);
    EXPECT_FALSE(std::filesystem::exists(folder / kBackupFolderName));
}

// After a save the image in memory is what is on the card: a servo extension becomes part of the
// image, so that a later save keeps its code with its hook; a remote extension stays a tail.
TEST_F(ImageFileTest, TheServoExtensionJoinsTheImageARemoteTailStays) {
    LoadCard(test::MakeBinaryImage(kFullSize));
    document.imageTail.assign(3072, 0xAB);
    Save(IDP_WRITE_PROGRAM_DONE);
    EXPECT_EQ(std::filesystem::file_size(Card()), kFullSize + 3072);
    EXPECT_TRUE(document.imageTail.empty());
    EXPECT_EQ(document.ImageSize(), kFullSize + 3072);
    Save(IDP_WRITE_PROGRAM_DONE);
    EXPECT_EQ(std::filesystem::file_size(Card()), kFullSize + 3072);
    EXPECT_EQ(test::ReadBytes(Card()).back(), 0xAB);
    document.image.resize(kFullSize);

    document.imageTail.assign(429173, 0xCD);
    Save(IDP_WRITE_PROGRAM_DONE);
    Save(IDP_WRITE_PROGRAM_DONE);
    EXPECT_EQ(std::filesystem::file_size(Card()), 4730880u);
}

// Every step of the backup and of the write fails in turn: the card keeps its file, no temporary
// file is left, message 105 says why, and the dialog still holds the user's values.
TEST_F(ImageFileTest, AFailureAtAnyStepOfTheSaveLeavesTheCardAlone) {
    const auto original = test::MakeBinaryImage(kFullSize);
    LoadCard(original);
    const auto backups = BackupFolderOf(Card(), folder / kBackupFolderName);
    const FileStep steps[] = {FileStep::Read,  FileStep::OpenTemporary, FileStep::Write,
                              FileStep::Flush, FileStep::FolderFlush,   FileStep::Rename};
    for (const bool ofBackup : {true, false}) {
        for (const FileStep step : steps) {
            if (step == FileStep::Read && !ofBackup) {
                continue; // the write reads nothing
            }
            SetFileFaultInjector([&](FileStep now, const std::filesystem::path& file) {
                const bool backupFile =
                    file == Card() ? step == FileStep::Read : file.parent_path() == backups;
                return now == step && backupFile == ofBackup;
            });
            dialog.SetText(1004, "30");
            document.valuesChanged = true; // as the main dialog marks an edit
            Save(IDP_WRITE_PROGRAM_FAILED);
            SetFileFaultInjector(nullptr);
            EXPECT_TRUE(prompter.Messages().back().detail.ends_with(": Input/output error"));
            EXPECT_EQ(test::ReadBytes(Card()), original);
            EXPECT_EQ(dialog.GetText(1004), "30");
            EXPECT_TRUE(document.valuesChanged);
            for (const auto& entry : std::filesystem::directory_iterator(Card().parent_path())) {
                EXPECT_EQ(entry.path().filename(), "STARTUP.BIN");
            }
        }
    }
    Save(IDP_WRITE_PROGRAM_DONE); // and the next save goes through
    EXPECT_EQ(test::ReadBytes(Card())[DocumentedBinaryOffset(0, 0)], 30);

    std::filesystem::permissions(Card(), std::filesystem::perms(0444));
    Save(IDP_WRITE_PROGRAM_FAILED);
    EXPECT_TRUE(prompter.Messages().back().detail.ends_with(": Permission denied"));
}

TEST_F(ImageFileTest, RestoreAsksThenPutsTheBuiltInValues) {
    prompter.Expect(IDP_RESTORE_ORIGINS, Answer::No);
    RestoreStandardValues(document, dialog, prompter);
    EXPECT_EQ(dialog.GetText(1004), "");
    for (const auto& [table, field, value] :
         {std::tuple{1u, 1004, "-32767"}, {2u, 1042, "32767"}, {0u, 1040, "-590"}}) {
        document.tableSelector = table;
        prompter.Expect(table == 0 ? IDP_RESTORE_ORIGINS : IDP_RESTORE_RANGES, Answer::Yes);
        RestoreStandardValues(document, dialog, prompter);
        EXPECT_EQ(dialog.GetText(field), value);
    }
}

} // namespace
} // namespace orvix
