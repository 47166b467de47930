// A save checks that STARTUP.BIN still holds what was read (the card's lock is in the command
// tests).

#include <gtest/gtest.h>

#include "calibration/image_file.h"
#include "image_fixtures.h"
#include "resources/main_dialog.h"
#include "resources/string_table.h"
#include "storage/file_backup.h"
#include "storage/file_io.h"
#include "storage/settings_file.h"
#include "support/acting_prompter.h"
#include "support/temp_folder.h"

namespace orvix {
namespace {

using ui::Answer;

class StaleSaveTest : public ::testing::Test {
protected:
    StaleSaveTest()
        : document(Utf8FromPath(folder / kSettingsFileName)), dialog(MainDialogTemplate()) {
        test::WriteBytes(card, image);
        document.imagePath = Utf8FromPath(card);
        EXPECT_TRUE(LoadImageFile(document, dialog, prompter, false));
        dialog.SetText(test::DocumentedField(0), "30");
        document.valuesChanged = true; // as the main dialog marks an edit
        other[100] ^= 0xFF;
        ours[test::DocumentedBinaryOffset(0, 0)] = 30;
        ours[test::DocumentedBinaryOffset(0, 0) + 1] = 0;
    }

    test::TempFolder folder;
    std::filesystem::path card = folder / "card" / "STARTUP.BIN";
    std::vector<std::uint8_t> image = test::MakeBinaryImage(5000);
    std::vector<std::uint8_t> other = image; // another program's change
    std::vector<std::uint8_t> ours = image;  // the image with the user's edit
    test::ActingPrompter prompter;
    EditorDocument document;
    ui::DialogModel dialog;
};

// Another program changed the file after the load: the editor asks; No (and the tool, without
// asking) writes nothing, no backup either, and keeps the user's values; Yes writes them and keeps
// the other program's content among the backups.
TEST_F(StaleSaveTest, AFileChangedElsewhereIsWrittenOverOnlyWhenTheUserSaysSo) {
    // No, then the command-line tool (which refuses without asking), then Yes.
    for (const Answer answer : {Answer::No, Answer::Ok, Answer::Yes}) {
        const bool yes = answer == Answer::Yes;
        document.askBeforeOverwritingChanges = answer != Answer::Ok;
        test::WriteBytes(card, other);
        prompter.Expect(IDP_FILE_CHANGED_ELSEWHERE, answer);
        if (yes) {
            prompter.Expect(IDP_WRITE_PROGRAM_DONE);
        }
        EXPECT_EQ(SaveImageFile(dialog, prompter, document), yes);
        prompter.Verify();
        EXPECT_EQ(prompter.Messages()[yes ? 1 : 0].argument, "STARTUP.BIN"); // its card name
        EXPECT_EQ(test::ReadBytes(card), yes ? ours : other);
        EXPECT_EQ(document.valuesChanged, !yes);
        EXPECT_EQ(dialog.GetText(test::DocumentedField(0)), "30");
        EXPECT_EQ(std::filesystem::exists(folder / kBackupFolderName), yes);
    }
    // The copies: the card as loaded is not among them, the other program's content is.
    const auto backups = BackupFolderOf(card, folder / kBackupFolderName);
    std::vector<std::vector<std::uint8_t>> copies;
    for (const auto& entry : std::filesystem::directory_iterator(backups)) {
        if (entry.path().extension() == ".BIN") {
            copies.push_back(test::ReadBytes(entry.path()));
        }
    }
    EXPECT_EQ(copies, std::vector<std::vector<std::uint8_t>>{other});
    // What was saved is what is on the card now: the next save asks nothing.
    prompter.Expect(IDP_WRITE_PROGRAM_DONE);
    EXPECT_TRUE(SaveImageFile(dialog, prompter, document));
}

// The card is not locked while the person is asked: another program may take the lock
// meanwhile. A change it makes while the question is on screen is asked about again (No keeps
// it), never written over unseen.
TEST_F(StaleSaveTest, TheCardIsFreeWhileThePersonIsAskedAndAChangeMeanwhileIsAskedAgain) {
    auto third = image;
    third[200] ^= 0xFF;
    test::WriteBytes(card, other);
    int asked = 0;
    int free = 0;
    prompter.whileShown = [&](int id) {
        free += test::AnotherProgramCouldLock(card.parent_path()) ? 1 : 0;
        if (id == IDP_FILE_CHANGED_ELSEWHERE) {
            if (++asked == 1) {
                test::WriteBytes(card, third);
            }
        }
    };
    prompter.Expect(IDP_FILE_CHANGED_ELSEWHERE, Answer::Yes)
        .Expect(IDP_FILE_CHANGED_ELSEWHERE, Answer::No);
    EXPECT_FALSE(SaveImageFile(dialog, prompter, document));
    prompter.Verify();
    EXPECT_EQ(test::ReadBytes(card), third);
    EXPECT_EQ(free, 2);
    // Asked again and answered Yes, with the file as asked about: written.
    prompter.Expect(IDP_FILE_CHANGED_ELSEWHERE, Answer::Yes).Expect(IDP_WRITE_PROGRAM_DONE);
    EXPECT_TRUE(SaveImageFile(dialog, prompter, document));
    prompter.Verify();
    EXPECT_EQ(test::ReadBytes(card), ours);
    EXPECT_EQ(free, 4); // also while "written" was shown
}

// A card whose folder cannot be opened for the lock (the card was taken out after the load) is a
// write that failed (105), not a busy card (174); nothing is made in its place.
TEST_F(StaleSaveTest, AFolderThatCannotBeOpenedIsAFailedWriteNotABusyCard) {
    std::filesystem::rename(folder / "card", folder / "out");
    prompter.Expect(IDP_WRITE_PROGRAM_FAILED);
    EXPECT_FALSE(SaveImageFile(dialog, prompter, document));
    prompter.Verify();
    EXPECT_FALSE(std::filesystem::exists(folder / "card"));
    EXPECT_EQ(test::ReadBytes(folder / "out" / "STARTUP.BIN"), image);
}

} // namespace
} // namespace orvix
