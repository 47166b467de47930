#include "history/card_meaning.h"

#include "history/meaning_names.h"
#include "resources/translation.h"

namespace orvix {

std::string ShownSummary(std::string summary) {
    for (const char* label : meaning::kTableLabels) {
        // Appended rather than " " + label + " ": GCC 12 warns of an overlapping copy there.
        std::string word = " ";
        word += label;
        word += ' ';
        std::string shown = " ";
        shown += Translate("table", label);
        shown += ' ';
        for (auto at = summary.find(word); at != std::string::npos;
             at = summary.find(word, at + shown.size())) {
            summary.replace(at, word.size(), shown);
        }
    }
    return summary;
}

std::vector<RecordedChange> ChangesOf(const MeaningDiff& diff) {
    std::vector<RecordedChange> changes;
    for (const FieldDifference& f : diff.fields) {
        changes.push_back(RecordedChange{f.area, f.field, f.then, f.now});
    }
    if (diff.unexplainedBytes > 0) {
        changes.push_back(
            RecordedChange{"bytes", "STARTUP.BIN", "", std::to_string(diff.unexplainedBytes)});
    }
    return changes;
}

std::string SummaryOf(const std::vector<RecordedChange>& changes, std::size_t limit) {
    std::string line;
    std::size_t shown = 0;
    for (const RecordedChange& change : changes) {
        if (shown == limit) {
            line += ", …";
            break;
        }
        line += line.empty() ? "" : ", ";
        if (change.area == "bytes") {
            line += change.after + (change.key == "STARTUP.BIN" ? " other program bytes"
                                                                : " other bytes of " + change.key);
        } else {
            line += FieldLabel(change.area, change.key) + " " +
                    (change.before.empty() ? "-" : change.before) + "→" +
                    (change.after.empty() ? "-" : change.after);
        }
        ++shown;
    }
    return line.empty() ? "no change by meaning" : line;
}

} // namespace orvix
