#include "storage/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/temp_folder.h"

namespace orvix {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::ptrdiff_t CountEntries(const std::filesystem::path& folder) {
    return std::distance(std::filesystem::directory_iterator(folder), {});
}

// A write joins its parts; through a link it writes the file linked to, keeping
// the link, the file's mode and owner; a failure at any step leaves the old
// file whole and no temporary file. (Targets that may not be written: the file
// set's test.)
TEST(FileIoTest, AtomicWriteIsWholeOrNothing) {
    test::TempFolder folder;
    const auto path = folder / "STARTUP.BIN";
    const auto real = folder / "card" / "STARTUP.BIN";
    test::WriteBytes(real, {7, 7});
    std::filesystem::permissions(real, std::filesystem::perms(0640));
    std::filesystem::create_symlink("card/STARTUP.BIN", path);
    const bool root = ::geteuid() == 0;
    ASSERT_TRUE(!root || ::chown(real.c_str(), 4321, 4321) == 0);
    for (FileStep step : {FileStep::OpenTemporary, FileStep::Write, FileStep::Flush,
                          FileStep::FolderFlush, FileStep::Rename}) {
        SetFileFaultInjector([step](FileStep now, const auto&) { return now == step; });
        FileError error;
        EXPECT_FALSE(WriteFileAtomically(path, {Bytes{1}}, &error));
        SetFileFaultInjector(nullptr);
        EXPECT_EQ(error.Describe(), path.string() + ": Input/output error");
        EXPECT_EQ(std::tuple(test::ReadBytes(real), CountEntries(folder / "card")),
                  std::tuple(Bytes{7, 7}, 1));
    }
    ASSERT_TRUE(WriteFileAtomically(path, {Bytes{1, 2, 3}, Bytes{4, 5}}));
    EXPECT_EQ(std::tuple(test::ReadBytes(real), CountEntries(folder / "card"),
                         std::filesystem::is_symlink(path)),
              std::tuple(Bytes{1, 2, 3, 4, 5}, 1, true));
    struct stat status {};
    ASSERT_EQ(::stat(real.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
    EXPECT_TRUE(!root || (status.st_uid == 4321u && status.st_gid == 4321u));
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
    EXPECT_EQ(std::tuple(exists, error.Describe()),
              std::tuple(true, later.string() + ": File exists"));
    EXPECT_EQ(
        std::tuple(test::ReadBytes(path), test::ReadBytes(later), CountEntries(folder.Path())),
        std::tuple(Bytes{'f', 'i', 'r', 's', 't'}, Bytes{9}, 2));
}

TEST(FileIoTest, OnlyRegularFilesOfASaneSizeAreRead) {
    test::TempFolder folder;
    test::WriteBytes(folder / "big", {});
    std::filesystem::resize_file(folder / "big",
                                 64u * 1024 * 1024 + 1); // sparse: no disk used
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600),
              0); // would hang a blocking open
    const std::pair<std::filesystem::path, const char*> refused[] = {
        {folder / "big", "larger than 64 MiB"},
        {folder / "fifo", "not a regular file"},
        {"/dev/zero", "not a regular file"},
        {folder.Path(), "not a regular file"},
        {folder / "absent", "No such file or directory"},
    };
    for (const auto& [file, reason] : refused) {
        Bytes read;
        FileError error;
        EXPECT_FALSE(ReadWholeFile(file, read, &error)) << file;
        EXPECT_EQ(error.reason, reason) << file;
    }
}

} // namespace
} // namespace orvix
