// Writing card files as one: the card's lock is not held while the person is asked, and a file
// changed while the question is on screen is asked about again, never written over unseen.

#include <gtest/gtest.h>

#include "resources/string_table.h"
#include "settings/setting_store.h"
#include "storage/file_io.h"
#include "storage/settings_file.h"
#include "support/acting_prompter.h"
#include "support/temp_folder.h"

namespace orvix {
namespace {

using Bytes = std::vector<std::uint8_t>;
using ui::Answer;

TEST(SettingStoreTest, TheCardIsFreeWhileThePersonIsAskedAndAChangeMeanwhileIsAskedAgain) {
    test::TempFolder folder;
    const std::filesystem::path file = folder / "card" / "A.BIN";
    EditorDocument document(Utf8FromPath(folder / kSettingsFileName));
    document.imagePath = Utf8FromPath(folder / "card" / "STARTUP.BIN");
    test::WriteBytes(file, {1, 1});
    FilesAsRead asRead{{"A.BIN", Bytes{0, 0}}}; // read before another program changed it
    const CardFileWrite write{"A.BIN", {5}};
    test::ActingPrompter prompter;
    int asked = 0;
    int free = 0;
    prompter.whileShown = [&](int id) {
        if (id == IDP_FILE_CHANGED_ELSEWHERE) {
            free += test::AnotherProgramCouldLock(file.parent_path()) ? 1 : 0;
            if (++asked == 1) {
                test::WriteBytes(file, {2, 2, 2});
            }
        }
    };
    prompter.Expect(IDP_FILE_CHANGED_ELSEWHERE, Answer::Yes)
        .Expect(IDP_FILE_CHANGED_ELSEWHERE, Answer::No);
    EXPECT_FALSE(WriteCardFiles(document, prompter, {&write, 1}, asRead));
    prompter.Verify();
    EXPECT_EQ(test::ReadBytes(file), (Bytes{2, 2, 2}));
    EXPECT_EQ(free, 2);
    prompter.Expect(IDP_FILE_CHANGED_ELSEWHERE, Answer::Yes);
    EXPECT_TRUE(WriteCardFiles(document, prompter, {&write, 1}, asRead));
    prompter.Verify();
    EXPECT_EQ(test::ReadBytes(file), (Bytes{5, 2, 2})); // over what the person was asked about
    EXPECT_EQ(asRead.at("A.BIN"), (Bytes{5, 2, 2}));
}

} // namespace
} // namespace orvix
