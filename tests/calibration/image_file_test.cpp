#include "calibration/image_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "image_fixtures.h"
#include "resources/main_dialog.h"
#include "resources/string_table.h"
#include "resources/translation.h"
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

constexpr std::size_t kFullSize = 4301707;

class ImageFileTest : public ::testing::Test {
protected:
    ImageFileTest()
        : document(Utf8FromPath(folder / kSettingsFileName)), dialog(MainDialogTemplate()) {
        SetInterfaceLanguage(Language::Japanese, {}); // the system's reasons in Japanese
    }

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

// The values each table shows are in the reading scenarios; here what the dialog shows with them.
TEST_F(ImageFileTest, LoadShowsTheAttenuatorAndTheButtonsByForm) {
    document.tableSelector = 2;
    LoadCard(test::MakeBinaryImage(5242880)); // the size of the first read: read whole
    EXPECT_EQ(document.image, test::ReadBytes(Card()));
    EXPECT_EQ(Fields(), DistinctValues(2));
    EXPECT_FALSE(dialog.IsVisible(IDC_ATTENUATOR));
    for (int id : {IDC_WRITE, IDC_PROGRAM_CHANGE, IDC_SETTINGS_DATA, IDC_USER_DATA}) {
        EXPECT_TRUE(dialog.IsEnabled(id)) << id;
    }
    EXPECT_EQ(GetProfileString(document.iniPath, kSectionFile, kKeyPath, ""), Utf8FromPath(Card()));

    // The short variant: the attenuator shows, the program cannot be changed.
    LoadCard(test::MakeBinaryImage(4011, -2));
    for (int id :
         {IDC_ATTENUATOR, IDC_ATTENUATOR_SPIN, IDC_ATTENUATOR_LABEL, IDC_ATTENUATOR_SCALE}) {
        EXPECT_TRUE(dialog.IsVisible(id)) << id;
    }
    EXPECT_EQ(dialog.GetText(IDC_ATTENUATOR), "-2");
    EXPECT_FALSE(dialog.IsEnabled(IDC_PROGRAM_CHANGE));

    LoadCard(test::MakeTextImage(8000, -1), "STARTUP.TXT"); // the mark of a file without one
    EXPECT_FALSE(dialog.IsVisible(IDC_ATTENUATOR));
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
         "1,675バイトです。サーボの表には1,676バイト以上が必要です"},
        {"ABSENT.BIN", {}, 0, IDP_READ_PROGRAM_FAILED, "ファイルが見つかりません"},
        {"FOLDER.BIN", {}, 0, IDP_READ_PROGRAM_FAILED, "通常のファイルではありません"},
        {"PIPE.BIN", {}, 0, IDP_READ_PROGRAM_FAILED, "通常のファイルではありません"},
        {"HUGE.BIN",
         {},
         0,
         IDP_READ_PROGRAM_FAILED,
         "ファイルが大きすぎます（64 MiBを超えています）"},
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

// --- saving -----------------------------------------------------------------------------------

// After a save the image in memory is what is on the card: a servo extension becomes part of the
// image, so that a later save keeps its code with its hook.
TEST_F(ImageFileTest, TheServoExtensionJoinsTheImage) {
    LoadCard(test::MakeBinaryImage(kFullSize));
    document.imageTail.assign(3072, 0xAB);
    Save(IDP_WRITE_PROGRAM_DONE);
    EXPECT_EQ(std::filesystem::file_size(Card()), kFullSize + 3072);
    EXPECT_TRUE(document.imageTail.empty());
    EXPECT_EQ(document.ImageSize(), kFullSize + 3072);
    Save(IDP_WRITE_PROGRAM_DONE);
    EXPECT_EQ(std::filesystem::file_size(Card()), kFullSize + 3072);
    EXPECT_EQ(test::ReadBytes(Card()).back(), 0xAB);
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
                return now == step && (ofBackup ? backupFile : file == Card() && !backupFile);
            });
            dialog.SetText(1004, "30");
            document.valuesChanged = true; // as the main dialog marks an edit
            Save(IDP_WRITE_PROGRAM_FAILED);
            SetFileFaultInjector(nullptr);
            EXPECT_TRUE(prompter.Messages().back().detail.ends_with(": 入出力エラー"));
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
    EXPECT_TRUE(prompter.Messages().back().detail.ends_with(
        ": アクセスが拒否されました（権限がないか、読み取り専用です）"));
}

} // namespace
} // namespace orvix
