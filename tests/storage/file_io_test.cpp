#include "storage/file_io.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace orvix {
namespace {

using Bytes = std::vector<std::uint8_t>;
using platform::FailureKind;

std::ptrdiff_t CountEntries(const std::filesystem::path& folder) {
    return std::distance(std::filesystem::directory_iterator(folder), {});
}

// A write joins its parts; a failure at any step leaves the old file whole and no temporary
// file. (Links, modes and owners: file_io_posix_test; targets that may not be written: the file
// set's test.)
TEST(FileIoTest, AtomicWriteIsWholeOrNothing) {
    test::TempFolder folder;
    const auto path = folder / "card" / "STARTUP.BIN";
    test::WriteBytes(path, {7, 7});
    for (FileStep step : {FileStep::OpenTemporary, FileStep::Write, FileStep::Flush,
                          FileStep::FolderFlush, FileStep::Rename}) {
        SetFileFaultInjector([step](FileStep now, const auto&) { return now == step; });
        FileError error;
        EXPECT_FALSE(WriteFileAtomically(path, {Bytes{1}}, &error));
        SetFileFaultInjector(nullptr);
        EXPECT_EQ(std::tuple(error.path, error.kind), std::tuple(path, FailureKind::InputOutput));
        EXPECT_EQ(std::tuple(test::ReadBytes(path), CountEntries(folder / "card")),
                  std::tuple(Bytes{7, 7}, 1));
    }
    ASSERT_TRUE(WriteFileAtomically(path, {Bytes{1, 2, 3}, Bytes{4, 5}}));
    EXPECT_EQ(std::tuple(test::ReadBytes(path), CountEntries(folder / "card")),
              std::tuple(Bytes{1, 2, 3, 4, 5}, 1));
}

// A new file takes its name only where none is, also where another writer made one meanwhile
// (between the check and the placing): that one stays, and no temporary file is left.
TEST(FileIoTest, ANewFileNeverReplacesAnother) {
    test::TempFolder folder;
    const auto path = folder / "0001.txt";
    bool exists = false;
    ASSERT_TRUE(WriteNewTextFileAtomically(path, "first", nullptr, &exists));
    EXPECT_FALSE(WriteNewTextFileAtomically(path, "second", nullptr, &exists));
    EXPECT_TRUE(exists);
    const auto later = folder / "0002.txt";
    SetFileFaultInjector([&](FileStep step, const auto&) {
        if (step == FileStep::Rename) {
            test::WriteBytes(later, {9});
        }
        return false;
    });
    FileError error;
    EXPECT_FALSE(WriteNewTextFileAtomically(later, "mine", &error, &exists));
    SetFileFaultInjector(nullptr);
    EXPECT_EQ(std::tuple(exists, error.path, error.kind),
              std::tuple(true, later, FailureKind::Exists));
    EXPECT_EQ(
        std::tuple(test::ReadBytes(path), test::ReadBytes(later), CountEntries(folder.Path())),
        std::tuple(Bytes{'f', 'i', 'r', 's', 't'}, Bytes{9}, 2));
}

// (A pipe and a device: file_io_posix_test.)
TEST(FileIoTest, OnlyRegularFilesOfASaneSizeAreRead) {
    test::TempFolder folder;
    test::WriteBytes(folder / "big", {});
    std::filesystem::resize_file(folder / "big", 64u * 1024 * 1024 + 1); // sparse: no disk used
    const std::pair<std::filesystem::path, FailureKind> refused[] = {
        {folder / "big", FailureKind::TooLarge},
        {folder.Path(), FailureKind::NotAFile},
        {folder / "absent", FailureKind::NotFound},
    };
    for (const auto& [file, kind] : refused) {
        Bytes read;
        FileError error;
        EXPECT_FALSE(ReadWholeFile(file, read, &error)) << file;
        EXPECT_EQ(std::tuple(error.kind, error.reason), std::tuple(kind, "")) << file;
    }
}

} // namespace
} // namespace orvix
