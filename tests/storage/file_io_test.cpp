#include "storage/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "storage/byte_order.h"
#include "support/temp_folder.h"

namespace orvix {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::ptrdiff_t CountEntries(const std::filesystem::path& folder) {
    return std::distance(std::filesystem::directory_iterator(folder), {});
}

class FileIoTest : public ::testing::Test {
protected:
    test::TempFolder folder;
    std::filesystem::path path = folder / "STARTUP.BIN";
};

TEST_F(FileIoTest, AtomicWriteJoinsThePartsKeepsTheModeAndLeavesNoTemporaryFile) {
    test::WriteBytes(path, {9, 9, 9, 9, 9, 9});
    std::filesystem::permissions(path, std::filesystem::perms(0640));
    ASSERT_TRUE(WriteFileAtomically(path, {Bytes{1, 2, 3}, Bytes{4, 5}}));
    EXPECT_EQ(test::ReadBytes(path), (Bytes{1, 2, 3, 4, 5}));
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0640));
    EXPECT_EQ(CountEntries(folder.Path()), 1);
}

// Each step of the write fails in turn: the old file stays whole and no temporary file is left.
TEST_F(FileIoTest, AFailureAtAnyStepLeavesTheOldFile) {
    test::WriteBytes(path, {7, 7});
    for (FileStep step : {FileStep::OpenTemporary, FileStep::Write, FileStep::Flush,
                          FileStep::FolderFlush, FileStep::Rename}) {
        SetFileFaultInjector([step](FileStep now, const auto&) { return now == step; });
        FileError error;
        EXPECT_FALSE(WriteFileAtomically(path, {Bytes{1}}, &error));
        SetFileFaultInjector(nullptr);
        EXPECT_EQ(error.Describe(), path.string() + ": Input/output error");
        EXPECT_EQ(test::ReadBytes(path), (Bytes{7, 7}));
        EXPECT_EQ(CountEntries(folder.Path()), 1);
    }
}

TEST_F(FileIoTest, ProtectedFilesAndOtherKindsAreRefused) {
    test::WriteBytes(path, {7});
    std::filesystem::permissions(path, std::filesystem::perms(0444)); // read-only, even for root
    std::filesystem::create_directory(folder / "FOLDER.BIN");
    const std::pair<std::filesystem::path, const char*> refused[] = {
        {path, "Permission denied"},
        {folder / "FOLDER.BIN", "not a regular file"},
        {folder / "missing" / "x.BIN", "No such file or directory"},
    };
    for (const auto& [target, reason] : refused) {
        FileError error;
        EXPECT_FALSE(WriteFileAtomically(target, {Bytes{1}}, &error));
        EXPECT_EQ(error.reason, reason);
    }
    EXPECT_EQ(test::ReadBytes(path), Bytes{7});
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0444));
}

TEST_F(FileIoTest, ALinkIsWrittenThroughAndTheOwnerKept) {
    const auto real = folder / "card" / "STARTUP.BIN";
    test::WriteBytes(real, {7});
    std::filesystem::create_symlink("card/STARTUP.BIN", path);
    const bool root = ::geteuid() == 0;
    ASSERT_TRUE(!root || ::chown(real.c_str(), 4321, 4321) == 0);
    ASSERT_TRUE(WriteFileAtomically(path, {Bytes{1, 2}}));
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_EQ(test::ReadBytes(real), (Bytes{1, 2}));
    EXPECT_EQ(CountEntries(folder / "card"), 1);
    struct stat status {};
    ASSERT_EQ(::stat(real.c_str(), &status), 0);
    EXPECT_TRUE(!root || (status.st_uid == 4321u && status.st_gid == 4321u));
}

TEST_F(FileIoTest, OnlyRegularFilesOfASaneSizeAreRead) {
    Bytes big(200000);
    for (std::size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<std::uint8_t>(i * 7);
    }
    test::WriteBytes(folder / "big", big);
    Bytes read;
    ASSERT_TRUE(ReadWholeFile(folder / "big", read));
    EXPECT_EQ(read, big);

    std::filesystem::resize_file(folder / "big", 64u * 1024 * 1024 + 1); // sparse: no disk used
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0); // would hang a blocking open
    const std::pair<std::filesystem::path, const char*> refused[] = {
        {folder / "big", "larger than 64 MiB"},
        {folder / "fifo", "not a regular file"},
        {"/dev/zero", "not a regular file"},
        {folder.Path(), "not a regular file"},
        {folder / "absent", "No such file or directory"},
    };
    for (const auto& [file, reason] : refused) {
        FileError error;
        EXPECT_FALSE(ReadWholeFile(file, read, &error)) << file;
        EXPECT_EQ(error.reason, reason) << file;
    }
}

TEST(CardFileTest, CardNamesUseTheBackslashAsFolderSeparator) {
    EXPECT_EQ(CardFilePath("/media/card", "servo\\SV02_ON.BIN"), "/media/card/servo/SV02_ON.BIN");
    EXPECT_EQ(CardFilePath("/media/card", "RND.BIN"), "/media/card/RND.BIN");
    EXPECT_EQ(Utf8FromPath(PathFromUtf8("/カード/STARTUP.BIN")), "/カード/STARTUP.BIN");
}

// A card mounted with lower-case short names, or copied to a case-sensitive disk: each part of a
// name is found as written, else as the one entry that differs only in letter case.
TEST(CardFileTest, CardNamesAreFoundInEitherLetterCase) {
    test::TempFolder card;
    test::WriteBytes(card / "Servo/sv02_on.bin", {1});
    test::WriteBytes(card / "RND.BIN", {2});
    test::WriteBytes(card / "rnd.bin", {3});
    test::WriteBytes(card / "Volume.bin", {4});
    test::WriteBytes(card / "volume.BIN", {5});
    EXPECT_EQ(CardFilePath(card.Path(), "servo\\SV02_ON.BIN"), card / "Servo/sv02_on.bin");
    EXPECT_EQ(CardFilePath(card.Path(), "RND.BIN"), card / "RND.BIN"); // the exact name first
    EXPECT_EQ(CardFilePath(card.Path(), "servo\\SV03_ON.BIN"), card / "Servo/SV03_ON.BIN");
    EXPECT_EQ(CardFilePath(card.Path(), "VOLUME.BIN"), card / "VOLUME.BIN"); // two: none of them
}

// A name that several entries spell in other letter cases, none exactly (the file's or a
// folder's), is refused on reading with the same reason as on writing, not read as missing.
TEST(CardFileTest, AnAmbiguousNameIsRefusedOnReading) {
    test::TempFolder card;
    test::WriteBytes(card / "volume.bin", {1});
    test::WriteBytes(card / "Volume.Bin", {2});
    test::WriteBytes(card / "Servo/SV02_ON.BIN", {3});
    test::WriteBytes(card / "SERVO/SV02_ON.BIN", {4});
    test::WriteBytes(card / "rnd.bin", {5});
    const std::pair<const char*, const char*> rows[] = {
        {"VOLUME.BIN", "several files differ from this name only in letter case"},
        {"servo\\SV02_ON.BIN", "several files differ from this name only in letter case"},
        {"servo\\SV03_ON.BIN", "several files differ from this name only in letter case"},
        {"TIME.BIN", "No such file or directory"},
        {"RND.BIN", ""},
    };
    for (const auto& [name, reason] : rows) {
        Bytes bytes;
        FileError error;
        EXPECT_EQ(ReadCardFile(card.Path(), name, bytes, &error), *reason == 0) << name;
        EXPECT_EQ(error.reason, reason) << name;
        EXPECT_EQ(bytes, *reason == 0 ? Bytes{5} : Bytes{}) << name;
    }
}

TEST(ByteOrderTest, LittleEndianWithinBoundsOnly) {
    Bytes bytes{0xEC, 0xFF, 0x34, 0x12, 0x78, 0x56};
    EXPECT_EQ(ReadI16(bytes, 0), -20);
    EXPECT_EQ(ReadU32(bytes, 2), 0x56781234u);
    EXPECT_EQ(ReadI8(bytes, 0), -20);
    EXPECT_EQ(ReadU32(bytes, 3), std::nullopt);
    EXPECT_EQ(ReadU8(bytes, 6), std::nullopt);
    EXPECT_EQ(ReadI16(bytes, static_cast<std::size_t>(-1)), std::nullopt);
    EXPECT_TRUE(WriteU16(bytes, 4, 0xFFEC));
    EXPECT_FALSE(WriteU32(bytes, 3, 0));
    EXPECT_EQ(bytes, (Bytes{0xEC, 0xFF, 0x34, 0x12, 0xEC, 0xFF})); // nothing else written
}

} // namespace
} // namespace orvix
