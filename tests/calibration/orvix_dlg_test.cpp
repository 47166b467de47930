#include "calibration/orvix_dlg.h"

#include <gtest/gtest.h>
#include <memory>

#include "image_fixtures.h"
#include "resources/main_dialog.h"
#include "resources/string_table.h"
#include "resources/translation.h"
#include "storage/byte_order.h"
#include "storage/file_io.h"
#include "storage/settings_file.h"
#include "support/scripted_prompter.h"
#include "support/temp_folder.h"
#include "support/test_runner.h"

namespace orvix {
namespace {

using namespace main_dlg;
using test::DistinctValues;
using ui::Answer;

constexpr int kId2Field = 1004;
constexpr int kId2Spin = 1005;

class OrvixDlgTest : public ::testing::Test {
protected:
    std::string Ini() const { return Utf8FromPath(folder / kSettingsFileName); }
    std::filesystem::path Card() const { return folder / "card" / "STARTUP.BIN"; }

    void Remember(const std::filesystem::path& image) {
        ASSERT_TRUE(WriteProfileString(Ini(), kSectionFile, kKeyPath, Utf8FromPath(image)));
    }

    // Opens the main dialog on a card with a program whose values are DistinctValues.
    void OpenOnCard() {
        test::WriteBytes(Card(), test::MakeBinaryImage(4301707));
        Remember(Card());
        Open();
    }

    void Open(const std::string& initialPath = {}) {
        dlg = std::make_unique<COrvixDlg>(services, Ini(), initialPath);
        open = std::make_unique<test::OpenDialog>(*dlg);
    }

    ui::DialogModel& Model() { return open->Model(); }
    std::string Remembered() const { return GetProfileString(Ini(), kSectionFile, kKeyPath, "?"); }
    std::int16_t OnDisk(int k, int table) const {
        return *ReadI16(test::ReadBytes(Card()), test::DocumentedBinaryOffset(k, table));
    }

    test::TempFolder folder;
    test::ScriptedPrompter prompter;
    test::TestRunner runner;
    ui::UiServices services{prompter, runner};
    std::unique_ptr<COrvixDlg> dlg;
    std::unique_ptr<test::OpenDialog> open;
};

void ExpectNoImage(ui::DialogModel& dialog) {
    for (int id : {IDC_WRITE, IDC_PROGRAM_CHANGE, IDC_SETTINGS_DATA, IDC_USER_DATA}) {
        EXPECT_FALSE(dialog.IsEnabled(id)) << id;
    }
    EXPECT_EQ(dialog.GetText(kId2Field), "");
    EXPECT_EQ(dialog.GetText(1042), "");
    EXPECT_FALSE(dialog.IsVisible(IDC_ATTENUATOR));
}

// --- opening ----------------------------------------------------------------------------------

TEST_F(OrvixDlgTest, FirstStartOpensEmptyAndWritesNoSettingsFile) {
    Open();
    EXPECT_TRUE(Model().IsChecked(IDC_TABLE_ORIGIN));
    EXPECT_TRUE(Model().IsChecked(IDC_CHECK_RANGE));
    EXPECT_EQ(Model().SpinHigh(IDC_ATTENUATOR_SPIN), 7);
    EXPECT_EQ(Model().SpinHigh(kId2Spin), 175);
    ExpectNoImage(Model());
    EXPECT_FALSE(std::filesystem::exists(folder / kSettingsFileName));
}

TEST_F(OrvixDlgTest, OpensOnTheRememberedImageOrOnAPathGivenAtStart) {
    ASSERT_TRUE(WriteProfileString(Ini(), kSectionRange, kKeyCheckRange, "2")); // off
    OpenOnCard();
    EXPECT_EQ(Model().GetIntOrZero(kId2Field), DistinctValues(0)[0]);
    EXPECT_EQ(Model().GetIntOrZero(1042), DistinctValues(0)[19]);
    EXPECT_TRUE(Model().IsEnabled(IDC_WRITE));
    EXPECT_FALSE(dlg->Document().valuesChanged);
    EXPECT_FALSE(Model().IsChecked(IDC_CHECK_RANGE));
    EXPECT_EQ(Model().SpinHigh(kId2Spin), 1500);

    const auto other = folder / "other" / "STARTUP.BIN";
    auto image = test::MakeBinaryImage(4301707);
    image[276] = 99;
    image[277] = 0;
    test::WriteBytes(other, image);
    Open(Utf8FromPath(other));
    EXPECT_EQ(Model().GetText(kId2Field), "99");
    EXPECT_EQ(Remembered(), Utf8FromPath(other));

    // A card folder given at start stands for its STARTUP.BIN, in any letter case.
    std::filesystem::rename(other, folder / "other" / "startup.bin");
    Open(Utf8FromPath(folder / "other"));
    EXPECT_EQ(Model().GetText(kId2Field), "99");
    EXPECT_EQ(Remembered(), Utf8FromPath(folder / "other" / "startup.bin"));
}

// A remembered file that was deleted is forgotten silently; one that fails to load, after its
// message. Either way the emptied fields are no edit: closing asks nothing.
TEST_F(OrvixDlgTest, ARememberedFileThatIsGoneOrBadIsForgotten) {
    Remember(folder / "gone" / "STARTUP.BIN");
    Open();
    ExpectNoImage(Model());
    EXPECT_EQ(Remembered(), "");

    test::WriteBytes(Card(), test::MakeBinaryImage(100));
    Remember(Card());
    prompter.Expect(IDP_READ_PROGRAM_FAILED);
    Open();
    ExpectNoImage(Model());
    EXPECT_EQ(Remembered(), "");
    Model().PressEscape();
    EXPECT_TRUE(Model().Ended());
}

// --- reading and writing ----------------------------------------------------------------------

TEST_F(OrvixDlgTest, ReadChoosesAFileAndAFailedReadClearsTheFields) {
    Open();
    test::WriteBytes(Card(), test::MakeBinaryImage(4301707));
    prompter.ExpectOpenFile(Utf8FromPath(Card()));
    Model().Click(IDC_READ);
    EXPECT_EQ(Model().GetIntOrZero(kId2Field), DistinctValues(0)[0]);
    EXPECT_TRUE(Model().IsEnabled(IDC_USER_DATA));

    prompter.ExpectOpenFile(std::nullopt); // cancelled: nothing changes
    Model().Click(IDC_READ);
    EXPECT_EQ(Model().GetIntOrZero(kId2Field), DistinctValues(0)[0]);
    EXPECT_EQ(prompter.FileRequests().back().pattern, "STARTUP.BIN");
    EXPECT_EQ(prompter.FileRequests().back().initialFolder, Utf8FromPath(Card().parent_path()));

    Model().Type(kId2Field, "30");
    prompter.ExpectOpenFile(Utf8FromPath(folder / "ABSENT.BIN")).Expect(IDP_READ_PROGRAM_FAILED);
    Model().Click(IDC_READ);
    ExpectNoImage(Model());
    EXPECT_FALSE(dlg->Document().valuesChanged); // emptied fields hold no edit
}

// --- tables -----------------------------------------------------------------------------------

TEST_F(OrvixDlgTest, TableSelectionOffersChangesReloadsAndSetsLimits) {
    OpenOnCard();
    Model().StepSpin(kId2Spin, +1);
    prompter.Expect(IDP_VALUES_CHANGED, Answer::Yes).Expect(IDP_WRITE_PROGRAM_DONE);
    Model().Click(IDC_TABLE_LOWER);
    EXPECT_EQ(OnDisk(0, 0), DistinctValues(0)[0] + 1);
    EXPECT_EQ(Model().GetIntOrZero(kId2Field), DistinctValues(1)[0]);
    EXPECT_FALSE(Model().IsEnabled(IDC_CHECK_RANGE));
    EXPECT_EQ(Model().SpinLow(kId2Spin), -1500);
    EXPECT_FALSE(Model().IsChecked(IDC_TABLE_ORIGIN));

    Model().Type(kId2Field, "-5");
    prompter.Expect(IDP_VALUES_CHANGED, Answer::No);
    Model().Click(IDC_TABLE_UPPER);
    EXPECT_EQ(OnDisk(0, 1), DistinctValues(1)[0]); // dropped
    EXPECT_EQ(Model().GetIntOrZero(1042), DistinctValues(2)[19]);

    Model().Click(IDC_TABLE_ORIGIN);
    EXPECT_TRUE(Model().IsEnabled(IDC_CHECK_RANGE));
    EXPECT_EQ(Model().SpinLow(kId2Spin), -125);
    EXPECT_FALSE(dlg->Document().valuesChanged);
}

TEST_F(OrvixDlgTest, AFailedWriteOnATableChangeKeepsTheTableAndTheValues) {
    OpenOnCard();
    Model().Type(kId2Field, "500"); // beyond ID2's limit of 175
    prompter.Expect(IDP_VALUES_CHANGED, Answer::Yes).Expect(IDP_OUT_OF_RANGE);
    Model().Click(IDC_TABLE_UPPER);
    EXPECT_TRUE(Model().IsChecked(IDC_TABLE_ORIGIN));
    EXPECT_FALSE(Model().IsChecked(IDC_TABLE_UPPER));
    EXPECT_EQ(dlg->Document().tableSelector, 0u);
    EXPECT_EQ(Model().GetText(kId2Field), "500");
    EXPECT_EQ(Model().Focus(), kId2Field);
}

// --- range limit ------------------------------------------------------------------------------

TEST_F(OrvixDlgTest, RemovingTheRangeLimitAsksFirst) {
    OpenOnCard();
    prompter.Expect(IDP_REMOVE_RANGE_LIMIT, Answer::No);
    Model().Click(IDC_CHECK_RANGE);
    EXPECT_TRUE(Model().IsChecked(IDC_CHECK_RANGE));
    EXPECT_EQ(GetProfileString(Ini(), kSectionRange, kKeyCheckRange, "unset"), "unset");

    prompter.Expect(IDP_REMOVE_RANGE_LIMIT, Answer::Yes);
    Model().Click(IDC_CHECK_RANGE);
    EXPECT_EQ(GetProfileString(Ini(), kSectionRange, kKeyCheckRange, ""), "0");
    EXPECT_EQ(Model().SpinLow(test::DocumentedSpin(19)), -1500);
    EXPECT_EQ(Model().SpinHigh(kId2Spin), 1500);
    Model().Type(kId2Field, "1500");
    prompter.Expect(IDP_WRITE_PROGRAM_DONE);
    Model().Click(IDC_WRITE);
    EXPECT_EQ(OnDisk(0, 0), 1500);

    Model().Click(IDC_CHECK_RANGE); // back on: no question
    EXPECT_EQ(GetProfileString(Ini(), kSectionRange, kKeyCheckRange, ""), "1");
    EXPECT_EQ(Model().SpinHigh(kId2Spin), 175);
}

// The system menu offers the other language and keeps it in Orvix2.ini for the next start.
TEST_F(OrvixDlgTest, TheSystemMenuKeepsTheOtherLanguageForTheNextStart) {
    for (const auto& [language, entry, kept] : {std::tuple(Language::Japanese, "English", "en"),
                                                std::tuple(Language::English, "日本語", "ja")}) {
        ASSERT_TRUE(SetInterfaceLanguage(language, {ORVIX2_TEST_CATALOGUE}));
        Open();
        EXPECT_EQ(Model().SystemMenu().back().text, entry);
        prompter.Expect(IDP_LANGUAGE_AT_RESTART);
        Model().SystemCommand(IDM_LANGUAGE);
        EXPECT_EQ(GetProfileString(Ini(), kSectionFile, "Language", ""), kept);
    }
    SetInterfaceLanguage(Language::Japanese, {});
}

// --- restoring and closing --------------------------------------------------------------------

TEST_F(OrvixDlgTest, RestoringMarksTheValuesChangedSoClosingAsks) {
    OpenOnCard();
    prompter.Expect(IDP_RESTORE_ORIGINS, Answer::No);
    Model().Click(IDC_RESTORE);
    EXPECT_EQ(Model().GetIntOrZero(kId2Field), DistinctValues(0)[0]);
    prompter.Expect(IDP_RESTORE_ORIGINS, Answer::Yes);
    Model().Click(IDC_RESTORE);
    prompter.Expect(IDP_VALUES_CHANGED, Answer::Yes).Expect(IDP_WRITE_PROGRAM_DONE);
    Model().Click(IDC_CLOSE);
    EXPECT_EQ(Model().Result(), ui::kIdCancel);
    for (int k = 0; k < test::kServos; ++k) {
        EXPECT_EQ(OnDisk(k, 0), test::kDocumentedStandard[static_cast<std::size_t>(k)]);
    }
}

TEST_F(OrvixDlgTest, TheClosingQuestionsAnswers) {
    OpenOnCard();
    Model().Type(1010, "");
    prompter.Expect(IDP_VALUES_CHANGED, Answer::Yes).Expect(IDP_NO_NUMBER);
    Model().Click(IDC_CLOSE); // a failed write keeps the dialog open
    EXPECT_FALSE(Model().Ended());
    EXPECT_EQ(Model().Focus(), 1010);

    Model().Type(kId2Field, "31");
    prompter.Expect(IDP_VALUES_CHANGED, Answer::Cancel);
    Model().PressEscape();
    EXPECT_FALSE(Model().Ended());
    EXPECT_EQ(Model().GetText(kId2Field), "31");

    prompter.Expect(IDP_VALUES_CHANGED, Answer::No);
    Model().CloseBox();
    EXPECT_TRUE(Model().Ended());
    EXPECT_EQ(OnDisk(0, 0), DistinctValues(0)[0]);
    EXPECT_EQ(prompter.Messages().back().buttons, ui::Buttons::YesNoCancel);
}

TEST_F(OrvixDlgTest, TheAttenuatorAloneMarksNothing) {
    test::WriteBytes(Card(), test::MakeBinaryImage(4011, 1));
    Remember(Card());
    Open();
    ASSERT_TRUE(Model().IsVisible(IDC_ATTENUATOR));
    Model().StepSpin(IDC_ATTENUATOR_SPIN, +1);
    EXPECT_EQ(Model().GetText(IDC_ATTENUATOR), "2");
    Model().PressEscape();
    EXPECT_TRUE(Model().Ended());
    EXPECT_EQ(test::ReadBytes(Card())[16], 1);
}

} // namespace
} // namespace orvix
