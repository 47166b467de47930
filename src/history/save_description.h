#pragma once

// What a save changed by meaning, as its history entry records it (history_recorder.h): the card
// read with each saved file as it was and as the save left it, compared field by field. The
// entry keeps the result as data, so that its summary never depends on the card as it is later.

#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "storage/history_entry.h"
#include "storage/history_recorder.h"

namespace orvix {

// One change per differing field (area, the key show and diff use, before, after); program bytes
// no field explains as area "bytes", key "STARTUP.BIN", after their count. A save that changed
// bytes but no field records, for each of its files, area "bytes", the file's card name and the
// number of differing bytes, so that an entry that recorded its changes never records none.
std::vector<RecordedChange> DescribeSave(const std::filesystem::path& cardFolder,
                                         std::span<const SavedContent> files);

// Makes DescribeSave the describer of every later save; both programs call it at start-up.
void InstallSaveDescriber();

// A card name as the card's file system finds it, for comparing names: upper case, with the
// backslash between folder and file ("user/user02.log" → "USER\USER02.LOG").
std::string FoldedCardName(std::string_view name);

} // namespace orvix
