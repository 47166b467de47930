// A user edited and a user added through the user list and the user data dialog, on a card whose
// user files hold any bytes, with answers, typed dates, chosen names, checked days and a failing
// write step taken from the input. Whatever happens, only the file of the slot acted on changes; a
// saved record is 12 bytes holding the user number as read, the chosen name or the one it had,
// valid dates and a reserved byte 0; a new user is its slot number and zeros; a refused or
// cancelled edit and a failed write leave every file as it was.
//
// Input: bytes 0-1 which of the ten slots are in use; byte 2 the act (bit 0 a new user rather
// than an edit, bits 1-4 the slot edited, bit 5 No to the new-user question, bit 6 Cancel
// instead of OK, bit 7 no name chosen); byte 3 the failing step of the write (bits 0-2; 6 and 7
// none); bytes 4-5 the name chosen; bytes 6-7 the lesson and garbage days toggled; then three
// date texts, each a length byte and that many bytes; then the user files' bytes, 12 a slot.

#include "fuzz_support.h"
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

#include "calibration/editor_document.h"
#include "resources/user_dialogs.h"
#include "storage/file_io.h"
#include "ui/dialog_model.h"
#include "users/user_dialog.h"
#include "users/user_record.h"

namespace {

namespace fs = std::filesystem;
using namespace orvix;

const fs::path& Card() {
    static const fs::path card = fuzz::MakeScratchFolder("users");
    return card;
}

// A name table whose entries are all valid: entry k has syllables from k and number k - 1000.
const std::vector<std::uint8_t>& NameTableBytes() {
    static const std::vector<std::uint8_t> bytes = [] {
        std::vector<std::uint8_t> table(kNameTableSize, 0);
        for (std::size_t k = 1; k < static_cast<std::size_t>(kNameEntryCount); ++k) {
            std::uint8_t* entry = table.data() + k * kNameEntrySize;
            for (std::size_t s = 0; s < kNameSyllables; ++s) {
                entry[s] = static_cast<std::uint8_t>((k + s * 7) % (kSyllableCount + 5));
            }
            const auto number = static_cast<std::uint16_t>(static_cast<int>(k) - 1000);
            entry[5] = static_cast<std::uint8_t>(number);
            entry[6] = static_cast<std::uint8_t>(number >> 8);
        }
        return table;
    }();
    return bytes;
}

class InputPrompter : public ui::Prompter {
public:
    explicit InputPrompter(bool no) : no_(no) {}
    ui::Answer ShowMessage(const ui::MessageRequest& request) override {
        shown.push_back(request.messageId);
        if (request.buttons == ui::Buttons::YesNo || request.buttons == ui::Buttons::YesNoCancel) {
            return no_ ? ui::Answer::No : ui::Answer::Yes;
        }
        return ui::Answer::Ok;
    }
    std::optional<std::string> ChooseOpenFile(const ui::OpenFileRequest&) override { return {}; }
    std::optional<ui::Rgb> ChooseColour(ui::Rgb) override { return {}; }
    std::vector<int> shown;

private:
    bool no_;
};

// Runs the user data dialog with the input's choices.
class InputRunner : public ui::DialogRunner {
public:
    std::function<void(ui::DialogModel&)> script;
    int RunModal(ui::DialogController& dialog) override {
        ui::DialogModel model(dialog.Template());
        dialog.Attach(model);
        dialog.OnInitDialog();
        model.ProcessPosted();
        if (!model.Ended() && script) {
            script(model);
        }
        if (!model.Ended()) {
            model.EndDialog(ui::kIdCancel);
        }
        return model.Result();
    }
};

std::map<std::string, std::vector<std::uint8_t>> Snapshot() {
    std::map<std::string, std::vector<std::uint8_t>> files;
    for (const auto& entry : fs::recursive_directory_iterator(Card())) {
        if (entry.is_regular_file()) {
            std::vector<std::uint8_t> bytes;
            Require(ReadWholeFile(entry.path(), bytes));
            files[entry.path().lexically_relative(Card()).generic_string()] = bytes;
        }
    }
    return files;
}

std::string UserFile(int slot) {
    return "user/" + UserFileName(slot).substr(5);
}

bool ValidDate(std::uint8_t month, std::uint8_t day) {
    return (month == 0 && day == 0) || (month >= 1 && month <= 12 && day >= 1 && day <= 31);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 8) {
        return 0;
    }
    std::error_code error;
    fs::remove_all(Card(), error);
    fs::create_directories(Card() / "user");
    std::ofstream(Card() / "STARTUP.BIN") << "x";
    {
        const auto& table = NameTableBytes();
        std::ofstream(Card() / kNameTableFile, std::ios::binary)
            .write(reinterpret_cast<const char*>(table.data()),
                   static_cast<std::streamsize>(table.size()));
    }
    const unsigned inUse = data[0] | (data[1] & 3u) << 8;
    const std::uint8_t act = data[2];
    const unsigned failingStep = data[3] & 7u;
    const int chosenName = (data[4] | data[5] << 8) % (kOfferedNameCount + 1) - 1; // -1: none
    std::size_t at = 8;
    std::array<std::string, 3> dates;
    for (std::string& date : dates) {
        const std::size_t wanted = at < size ? data[at++] % 16u : 0;
        const std::size_t length = std::min(wanted, size - at);
        date.assign(reinterpret_cast<const char*>(data + at), length);
        at += length;
    }
    for (int slot = 0; slot < kUserSlotCount; ++slot) {
        std::array<std::uint8_t, 16> bytes{};
        for (std::size_t i = 0; i < bytes.size() && at < size; ++i) {
            bytes[i] = data[at++];
        }
        const bool used = (inUse >> slot & 1u) != 0;
        bytes[0] = used ? static_cast<std::uint8_t>(bytes[0] | 1u) : 0;
        const auto index = static_cast<std::uint16_t>((bytes[1] | bytes[2] << 8) % kNameEntryCount);
        bytes[1] = static_cast<std::uint8_t>(index);
        bytes[2] = static_cast<std::uint8_t>(index >> 8);
        const std::size_t length = 12 + bytes[15] % 5; // a longer file keeps only its record
        std::ofstream(Card() / UserFile(slot), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(length));
    }
    const auto before = Snapshot();

    InputPrompter prompter((act & 0x20) != 0);
    InputRunner runner;
    ui::UiServices services{prompter, runner};
    EditorDocument document("");
    document.imagePath = Utf8FromPath(Card() / "STARTUP.BIN");
    CUserDialog list(services, document);
    ui::DialogModel model(list.Template());
    list.Attach(model);
    list.OnInitDialog();
    model.ProcessPosted();
    Require(!model.Ended()); // every file is there and every name index valid

    bool failed = false;
    if (failingStep < 6) {
        SetFileFaultInjector([&](FileStep step, const fs::path&) {
            failed = failed || static_cast<unsigned>(step) == failingStep;
            return static_cast<unsigned>(step) == failingStep;
        });
    }
    int slot = -1;
    bool ok = false;
    std::uint8_t lessons = 0, garbage = 0;
    if ((act & 1) != 0) {
        for (int k = 0; k < kUserSlotCount && slot < 0; ++k) {
            slot = (inUse >> k & 1u) == 0 ? k : -1;
        }
        if (model.IsEnabled(user_dlg::IDC_NEW_USER)) {
            model.Click(user_dlg::IDC_NEW_USER);
        } else {
            Require(slot < 0);
        }
    } else {
        slot = (act >> 1 & 15) % kUserSlotCount;
        runner.script = [&](ui::DialogModel& edit) {
            if ((act & 0x80) == 0 && chosenName >= 0) {
                edit.ChooseItem(date_dlg::IDC_NAME, chosenName);
            }
            const int boxes[] = {date_dlg::IDC_BIRTHDAY, date_dlg::IDC_ANNIVERSARY,
                                 date_dlg::IDC_SPECIAL_DAY};
            for (std::size_t i = 0; i < dates.size(); ++i) {
                if (!dates[i].empty()) {
                    edit.Type(boxes[i], dates[i]);
                }
            }
            for (int day = 0; day < kDayCount; ++day) {
                if ((data[6] >> day & 1) != 0) {
                    edit.Click(date_dlg::IDC_FIRST_LESSON_DAY + day);
                }
                if ((data[7] >> day & 1) != 0) {
                    edit.Click(date_dlg::IDC_FIRST_GARBAGE_DAY + day);
                }
            }
            for (int day = 0; day < kDayCount; ++day) {
                lessons |= edit.IsChecked(date_dlg::IDC_FIRST_LESSON_DAY + day) ? DayMask(day) : 0;
                garbage |= edit.IsChecked(date_dlg::IDC_FIRST_GARBAGE_DAY + day) ? DayMask(day) : 0;
            }
            edit.Click((act & 0x40) != 0 ? date_dlg::IDC_CANCEL : date_dlg::IDC_OK);
            ok = edit.Ended() && edit.Result() == ui::kIdOk;
        };
        if (model.IsEnabled(user_dlg::IDC_FIRST_EDIT + slot)) {
            model.Click(user_dlg::IDC_FIRST_EDIT + slot);
        } else {
            Require((inUse >> slot & 1u) == 0);
        }
    }
    SetFileFaultInjector(nullptr);

    auto after = Snapshot();
    const bool newUser = (act & 1) != 0 && slot >= 0 && (act & 0x20) == 0 && !failed;
    if (newUser) {
        std::vector<std::uint8_t> expected(12, 0);
        expected[0] = static_cast<std::uint8_t>(slot + 1);
        Require(after[UserFile(slot)] == expected);
        after[UserFile(slot)] = before.at(UserFile(slot));
    } else if (ok) {
        Require(!failed && slot >= 0);
        const std::vector<std::uint8_t>& old = before.at(UserFile(slot));
        const std::vector<std::uint8_t>& saved = after[UserFile(slot)];
        Require(saved.size() == 12 && saved[0] == old[0] && saved[11] == 0);
        const int index =
            chosenName >= 0 && (act & 0x80) == 0 ? chosenName + 1 : (old[1] | old[2] << 8);
        Require((saved[1] | saved[2] << 8) == index);
        Require(ValidDate(saved[3], saved[4]) && ValidDate(saved[5], saved[6]) &&
                ValidDate(saved[7], saved[8]));
        Require(saved[9] == lessons && saved[10] == garbage);
        after[UserFile(slot)] = old;
    }
    // Nothing else changed: another slot, the name table, a refused or failed write.
    Require(after == before);
    return 0;
}
