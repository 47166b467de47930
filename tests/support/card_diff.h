#pragma once

// Cards typed as text, and the whole change an action must make to them.
//
// A description is a text of lines ('#' starts a comment):
//   include NAME                 the lines of another description (beside this one) first
//   file NAME [size N] [fill XX | pattern] [text] [rewritten]
//                                a file of the card folder ("user/user00.log"); `code NAME` the
//                                same for a file of the code folder (beside Orvix2.ini). The file
//                                keeps what it held, then takes size N (new bytes XX, 00, or the
//                                pattern byte (31 i + 7) mod 256). With `text`, the lines up to
//                                `end` are its content, each ended by a line feed. In an
//                                expectation, `rewritten` lets the file be written again with
//                                the same bytes (a file not to change must not be written).
//   delete NAME                  the card has no such file
//   ADDRESS: ITEM ...            bytes from ADDRESS (0x hex or decimal) on: a hex byte `1e`, a run
//                                `00*429173`, text without blanks `"0x001e"`, or the bytes of
//                                another file `@NAME:OFFSET+LENGTH` (a card file, else a code
//                                file; in an expectation, as it was before). Bytes
//                                past the end lengthen the file, with zeros between.
//   unchanged                    (in an expectation) every file not named stays as it was
// An expectation is a description applied to the card as it was before the action: the card
// afterwards must equal the result in every file and every byte, and hold no other file.

#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace orvix::test {

using CardFiles = std::map<std::string, std::vector<std::uint8_t>>; // by name below the folder

struct CardState {
    CardFiles card;
    CardFiles code;
    std::set<std::string> mayRewrite; // files an expectation lets be written with the same bytes
};
using FileIds = std::map<std::string, std::string>; // the files' identities, by name

// Every file below a folder, by its name relative to it with '/' between folders.
CardFiles SnapshotFolder(const std::filesystem::path& folder);

// Applies a description file to a state; a fault in the description fails the test.
void ApplyDescription(const std::filesystem::path& description, CardState& state);

// Writes a state's files into the card folder and the code folder.
void WriteCard(const CardState& state, const std::filesystem::path& cardFolder,
               const std::filesystem::path& codeFolder);

// Which file each name below a folder is: a file replaced by a write gets a new one.
FileIds SnapshotIds(const std::filesystem::path& folder);

// Empty when after is before changed exactly as the expectation says, and no file that was to
// stay as it was has been written again (ids before and after); otherwise, for each file that
// differs, its size and every differing place: address, expected, actual and former bytes.
std::string CompareChange(const CardState& before, const CardFiles& after,
                          const std::filesystem::path& expectation, const FileIds& idsBefore,
                          const FileIds& idsAfter);

} // namespace orvix::test
