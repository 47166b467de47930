#include "storage/file_set_write.h"

#include <gtest/gtest.h>
#include <optional>
#include <tuple>

#include "storage/platform.h"
#include "support/card_diff.h"
#include "support/temp_folder.h"

namespace orvix {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Steps = std::vector<std::pair<FileStep, int>>; // the steps that fail, and on which file
const test::CardFiles kOld = {{"A.BIN", {1, 1}}, {"sub/B.BIN", {2, 2, 2}}};
constexpr const char* kChanged = "changed by another program since it was read";

// Three files written as one: an existing file, one in a sub-folder with a mode of its own, and
// one to be made.
class FileSetTest : public ::testing::Test {
protected:
    FileSetTest() {
        Reset();
        std::filesystem::permissions(card / "sub/B.BIN", std::filesystem::perms(0640));
    }
    ~FileSetTest() override { SetFileFaultInjector(nullptr); }
    void Reset() {
        std::filesystem::remove(card / "C.BIN");
        test::WriteBytes(card / "A.BIN", {1, 1});
        test::WriteBytes(card / "sub/B.BIN", {2, 2, 2});
    }
    bool Write(const Steps& failing, FileSetReport& report) {
        SetFileFaultInjector([&](FileStep step, const std::filesystem::path& file) {
            return std::any_of(failing.begin(), failing.end(), [&](const auto& fault) {
                return step == fault.first && file == set[fault.second].path;
            });
        });
        return WriteFileSet(set, &report);
    }
    // Every file of the card with its bytes, temporary files included.
    test::CardFiles Card() const { return test::SnapshotFolder(card.Path()); }

    test::TempFolder card;
    std::vector<FileReplacement> set = {
        {card / "A.BIN", {10}}, {card / "sub/B.BIN", {20, 20}}, {card / "C.BIN", {30}}};
};

// A failed rename puts back what was replaced, a failed folder flush (after the last rename)
// everything; only a failed put-back leaves a mix, and the report names every file's state:
// "o" old, "p" old (put back), "n" new as the put-back failed.
TEST_F(FileSetTest, OnlyAFailedPutBackLeavesAMixAndSaysWhich) {
    const std::tuple<Steps, test::CardFiles, const char*> rows[] = {
        {{{FileStep::Rename, 2}}, kOld, "ppo"},
        {{{FileStep::FolderFlush, 1}}, kOld, "ppp"},
        {{{FileStep::FolderFlush, 2}}, kOld, "ppp"},
        {{{FileStep::Rename, 1}}, kOld, "poo"},
        {{{FileStep::Rename, 2}, {FileStep::PutBack, 0}},
         {{"A.BIN", {10}}, {"sub/B.BIN", {2, 2, 2}}},
         "npo"},
        {{{FileStep::Rename, 2}, {FileStep::PutBack, 1}},
         {{"A.BIN", {1, 1}}, {"sub/B.BIN", {20, 20}}},
         "pno"},
        {{{FileStep::Rename, 1}, {FileStep::PutBack, 0}},
         {{"A.BIN", {10}}, {"sub/B.BIN", {2, 2, 2}}},
         "noo"},
    };
    for (const auto& [failing, after, states] : rows) {
        FileSetReport report;
        EXPECT_FALSE(Write(failing, report));
        EXPECT_EQ(report.outcome,
                  after == kOld ? FileSetOutcome::Unchanged : FileSetOutcome::Mixed);
        EXPECT_EQ(Card(), after);
        std::string expected = report.error.Describe();
        for (int file = 0; file < 3; ++file) {
            expected += '\n';
            expected += set[file].path.string() + ": " +
                        (states[file] == 'o'   ? "old"
                         : states[file] == 'p' ? "old (put back)"
                                               : "new (putting back the old content failed: "
                                                 "input/output error)");
        }
        EXPECT_EQ(report.Describe(), expected);
        if (platform::HasPosixFiles()) { // the mode of its own is kept
            EXPECT_EQ(std::filesystem::status(card / "sub/B.BIN").permissions(),
                      std::filesystem::perms(0640));
        }
        Reset();
    }
}

// A target that cannot be written, or that changed since it was read, is refused before
// anything is written.
TEST_F(FileSetTest, AnUnwritableOrChangedTargetIsRefusedFirst) {
    std::filesystem::create_directory(card / "FOLDER.BIN");
    test::WriteBytes(card / "sub/RO.BIN", {9});
    std::filesystem::permissions(card / "sub/RO.BIN", std::filesystem::perms(0444)); // even root
    const struct {
        int file;
        FileReplacement replacement;
        platform::FailureKind kind; // the system's refusal, when reason is empty
        const char* reason = "";
    } rows[] = {
        {1, {card / "sub/RO.BIN", {20}}, platform::FailureKind::NoPermission},
        {1, {card / "FOLDER.BIN", {20}}, platform::FailureKind::NotAFile},
        {2, {card / "none/C.BIN", {30}}, platform::FailureKind::NotFound},
        {0, {card / "A.BIN", {10}, Bytes{1}, true}, platform::FailureKind::Other, kChanged},
        {2, {card / "A.BIN", {30}, std::nullopt, true}, platform::FailureKind::Other, kChanged},
    };
    const test::CardFiles before = Card();
    for (const auto& row : rows) {
        auto changed = set;
        changed[row.file] = row.replacement;
        FileSetReport report;
        EXPECT_FALSE(WriteFileSet(changed, &report));
        EXPECT_EQ(report.error.path, row.replacement.path);
        EXPECT_EQ(report.error.kind, row.kind) << row.replacement.path;
        EXPECT_EQ(report.error.reason, row.reason);
        EXPECT_EQ(Card(), before);
    }
    const std::vector<FileReplacement> checked = {{card / "A.BIN", {}, Bytes{1, 1}, true},
                                                  {card / "C.BIN", {}, std::nullopt, true},
                                                  {card / "sub/B.BIN", {}, Bytes{2}, true},
                                                  {card / "A.BIN", {}, std::nullopt, true}};
    EXPECT_EQ(FilesChangedSinceRead(checked),
              (std::vector<std::filesystem::path>{card / "sub/B.BIN", card / "A.BIN"}));
}

// A removal is one of the set: the file is set aside when the others are renamed, renamed back
// when a later one fails, and gone (with nothing left beside it) only when all succeeded.
TEST_F(FileSetTest, ARemovalIsPutBackWithTheOthersAndGoneOnlyWhenAllAreWritten) {
    set[1].kind = FileReplacement::Kind::Remove;
    const std::string aside = "putting it back failed: input/output error; its content is in ";
    const std::tuple<Steps, const char*> rows[] = {
        {{{FileStep::Rename, 2}}, "ppo"},
        {{{FileStep::Rename, 1}}, "poo"},
        {{{FileStep::OpenTemporary, 1}}, ""},
        {{{FileStep::FolderFlush, 0}}, "ppp"},
        {{{FileStep::Rename, 2}, {FileStep::PutBack, 1}}, "pro"},
    };
    for (const auto& [failing, states] : rows) {
        FileSetReport report;
        EXPECT_FALSE(Write(failing, report));
        test::CardFiles after = Card();
        std::string expected = report.error.Describe();
        for (int file = 0; *states != 0 && file < 3; ++file) {
            const std::string name = set[file].path.string();
            expected += "\n" + name + ": " +
                        (states[file] == 'o'   ? "old"
                         : states[file] == 'p' ? "old (put back)"
                                               : "removed (" + aside);
            if (states[file] == 'r') {
                // The removed file's content is where the report says, and only there.
                const std::string line = report.states[static_cast<std::size_t>(file)];
                const std::filesystem::path kept =
                    line.substr(line.find(aside) + aside.size(),
                                line.size() - 1 - line.find(aside) - aside.size());
                EXPECT_EQ(kept.parent_path(), card / "sub");
                EXPECT_EQ(after.extract("sub/" + kept.filename().string()).mapped(),
                          (Bytes{2, 2, 2}));
                after["sub/B.BIN"] = {2, 2, 2};
                expected += kept.string() + ")";
            }
        }
        EXPECT_EQ(after, kOld);
        EXPECT_EQ(report.Describe(), expected);
        Reset();
        for (const auto& entry : std::filesystem::directory_iterator(card / "sub")) {
            if (entry.path().filename() != "B.BIN") {
                std::filesystem::remove(entry.path());
            }
        }
    }
    FileSetReport report;
    EXPECT_TRUE(Write({}, report));
    EXPECT_EQ(Card(), (test::CardFiles{{"A.BIN", {10}}, {"C.BIN", {30}}}));
}

// The new content is flushed before the rename and the folder after it; a failure of either, or
// of reading the old content that a put-back would need, leaves the old file as it was, with
// nothing beside it.
TEST_F(FileSetTest, TheContentIsFlushedBeforeTheRenameAndTheFolderAfterIt) {
    std::vector<FileStep> asked;
    for (const std::optional<FileStep> failing :
         {std::optional<FileStep>(), std::optional(FileStep::Read), std::optional(FileStep::Flush),
          std::optional(FileStep::FolderFlush)}) {
        asked.clear();
        SetFileFaultInjector([&](FileStep step, const std::filesystem::path& file) {
            if (file == card / "A.BIN") {
                asked.push_back(step);
            }
            return step == failing;
        });
        FileError error;
        const bool written = WriteFileAtomically(card / "A.BIN", {Bytes{10}}, &error);
        EXPECT_EQ(written, !failing);
        if (written) {
            EXPECT_EQ(asked, (std::vector<FileStep>{FileStep::Read, FileStep::OpenTemporary,
                                                    FileStep::Write, FileStep::Flush,
                                                    FileStep::Rename, FileStep::FolderFlush}));
            EXPECT_EQ(Card(), (test::CardFiles{{"A.BIN", {10}}, {"sub/B.BIN", {2, 2, 2}}}));
        } else {
            EXPECT_EQ(std::count(asked.begin(), asked.end(), FileStep::Rename),
                      failing == FileStep::FolderFlush ? 1 : 0);
            EXPECT_EQ(error.Describe(), (card / "A.BIN").string() + ": input/output error");
            EXPECT_EQ(Card(), kOld);
        }
        Reset();
    }
    // Given what the file holds, the write does not read it, and a failed folder flush writes
    // that back.
    for (const FileStep failing : {FileStep::Read, FileStep::FolderFlush}) {
        SetFileFaultInjector([&](FileStep step, const auto&) { return step == failing; });
        EXPECT_EQ(ReplaceFileAtomically(card / "A.BIN", Bytes{10}, Bytes{1, 1}),
                  failing == FileStep::Read);
        EXPECT_EQ(test::ReadBytes(card / "A.BIN"),
                  (failing == FileStep::Read ? Bytes{10} : Bytes{1, 1}));
        EXPECT_EQ(Card().size(), 2u);
        Reset();
    }
}

} // namespace
} // namespace orvix
