#pragma once

// Remote support: extra robot code placed after the program as a 429,173-byte tail, and the jump
// addresses that lead into it. Its blocks of robot code come from REMOTEBLK.BIN beside the
// settings file; the editor checks their telling bytes and fills in the start code and the sync
// start delay.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "calibration/editor_document.h"
#include "options/option_sites.h"
#include "options/program_options.h"

namespace orvix {

// --- Places of the extension ---------------------------------------------------------------------

// Blocks 0 to 5: block 0 is the entry, blocks 1 to 4 are entered from hooks in the program,
// block 5 holds the sync start delay.
inline constexpr std::size_t kRemoteBlockCount = 6;
inline constexpr std::array<std::uint32_t, kRemoteBlockCount> kRemoteBlockAddresses{
    0x41C400, 0x41C500, 0x41C600, 0x41C700, 0x41C800, 0x41CA00};
inline constexpr std::array<std::size_t, kRemoteBlockCount> kRemoteFormBlockLengths{245, 177, 160,
                                                                                    160, 160, 216};
inline constexpr std::array<std::size_t, kRemoteBlockCount> kBluetoothFormBlockLengths{
    232, 182, 125, 125, 125, 154};

// The first byte of block 0 tells the forms apart; zero there means no extension.
inline constexpr std::uint32_t kRemoteFormSite = kRemoteExtensionEntry;
inline constexpr std::uint8_t kBluetoothFormMark = 0xC0;

// Bluetooth form: startCode - 1 at +0x62 of blocks 0 to 4 (16 bits written, the 32-bit value read)
// and its low byte at +0x78 of block 5.
inline constexpr std::uint32_t kStartCodeOffset = 0x62;
inline constexpr std::uint32_t kStartCodeLowByteSite = 0x41CA78;
// The sync start delay: one byte, after a 0x88 in block 5.
inline constexpr std::uint32_t kBluetoothDelaySite = 0x41CA94;
inline constexpr std::uint32_t kRemoteDelaySite = 0x41CAD2;
inline constexpr std::uint8_t kDelayOpcode = 0x88;
inline constexpr std::int32_t kMaxSyncStartDelay = 255;
// Sync receive: on when this byte holds the mark; only a patch file sets it.
inline constexpr std::uint32_t kSyncReceiveSite = 0x41C4F0;
inline constexpr std::uint8_t kSyncReceiveMark = 0x88;

// Returns into the program; constant robot code, given in full.
inline constexpr std::uint32_t kReturnBlockAddress = 0x41C8A0;
inline constexpr std::array<std::uint8_t, 29> kReturnBlock{
    0xC0, 0xC9, 0x5C, 0x0E, 0x00, 0x00, 0xCD, 0xF2, 0x0E, 0x00, 0x00, 0x88, 0x01, 0xC0, 0xC9,
    0xF2, 0x0E, 0x00, 0x00, 0xCD, 0x5C, 0x0E, 0x00, 0x00, 0x81, 0x1A, 0x3F, 0x28, 0x00};

// The code files' places; each is called from block 0, and a lone return makes the call come back
// at once.
inline constexpr std::uint32_t kRemoteCodeAddress = 0x41E000;
inline constexpr std::uint32_t kSecondCallAddress = 0x420000;
inline constexpr std::uint32_t kVoiceCodeAddress = 0x46B000;
// REMOTE.BIN ends where the second call's return stands.
inline constexpr std::size_t kRemoteCodeMax = kSecondCallAddress - kRemoteCodeAddress; // 8,192
inline constexpr std::size_t kVoiceCodeMax = 98'304;

// --- Jump addresses into the program -------------------------------------------------------------

// The blocks jump back into the program at layout A addresses; for layout B these 32-bit values
// are raised after the blocks are copied.
struct JumpRaise {
    std::uint32_t address;
    std::uint32_t amount;
};
inline constexpr std::array<JumpRaise, 8> kBluetoothJumpRaises{{
    {0x41C519, 0x1749},
    {0x41C5B2, 0x1749},
    {0x41C619, 0x1749},
    {0x41C679, 0x1749},
    {0x41C719, 0x1749},
    {0x41C779, 0x1749},
    {0x41C819, 0x1F1C},
    {0x41C879, 0x1F1C},
}};
inline constexpr std::array<JumpRaise, 8> kRemoteJumpRaises{{
    {0x41C563, 0x1749},
    {0x41C5AD, 0x1749},
    {0x41C663, 0x1749},
    {0x41C69C, 0x1749},
    {0x41C763, 0x1749},
    {0x41C79C, 0x1749},
    {0x41C863, 0x1F1C},
    {0x41C89C, 0x1F1C},
}};

// --- Changes to the program ----------------------------------------------------------------------

// The hooks that lead into the extension: blocks 0 to 4 and the return block.
struct RemoteHook {
    PerLayout site;
    std::uint32_t value;
};
inline constexpr std::array<RemoteHook, 5> kRemoteBlockHooks{{
    {Both(0xC84), 0x41C400},
    {{0x3713C, 0x38885}, 0x41C500},
    {{0x763F6, 0x77B3F}, 0x41C600},
    {{0xCBD41, 0xCD48A}, 0x41C700},
    {{0x281F77, 0x283E93}, 0x41C800},
}};
inline constexpr RemoteHook kReturnHook{Both(0x283D93), kReturnBlockAddress};

// The Bluetooth form also changes the program: five bytes, and two jump addresses.
inline constexpr PerLayout kBluetoothFillSite{0x1468D, 0x14F5D};
inline constexpr std::size_t kBluetoothFillLength = 5;
inline constexpr std::uint8_t kBluetoothFillByte = 0xC0;
struct ProgramWord {
    PerLayout site;
    PerLayout value;
};
inline constexpr std::array<ProgramWord, 2> kBluetoothProgramWords{{
    {{0x1D137, 0x1DA07}, {0x1D0D8, 0x1D9A8}},
    {{0x175F97, 0x177708}, {0x175FD7, 0x177748}},
}};

// --- The blocks of robot code --------------------------------------------------------------------

// REMOTEBLK.BIN: remote blocks 0 to 5, then Bluetooth blocks 0 to 5, back to back.
inline constexpr std::size_t kRemoteBlocksFileSize = 2'061;

using BlockHead = std::array<std::uint8_t, 16>;
inline constexpr BlockHead kRemoteBlockHead{0x90, 0x00, 0x06, 0x00, 0x00, 0x11, 0x41, 0x44,
                                            0x44, 0x4F, 0x4E, 0x5C, 0x52, 0x45, 0x4D, 0x4F};
inline constexpr BlockHead kBluetoothBlockHead{0xC0, 0xC4, 0x00, 0x00, 0x00, 0x00, 0xCD, 0xF2,
                                               0x0E, 0x00, 0x00, 0xC0, 0xC9, 0xA6, 0x00, 0x00};
inline constexpr BlockHead kDelayBlockHead{0x90, 0x70, 0x0A, 0x00, 0x00, 0x0C, 0x00, 0x00,
                                           0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x00};
// 1153, one less than the default start code, as the Bluetooth blocks carry it.
inline constexpr std::array<std::uint8_t, 4> kBlockStartCode{0x81, 0x04, 0x00, 0x00};
inline constexpr std::uint32_t kBlock5StartCodeOffset = 0x78;

struct RemoteBlocks {
    std::array<std::vector<std::uint8_t>, kRemoteBlockCount> remote;
    std::array<std::vector<std::uint8_t>, kRemoteBlockCount> bluetooth;
};

// Splits and checks the content of REMOTEBLK.BIN: its size, the telling bytes of every block, the
// start code places of the Bluetooth blocks, and the delay places (a 0x88 and a zero). None, with
// what is wrong in problem, when a check fails.
std::optional<RemoteBlocks> ParseRemoteBlocks(std::span<const std::uint8_t> bytes,
                                              std::string& problem);

// Reads and checks REMOTEBLK.BIN from the code folder; none, with "PATH: reason" in detail.
std::optional<RemoteBlocks> LoadRemoteBlocks(const EditorDocument& document, std::string& detail);

// The content of a REMOTEBLK.BIN that passes the checks with zeros wherever they look at nothing:
// a stand-in for tests and demonstrations, never robot code.
std::vector<std::uint8_t> SyntheticRemoteBlocks();

// --- Reading and building ------------------------------------------------------------------------

// A 429,173-byte tail made since the file was loaded (a 3,072-byte servo tail is no remote tail).
bool HasRemoteTail(const EditorDocument& document);
// An extension loaded with the file: the image is long enough and block 0 is not empty.
bool HasLoadedRemoteExtension(const EditorDocument& document);

// Fills in the remote fields of the options from the image.
void ReadRemoteOptions(const EditorDocument& document, ProgramOptions& options);

// The code files that go into a rebuilt extension; none for a file not loaded.
struct RemoteCode {
    std::optional<std::vector<std::uint8_t>> remote;
    std::optional<std::vector<std::uint8_t>> voice;
};

// Rebuilds the extension in a fresh tail after the base program, in the form of the options.
void BuildRemoteExtension(EditorDocument& document, const ProgramOptions& options,
                          const RemoteBlocks& blocks, const RemoteCode& code);

// Writes the start code (Bluetooth form) and the sync start delay into the extension the image
// holds, leaving the rest of it as it is.
void WriteRemoteSettings(EditorDocument& document, const ProgramOptions& options);

// The byte the sync start delay is stored as: clamped to 0 to 255.
std::uint8_t DelayByte(std::int32_t delay);

} // namespace orvix
