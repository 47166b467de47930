#include "options/toruque_dialog.h"

#include <gtest/gtest.h>
#include <memory>
#include <sstream>

#include "calibration/image_fixtures.h"
#include "calibration/orvix_dlg.h"
#include "program_document.h"
#include "resources/string_table.h"
#include "storage/byte_order.h"
#include "storage/file_io.h"
#include "support/scripted_prompter.h"
#include "support/temp_folder.h"
#include "support/test_runner.h"

namespace orvix {
namespace {

using test::kSizeA;
using ui::Answer;

constexpr std::size_t kTorque = 0xFD2; // documented

// A program as it comes: walking step count 4, the servo hook unused, torque on unless asked.
std::vector<std::uint8_t> Program(std::size_t size, bool layoutB = false, std::uint8_t torque = 1) {
    std::vector<std::uint8_t> image = test::MakeBinaryImage(size);
    image[7600] = layoutB ? 23 : 0;
    WriteU32(image, layoutB ? 0x163E85 : 0x16273C, 4);
    WriteU32(image, 0xFDC, 0x164C);
    image[kTorque] = torque;
    return image;
}

// Checks controls by "ID state" pairs, the state "x" checked or "-" not, then "e" enabled or "d"
// disabled: "1063 xd" is checked and disabled.
void ExpectStates(const ui::DialogModel& dialog, const std::string& states) {
    std::istringstream in(states);
    int id = 0;
    std::string state;
    while (in >> id >> state) {
        EXPECT_EQ(std::string(dialog.IsChecked(id) ? "x" : "-") +
                      (dialog.IsEnabled(id) ? "e" : "d"),
                  state)
            << "control " << id;
    }
}

class ToruqueDialogTest : public ::testing::Test {
protected:
    // The main dialog on a card with the image; its program change button opens the dialog.
    void OpenMain(const std::vector<std::uint8_t>& image) {
        test::WriteBytes(Card(), image);
        MainDialogHooks hooks;
        hooks.programChange = [this](EditorDocument& document, ui::DialogModel& model) {
            CToruqueDialog child(services, document, model);
            runner.RunModal(child);
        };
        mainDlg = std::make_unique<COrvixDlg>(services, Utf8FromPath(folder / "Orvix2.ini"),
                                              Utf8FromPath(Card()), std::move(hooks));
        mainOpen = std::make_unique<test::OpenDialog>(*mainDlg);
    }

    // The program change dialog opened by the test itself.
    ui::DialogModel& Open(const std::vector<std::uint8_t>& image) {
        OpenMain(image);
        dialog = std::make_unique<CToruqueDialog>(services, Doc(), mainOpen->Model());
        open = std::make_unique<test::OpenDialog>(*dialog);
        return open->Model();
    }

    std::filesystem::path Card() const { return folder / "card" / "STARTUP.BIN"; }
    EditorDocument& Doc() { return mainDlg->Document(); }
    std::uint8_t Saved(std::size_t at) const { return test::ReadBytes(Card()).at(at); }

    test::TempFolder folder;
    test::ScriptedPrompter prompter;
    test::TestRunner runner;
    ui::UiServices services{prompter, runner};
    std::unique_ptr<COrvixDlg> mainDlg;
    std::unique_ptr<test::OpenDialog> mainOpen;
    std::unique_ptr<CToruqueDialog> dialog;
    std::unique_ptr<test::OpenDialog> open;
};

TEST_F(ToruqueDialogTest, OpeningShowsTheOptionsOfTheProgram) {
    struct Case {
        std::size_t size;
        bool layoutB;
        const char* states;
        const char* startCode;
    };
    const Case cases[] = {
        {kSizeA, false, "1045 xe 1063 xd 1064 -d 1079 -e 1071 -e 1066 -e 1067 -d 5 -e", "1154"},
        // Too short for a program: what was read is shown; nothing is applied or coloured.
        {kSizeA - 1, false, "1045 -e 1046 xe 5 -d 6 -d 1060 -d 1061 -d 1065 -d", ""},
        {test::kSizeB, true, "1071 -d 5 -e", "1154"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        if (c.size < kSizeA) {
            prompter.Expect(IDP_WRONG_PROGRAM);
        }
        const ui::DialogModel& dialog = Open(Program(c.size, c.layoutB, c.size < kSizeA ? 0 : 1));
        ExpectStates(dialog, c.states);
        EXPECT_EQ(dialog.GetText(1078), "4");
        EXPECT_EQ(dialog.GetText(1079), c.startCode);
    }
}

// The remote boxes open their choices and mark the program changed; voltage off only warns; the
// colour boxes write only while orange is checked.
TEST_F(ToruqueDialogTest, ClickedControls) {
    ui::DialogModel& dialog = Open(Program(kSizeA));
    const std::vector<std::uint8_t> before = Doc().image;
    dialog.Click(1062);
    ExpectStates(dialog, "1063 xe 1064 -d 1070 xe 1072 -e");
    EXPECT_TRUE(Doc().programChanged);
    dialog.Click(1063); // the remote connection form
    ExpectStates(dialog, "1064 -e 1079 -d");
    dialog.Click(1064);
    dialog.Click(1063);
    ExpectStates(dialog, "1064 -d 1079 -e");
    Doc().programChanged = false;
    dialog.Click(1070);
    EXPECT_TRUE(Doc().programChanged);
    dialog.Click(1062);
    ExpectStates(dialog, "1063 xd 1070 -d 1072 -d");

    prompter.Expect(IDP_VOLTAGE_WARNING);
    dialog.Click(1048);
    EXPECT_EQ(prompter.Messages().back().icon, ui::Icon::Warning);
    dialog.Click(1061);
    EXPECT_EQ(Doc().image, before);
    dialog.Click(1060); // energy-saving orange, (90, 35, 0)
    EXPECT_EQ(ReadI16(Doc().image, 0x1342), 90);
    EXPECT_EQ(ReadI16(Doc().image, 0x1344), 35);
    prompter.ExpectColour(std::nullopt);
    dialog.Click(6);
    EXPECT_TRUE(dialog.IsChecked(1060));
    prompter.ExpectColour(ui::Rgb{200, 100, 50});
    dialog.Click(6);
    EXPECT_FALSE(dialog.IsChecked(1060));
}

// OK writes the options and saves with the main dialog's fields, then closes.
TEST_F(ToruqueDialogTest, OkAppliesAndSavesFromTheMainDialog) {
    OpenMain(Program(kSizeA));
    mainOpen->Model().Type(test::DocumentedField(0), "30");
    runner.Expect(130, [](ui::DialogModel& dialog) {
        dialog.Click(1046);
        dialog.Click(5);
        EXPECT_EQ(dialog.Result(), ui::kIdOk);
    });
    prompter.Expect(IDP_WRITE_PROGRAM_DONE);
    mainOpen->Model().Click(8); // program change
    EXPECT_EQ(Saved(kTorque), 0);
    EXPECT_EQ(ReadI16(test::ReadBytes(Card()), test::DocumentedBinaryOffset(0, 0)), 30);
}

// A save that fails at any step leaves the card as it was and the dialog open.
TEST_F(ToruqueDialogTest, AFailedSaveKeepsTheCardAndTheDialog) {
    for (const FileStep step : {FileStep::Read, FileStep::OpenTemporary, FileStep::Write,
                                FileStep::Flush, FileStep::FolderFlush, FileStep::Rename}) {
        ui::DialogModel& dialog = Open(Program(kSizeA));
        const std::vector<std::uint8_t> before = test::ReadBytes(Card());
        SetFileFaultInjector(
            [&](FileStep now, const std::filesystem::path&) { return now == step; });
        prompter.Expect(IDP_WRITE_PROGRAM_FAILED);
        dialog.Click(1046);
        dialog.Click(5);
        SetFileFaultInjector(nullptr);
        EXPECT_FALSE(dialog.Ended());
        EXPECT_TRUE(test::ReadBytes(Card()) == before);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Card().parent_path()), {}), 1);
    }
}

TEST_F(ToruqueDialogTest, ARefusedApplyUnchecksWhatWasRefusedOrCloses) {
    struct Case {
        std::size_t size;
        std::vector<int> clicks;
        int message;
        Answer answer;
        const char* states;
        int focus;
    };
    const Case cases[] = {
        {kSizeA, {}, IDP_WALK_STEPS_RANGE, Answer::Ok, "", 1078}, // steps typed as 0
        {kSizeA, {1066, 1067}, IDP_CHANGE_ARM_ANGLE, Answer::No, "1066 -e 1067 -d", 0},
        {kSizeA, {1062}, IDP_ENABLE_REMOTE, Answer::No, "1062 -e 1063 -d 1079 -d", 0},
        {test::kSizeServo, {1062}, IDP_PROGRAMS_ADDED, Answer::Cancel, "1062 xe", 0},
        {test::kSizeServo, {1062}, IDP_PROGRAMS_ADDED, Answer::No, "", 0}, // closes as Cancel
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        ui::DialogModel& dialog = Open(Program(c.size));
        for (int id : c.clicks) {
            dialog.Click(id);
        }
        dialog.Type(1078, c.message == IDP_WALK_STEPS_RANGE ? "0" : "4");
        prompter.Expect(c.message, c.answer);
        dialog.Click(5);
        ExpectStates(dialog, c.states);
        EXPECT_EQ(dialog.Focus(), c.focus);
        const bool closes = c.answer == Answer::No && c.message == IDP_PROGRAMS_ADDED;
        EXPECT_EQ(dialog.Result(), closes ? ui::kIdCancel : 0);
    }
}

// A patch is saved with the options as the controls show them, which take what it changed.
TEST_F(ToruqueDialogTest, APatchFileIsKeptAndSaved) {
    const std::tuple<std::size_t, const char*, std::size_t> cases[] = {
        {kSizeA, "276,*,0\n", test::DocumentedBinaryOffset(0, 0)}, // the main dialog's field
        {kSizeA, "4050,1,0\n", kTorque},                           // the torque option
        {kSizeA - 1, "4050,1,0\n", kTorque},                       // an image of no program
    };
    for (const auto& [size, patch, at] : cases) {
        SCOPED_TRACE(patch);
        if (size < kSizeA) {
            prompter.Expect(IDP_WRONG_PROGRAM);
        }
        ui::DialogModel& dialog = Open(Program(size));
        test::WriteText(folder / "patch.csv", patch);
        prompter.ExpectOpenFile(Utf8FromPath(folder / "patch.csv"))
            .Expect(IDP_PATCH_APPLIED)
            .Expect(IDP_WRITE_PROGRAM_DONE);
        dialog.Click(3);
        EXPECT_FALSE(dialog.Ended());
        EXPECT_EQ(Saved(at), 0);
    }
}

} // namespace
} // namespace orvix
