// A save and its history entry stand or fall together: an entry that cannot be begun stops the
// save before the card is touched (message 192, exit 1); one that cannot be completed after the
// write is said (message 193, exit 3) and stays pending for the history to show. A restore that
// removes one file and rewrites another is one all-or-nothing set.

#include <algorithm>
#include <gtest/gtest.h>
#include <map>

#include "cli_runner.h"
#include "resources/string_table.h"
#include "storage/card_history.h"
#include "storage/file_io.h"
#include "support/card_diff.h"

namespace orvix::test {
namespace {

class SaveHistoryTest : public CardTest {
protected:
    void SetUp() override {
        MakeCard();
        std::filesystem::create_directories(history_);
    }
    void TearDown() override { SetFileFaultInjector(nullptr); }

    // The card and the settings folder (backups, history) as they are.
    std::pair<CardFiles, CardFiles> State() const {
        return {SnapshotFolder(temp_ / "card"), SnapshotFolder(temp_ / "settings")};
    }
    void Reset(const std::pair<CardFiles, CardFiles>& state) const {
        const std::pair<std::filesystem::path, const CardFiles*> folders[] = {
            {temp_ / "card", &state.first}, {temp_ / "settings", &state.second}};
        for (const auto& [folder, files] : folders) {
            std::filesystem::remove_all(folder);
            std::filesystem::create_directories(folder);
            for (const auto& [name, bytes] : *files) {
                std::filesystem::create_directories((folder / name).parent_path());
                WriteBytes(folder / name, bytes);
            }
        }
        std::filesystem::create_directories(history_);
    }
    CliResult Command(const std::vector<std::string>& arguments) {
        std::vector<std::string> line = arguments;
        for (std::string& argument : line) {
            if (argument == "CARD") {
                argument = path_;
            } else if (argument.starts_with("@")) {
                argument = (temp_ / "card").string() + argument;
            }
        }
        return Run(line);
    }

    // The history's entries (final or pending, not its index) that are not in a snapshot of the
    // settings folder.
    std::vector<std::string> NewEntries(const CardFiles& settings) const {
        std::vector<std::string> names;
        for (const auto& [name, bytes] : SnapshotFolder(history_)) {
            const std::string stem = std::filesystem::path(name).stem().string();
            if (std::all_of(stem.begin(), stem.end(),
                            [](char c) { return c >= '0' && c <= '9'; }) &&
                !settings.contains("backups/history/" + name)) {
                names.push_back(name);
            }
        }
        return names;
    }

    std::filesystem::path history_ = temp_ / "settings" / "backups" / "history";
};

TEST_F(SaveHistoryTest, ASaveWhoseEntryFailsIsRefusedOrSaidNeverSilent) {
    // Each writer: its command line, and a save made before it (restore undoes it).
    const std::vector<std::string> made = {"users", "new", "CARD", "--yes"};
    const std::pair<std::vector<std::string>, std::vector<std::string>> writers[] = {
        {{"calibration", "set", "CARD", "ID5=170"}, {}},
        {{"settings", "set", "CARD", "volume=2"}, {}},
        {{"users", "new", "CARD", "--yes"}, {}},
        {{"restore", "@-1", "--yes"}, made},
    };
    const FileStep steps[] = {FileStep::OpenTemporary, FileStep::Write, FileStep::Flush,
                              FileStep::FolderFlush, FileStep::Rename};
    const std::string notStarted = MessageText({IDP_HISTORY_NOT_STARTED, history_.string()});
    const std::string notFinished = MessageText({IDP_HISTORY_NOT_FINISHED, history_.string()});
    for (const auto& [command, before] : writers) {
        if (!before.empty()) {
            ASSERT_EQ(Command(before).status, 0);
        }
        const auto start = State();
        // Unhindered, the card changes and the history gains one final entry, nothing pending.
        ASSERT_EQ(Command(command).status, 0) << command[0];
        const auto done = State();
        ASSERT_NE(done.first, start.first) << command[0];
        const std::vector<std::string> recorded = NewEntries(start.second);
        ASSERT_EQ(recorded.size(), 1u) << command[0];
        EXPECT_TRUE(recorded[0].ends_with(".txt")) << recorded[0];

        for (const bool final : {false, true}) {
            for (const FileStep step : steps) {
                Reset(start);
                SetFileFaultInjector([&](FileStep now, const std::filesystem::path& file) {
                    return now == step && file.parent_path() == history_ &&
                           file.extension() == (final ? ".txt" : ".pending");
                });
                const CliResult result = Command(command);
                SetFileFaultInjector(nullptr);
                const auto after = State();
                const std::string where = command[0] + (final ? " final " : " pending ") +
                                          std::to_string(static_cast<int>(step));
                if (!final) {
                    // Refused: the card as it was, no entry, no pending one.
                    EXPECT_EQ(result.status, 1) << where << result.err;
                    EXPECT_TRUE(Contains(result.err, notStarted)) << where << result.err;
                    EXPECT_EQ(after.first, start.first) << where;
                    EXPECT_EQ(NewEntries(start.second), std::vector<std::string>{}) << where;
                    continue;
                }
                // Written, said, and the entry left pending with what the save put in each file.
                EXPECT_EQ(result.status, 3) << where << result.err;
                EXPECT_TRUE(Contains(result.err, notFinished)) << where << result.err;
                EXPECT_EQ(after.first, done.first) << where;
                const std::vector<std::string> pending = NewEntries(start.second);
                ASSERT_EQ(pending.size(), 1u) << where;
                ASSERT_TRUE(pending[0].ends_with(".pending")) << where << pending[0];
                const std::vector<std::uint8_t> text = ReadBytes(history_ / pending[0]);
                const HistoryEntry entry =
                    ParseHistoryEntry(std::string(text.begin(), text.end()), 0);
                ASSERT_TRUE(entry.readable) << where << entry.problem;
                ASSERT_FALSE(entry.files.empty());
                for (const HistoryFile& file : entry.files) {
                    std::string name = file.name;
                    std::replace(name.begin(), name.end(), '\\', '/');
                    const auto now = after.first.find(name);
                    EXPECT_EQ(file.after, now == after.first.end()
                                              ? std::nullopt
                                              : std::optional<ContentMark>(MarkOf(now->second)))
                        << where << name;
                }
            }
        }
        // A backup copy that cannot be written blocks the save as well; a setting's or a user's
        // message names the copy, not the card file.
        Reset(start);
        std::string copy;
        SetFileFaultInjector([&](FileStep now, const std::filesystem::path& file) {
            const bool hit = now == FileStep::Write && copy.empty() &&
                             file.parent_path() != history_ &&
                             Contains(file.generic_string(), "/backups/");
            copy = hit ? file.string() : copy;
            return hit;
        });
        const CliResult blocked = Command(command);
        SetFileFaultInjector(nullptr);
        EXPECT_EQ(std::tuple(blocked.status, State().first), std::tuple(1, start.first))
            << command[0] << blocked.err;
        if (command[0] == "settings" || command[0] == "users") {
            EXPECT_TRUE(Contains(blocked.err, MessageText({IDP_BINARY_WRITE_FAILED, copy})))
                << copy << blocked.err;
        }
        Reset(start);
    }
}

// A restore of a point where one file was absent and another held something else: each step of
// either file failing leaves the card and the history as they were.
TEST_F(SaveHistoryTest, ARestoreRemovesAndRewritesAllOrNothing) {
    const auto first = State();
    // A save that made a file (as a writer of the card's files records it), then one that
    // changed STARTUP.BIN.
    const std::filesystem::path made = temp_ / "card" / "NEW.BIN";
    HistoryRecorder recorder(temp_ / "card", temp_ / "settings" / "backups",
                             std::chrono::system_clock::now());
    const SavedFile saved[] = {{"NEW.BIN", made, MarkOf(std::vector<std::uint8_t>{1, 2, 3})}};
    ASSERT_EQ(recorder.Begin(saved), HistoryStart::Started);
    WriteBytes(made, {1, 2, 3});
    ASSERT_TRUE(recorder.Finish());
    ASSERT_EQ(Command({"calibration", "set", "CARD", "ID5=170"}).status, 0);
    const auto start = State();
    const FileStep steps[] = {FileStep::OpenTemporary, FileStep::Write, FileStep::Flush,
                              FileStep::FolderFlush, FileStep::Rename};
    for (const auto& [name, removal] :
         {std::pair{"NEW.BIN", true}, std::pair{"STARTUP.BIN", false}}) {
        for (const FileStep step : steps) {
            if (removal && step != FileStep::OpenTemporary && step != FileStep::Rename) {
                continue; // a removal writes nothing
            }
            Reset(start);
            const std::filesystem::path path = temp_ / "card" / name;
            SetFileFaultInjector([&](FileStep now, const std::filesystem::path& file) {
                return now == step && file == path;
            });
            const CliResult result = Command({"restore", "@-2", "--yes"});
            SetFileFaultInjector(nullptr);
            EXPECT_EQ(result.status, 1) << name << static_cast<int>(step) << result.err;
            EXPECT_EQ(SnapshotFolder(temp_ / "card"), start.first)
                << name << static_cast<int>(step);
            EXPECT_EQ(NewEntries(start.second), std::vector<std::string>{}) << name;
        }
    }
    // Unhindered, the card is again as it was before the save; the history gains one entry,
    // which the tool names, in either language, by the point it went back to: @-2 then, @-3 now
    // that the restore is the newest save.
    Reset(start);
    ASSERT_EQ(Command({"restore", "@-2", "--yes"}).status, 0);
    EXPECT_EQ(SnapshotFolder(temp_ / "card"), first.first);
    EXPECT_EQ(NewEntries(start.second).size(), 1u);
    const auto newest = [&](const std::string& language) {
        const std::string out = Command({"--lang", language, "history", "CARD"}).out;
        const std::string line = out.substr(0, out.find('\n'));
        return line.substr(line.rfind('\t') + 1);
    };
    EXPECT_EQ(newest("ja"), "@-3の時点に戻す");
    EXPECT_EQ(newest("en"), "Back to @-3");
}

// What a crash at any point relies on, in the order a program's save puts things onto the disk:
// the new copy and the pending entry, data and names, before the card file is replaced; the
// final entry named only once the new file's name is on the disk, and the pending one removed
// only after that name.
TEST_F(SaveHistoryTest, ASaveFlushesItsCopyAndEntryBeforeTheCardAndNamesTheEntryAfter) {
    ASSERT_EQ(Command({"calibration", "set", "CARD", "ID5=170"}).status, 0); // SOURCE.txt made
    std::vector<std::pair<FileStep, std::string>> steps; // each with "card", "copy" or the entry's
    SetFileFaultInjector([&](FileStep step, const std::filesystem::path& file) {
        const std::string name = file.filename().string();
        steps.emplace_back(step, file.parent_path() == history_ ? file.extension().string()
                                 : name == "STARTUP.BIN"        ? "card"
                                 : name.starts_with("STARTUP-") ? "copy"
                                                                : name);
        return false;
    });
    ASSERT_EQ(Command({"calibration", "set", "CARD", "ID5=160"}).status, 0);
    SetFileFaultInjector(nullptr);
    const auto at = [&](FileStep step, const std::string& kind) {
        const auto found = std::ranges::find(steps, std::pair{step, kind});
        EXPECT_NE(found, steps.end()) << kind << " " << static_cast<int>(step);
        return found - steps.begin();
    };
    const auto replaced = at(FileStep::Rename, "card");
    for (const auto& [step, kind] :
         {std::pair{FileStep::Flush, "copy"}, std::pair{FileStep::FolderFlush, "copy"},
          std::pair{FileStep::Flush, ".pending"}, std::pair{FileStep::FolderFlush, ".pending"},
          std::pair{FileStep::Flush, "card"}}) {
        EXPECT_LT(at(step, kind), replaced) << kind << " " << static_cast<int>(step);
    }
    EXPECT_LT(at(FileStep::FolderFlush, "card"), at(FileStep::Rename, ".txt"));
    EXPECT_LT(at(FileStep::Flush, ".txt"), at(FileStep::Rename, ".txt"));
    EXPECT_LT(at(FileStep::FolderFlush, ".txt"), at(FileStep::Remove, ".pending"));
}

// A save reads what it must and no more, whatever the card holds: the program's save reads
// STARTUP.BIN twice (the load, then the comparison under the lock), copies, marks and describes it
// from the bytes in memory, and reads of the backups only the newest copy, to compare; a setting's
// save reads neither the program nor the user files. Counted by the files the reads ask the fault
// seam about, never by time.
TEST_F(SaveHistoryTest, ASaveReadsOnlyTheFilesItChanges) {
    std::map<std::string, int> reads; // by path below the test's folder
    const auto count = [&](const std::vector<std::string>& command) {
        reads.clear();
        SetFileFaultInjector([&](FileStep step, const std::filesystem::path& file) {
            if (step == FileStep::Read) {
                ++reads[std::filesystem::relative(file, temp_.Path()).generic_string()];
            }
            return false;
        });
        const CliResult result = Command(command);
        SetFileFaultInjector(nullptr);
        EXPECT_EQ(result.status, 0) << result.err;
    };
    const auto readsBelow = [&](const std::string& folder) {
        int n = 0;
        for (const auto& [name, times] : reads) {
            n += name.starts_with(folder) && !name.ends_with("SOURCE.txt") ? times : 0;
        }
        return n;
    };
    // Twice each: the second save of a file compares it with its newest copy.
    for (const auto& [value, backups] : {std::pair{"ID5=170", 0}, std::pair{"ID5=160", 1}}) {
        count({"calibration", "set", "CARD", value});
        EXPECT_EQ(reads["card/STARTUP.BIN"], 2) << value;
        EXPECT_EQ(readsBelow("card/"), 2) << value;
        EXPECT_EQ(readsBelow("settings/backups/"), backups) << value;
    }
    // A setting's save: the command reads the program and every setting file once (VOLUME.BIN,
    // the file it sets, twice); the save reads VOLUME.BIN again under the lock, and its
    // description the old copy and the new file; no other file.
    for (const auto& [value, backups] : {std::pair{"volume=2", 1}, std::pair{"volume=3", 2}}) {
        count({"settings", "set", "CARD", value});
        EXPECT_EQ(reads["card/STARTUP.BIN"], 1) << value;
        EXPECT_EQ(reads["card/VOLUME.BIN"], 4) << value;
        EXPECT_EQ(reads["card/RND.BIN"], 1) << value;
        EXPECT_EQ(readsBelow("card/servo/"), 32) << value; // each servo file once
        EXPECT_EQ(readsBelow("card/user"), 0) << value;
        EXPECT_EQ(reads["card/NAMETBL.BIN"], 0) << value;
        EXPECT_EQ(readsBelow("settings/backups/"), backups) << value;
    }
    // Described all the same: each entry names what its save changed.
    const auto entries = ReadHistoryFolder(temp_ / "settings" / "backups");
    ASSERT_EQ(entries.size(), 4u);
    const std::pair<std::string, std::string> changed[] = {
        {"ID5 origin", "170"}, {"ID5 origin", "160"}, {"volume", "2"}, {"volume", "3"}};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        ASSERT_EQ(entries[i].changes.size(), 1u) << i;
        EXPECT_EQ(entries[i].changes[0].key, changed[i].first) << i;
        EXPECT_EQ(entries[i].changes[0].after, changed[i].second) << i;
    }
}

} // namespace
} // namespace orvix::test
