#include "storage/history_store.h"

#include <algorithm>
#include <map>

#include "storage/file_backup.h"
#include "storage/file_io.h"
#include "storage/history_detail.h"

namespace orvix {

using detail::AbsolutePath;
using detail::HistoryFolder;
using detail::HistoryNumber;
using detail::UnderFolder;

int LargestSequence(const std::filesystem::path& backupFolder) {
    int largest = 0;
    std::error_code code;
    for (const auto& item :
         std::filesystem::directory_iterator(HistoryFolder(backupFolder), code)) {
        const std::string name = item.path().filename().string();
        if (!name.ends_with(".txt")) {
            continue;
        }
        const auto number = HistoryNumber(name.substr(0, name.size() - 4));
        if (number && *number <= 999'999'999) {
            largest = std::max(largest, static_cast<int>(*number));
        }
    }
    return largest;
}

std::vector<HistoryEntry> ReadHistoryFolder(const std::filesystem::path& backupFolder) {
    std::vector<HistoryEntry> entries;
    std::error_code code;
    for (const auto& item :
         std::filesystem::directory_iterator(HistoryFolder(backupFolder), code)) {
        const std::string name = item.path().filename().string();
        if (!name.ends_with(".txt")) {
            continue;
        }
        const auto number = HistoryNumber(name.substr(0, name.size() - 4));
        if (!number || *number == 0 || *number > 999'999'999) {
            continue;
        }
        std::vector<std::uint8_t> bytes;
        HistoryEntry entry;
        if (!ReadWholeFile(item.path(), bytes)) {
            entry.sequence = static_cast<int>(*number);
            entry.readable = false;
            entry.problem = "the entry cannot be read";
        } else {
            entry = ParseHistoryEntry(
                std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                static_cast<int>(*number));
            if (entry.readable && entry.sequence != static_cast<int>(*number)) {
                entry.readable = false;
                entry.problem = "its number differs from its file's name";
                entry.sequence = static_cast<int>(*number);
            }
        }
        entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(),
              [](const HistoryEntry& a, const HistoryEntry& b) { return a.sequence < b.sequence; });
    return entries;
}

std::vector<HistoryEntry> ReadCardHistory(const std::filesystem::path& cardFolder,
                                          const std::filesystem::path& backupFolder) {
    const std::filesystem::path card = AbsolutePath(cardFolder);
    std::map<std::string, std::filesystem::path> sources; // backup folder -> its file
    std::vector<HistoryEntry> entries;
    for (HistoryEntry& entry : ReadHistoryFolder(backupFolder)) {
        if (!entry.readable) {
            if (entry.card.empty() || AbsolutePath(entry.card) == card) {
                entries.push_back(std::move(entry));
            }
            continue;
        }
        bool ours = false;
        bool traced = true;
        for (const HistoryFile& file : entry.files) {
            auto found = sources.find(file.folder);
            if (found == sources.end()) {
                found =
                    sources.emplace(file.folder, BackupSource(backupFolder / file.folder)).first;
            }
            if (found->second.empty()) {
                traced = false;
            } else if (UnderFolder(found->second, card)) {
                ours = true;
            }
        }
        if (ours || (!traced && AbsolutePath(entry.card) == card)) {
            if (!traced) {
                entry.readable = false;
                entry.problem = "a folder of backups it names has no SOURCE.txt";
            }
            entries.push_back(std::move(entry));
        }
    }
    return entries;
}

} // namespace orvix
