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
    void OpenMain(const std::vector<std::uint8_t>& image, const char* name = "STARTUP.BIN") {
        card = folder / "card" / name;
        test::WriteBytes(card, image);
        MainDialogHooks hooks;
        hooks.programChange = [this](EditorDocument& document, ui::DialogModel& model) {
            CToruqueDialog child(services, document, model);
            runner.RunModal(child);
        };
        mainDlg = std::make_unique<COrvixDlg>(services, Utf8FromPath(folder / "Orvix2.ini"),
                                              Utf8FromPath(card), std::move(hooks));
        mainOpen = std::make_unique<test::OpenDialog>(*mainDlg);
    }

    // The program change dialog opened by the test itself.
    ui::DialogModel& Open(const std::vector<std::uint8_t>& image,
                          const char* name = "STARTUP.BIN") {
        OpenMain(image, name);
        dialog = std::make_unique<CToruqueDialog>(services, Doc(), mainOpen->Model());
        open = std::make_unique<test::OpenDialog>(*dialog);
        return open->Model();
    }

    EditorDocument& Doc() { return mainDlg->Document(); }
    std::uint8_t Saved(std::size_t at) const { return test::ReadBytes(card).at(at); }

    test::TempFolder folder;
    std::filesystem::path card;
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
    dialog.Click(1061);
    EXPECT_EQ(Doc().image, before);
    dialog.Click(1060); // energy-saving orange (what it writes is in the dialog scenarios)
    EXPECT_NE(Doc().image, before);
    prompter.ExpectColour(std::nullopt);
    dialog.Click(6);
    EXPECT_TRUE(dialog.IsChecked(1060));
    prompter.ExpectColour(ui::Rgb{200, 100, 50});
    dialog.Click(6);
    EXPECT_FALSE(dialog.IsChecked(1060));
}

// A save that fails leaves the card as it was (every step: the image file tests) and the dialog
// open.
TEST_F(ToruqueDialogTest, AFailedSaveKeepsTheCardAndTheDialog) {
    ui::DialogModel& dialog = Open(Program(kSizeA));
    const std::vector<std::uint8_t> before = test::ReadBytes(card);
    SetFileFaultInjector(
        [](FileStep now, const std::filesystem::path&) { return now == FileStep::Write; });
    prompter.Expect(IDP_WRITE_PROGRAM_FAILED);
    dialog.Click(1046);
    dialog.Click(5);
    SetFileFaultInjector(nullptr);
    EXPECT_FALSE(dialog.Ended());
    EXPECT_TRUE(test::ReadBytes(card) == before);
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
        {kSizeA, {1062}, IDP_OUT_OF_RANGE, Answer::Ok, "1062 xe 1063 xe", 1079}, // 0
        {kSizeA, {}, IDP_OUT_OF_RANGE, Answer::Ok, "1062 -e", 1079},     // 0 without remote support
        {kSizeA, {1062}, IDP_OUT_OF_RANGE, Answer::Ok, "1062 xe", 1080}, // beyond 32 bits
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
        dialog.Type(1079, c.focus == 1079 ? "0" : "1154");
        dialog.Type(1080, c.focus == 1080 ? "99999999999" : "0");
        prompter.Expect(c.message, c.answer);
        dialog.Click(5);
        ExpectStates(dialog, c.states);
        EXPECT_EQ(dialog.Focus(), c.focus);
        const bool closes = c.answer == Answer::No && c.message == IDP_PROGRAMS_ADDED;
        EXPECT_EQ(dialog.Result(), closes ? ui::kIdCancel : 0);
    }
}

// A held extension that cannot be rebuilt (no REMOTEBLK.BIN) puts the remote controls back to
// what the image holds; the next OK applies the other options and leaves the extension alone.
TEST_F(ToruqueDialogTest, AFailedRebuildDoesNotLockTheDialog) {
    std::vector<std::uint8_t> image = Program(test::kSizeRemote);
    image[0x41C400] = 0x90; // the remote connection form, voice playback loaded
    ui::DialogModel& dialog = Open(image);
    dialog.Click(1070);
    dialog.Click(1046); // torque off
    prompter.Expect(IDP_CODE_FILE_READ_FAILED);
    dialog.Click(5);
    ExpectStates(dialog, "1062 xd 1063 -d 1070 xe 1046 xe");
    EXPECT_FALSE(Doc().programChanged);
    prompter.Expect(IDP_WRITE_PROGRAM_DONE);
    dialog.Click(5);
    EXPECT_EQ(dialog.Result(), ui::kIdOk);
    const std::vector<std::uint8_t> saved = test::ReadBytes(card);
    EXPECT_EQ(saved[kTorque], 0);
    EXPECT_TRUE(
        saved.size() == image.size() &&
        std::equal(saved.begin() + test::kSizeA, saved.end(), image.begin() + test::kSizeA));
}

// In the text form too, a patch of calibration values and of the attenuator goes into the main
// dialog's fields, so that the save that follows keeps it; a field the patch left keeps its edit.
TEST_F(ToruqueDialogTest, APatchedTextFormIsKeptBySave) {
    const std::vector<std::uint8_t> original = test::MakeTextImage(8000, 5);
    prompter.Expect(IDP_WRONG_PROGRAM); // a text file holds no program options
    ui::DialogModel& dialog = Open(original, "STARTUP.TXT");
    mainOpen->Model().Type(test::DocumentedField(1), "100"); // ID3, typed before the patch
    // ID2's origin 0x000f becomes 0x000e; the attenuator 0x0005 becomes 0x0006.
    test::WriteText(folder / "patch.csv", "1232,0x66,0x65\n207,0x35,0x36\n");
    prompter.ExpectOpenFile(Utf8FromPath(folder / "patch.csv"))
        .Expect(IDP_PATCH_APPLIED)
        .Expect(IDP_WRITE_PROGRAM_DONE);
    dialog.Click(3);
    std::vector<std::uint8_t> expected = original;
    expected[1232] = 'e';
    expected[207] = '6';
    const std::string id3 = "0x0064"; // 100, as typed
    std::copy(id3.begin(), id3.end(), expected.begin() + test::DocumentedTextPosition(1, 0));
    EXPECT_EQ(test::ReadBytes(card), expected);
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
