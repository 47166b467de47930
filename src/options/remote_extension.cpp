#include "options/remote_extension.h"

#include <algorithm>

#include "options/code_files.h"
#include "options/image_bytes.h"
#include "storage/file_io.h"

namespace orvix {

namespace {

constexpr std::size_t kLastBlock = kRemoteBlockCount - 1;
// The delay byte's place inside block 5, and the 0x88 right before it.
constexpr std::uint32_t kRemoteBlock5DelayOffset = kRemoteDelaySite - kRemoteBlockAddresses[5];
constexpr std::uint32_t kBluetoothBlock5DelayOffset =
    kBluetoothDelaySite - kRemoteBlockAddresses[5];

static_assert(kRemoteBlock5DelayOffset == 0xD2 && kBluetoothBlock5DelayOffset == 0x94);

bool Holds(std::span<const std::uint8_t> block, std::size_t offset,
           std::span<const std::uint8_t> bytes) {
    return offset + bytes.size() <= block.size() &&
           std::equal(bytes.begin(), bytes.end(), block.begin() + static_cast<long>(offset));
}

std::string BlockName(bool bluetooth, std::size_t k) {
    return std::string(bluetooth ? "Bluetooth" : "remote") + " block " + std::to_string(k);
}

// The checks of one block; what is wrong, or empty.
std::string CheckBlock(std::span<const std::uint8_t> block, bool bluetooth, std::size_t k) {
    const BlockHead& head =
        k == kLastBlock ? kDelayBlockHead : (bluetooth ? kBluetoothBlockHead : kRemoteBlockHead);
    if (!Holds(block, 0, head)) {
        return BlockName(bluetooth, k) + " does not begin with its telling bytes";
    }
    if (bluetooth) {
        const std::uint32_t offset = k == kLastBlock ? kBlock5StartCodeOffset : kStartCodeOffset;
        if (!Holds(block, offset, kBlockStartCode)) {
            return BlockName(bluetooth, k) + " has no start code 81 04 00 00 at +0x" +
                   (k == kLastBlock ? "78" : "62");
        }
    }
    if (k == kLastBlock) {
        const std::uint32_t delay =
            bluetooth ? kBluetoothBlock5DelayOffset : kRemoteBlock5DelayOffset;
        const std::uint8_t expected[] = {kDelayOpcode, 0};
        if (!Holds(block, delay - 1, expected)) {
            return BlockName(bluetooth, k) + " has no delay 88 00 at its delay place";
        }
    }
    return {};
}

void RaiseJumps(EditorDocument& document, std::span<const JumpRaise> raises) {
    for (const JumpRaise& raise : raises) {
        PutImageU32(document, raise.address, ImageU32(document, raise.address) + raise.amount);
    }
}

void CopyBlocks(EditorDocument& document,
                const std::array<std::vector<std::uint8_t>, kRemoteBlockCount>& blocks) {
    for (std::size_t k = 0; k < kRemoteBlockCount; ++k) {
        PutImageBytes(document, kRemoteBlockAddresses[k], blocks[k]);
    }
}

std::uint16_t StoredStartCode(std::int32_t startCode) {
    // Not range-checked: the low 16 bits of startCode - 1 are stored.
    return static_cast<std::uint16_t>(static_cast<std::uint32_t>(startCode) - 1u);
}

void WriteStartCode(EditorDocument& document, std::int32_t startCode) {
    const std::uint16_t stored = StoredStartCode(startCode);
    for (std::size_t k = 0; k < kLastBlock; ++k) {
        PutImageU16(document, kRemoteBlockAddresses[k] + kStartCodeOffset, stored);
    }
    PutImageU8(document, kStartCodeLowByteSite, static_cast<std::uint8_t>(stored));
}

// The Bluetooth form's program changes, with the bytes they replace kept on the first change
// since the load, so that the remote connection form can put them back.
void ChangeProgramForBluetooth(EditorDocument& document, Layout layout) {
    std::vector<std::pair<std::uint32_t, std::uint8_t>> before;
    const auto change = [&](std::uint32_t address, std::uint8_t value) {
        before.emplace_back(address, ImageU8(document, address));
        PutImageU8(document, address, value);
    };
    const std::uint32_t fill = kBluetoothFillSite.In(layout);
    for (std::uint32_t i = 0; i < kBluetoothFillLength; ++i) {
        change(fill + i, kBluetoothFillByte);
    }
    for (const ProgramWord& word : kBluetoothProgramWords) {
        const std::uint32_t value = word.value.In(layout);
        for (std::uint32_t i = 0; i < 4; ++i) {
            change(word.site.In(layout) + i, static_cast<std::uint8_t>(value >> (8 * i)));
        }
    }
    if (document.bluetoothProgramBytes.empty()) {
        document.bluetoothProgramBytes = std::move(before);
    }
}

void RestoreProgramFromBluetooth(EditorDocument& document) {
    for (const auto& [address, value] : document.bluetoothProgramBytes) {
        PutImageU8(document, address, value);
    }
    document.bluetoothProgramBytes.clear();
}

} // namespace

std::optional<RemoteBlocks> ParseRemoteBlocks(std::span<const std::uint8_t> bytes,
                                              std::string& problem) {
    if (bytes.size() != kRemoteBlocksFileSize) {
        problem = "is " + std::to_string(bytes.size()) + " bytes long, not " +
                  std::to_string(kRemoteBlocksFileSize);
        return std::nullopt;
    }
    RemoteBlocks blocks;
    std::size_t at = 0;
    for (const bool bluetooth : {false, true}) {
        const auto& lengths = bluetooth ? kBluetoothFormBlockLengths : kRemoteFormBlockLengths;
        auto& target = bluetooth ? blocks.bluetooth : blocks.remote;
        for (std::size_t k = 0; k < kRemoteBlockCount; ++k) {
            const std::span<const std::uint8_t> block = bytes.subspan(at, lengths[k]);
            problem = CheckBlock(block, bluetooth, k);
            if (!problem.empty()) {
                return std::nullopt;
            }
            target[k].assign(block.begin(), block.end());
            at += lengths[k];
        }
    }
    return blocks;
}

std::optional<RemoteBlocks> LoadRemoteBlocks(const EditorDocument& document, std::string& detail) {
    std::string readProblem;
    const auto bytes = ReadCodeFile(document, kRemoteBlocksFile, kMaxReadSize, readProblem);
    if (!bytes) {
        detail = readProblem;
        return std::nullopt;
    }
    std::string problem;
    std::optional<RemoteBlocks> blocks = ParseRemoteBlocks(*bytes, problem);
    if (!blocks) {
        detail =
            FileError{CodeFolder(document) / std::string(kRemoteBlocksFile), problem}.Describe();
    }
    return blocks;
}

std::vector<std::uint8_t> SyntheticRemoteBlocks() {
    std::vector<std::uint8_t> bytes;
    for (const bool bluetooth : {false, true}) {
        const auto& lengths = bluetooth ? kBluetoothFormBlockLengths : kRemoteFormBlockLengths;
        for (std::size_t k = 0; k < kRemoteBlockCount; ++k) {
            std::vector<std::uint8_t> block(lengths[k], 0);
            const BlockHead& head = k == kLastBlock
                                        ? kDelayBlockHead
                                        : (bluetooth ? kBluetoothBlockHead : kRemoteBlockHead);
            std::copy(head.begin(), head.end(), block.begin());
            if (bluetooth) {
                const std::uint32_t offset =
                    k == kLastBlock ? kBlock5StartCodeOffset : kStartCodeOffset;
                std::copy(kBlockStartCode.begin(), kBlockStartCode.end(), block.begin() + offset);
            }
            if (k == kLastBlock) {
                block[(bluetooth ? kBluetoothBlock5DelayOffset : kRemoteBlock5DelayOffset) - 1] =
                    kDelayOpcode;
            }
            bytes.insert(bytes.end(), block.begin(), block.end());
        }
    }
    return bytes;
}

bool HasRemoteTail(const EditorDocument& document) {
    return document.imageTail.size() == kRemoteExtensionSize;
}

bool HasLoadedRemoteExtension(const EditorDocument& document) {
    return !HasRemoteTail(document) && document.ImageSize() >= kImageSizeWithRemoteExtension &&
           ImageU8(document, kRemoteFormSite) != 0;
}

void ReadRemoteOptions(const EditorDocument& document, ProgramOptions& options) {
    options.remoteConnection = true;
    options.voicePlayback = true;
    options.syncReceive = false;
    options.startCode = kDefaultStartCode;
    options.syncStartDelay = 0;
    const bool tail = HasRemoteTail(document);
    const bool loaded = HasLoadedRemoteExtension(document);
    if (tail || loaded) {
        options.remoteSupport = true;
        options.remoteSupportFixed = true;
        options.bluetoothChangeable = tail;
        options.bluetooth = ImageU8(document, kRemoteFormSite) == kBluetoothFormMark;
        if (options.bluetooth) {
            const std::uint32_t stored =
                ImageU32(document, kRemoteBlockAddresses[0] + kStartCodeOffset);
            options.startCode = static_cast<std::int32_t>(stored + 1u);
            options.syncStartDelay = ImageU8(document, kBluetoothDelaySite);
        } else {
            options.syncStartDelay = ImageU8(document, kRemoteDelaySite);
        }
        options.syncReceive = ImageU8(document, kSyncReceiveSite) == kSyncReceiveMark;
        if (loaded) {
            options.remoteConnection = ImageU8(document, kRemoteCodeAddress) != kOpReturn;
            options.voicePlayback = ImageU8(document, kVoiceCodeAddress) != kOpReturn;
        }
    } else {
        options.remoteSupport = false;
        options.remoteSupportFixed = false;
        options.bluetoothChangeable = true;
        options.bluetooth = true; // the preset form of a new extension
    }
    if (options.bluetooth) {
        options.remoteConnection = false;
    }
}

std::uint8_t DelayByte(std::int32_t delay) {
    return static_cast<std::uint8_t>(std::clamp(delay, 0, kMaxSyncStartDelay));
}

void BuildRemoteExtension(EditorDocument& document, const ProgramOptions& options,
                          const RemoteBlocks& blocks, const RemoteCode& code) {
    const Layout layout = LayoutOf(document.buildVariant);
    // A fresh tail right after the base program replaces whatever followed it: an extension
    // loaded with the file, a servo tail, or an earlier remote tail.
    document.image.resize(kBaseImageSize.In(layout));
    document.imageTail.assign(kRemoteExtensionSize, 0);

    PutImageBytes(document, kReturnBlockAddress, kReturnBlock);
    PutImageU32(document, kReturnHook.site.In(layout), kReturnHook.value);
    const std::uint8_t delay = DelayByte(options.syncStartDelay);
    if (options.bluetooth) {
        CopyBlocks(document, blocks.bluetooth);
        WriteStartCode(document, options.startCode);
        PutImageU8(document, kBluetoothDelaySite, delay);
        if (layout == Layout::B) {
            RaiseJumps(document, kBluetoothJumpRaises);
        }
        ChangeProgramForBluetooth(document, layout);
    } else {
        RestoreProgramFromBluetooth(document);
        CopyBlocks(document, blocks.remote);
        PutImageU8(document, kRemoteDelaySite, delay);
        if (layout == Layout::B) {
            RaiseJumps(document, kRemoteJumpRaises);
        }
        PutImageU8(document, kRemoteCodeAddress, kOpReturn);
        if (code.remote) {
            PutImageBytes(document, kRemoteCodeAddress, *code.remote);
        }
    }
    for (const RemoteHook& hook : kRemoteBlockHooks) {
        PutImageU32(document, hook.site.In(layout), hook.value);
    }
    PutImageU8(document, kSecondCallAddress, kOpReturn);
    PutImageU8(document, kVoiceCodeAddress, kOpReturn);
    if (code.voice) {
        PutImageBytes(document, kVoiceCodeAddress, *code.voice);
    }
}

void WriteRemoteSettings(EditorDocument& document, const ProgramOptions& options) {
    const bool bluetooth = ImageU8(document, kRemoteFormSite) == kBluetoothFormMark;
    if (bluetooth) {
        WriteStartCode(document, options.startCode);
    }
    PutImageU8(document, bluetooth ? kBluetoothDelaySite : kRemoteDelaySite,
               DelayByte(options.syncStartDelay));
}

} // namespace orvix
