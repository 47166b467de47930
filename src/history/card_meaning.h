#pragma once

// What a card means, field by field, read by the same readers as the editor and the show
// commands: the calibration tables and the attenuator of STARTUP.BIN, the program's options and
// its remote settings, every setting file and the user files. Two such readings compare field by
// field; program bytes no known field explains are counted with their ranges.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "history/card_history_view.h"
#include "storage/history_entry.h"

namespace orvix {

// Areas in the order they are shown.
inline constexpr const char* kMeaningAreas[] = {"calibration", "options", "remote", "settings",
                                                "users"};

struct MeaningField {
    std::string area;
    std::string field;
    std::string value;
};

struct CardMeaning {
    // The program's form: "binary A", "binary B", "binary short" (4,011 bytes), "text"; empty
    // when there is no readable STARTUP.BIN.
    std::string programForm;
    // The program file's bytes, shared by the copies of a reading; none without a program.
    std::shared_ptr<const std::vector<std::uint8_t>> program;
    bool optionsRead = false; // the program is of a known kind: its options were read
    std::vector<MeaningField> fields;
    bool hasCardFiles = false; // the setting and user files were read (a card, not a file)

    const MeaningField* Find(const std::string& area, const std::string& field) const;
};

// Where a card file (card name "servo\SV02_ON.BIN") is; none when it is absent.
using CardFileLocator = std::function<std::optional<std::filesystem::path>(const std::string&)>;

// Reads the card whose files locate finds; programOnly reads STARTUP.BIN alone.
CardMeaning ReadCardMeaning(const CardFileLocator& locate, bool programOnly = false);

// The parts of a card a reading may be limited to: a field of each depends on that part's files
// alone, so that a save of some files is described by reading only their parts.
enum MeaningPart : unsigned {
    kProgramPart = 1,  // STARTUP.BIN: calibration, options, remote
    kSettingsPart = 2, // the setting files, the head switch and the servo files
    kUsersPart = 4,    // the name table and the user files
    kAllParts = 7,
};
// Reads the parts of the card; program, when given, is the content of the STARTUP.BIN that
// locate names (whose name still tells its form), which is then not read. With scratch as well,
// the reading copies program into scratch's room (two readings take their 4 MB from the system
// once) and the meaning refers to program itself, which must then outlive it.
CardMeaning ReadCardParts(const CardFileLocator& locate, unsigned parts,
                          const std::vector<std::uint8_t>* program = nullptr,
                          std::vector<std::uint8_t>* scratch = nullptr);
// The card in a folder, or a STARTUP.BIN alone.
CardMeaning ReadFolderMeaning(const std::filesystem::path& folder);
CardMeaning ReadProgramMeaning(const std::filesystem::path& program);

// The same card with the standard values where there are any: the calibration standards (the
// standard origin corrections, unlimited lower and upper limits) and the settings' standard
// values; every other field as it is.
CardMeaning StandardMeaning(const CardMeaning& card);

struct MeaningDiff {
    std::vector<FieldDifference> fields;  // then = a, now = b
    std::vector<std::string> notCompared; // "options: only one side is a program of a known kind"
    std::size_t unexplainedBytes = 0;     // differing program bytes no known field covers
    std::vector<std::pair<std::size_t, std::size_t>> ranges; // [first, last] of those bytes
    bool Same() const { return fields.empty() && unexplainedBytes == 0; }
};

MeaningDiff CompareMeanings(const CardMeaning& a, const CardMeaning& b);

// The label of a field in a one-line summary, from its area and stable key: "ID2 原点" for
// "ID2 origin", the file's name for a setting ("VOLUME" for "volume"), else the key itself.
std::string FieldLabel(const std::string& area, const std::string& key);

// What a comparison found, as a history entry records it: one change per differing field (before
// = a, after = b); program bytes no field explains as area "bytes", key "STARTUP.BIN", after
// their count.
std::vector<RecordedChange> ChangesOf(const MeaningDiff& diff);

// One line: "ID2 原点 25→30, walkSteps 4→12, VOLUME 5→7"; at most limit fields, then "…".
std::string SummaryOf(const std::vector<RecordedChange>& changes, std::size_t limit = 6);

// The same as a person reads it, in the interface language: the names of the name table and
// its words for the values ("右手 ID16(肩縦回転) 原点 -50→-55"). The recorded summary stays as it
// is, since the tool's JSON gives it as data.
std::string ShownChanges(const std::vector<RecordedChange>& changes, std::size_t limit = 6);
// A row of the history list worded so: its changes (a restore: the point it went back to, as
// "2番の保存の前に戻す") with what became of its copies.
std::string ShownSummary(const HistoryRow& row);
// One difference as a line of a question's details or of diff: "サーボ値  右足 ID2(股横回転) 原点:
// 25 → 30" (separator between the area and the field, then from → to).
std::string ShownDifference(const FieldDifference& difference, std::string_view separator,
                            const std::string& from, const std::string& to);
// A note of what was not compared, worded.
std::string ShownNote(const std::string& note);
// Why a history entry could not be read (the storage's fixed words), worded.
std::string ShownProblem(const std::string& problem);

} // namespace orvix
