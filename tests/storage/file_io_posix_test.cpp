// What only POSIX files have: symbolic links anyone makes, modes and owners, pipes and devices.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "storage/file_io.h"
#include "support/temp_folder.h"

namespace orvix {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Through a link a write writes the file linked to, keeping the link, the file's mode and owner.
TEST(FileIoPosixTest, AWriteThroughALinkKeepsTheLinkTheModeAndTheOwner) {
    test::TempFolder folder;
    const auto path = folder / "STARTUP.BIN";
    const auto real = folder / "card" / "STARTUP.BIN";
    test::WriteBytes(real, {7, 7});
    std::filesystem::permissions(real, std::filesystem::perms(0640));
    std::filesystem::create_symlink("card/STARTUP.BIN", path);
    const bool root = ::geteuid() == 0;
    ASSERT_TRUE(!root || ::chown(real.c_str(), 4321, 4321) == 0);
    SetFileFaultInjector([](FileStep now, const auto&) { return now == FileStep::Rename; });
    EXPECT_FALSE(WriteFileAtomically(path, {Bytes{1}}));
    SetFileFaultInjector(nullptr);
    EXPECT_EQ(test::ReadBytes(real), (Bytes{7, 7}));
    ASSERT_TRUE(WriteFileAtomically(path, {Bytes{1, 2, 3}, Bytes{4, 5}}));
    EXPECT_EQ(std::tuple(test::ReadBytes(real), std::filesystem::is_symlink(path)),
              std::tuple(Bytes{1, 2, 3, 4, 5}, true));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "card"), {}), 1);
    struct stat status {};
    ASSERT_EQ(::stat(real.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
    EXPECT_TRUE(!root || (status.st_uid == 4321u && status.st_gid == 4321u));
}

TEST(FileIoPosixTest, APipeOrADeviceIsNotRead) {
    test::TempFolder folder;
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0); // would hang a blocking open
    for (const std::filesystem::path& file :
         {folder / "fifo", std::filesystem::path("/dev/zero")}) {
        Bytes read;
        FileError error;
        EXPECT_FALSE(ReadWholeFile(file, read, &error)) << file;
        EXPECT_EQ(error.kind, platform::FailureKind::NotAFile) << file;
    }
}

} // namespace
} // namespace orvix
