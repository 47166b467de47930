#include "storage/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "storage/byte_order.h"
#include "support/temp_folder.h"

namespace orvix {
namespace {

std::vector<std::uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<std::uint8_t> bytes;
    for (int v : values) {
        bytes.push_back(static_cast<std::uint8_t>(v));
    }
    return bytes;
}

std::size_t CountEntries(const std::filesystem::path& folder) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++n;
    }
    return n;
}

TEST(FileIoTest, AtomicWriteJoinsThePartsKeepsTheModeAndLeavesNoTemporaryFile) {
    test::TempFolder folder;
    const auto path = folder / "STARTUP.BIN";
    test::WriteBytes(path, Bytes({9, 9, 9, 9, 9, 9}));
    std::filesystem::permissions(path, std::filesystem::perms(0640));
    ASSERT_TRUE(WriteFileAtomically(path, {Bytes({1, 2, 3}), Bytes({4, 5})}));
    EXPECT_EQ(test::ReadBytes(path), Bytes({1, 2, 3, 4, 5}));
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0640));
    EXPECT_EQ(CountEntries(folder.Path()), 1u);
}

// Each step of the write fails in turn: the old file stays whole and no temporary file is left.
TEST(FileIoTest, AFailureAtAnyStepLeavesTheOldFile) {
    test::TempFolder folder;
    const auto path = folder / "STARTUP.BIN";
    test::WriteBytes(path, Bytes({7, 7}));
    for (FileStep step : {FileStep::OpenTemporary, FileStep::Write, FileStep::Flush,
                          FileStep::FolderFlush, FileStep::Rename}) {
        SetFileFaultInjector(
            [step](FileStep now, const std::filesystem::path&) { return now == step; });
        FileError error;
        EXPECT_FALSE(WriteFileAtomically(path, {Bytes({1})}, &error));
        SetFileFaultInjector(nullptr);
        EXPECT_EQ(error.Describe(), path.string() + ": Input/output error");
        EXPECT_EQ(test::ReadBytes(path), Bytes({7, 7}));
        EXPECT_EQ(CountEntries(folder.Path()), 1u);
    }
}

TEST(FileIoTest, ProtectedFilesAndOtherKindsAreRefused) {
    test::TempFolder folder;
    const auto path = folder / "STARTUP.BIN";
    test::WriteBytes(path, Bytes({7}));
    std::filesystem::permissions(path, std::filesystem::perms(0444)); // read-only, even for root
    FileError error;
    EXPECT_FALSE(WriteFileAtomically(path, {Bytes({1})}, &error));
    EXPECT_EQ(error.reason, "Permission denied");
    EXPECT_EQ(test::ReadBytes(path), Bytes({7}));
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0444));

    std::filesystem::create_directory(folder / "FOLDER.BIN");
    EXPECT_FALSE(WriteFileAtomically(folder / "FOLDER.BIN", {Bytes({1})}, &error));
    EXPECT_EQ(error.reason, "not a regular file");
    EXPECT_FALSE(WriteFileAtomically(folder / "missing" / "x.BIN", {Bytes({1})}));
}

TEST(FileIoTest, ALinkIsWrittenThroughAndTheOwnerKept) {
    test::TempFolder folder;
    std::filesystem::create_directory(folder / "card");
    const auto real = folder / "card" / "STARTUP.BIN";
    test::WriteBytes(real, Bytes({7}));
    std::filesystem::create_symlink("card/STARTUP.BIN", folder / "LINK.BIN");
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(real.c_str(), 4321, 4321), 0);
    }
    ASSERT_TRUE(WriteFileAtomically(folder / "LINK.BIN", {Bytes({1, 2})}));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "LINK.BIN"));
    EXPECT_EQ(test::ReadBytes(real), Bytes({1, 2}));
    EXPECT_EQ(CountEntries(folder / "card"), 1u);
    struct stat status {};
    ASSERT_EQ(::stat(real.c_str(), &status), 0);
    if (root) {
        EXPECT_EQ(status.st_uid, 4321u);
        EXPECT_EQ(status.st_gid, 4321u);
    }
}

TEST(FileIoTest, OnlyRegularFilesOfASaneSizeAreRead) {
    test::TempFolder folder;
    std::vector<std::uint8_t> big(200000);
    for (std::size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<std::uint8_t>(i * 7);
    }
    test::WriteBytes(folder / "big", big);
    std::vector<std::uint8_t> read;
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
    for (const auto& [path, reason] : refused) {
        FileError error;
        EXPECT_FALSE(ReadWholeFile(path, read, &error)) << path;
        EXPECT_EQ(error.reason, reason) << path;
    }
}

TEST(FileIoTest, CardNamesUseTheBackslashAsFolderSeparator) {
    EXPECT_EQ(CardFilePath("/media/card", "servo\\SV02_ON.BIN"), "/media/card/servo/SV02_ON.BIN");
    EXPECT_EQ(CardFilePath("/media/card", "RND.BIN"), "/media/card/RND.BIN");
    EXPECT_EQ(Utf8FromPath(PathFromUtf8("/カード/STARTUP.BIN")), "/カード/STARTUP.BIN");
}

TEST(ByteOrderTest, LittleEndianWithinBoundsOnly) {
    auto bytes = Bytes({0xEC, 0xFF, 0x34, 0x12, 0x78, 0x56});
    EXPECT_EQ(ReadI16(bytes, 0), -20);
    EXPECT_EQ(ReadU16(bytes, 2), 0x1234);
    EXPECT_EQ(ReadU32(bytes, 2), 0x56781234u);
    EXPECT_EQ(ReadI8(bytes, 0), -20);
    EXPECT_EQ(ReadU32(bytes, 3), std::nullopt);
    EXPECT_EQ(ReadU8(bytes, 6), std::nullopt);
    EXPECT_EQ(ReadI16(bytes, static_cast<std::size_t>(-1)), std::nullopt);

    EXPECT_TRUE(WriteU16(bytes, 4, 0xFFEC));
    EXPECT_EQ(bytes[4], 0xEC);
    EXPECT_EQ(bytes[5], 0xFF);
    EXPECT_FALSE(WriteU32(bytes, 3, 0));
    EXPECT_EQ(bytes, Bytes({0xEC, 0xFF, 0x34, 0x12, 0xEC, 0xFF})); // nothing written
}

} // namespace
} // namespace orvix
