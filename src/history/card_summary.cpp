#include "history/card_meaning.h"

#include "history/meaning_names.h"
#include "resources/translation.h"

namespace orvix {

std::string ShownSummary(std::string summary) {
    for (const char* label : meaning::kTableLabels) {
        const std::string word = std::string(" ") + label + " ";
        const std::string shown = " " + std::string(Translate("table", label)) + " ";
        for (auto at = summary.find(word); at != std::string::npos;
             at = summary.find(word, at + shown.size())) {
            summary.replace(at, word.size(), shown);
        }
    }
    return summary;
}

std::string SummaryLine(const MeaningDiff& diff, std::size_t limit) {
    std::string line;
    std::size_t shown = 0;
    for (std::size_t i = 0; i < diff.fields.size(); ++i) {
        if (shown == limit) {
            line += ", …";
            break;
        }
        const FieldDifference& f = diff.fields[i];
        line += (line.empty() ? "" : ", ") + diff.labels[i] + " " +
                (f.then.empty() ? "-" : f.then) + "→" + (f.now.empty() ? "-" : f.now);
        ++shown;
    }
    if (diff.unexplainedBytes > 0 && shown < limit) {
        line += (line.empty() ? "" : ", ") + std::to_string(diff.unexplainedBytes) +
                " other program bytes";
    }
    return line.empty() ? "no change by meaning" : line;
}

} // namespace orvix
