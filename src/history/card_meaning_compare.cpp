#include "history/card_meaning.h"

#include <algorithm>
#include <cstring>

#include "calibration/editor_document.h"
#include "calibration/servo_table.h"
#include "history/meaning_names.h"
#include "options/option_sites.h"
#include "options/program_options.h"

namespace orvix {

namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace meaning;

// The bytes of the program the calibration tables cover (binary form).
bool CalibrationByte(std::size_t at) {
    if (at < static_cast<std::size_t>(kServoRecordBase) ||
        at >= static_cast<std::size_t>(kServoTableEnd)) {
        return false;
    }
    return (at - kServoRecordBase) % kServoRecordSize < 6;
}

// The bytes of the options stored at several sites, of which the reading looks at one: the walk
// step count, the voice recognition and timeout bytes, the face direction, the eye colour records.
bool SecondaryOptionByte(std::size_t at, Layout layout) {
    const auto within = [&](std::uint32_t site, std::size_t width) {
        return at >= site && at < site + width;
    };
    for (const PerLayout& site : kWalkStepSites) {
        if (within(site.In(layout), 4)) {
            return true;
        }
    }
    for (const PerLayout& site : kVoiceRecognitionNineSites) {
        if (within(site.In(layout), 1)) {
            return true;
        }
    }
    for (const auto* sites : {&kFirstColourRecords}) {
        for (const PerLayout& site : *sites) {
            if (within(site.In(layout), kColourRecordSize)) {
                return true;
            }
        }
    }
    for (const PerLayout& site : kSecondColourRecords) {
        if (within(site.In(layout), kColourRecordSize)) {
            return true;
        }
    }
    for (const auto& site : kVoiceRecognitionBytes) {
        if (within(site.address.In(layout), 1)) {
            return true;
        }
    }
    for (const auto& site : kTimeoutMonitorSites) {
        if (within(site.address.In(layout), 1)) {
            return true;
        }
    }
    for (const auto& site : kFaceDirectionSites) {
        if (within(site.address.In(layout), 1)) {
            return true;
        }
    }
    for (const VoiceJump& jump : kVoiceRecognitionJumps) {
        if (within(jump.address, 4)) {
            return true;
        }
    }
    return false;
}

// Options and eye colours of an image, to tell whether bytes change what it means.
std::string OptionsKey(EditorDocument& document) {
    const ReadOptionsResult read = ReadProgramOptions(document);
    std::string key = read.accepted ? "" : "refused";
    for (const OptionName& option : kOptionNames) {
        key += option.flag != nullptr ? (read.options.*option.flag ? "1" : "0")
                                      : std::to_string(read.options.*option.number) + ";";
    }
    return key + Colour(FirstEyeColour(document)) + Colour(SecondEyeColour(document));
}

void CountUnexplained(const CardMeaning& a, const CardMeaning& b, MeaningDiff& diff) {
    const Bytes& x = *a.program;
    const Bytes& y = *b.program;
    const std::size_t common = std::min(x.size(), y.size());
    // The differing runs outside the calibration tables, joined across small gaps.
    std::vector<std::pair<std::size_t, std::size_t>> runs;
    // Their other sites count as explained only where the options differ at all.
    const bool options =
        a.optionsRead && b.optionsRead &&
        std::any_of(diff.fields.begin(), diff.fields.end(), [](const FieldDifference& f) {
            return f.area == std::string("options") || f.area == std::string("remote");
        });
    const Layout layout = LayoutOf(a.programForm == "binary B");
    for (std::size_t i = 0; i < common; ++i) {
        // Equal blocks are skipped at the speed of a memory compare.
        while (i + 4096 <= common && std::memcmp(x.data() + i, y.data() + i, 4096) == 0) {
            i += 4096;
        }
        while (i < common && x[i] == y[i]) {
            ++i;
        }
        if (i == common) {
            break;
        }
        if (CalibrationByte(i) || (options && SecondaryOptionByte(i, layout))) {
            continue;
        }
        if (!runs.empty() && i - runs.back().second <= 4) {
            runs.back().second = i;
        } else {
            runs.emplace_back(i, i);
        }
    }
    // A run is explained when it changes the options of the one image: probed on a copy.
    const bool probe = a.optionsRead && b.optionsRead && x.size() == y.size() && !runs.empty() &&
                       runs.size() <= 64;
    EditorDocument document{std::string()};
    std::string before;
    if (probe) {
        document.isBinaryImage = true;
        document.buildVariant = a.programForm == "binary B";
        document.image = x;
        before = OptionsKey(document);
    }
    for (const auto& [first, last] : runs) {
        if (probe) {
            std::copy(y.begin() + static_cast<std::ptrdiff_t>(first),
                      y.begin() + static_cast<std::ptrdiff_t>(last) + 1,
                      document.image.begin() + static_cast<std::ptrdiff_t>(first));
            const bool explained = OptionsKey(document) != before;
            std::copy(x.begin() + static_cast<std::ptrdiff_t>(first),
                      x.begin() + static_cast<std::ptrdiff_t>(last) + 1,
                      document.image.begin() + static_cast<std::ptrdiff_t>(first));
            if (explained) {
                continue;
            }
        }
        std::size_t count = 0;
        for (std::size_t i = first; i <= last; ++i) {
            count += x[i] != y[i] ? 1 : 0;
        }
        diff.unexplainedBytes += count;
        diff.ranges.emplace_back(first, last);
    }
    // Bytes beyond the shorter image: a remote or servo extension the options name, or not.
    if (x.size() != y.size()) {
        const auto remote = [&](const CardMeaning& m) {
            const MeaningField* f = m.Find("remote", "remoteSupport");
            const MeaningField* s = m.Find("options", "servoParameters");
            return (f ? f->value : "") + (s ? s->value : "");
        };
        if (!(a.optionsRead && b.optionsRead && remote(a) != remote(b))) {
            diff.unexplainedBytes += std::max(x.size(), y.size()) - common;
            diff.ranges.emplace_back(common, std::max(x.size(), y.size()) - 1);
        }
    }
}

} // namespace

MeaningDiff CompareMeanings(const CardMeaning& a, const CardMeaning& b) {
    MeaningDiff diff;
    if (a.programForm.empty() != b.programForm.empty()) {
        diff.notCompared.push_back("calibration: only one side has a readable STARTUP.BIN");
    } else if (a.programForm != b.programForm) {
        diff.notCompared.push_back("program: " + a.programForm + " / " + b.programForm +
                                   " (the fields both have are compared)");
    }
    if (a.optionsRead != b.optionsRead) {
        diff.notCompared.push_back("options, remote: only one side is a program of a known kind");
    }
    if (a.hasCardFiles != b.hasCardFiles) {
        diff.notCompared.push_back("settings, users: only one side is a card folder");
    }
    for (const char* area : kMeaningAreas) {
        for (const MeaningField& field : a.fields) {
            if (field.area != area) {
                continue;
            }
            const MeaningField* other = b.Find(field.area, field.field);
            if (other == nullptr) {
                continue; // a field only one side has is named by notCompared
            }
            if (other->value != field.value) {
                diff.fields.push_back(
                    FieldDifference{field.area, field.field, field.value, other->value});
            }
        }
        // A user present only on one side: its fields against nothing.
        for (const MeaningField& field : b.fields) {
            if (field.area == area && a.Find(field.area, field.field) == nullptr &&
                a.hasCardFiles && b.hasCardFiles) {
                diff.fields.push_back(FieldDifference{field.area, field.field, "", field.value});
            }
        }
        for (const MeaningField& field : a.fields) {
            if (field.area == area && b.Find(field.area, field.field) == nullptr &&
                a.hasCardFiles && b.hasCardFiles && field.area == std::string("users")) {
                diff.fields.push_back(FieldDifference{field.area, field.field, field.value, ""});
            }
        }
    }
    if (a.program && b.program && a.programForm.starts_with("binary") &&
        b.programForm.starts_with("binary")) {
        CountUnexplained(a, b, diff);
    }
    return diff;
}

} // namespace orvix
