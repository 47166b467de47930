#include "storage/file_io.h"

#include <gtest/gtest.h>

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

TEST(FileIoTest, AtomicWriteJoinsThePartsAndLeavesNoTemporaryFile) {
    test::TempFolder folder;
    const auto path = folder / "STARTUP.BIN";
    test::WriteBytes(path, Bytes({9, 9, 9, 9, 9, 9}));
    const auto head = Bytes({1, 2, 3});
    const auto tail = Bytes({4, 5});
    ASSERT_TRUE(WriteFileAtomically(path, {head, tail}));
    EXPECT_EQ(test::ReadBytes(path), Bytes({1, 2, 3, 4, 5}));
    EXPECT_EQ(CountEntries(folder.Path()), 1u);
}

TEST(FileIoTest, AFailedAtomicWriteLeavesTheOldFileAndNoTemporaryFile) {
    test::TempFolder folder;
    const auto target = folder / "STARTUP.BIN";
    std::filesystem::create_directory(target); // rename over a folder fails
    test::WriteBytes(target / "inside", Bytes({7}));
    const auto bytes = Bytes({1});
    EXPECT_FALSE(WriteFileAtomically(target, {bytes}));
    EXPECT_EQ(test::ReadBytes(target / "inside"), Bytes({7}));
    EXPECT_EQ(CountEntries(folder.Path()), 1u);
    EXPECT_FALSE(WriteFileAtomically(folder / "missing" / "x.BIN", {bytes}));
}

TEST(FileIoTest, AtomicWriteKeepsTheFilesPermissions) {
    test::TempFolder folder;
    const auto path = folder / "VOLUME.BIN";
    test::WriteBytes(path, Bytes({1}));
    std::filesystem::permissions(path, std::filesystem::perms(0640));
    ASSERT_TRUE(WriteFileAtomically(path, {Bytes({2})}));
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0640));
}

TEST(FileIoTest, ReadsWholeFilesAndPrefixes) {
    test::TempFolder folder;
    std::vector<std::uint8_t> big(200000);
    for (std::size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<std::uint8_t>(i * 7);
    }
    test::WriteBytes(folder / "big", big);
    std::vector<std::uint8_t> read;
    ASSERT_TRUE(ReadWholeFile(folder / "big", read));
    EXPECT_EQ(read, big);
    ASSERT_TRUE(ReadFilePrefix(folder / "big", 16, read));
    EXPECT_EQ(read, std::vector<std::uint8_t>(big.begin(), big.begin() + 16));
    EXPECT_FALSE(ReadWholeFile(folder / "absent", read));
    EXPECT_FALSE(ReadWholeFile(folder.Path(), read));
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
