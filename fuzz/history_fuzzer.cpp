// A history folder made by hand: the input, cut at each line "===", gives the entries
// 000001.txt, 000002.txt, ... of a backups folder beside a small card whose VOLUME.BIN has a
// folder of backups. Listing the card's history, reading a point of it and previewing its restore
// never crash; an entry that is read formats back to the same text, and one that is not has a
// reason.

#include "fuzz_support.h"
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>

#include "history/card_history_view.h"
#include "history/card_points.h"
#include "storage/card_history.h"
#include "storage/file_backup.h"
#include "storage/file_io.h"

namespace {

namespace fs = std::filesystem;
using namespace orvix;

const fs::path& Folder() {
    static const fs::path folder = [] {
        const fs::path root = fuzz::MakeScratchFolder("history");
        fs::create_directories(root / "card");
        const std::uint8_t volume[] = {5, 0};
        Require(WriteFileAtomically(root / "card" / "VOLUME.BIN", {std::span(volume)}));
        Require(PrepareBackupFolder(root / "card" / "VOLUME.BIN", root / "backups"));
        return root;
    }();
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fs::path& root = Folder();
    const fs::path history = root / "backups" / kHistoryFolderName;
    std::error_code code;
    fs::remove_all(history, code);
    fs::create_directories(history);
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    int number = 0;
    std::size_t start = 0;
    while (start <= input.size() && number < 20) {
        const std::size_t cut = input.find("\n===\n", start);
        const std::string_view text = input.substr(
            start, cut == std::string_view::npos ? std::string_view::npos : cut - start);
        char name[32];
        std::snprintf(name, sizeof name, "%06d.txt", ++number);
        Require(WriteTextFileAtomically(history / name, std::string(text)));
        const HistoryEntry entry = ParseHistoryEntry(text, number);
        if (entry.readable) {
            const HistoryEntry again = ParseHistoryEntry(FormatHistoryEntry(entry), number);
            Require(again.readable && FormatHistoryEntry(again) == FormatHistoryEntry(entry));
        } else {
            Require(!entry.problem.empty());
        }
        if (cut == std::string_view::npos) {
            break;
        }
        start = cut + 5;
    }
    const CardHistoryView view(root / "card", root / "backups");
    for (const HistoryRow& row : view.Rows()) {
        Require(row.readable || !row.problem.empty());
        (void)view.PreviewRestoreBefore(row.sequence);
    }
    std::string problem;
    if (const auto point =
            ParsePoint((root / "card").string() + "@first", root / "backups", problem)) {
        (void)MeaningAt(*point, root / "backups");
    }
    return 0;
}
