#include "storage/file_set_write.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <sys/file.h>
#include <unistd.h>

#include "storage/card_lock.h"
#include "support/temp_folder.h"

namespace orvix {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Steps = std::vector<std::pair<FileStep, int>>; // the steps that fail, and on which file

// Three files written as one: an existing file, an existing file in a sub-folder with its own
// mode, and a file to be made.
class FileSetTest : public ::testing::Test {
protected:
    FileSetTest() {
        test::WriteBytes(card / "A.BIN", {1, 1});
        test::WriteBytes(card / "sub/B.BIN", {2, 2, 2});
        std::filesystem::permissions(card / "sub/B.BIN", std::filesystem::perms(0640));
    }
    ~FileSetTest() override { SetFileFaultInjector(nullptr); }

    std::vector<FileReplacement> Set() const {
        return {{card / "A.BIN", {10}}, {card / "sub/B.BIN", {20, 20}}, {card / "C.BIN", {30}}};
    }
    bool Write(const Steps& failing, FileSetReport& report) {
        SetFileFaultInjector([this, failing](FileStep step, const std::filesystem::path& file) {
            for (const auto& [which, index] : failing) {
                if (step == which && file == Set()[index].path) {
                    return true;
                }
            }
            return false;
        });
        const auto set = Set();
        const bool written = WriteFileSet(set, &report);
        SetFileFaultInjector(nullptr);
        return written;
    }
    // The whole card, file by file ("-" for a missing file), temporary files included.
    std::string Card() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(card.Path())) {
            if (entry.is_regular_file()) {
                std::string& text = files[entry.path().lexically_relative(card.Path()).string()];
                for (std::uint8_t byte : test::ReadBytes(entry.path())) {
                    text += std::to_string(byte) + ".";
                }
            }
        }
        std::string text;
        for (const auto& [name, bytes] : files) {
            text += name + "=" + bytes + " ";
        }
        return text;
    }

    test::TempFolder card;
};

constexpr const char* kOld = "A.BIN=1.1. sub/B.BIN=2.2.2. ";
constexpr const char* kNew = "A.BIN=10. C.BIN=30. sub/B.BIN=20.20. ";

TEST_F(FileSetTest, AnyFailedStepOfAnyFileLeavesEveryFileOld) {
    const std::string oldCard = Card();
    int failures = 0;
    for (int file = 0; file < 3; ++file) {
        for (FileStep step : {FileStep::Read, FileStep::OpenTemporary, FileStep::Write,
                              FileStep::Flush, FileStep::FolderFlush, FileStep::Rename}) {
            FileSetReport report;
            const bool written = Write({{step, file}}, report);
            const std::string after = Card();
            if (written) {
                // Only the new file is never read, having no old content to put back.
                EXPECT_TRUE(file == 2 && step == FileStep::Read);
                EXPECT_EQ(after, kNew);
                std::filesystem::remove(card / "C.BIN");
                test::WriteBytes(card / "A.BIN", {1, 1});
                test::WriteBytes(card / "sub/B.BIN", {2, 2, 2});
                continue;
            }
            ++failures;
            EXPECT_EQ(after, oldCard) << "file " << file << " step " << static_cast<int>(step);
            EXPECT_EQ(report.outcome, FileSetOutcome::Unchanged);
            EXPECT_EQ(report.error.Describe(),
                      Utf8FromPath(Set()[file].path) + ": Input/output error");
        }
    }
    EXPECT_EQ(failures, 17);
    EXPECT_EQ(std::filesystem::status(card / "sub/B.BIN").permissions(),
              std::filesystem::perms(0640));
}

// A failed rename puts back what was replaced; only a failed put-back leaves a mix, and the
// report names every file's state.
TEST_F(FileSetTest, OnlyAFailedPutBackLeavesAMixAndSaysWhich) {
    const struct {
        Steps failing;
        FileSetOutcome outcome;
        const char* card;
        const char* states;
    } rows[] = {
        {{{FileStep::Rename, 2}},
         FileSetOutcome::Unchanged,
         kOld,
         "A.BIN: old (put back)|sub/B.BIN: old (put back)|C.BIN: old|"},
        {{{FileStep::Rename, 1}},
         FileSetOutcome::Unchanged,
         kOld,
         "A.BIN: old (put back)|sub/B.BIN: old|C.BIN: old|"},
        {{{FileStep::Rename, 2}, {FileStep::PutBack, 0}},
         FileSetOutcome::Mixed,
         "A.BIN=10. sub/B.BIN=2.2.2. ",
         "A.BIN: new (putting back the old content failed: Input/output error)|sub/B.BIN: old (put "
         "back)|C.BIN: old|"},
        {{{FileStep::Rename, 2}, {FileStep::PutBack, 1}},
         FileSetOutcome::Mixed,
         "A.BIN=1.1. sub/B.BIN=20.20. ",
         "A.BIN: old (put back)|sub/B.BIN: new (putting back the old content failed: Input/output "
         "error)|C.BIN: old|"},
        {{{FileStep::Rename, 1}, {FileStep::PutBack, 0}},
         FileSetOutcome::Mixed,
         "A.BIN=10. sub/B.BIN=2.2.2. ",
         "A.BIN: new (putting back the old content failed: Input/output error)|sub/B.BIN: "
         "old|C.BIN: "
         "old|"},
    };
    for (const auto& row : rows) {
        FileSetReport report;
        EXPECT_FALSE(Write(row.failing, report));
        EXPECT_EQ(report.outcome, row.outcome);
        EXPECT_EQ(Card(), row.card);
        std::string states;
        for (const std::string& line : report.states) {
            states += line.substr(card.Path().string().size() + 1) + "|";
        }
        EXPECT_EQ(states, row.states);
        EXPECT_EQ(report.Describe().substr(0, report.Describe().find('\n')),
                  report.error.Describe());
        EXPECT_EQ(std::filesystem::status(card / "sub/B.BIN").permissions(),
                  std::filesystem::perms(0640));
        test::WriteBytes(card / "A.BIN", {1, 1});
        test::WriteBytes(card / "sub/B.BIN", {2, 2, 2});
    }
    FileSetReport report;
    EXPECT_TRUE(Write({}, report));
    EXPECT_EQ(Card(), kNew);
    EXPECT_EQ(report.outcome, FileSetOutcome::Written);
}

// A target that cannot be written, or that changed since it was read, is refused before
// anything is written.
TEST_F(FileSetTest, AnUnwritableOrChangedTargetIsRefusedFirst) {
    std::filesystem::create_directory(card / "FOLDER.BIN");
    const struct {
        int file;
        FileReplacement replacement;
        const char* reason;
    } rows[] = {
        {1, {card / "sub/RO.BIN", {20}}, "Permission denied"},
        {1, {card / "FOLDER.BIN", {20}}, "not a regular file"},
        {2, {card / "none/C.BIN", {30}}, "No such file or directory"},
        {0, {card / "A.BIN", {10}, Bytes{1}, true}, "changed by another program since it was read"},
        {2,
         {card / "A.BIN", {30}, std::nullopt, true},
         "changed by another program since it was read"},
    };
    test::WriteBytes(card / "sub/RO.BIN", {9});
    std::filesystem::permissions(card / "sub/RO.BIN", std::filesystem::perms(0444)); // even root
    const std::string before = Card();
    for (const auto& row : rows) {
        auto set = Set();
        set[row.file] = row.replacement;
        FileSetReport report;
        EXPECT_FALSE(WriteFileSet(set, &report));
        EXPECT_EQ(report.error.path, row.replacement.path);
        EXPECT_EQ(report.error.reason, row.reason);
        EXPECT_EQ(Card(), before);
    }
    std::vector<FileReplacement> checked = {{card / "A.BIN", {}, Bytes{1, 1}, true},
                                            {card / "C.BIN", {}, std::nullopt, true},
                                            {card / "sub/B.BIN", {}, Bytes{2}, true},
                                            {card / "A.BIN", {}, std::nullopt, true}};
    EXPECT_EQ(FilesChangedSinceRead(checked),
              (std::vector<std::filesystem::path>{card / "sub/B.BIN", card / "A.BIN"}));
}

TEST(CardLockTest, AnotherWriterIsWaitedForThisProcessHoldsItAgain) {
    test::TempFolder card;
    const int other = ::open(card.Path().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(other, LOCK_EX), 0); // another program's lock
    {
        const CardLock busy(card.Path(), std::chrono::milliseconds(250));
        EXPECT_EQ(busy.GetState(), CardLock::State::Busy);
        EXPECT_FALSE(busy.MayWrite());
        EXPECT_EQ(busy.Error().Describe(), card.Path().string() + ": held by another program");
    }
    ASSERT_EQ(::flock(other, LOCK_UN), 0);
    {
        const CardLock outer(card.Path());
        EXPECT_EQ(outer.GetState(), CardLock::State::Held);
        {
            const CardLock inner(card.Path() / ".", std::chrono::milliseconds(0));
            EXPECT_EQ(inner.GetState(), CardLock::State::Held);
        }
        EXPECT_NE(::flock(other, LOCK_EX | LOCK_NB), 0); // the inner end left the outer lock
    }
    EXPECT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    ::close(other);
    const CardLock missing(card / "none");
    EXPECT_EQ(missing.GetState(), CardLock::State::Failed);
    EXPECT_EQ(missing.Error().reason, "No such file or directory");
}

} // namespace
} // namespace orvix
