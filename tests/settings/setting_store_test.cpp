#include "settings/setting_store.h"

#include <gtest/gtest.h>
#include <numeric>

#include "resources/string_table.h"
#include "storage/file_io.h"
#include "support/scripted_prompter.h"
#include "support/temp_folder.h"

namespace orvix {
namespace {

using Bytes = std::vector<std::uint8_t>;

class SettingStoreTest : public ::testing::Test {
protected:
    SettingStoreTest() { document.imagePath = Utf8FromPath(card / "STARTUP.BIN"); }

    bool Read(const std::string& name, int slot, bool report = true) {
        return ReadBinaryFile(document, prompter, name, slot, report);
    }
    bool Write(const std::string& name, const Bytes& value) {
        return WriteBinaryFile(document, prompter, name, value);
    }
    Bytes Buffer() const { return document.settingBuffer; }

    test::TempFolder card;
    test::ScriptedPrompter prompter;
    EditorDocument document{Utf8FromPath(card / "Orvix2.ini")};
};

// As the card's own file system finds them: exact, else the one spelling that differs in case.
TEST_F(SettingStoreTest, NamesAreFoundInEitherLetterCaseAndRewrittenInPlace) {
    test::WriteBytes(card / "Servo/sv02_on.bin", {7, 8, 9});
    test::WriteBytes(card / "Volume.bin", {1});
    test::WriteBytes(card / "volume.BIN", {2});
    ASSERT_TRUE(Read("servo\\SV02_ON.BIN", kNoSlot));
    EXPECT_EQ(Buffer()[2], 9);
    ASSERT_TRUE(Write("servo\\SV02_ON.BIN", {1, 2, 3, 0}));
    EXPECT_EQ(test::ReadBytes(card / "Servo/sv02_on.bin"), (Bytes{1, 2, 3, 0}));
    EXPECT_FALSE(std::filesystem::exists(card / "servo"));
    // Two spellings and no exact one: not found, shown only when asked for.
    EXPECT_FALSE(Read("VOLUME.BIN", 5, false));
    prompter.Expect(IDP_BINARY_READ_FAILED);
    EXPECT_FALSE(Read("VOLUME.BIN", 5));
    EXPECT_EQ(prompter.Messages().back().argument, "VOLUME.BIN");
    EXPECT_EQ(prompter.Messages().back().icon, ui::Icon::Error);
    // Nor is a third spelling written beside them.
    prompter.Expect(IDP_BINARY_WRITE_FAILED);
    EXPECT_FALSE(Write("VOLUME.BIN", {3}));
    EXPECT_FALSE(std::filesystem::exists(card / "VOLUME.BIN"));
}

// A read takes at most 16 bytes, zero beyond the file's end, and records the count in its slot.
TEST_F(SettingStoreTest, ReadsRecordTheirLengthAndZeroBeyondTheFile) {
    test::WriteBytes(card / "QRCODE_FLAGBIT.BIN", Bytes(20, 0xEE));
    test::WriteBytes(card / "VOLUME.BIN", {4});
    ASSERT_TRUE(Read("QRCODE_FLAGBIT.BIN", 7));
    ASSERT_TRUE(Read("VOLUME.BIN", kNoSlot));
    Bytes expected(16, 0);
    expected[0] = 4;
    EXPECT_EQ(Buffer(), expected);
    std::array<std::int32_t, 16> sizes{};
    sizes[7] = 16;
    EXPECT_EQ(document.settingSizes, sizes); // nothing recorded without a slot
    ASSERT_TRUE(Read("VOLUME.BIN", 5));
    EXPECT_EQ(document.settingSizes[5], 1);
}

// A rewrite puts the value over the first bytes: the file keeps its length and other bytes.
TEST_F(SettingStoreTest, WritesKeepTheFileLengthAndTheBytesBeyondTheValue) {
    Bytes long20(20);
    std::iota(long20.begin(), long20.end(), 0);
    Bytes written20 = long20;
    std::fill_n(written20.begin(), 2, 0xAA);
    const struct {
        Bytes before;
        Bytes value;
        Bytes after;
    } cases[] = {
        {{3}, {8}, {8}},
        {{3, 0}, {8, 0}, {8, 0}},
        {{}, {1}, {1}}, // an empty file is not rewritten empty
        {long20, {0xAA, 0xAA}, written20},
    };
    for (const auto& c : cases) {
        test::WriteBytes(card / "F.BIN", c.before);
        ASSERT_TRUE(Write("F.BIN", c.value));
        EXPECT_EQ(test::ReadBytes(card / "F.BIN"), c.after);
    }
}

TEST_F(SettingStoreTest, AWriteFailingAtAnyStepLeavesTheFileAsItWas) {
    test::WriteBytes(card / "RND.BIN", {5, 6});
    for (const FileStep step : {FileStep::Read, FileStep::OpenTemporary, FileStep::Write,
                                FileStep::Flush, FileStep::FolderFlush, FileStep::Rename}) {
        SetFileFaultInjector(
            [&](FileStep now, const std::filesystem::path&) { return now == step; });
        prompter.Expect(IDP_BINARY_WRITE_FAILED);
        EXPECT_FALSE(Write("RND.BIN", {0xFF}));
        SetFileFaultInjector(nullptr);
        EXPECT_EQ(prompter.Messages().back().argument, "RND.BIN");
        EXPECT_EQ(test::ReadBytes(card / "RND.BIN"), (Bytes{5, 6}));
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(card.Path()), {}), 1);
    }
}

} // namespace
} // namespace orvix
