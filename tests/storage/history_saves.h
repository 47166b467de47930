#pragma once

// Records saves of small card files through the history recorder, as the editor makes them.

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "storage/card_history.h"
#include "support/temp_folder.h"

namespace orvix::test {

// Card name -> the text it holds after the save (none: removed).
using SaveContent = std::map<std::string, std::optional<std::string>>;

// One save of those files of the card at that second; its entry's number (0: none).
inline int RecordSave(const std::filesystem::path& card, const std::filesystem::path& backups,
                      const SaveContent& content, int second) {
    std::vector<SavedFile> files;
    for (const auto& [name, text] : content) {
        files.push_back(SavedFile{name, card / name});
        if (text) {
            files.back().after = MarkOf(std::vector<std::uint8_t>(text->begin(), text->end()));
        }
    }
    HistoryRecorder recorder(
        card, backups,
        std::chrono::system_clock::time_point(std::chrono::seconds(1796000000 + second)));
    EXPECT_EQ(recorder.Begin(files), HistoryStart::Started);
    for (const auto& [name, text] : content) {
        std::error_code code;
        if (text) {
            WriteText(card / name, *text);
        } else {
            std::filesystem::remove(card / name, code);
        }
    }
    EXPECT_TRUE(recorder.Finish());
    return recorder.Sequence();
}

// The card's files at a point, "A.BIN=a1 B.BIN=-" (- absent), then what cannot be had:
// "A.BIN!is gone", the entries passed over "skip 5" and the unchecked copies "unchecked C.BIN".
inline std::string Describe(const CardAtPoint& point) {
    std::string text;
    const auto add = [&](const std::string& part) { text += (text.empty() ? "" : " ") + part; };
    for (const auto& [name, copy] : point.files) {
        add(name + "=" + (copy ? ReadText(*copy) : "-"));
    }
    for (const auto& [name, reason] : point.damaged) {
        add(name + "!" + reason);
    }
    for (const int sequence : point.skipped) {
        add("skip " + std::to_string(sequence));
    }
    for (const std::string& name : point.unchecked) {
        add("unchecked " + name);
    }
    EXPECT_EQ(point.complete, point.damaged.empty()) << text;
    EXPECT_EQ(point.missing.size(), point.damaged.size()) << text;
    return text;
}

} // namespace orvix::test
