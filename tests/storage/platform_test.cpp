// The seam to the operating system, the same cases on Linux and, under Wine, on Windows: whole
// writes that leave the old file at any failed step, refused read-only files, names outside any
// code page, the card lock and the table of failure kinds.

#include "storage/platform.h"
#include "storage/settings_file.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <thread>
#include <tuple>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <sys/stat.h>
#endif

namespace orvix::platform {
namespace {

namespace fs = std::filesystem;

fs::path U8(std::u8string_view text) {
    return fs::path(text);
}

std::span<const std::uint8_t> Bytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// What is in the file, read without the seam.
std::string Content(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Put(const fs::path& path, std::string_view text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// The names in a folder, read without the seam, sorted.
std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        const std::u8string name = entry.path().filename().u8string();
        names.emplace_back(name.begin(), name.end());
    }
    std::sort(names.begin(), names.end());
    return names;
}

void MakeReadOnly(const fs::path& path) {
#ifdef _WIN32
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
#else
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
#endif
}

class PlatformTest : public ::testing::Test {
protected:
    PlatformTest() {
        std::random_device random;
        folder_ = fs::temp_directory_path() / ("orvix2-platform-" + std::to_string(random()));
        fs::create_directories(folder_);
    }
    ~PlatformTest() override {
        std::error_code error;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder_, error)) {
            fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, error);
        }
        fs::remove_all(folder_, error);
    }

    fs::path folder_;
};

// Every call of the seam takes and gives these names as they are, also in a card folder whose
// files' paths are longer than MAX_PATH (260), as a card copied deep into a disk has (the folder
// itself just short of it, for the checks made without the seam).
TEST_F(PlatformTest, NamesOutsideAnyCodePageGoThroughEveryCall) {
    const std::string deep((250 - folder_.native().size()) / 2, 'd');
    for (const fs::path& card :
         {U8(u8"ペチ"), U8(u8"Zoë/カード"), fs::path("plain"), fs::path(deep) / deep}) {
        SCOPED_TRACE(card.string());
        const fs::path cardFolder = folder_ / card;
        fs::create_directories(cardFolder);
        const fs::path image = cardFolder / "STARTUP.BIN";
        Failure failure;
        ASSERT_TRUE(WriteFileWhole(image, {Bytes("old")}, &failure)) << KindName(failure.kind);
        ASSERT_TRUE(WriteFileWhole(image, {Bytes("new "), Bytes("image")}, &failure))
            << KindName(failure.kind);
        EXPECT_EQ(Content(image), "new image");
        EXPECT_EQ(Names(cardFolder), std::vector<std::string>{"STARTUP.BIN"});

        std::vector<std::uint8_t> bytes;
        ASSERT_TRUE(ReadWhole(image, bytes, 100, &failure)) << KindName(failure.kind);
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "new image");

        std::vector<FolderEntry> entries;
        ASSERT_TRUE(ListFolder(cardFolder.parent_path(), entries, &failure))
            << KindName(failure.kind);
        const std::u8string leaf = cardFolder.filename().u8string();
        const auto entry = std::find_if(entries.begin(), entries.end(), [&](const auto& entry) {
            return entry.name == std::string(leaf.begin(), leaf.end());
        });
        ASSERT_NE(entry, entries.end());
        EXPECT_TRUE(entry->isFolder);
        EXPECT_FALSE(entry->isFile);
        EXPECT_TRUE(HoldsCardImage(cardFolder));

        CardFolderLock lock(cardFolder, std::chrono::milliseconds(0));
        EXPECT_EQ(lock.GetState(), CardFolderLock::State::Held) << KindName(lock.GetFailure().kind);

        ASSERT_TRUE(RenameOver(image, cardFolder / U8(u8"カード.BIN"), &failure))
            << KindName(failure.kind);
        EXPECT_FALSE(HoldsCardImage(cardFolder));
        EXPECT_TRUE(RemoveFile(cardFolder / U8(u8"カード.BIN"), &failure))
            << KindName(failure.kind);
        EXPECT_TRUE(Names(cardFolder).empty());
    }
}

// A path past MAX_PATH reaches Windows' calls as a "\\?\" path, which has no such limit.
TEST(PlatformPaths, ALongPathIsGivenInTheFormWithoutALimit) {
    const std::string deep(300, 'd');
    EXPECT_EQ(SystemPath("C:/card/STARTUP.BIN").native(), fs::path("C:/card/STARTUP.BIN").native());
#ifdef _WIN32
    const std::wstring wide(deep.begin(), deep.end());
    EXPECT_EQ(SystemPath("C:/card/" + deep + "/./x/../STARTUP.BIN").native(),
              LR"(\\?\C:\card\)" + wide + LR"(\STARTUP.BIN)");
    EXPECT_EQ(SystemPath("//server/share/" + deep).native(), LR"(\\?\UNC\server\share\)" + wide);
    EXPECT_EQ(SystemPath(LR"(\\?\C:\)" + wide).native(), LR"(\\?\C:\)" + wide);
#else
    EXPECT_EQ(SystemPath("/card/" + deep).native(), "/card/" + deep);
#endif
}

// Whatever step fails, the old file stays whole and no temporary file is left beside it; a failed
// flush of the folder comes after the new file is in place.
TEST_F(PlatformTest, AFailedStepKeepsTheOldFileAndLeavesNothingBehind) {
    const fs::path image = folder_ / U8(u8"ペチ/STARTUP.BIN");
    for (const auto& [step, kept] :
         {std::tuple{WriteStep::Check, "old"}, std::tuple{WriteStep::Create, "old"},
          std::tuple{WriteStep::Write, "old"}, std::tuple{WriteStep::Flush, "old"},
          std::tuple{WriteStep::Replace, "old"}, std::tuple{WriteStep::FolderFlush, "new"}}) {
        SCOPED_TRACE(static_cast<int>(step));
        Put(image, "old");
        Failure failure;
        const WriteFault fault = [step = step](WriteStep asked) { return asked == step; };
        EXPECT_FALSE(WriteFileWhole(image, {Bytes("new")}, &failure, fault));
        EXPECT_EQ(failure.kind, FailureKind::InputOutput);
        EXPECT_EQ(Content(image), kept);
        EXPECT_EQ(Names(image.parent_path()), std::vector<std::string>{"STARTUP.BIN"});
    }
}

// A file marked read-only is refused before anything is written, even where the system would let
// the write replace it (root on Linux, Wine's MoveFileExW); so is a folder in a file's place.
TEST_F(PlatformTest, ReadOnlyFilesAndFoldersAreRefusedBeforeAnyWrite) {
    const fs::path image = folder_ / "STARTUP.BIN";
    Put(image, "old");
    MakeReadOnly(image);
    Failure failure;
    EXPECT_FALSE(CheckWritable(image, &failure));
    EXPECT_FALSE(WriteFileWhole(image, {Bytes("new")}, &failure));
    EXPECT_EQ(failure.kind, FailureKind::NoPermission);
    EXPECT_EQ(Content(image), "old");

    fs::create_directories(folder_ / "servo");
    EXPECT_FALSE(WriteFileWhole(folder_ / "servo", {Bytes("new")}, &failure));
    EXPECT_EQ(failure.kind, FailureKind::NotAFile);
    EXPECT_EQ(Names(folder_), (std::vector<std::string>{"STARTUP.BIN", "servo"}));

    EXPECT_TRUE(CheckWritable(folder_ / "RND.BIN", &failure)); // made by the write
    EXPECT_FALSE(WriteFileWhole(folder_ / "missing" / "RND.BIN", {Bytes("new")}, &failure));
    EXPECT_EQ(failure.kind, FailureKind::NotFound);
}

TEST_F(PlatformTest, ReadingTakesRegularFilesUpToTheLimit) {
    Put(folder_ / "TEN.BIN", "0123456789");
    std::vector<std::uint8_t> bytes{1, 2};
    Failure failure;
    EXPECT_TRUE(ReadWhole(folder_ / "TEN.BIN", bytes, 10, &failure));
    EXPECT_EQ(bytes.size(), 10u);
    const std::vector<std::uint8_t> before = bytes;
    for (const auto& [path, limit, kind] :
         {std::tuple{folder_ / "TEN.BIN", 9, FailureKind::TooLarge},
          std::tuple{folder_, 100, FailureKind::NotAFile},
          std::tuple{folder_ / "NONE.BIN", 100, FailureKind::NotFound},
          std::tuple{folder_ / "none" / "NONE.BIN", 100, FailureKind::NotFound}}) {
        SCOPED_TRACE(path.string());
        EXPECT_FALSE(ReadWhole(path, bytes, static_cast<std::uintmax_t>(limit), &failure));
        EXPECT_EQ(failure.kind, kind) << KindName(failure.kind);
        EXPECT_EQ(bytes, before); // a refused read leaves the buffer alone
    }
}

// Every other locker is kept out while the lock is held, in another thread as in another program,
// and gets the lock once it is let go.
TEST_F(PlatformTest, TheLockExcludesASecondLockerUntilItIsLetGo) {
    const fs::path card = folder_ / U8(u8"Zoë");
    fs::create_directories(card);
    std::optional<CardFolderLock> first(std::in_place, card, std::chrono::milliseconds(0));
    ASSERT_EQ(first->GetState(), CardFolderLock::State::Held);
    EXPECT_FALSE(first->Identity().empty());

    const auto lockElsewhere = [&card](std::chrono::milliseconds wait) {
        CardFolderLock::State state{};
        std::string identity;
        std::thread([&] {
            const CardFolderLock other(card, wait);
            state = other.GetState();
            identity = other.Identity();
        }).join();
        return std::pair{state, identity};
    };
    const auto [busy, identity] = lockElsewhere(std::chrono::milliseconds(120));
    EXPECT_EQ(busy, CardFolderLock::State::Busy);
    EXPECT_EQ(identity, first->Identity());
    const CardFolderLock sameThread(card, std::chrono::milliseconds(0));
    EXPECT_EQ(sameThread.GetState(), CardFolderLock::State::Busy);
    EXPECT_EQ(sameThread.GetFailure().kind, FailureKind::InUse);

    first.reset();
    EXPECT_EQ(lockElsewhere(std::chrono::milliseconds(0)).first, CardFolderLock::State::Held);

    // Readers share the lock; a writer waits for them where a lock can be shared (POSIX: on
    // Windows readers take none).
    const CardFolderLock reader(card, std::chrono::milliseconds(0), CardFolderLock::Mode::Shared);
    const CardFolderLock another(card, std::chrono::milliseconds(0), CardFolderLock::Mode::Shared);
    EXPECT_EQ(std::pair(reader.GetState(), another.GetState()),
              std::pair(CardFolderLock::State::Held, CardFolderLock::State::Held));
#ifndef _WIN32
    EXPECT_EQ(lockElsewhere(std::chrono::milliseconds(0)).first, CardFolderLock::State::Busy);
#endif

    const CardFolderLock missing(folder_ / "none", std::chrono::milliseconds(0));
    EXPECT_EQ(missing.GetState(), CardFolderLock::State::Failed);
    EXPECT_EQ(missing.GetFailure().kind, FailureKind::NotFound);
}

// A new name is taken only where none is: a file there stays, and so does the one to move.
TEST_F(PlatformTest, CreatingANewNameNeverReplacesAFile) {
    const fs::path card = folder_ / U8(u8"ペチ");
    Put(card / "a.tmp", "first");
    Put(card / "b.tmp", "second");
    Failure failure;
    ASSERT_TRUE(CreateNew(card / "a.tmp", card / "0001.txt", &failure)) << KindName(failure.kind);
    EXPECT_FALSE(CreateNew(card / "b.tmp", card / "0001.txt", &failure));
    EXPECT_EQ(failure.kind, FailureKind::Exists);
    EXPECT_EQ(Content(card / "0001.txt"), "first");
    EXPECT_EQ(Names(card), (std::vector<std::string>{"0001.txt", "b.tmp"}));
}

TEST(PlatformFailure, SystemCodesMapToOneTableOfKinds) {
#ifdef _WIN32
    const std::vector<std::pair<int, FailureKind>> table = {
        {ERROR_FILE_NOT_FOUND, FailureKind::NotFound},
        {ERROR_PATH_NOT_FOUND, FailureKind::NotFound},
        {ERROR_ACCESS_DENIED, FailureKind::NoPermission},
        {ERROR_WRITE_PROTECT, FailureKind::NoPermission},
        {ERROR_SHARING_VIOLATION, FailureKind::InUse},
        {ERROR_LOCK_VIOLATION, FailureKind::InUse},
        {ERROR_DISK_FULL, FailureKind::NoSpace},
        {ERROR_HANDLE_DISK_FULL, FailureKind::NoSpace},
        {ERROR_CRC, FailureKind::InputOutput},
        {ERROR_FILE_EXISTS, FailureKind::Exists},
        {ERROR_NOT_READY, FailureKind::InputOutput},
        {ERROR_INVALID_PARAMETER, FailureKind::Other},
    };
#else
    const std::vector<std::pair<int, FailureKind>> table = {
        {ENOENT, FailureKind::NotFound},     {ENOTDIR, FailureKind::NotFound},
        {EACCES, FailureKind::NoPermission}, {EPERM, FailureKind::NoPermission},
        {EROFS, FailureKind::NoPermission},  {EBUSY, FailureKind::InUse},
        {EWOULDBLOCK, FailureKind::InUse},   {ENOSPC, FailureKind::NoSpace},
        {EDQUOT, FailureKind::NoSpace},      {EIO, FailureKind::InputOutput},
        {EEXIST, FailureKind::Exists},       {EINVAL, FailureKind::Other},
    };
#endif
    for (const auto& [code, kind] : table) {
        const Failure failure = FailureOfCode(code);
        EXPECT_EQ(failure.kind, kind) << code;
        EXPECT_EQ(failure.code, code);
    }
    // The C++ library's own errors (std::filesystem) map onto the same kinds on both systems.
    for (const auto& [error, kind] : std::vector<std::pair<std::errc, FailureKind>>{
             {std::errc::no_such_file_or_directory, FailureKind::NotFound},
             {std::errc::permission_denied, FailureKind::NoPermission},
             {std::errc::no_space_on_device, FailureKind::NoSpace},
             {std::errc::file_exists, FailureKind::Exists}}) {
        EXPECT_EQ(FailureOfError(std::make_error_code(error)).kind, kind)
            << static_cast<int>(error);
    }
}

TEST_F(PlatformTest, TheProgramsAndTheUsersFoldersAreFound) {
    const fs::path self = ExecutableFolder();
    EXPECT_TRUE(fs::exists(self / "platform_tests") || fs::exists(self / "platform_tests.exe"))
        << self;
    EXPECT_TRUE(UserSettingsFolder().is_absolute());
    EXPECT_EQ(UserSettingsFolder().filename(), "Orvix2");
#ifndef _WIN32
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string kept = old != nullptr ? old : "";
    ::setenv("XDG_CONFIG_HOME", "/config", 1);
    EXPECT_EQ(UserSettingsFolder(), fs::path("/config/Orvix2"));
    old != nullptr ? ::setenv("XDG_CONFIG_HOME", kept.c_str(), 1) : ::unsetenv("XDG_CONFIG_HOME");
#endif

    EXPECT_EQ(FormatVolumeSerial(0xABCD1234u), "ABCD-1234");
    EXPECT_EQ(FormatVolumeSerial(0x4Fu), "0000-004F");
    EXPECT_EQ(VolumeSerial(folder_ / "none"), "");

    // STARTUP.BIN counts in any letter case, and only as a file.
    Put(folder_ / "short" / "startup.bin", "");
    fs::create_directories(folder_ / "folder" / "STARTUP.BIN");
    EXPECT_TRUE(HoldsCardImage(folder_ / "short"));
    EXPECT_FALSE(HoldsCardImage(folder_ / "folder"));
    for (const fs::path& card : CardFolders()) {
        EXPECT_TRUE(HoldsCardImage(card)) << card;
    }

    // A writable program folder keeps the settings without Orvix2.ini except on Windows, where
    // an installation's folder is writable and its uninstaller would take the backups.
    const fs::path program = folder_ / "program";
    const fs::path user = folder_ / "user";
    fs::create_directories(program);
#ifdef _WIN32
    EXPECT_EQ(ChooseSettingsFolder(program, user), user);
#else
    EXPECT_EQ(ChooseSettingsFolder(program, user), program);
#endif
    Put(program / "Orvix2.ini", "");
    EXPECT_EQ(ChooseSettingsFolder(program, user), program);
}

#ifdef _WIN32
// A file that another program holds open without sharing can be neither read nor replaced.
TEST_F(PlatformTest, AFileHeldWithoutSharingIsInUse) {
    const fs::path image = folder_ / U8(u8"ペチ/STARTUP.BIN");
    Put(image, "old");
    const HANDLE held = ::CreateFileW(image.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::vector<std::uint8_t> bytes;
    Failure failure;
    EXPECT_FALSE(ReadWhole(image, bytes, 100, &failure));
    EXPECT_EQ(failure.kind, FailureKind::InUse) << KindName(failure.kind);
    EXPECT_FALSE(WriteFileWhole(image, {Bytes("new")}, &failure));
    EXPECT_EQ(failure.kind, FailureKind::InUse) << KindName(failure.kind);
    ::CloseHandle(held);
    EXPECT_EQ(Content(image), "old");
    EXPECT_EQ(Names(image.parent_path()), std::vector<std::string>{"STARTUP.BIN"});
}
#endif

} // namespace
} // namespace orvix::platform
