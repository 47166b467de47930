// The settings data dialog through its controls: what whole-card scenarios cannot state, namely
// which controls a card enables, the questions and their answers, the focus on a refused value,
// and the all-or-nothing write of the files of one OK under injected faults and stale files.

#include "settings/binary_dialog.h"

#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <tuple>

#include "resources/string_table.h"
#include "storage/file_io.h"
#include "support/card_diff.h"
#include "support/scripted_prompter.h"
#include "support/temp_folder.h"
#include "support/test_runner.h"

namespace orvix {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Files = test::CardFiles; // by the name below the card, "servo/SV02_ON.BIN"
using ui::Answer;

// Files from "NAME=HEX" words over the given files: "VOLUME.BIN=0500" is the bytes 05 00;
// "-NAME" removes the file.
Files Hex(const std::string& text, Files files = {}) {
    std::istringstream in(text);
    for (std::string word; in >> word;) {
        const auto equals = std::min(word.find('='), word.size());
        if (word.starts_with('-')) {
            files.erase(word.substr(1));
            continue;
        }
        Bytes& bytes = files[word.substr(0, equals)] = {};
        for (std::size_t i = equals + 1; i + 1 < word.size(); i += 2) {
            bytes.push_back(static_cast<std::uint8_t>(std::stoi(word.substr(i, 2), nullptr, 16)));
        }
    }
    return files;
}

// A card with every setting away from its standard value, then the changes: the random value
// fixed at -5, the maker シャープ, the head switch off; arm servos 16 and 17 differ.
Files Card(const std::string& changes = "") {
    return Hex(changes, Hex("STARTUP.BIN=00 INITPASSED.BIN=00 WAKEUP_DATETIME.BIN=030509000E0719 "
                            "MYBIRTHDAY.BIN=0C1F ERRORCHKIGNORE.BIN=01 OPENINGALERTIGNORE.BIN=01 "
                            "RND.BIN=FB IDLE_TIMEOUT_STAND.BIN=64000000 "
                            "IDLE_TIMEOUT_SITDOWN.BIN=C8000000 IDLE_TIMEOUT_CHARGE.BIN=2C010000 "
                            "VBATALART_INT.BIN=0100 VBATALART_H.BIN=0200 VBATALART_L.BIN=0300 "
                            "VBATALART_AUTOPOWOFF.BIN=0400 VOLUME.BIN=0500 TV_SETTING.BIN=2300 "
                            "QRCODE_FLAGBIT.BIN=0000000000000000 ENABLEINITML.BIN=02 "
                            "servo/SV02_ON.BIN=0A14E200 servo/SV16_ON.BIN=01020300 "
                            "servo/SV17_ON.BIN=09090900"));
}

// Checks "ID=text" for a text, and "ID xe" for checked ("x" or "-") and enabled ("e" or "d").
void ExpectControls(const ui::DialogModel& dialog, const std::string& expected) {
    std::istringstream in(expected);
    for (std::string token; in >> token;) {
        const int id = std::stoi(token);
        if (const auto equals = token.find('='); equals != std::string::npos) {
            EXPECT_EQ(dialog.GetText(id), token.substr(equals + 1)) << "control " << id;
        } else if (in >> token) {
            EXPECT_EQ(
                std::string({dialog.IsChecked(id) ? 'x' : '-', dialog.IsEnabled(id) ? 'e' : 'd'}),
                token)
                << "control " << id;
        }
    }
}

class BinaryDialogTest : public ::testing::Test {
protected:
    ~BinaryDialogTest() override { SetFileFaultInjector(nullptr); }

    ui::DialogModel& Open(const Files& files, bool buildVariant = false) {
        std::filesystem::remove_all(folder / "card");
        for (const auto& [name, bytes] : files) {
            test::WriteBytes(folder / "card" / name, bytes);
        }
        before = Now();
        document = std::make_unique<EditorDocument>(Utf8FromPath(folder / "Orvix2.ini"));
        document->imagePath = Utf8FromPath(folder / "card" / "STARTUP.BIN");
        document->buildVariant = buildVariant;
        document->settingsChanged = 0xFFFFFFFF; // cleared on opening
        dialog = std::make_unique<CBinaryDialog>(services, *document);
        open = std::make_unique<test::OpenDialog>(*dialog);
        return open->Model();
    }

    // The user's acts: "ID" a click, "ID=text" typing, "ID:172o" a click answering the message
    // it asks (o OK, c Cancel, y Yes, n No).
    void Do(const std::string& acts) {
        std::istringstream in(acts);
        for (std::string act; in >> act;) {
            const int id = std::stoi(act);
            if (const auto equals = act.find('='); equals != std::string::npos) {
                open->Model().Type(id, act.substr(equals + 1));
                continue;
            }
            if (const auto colon = act.find(':'); colon != std::string::npos) {
                const Answer answers[] = {Answer::Ok, Answer::Cancel, Answer::Yes, Answer::No};
                prompter.Expect(std::stoi(act.substr(colon + 1)),
                                answers[std::string("ocyn").find(act.back())]);
            }
            open->Model().Click(id);
        }
    }

    Files Now() const { return test::SnapshotFolder(folder / "card"); }

    test::TempFolder folder;
    test::ScriptedPrompter prompter;
    test::TestRunner runner;
    ui::UiServices services{prompter, runner};
    Files before; // the card as the dialog was opened
    std::unique_ptr<EditorDocument> document;
    std::unique_ptr<CBinaryDialog> dialog;
    std::unique_ptr<test::OpenDialog> open;
};

// What a card enables (the values shown are the scenarios'), the questions and their answers
// (each message held to its documented buttons by the prompter), and the widths of files of other
// lengths; Cancel, Escape and the close box write nothing.
TEST_F(BinaryDialogTest, QuestionsDecideWhatOkWrites) {
    const struct {
        const char* card;
        const char* acts;
        const char* changed;
        const char* controls = "";
        bool buildVariant = false;
    } cases[] = {
        {"", "", "", "1081 -e 1087 -e 1089 -e 1122 -e 1121 -d 1118 -e 1133 -e 1181 -e"},
        // Variable random value, no maker named (20 would be the walking box), walking in B.
        {"RND.BIN=FF TV_SETTING.BIN=3400 ENABLEINITML.BIN=03", "", "",
         "1089= 1087 xe 1089 -d 1101 -e 1104 -e 1105 -e 1108 -e 1121 -e 1122 xe", true},
        {"-servo/SV02_ON.BIN", "", "", "1118= 1133= 1118 -d 1133 -d 1121 -d", true},
        {"-servo/SV16_ON.BIN", "", "", "1133= 1118 -e 1133 -d"},
        {"MYBIRTHDAY.BIN=07", "", "", "1083=7 1084=0"}, // a short file's missing bytes are zero
        {"QRCODE_FLAGBIT.BIN=7BAFFFFF8FFF0000", "", "", "1140 xe 1177 xe 1181 xe"},
        // One-byte files stay one byte; bytes beyond the second are kept, byte 1 is 0.
        {"TV_SETTING.BIN=23 VOLUME.BIN=05", "1101 1099=8", "TV_SETTING.BIN=20 VOLUME.BIN=08"},
        {"TV_SETTING.BIN=2355AA VOLUME.BIN=0566BB", "1102 1099=0",
         "TV_SETTING.BIN=2100AA VOLUME.BIN=0000BB"},
        {"", "1122:172o", "ENABLEINITML.BIN=01"},
        {"", "1122:172c", "", "1122 -e"},
        {"", "1148:167y", "RND.BIN=15 QRCODE_FLAGBIT.BIN=0000000004000000"},
        {"", "1148:167n", "QRCODE_FLAGBIT.BIN=0000000004000000"},
        {"", "1181:170y", "QRCODE_FLAGBIT.BIN=7BAFFFFF8FFF0000", "1140 xe 1180 xe 1181 xe"},
        {"", "1181:170n", "", "1140 -e 1181 -e"},
        {"QRCODE_FLAGBIT.BIN=7BAFFFFF8FFF0000", "1181:171n", "", "1140 xe 1180 xe 1181 -e"},
        {"QRCODE_FLAGBIT.BIN=FFFFFFFFFFFFFFFF", "1181:170y 1181:171y",
         "QRCODE_FLAGBIT.BIN=845000007000FFFF"},
        // Unchecking one box leaves "全部" checked; the flags lack its bit.
        {"QRCODE_FLAGBIT.BIN=7BAFFFFF8FFF0000", "1140", "QRCODE_FLAGBIT.BIN=73AFFFFF8FFF0000",
         "1140 -e 1141 xe 1181 xe"},
        {"", "3:159y",
         "INITPASSED.BIN=01 ERRORCHKIGNORE.BIN=00 OPENINGALERTIGNORE.BIN=00 RND.BIN=FF "
         "IDLE_TIMEOUT_STAND.BIN=302A0000 IDLE_TIMEOUT_SITDOWN.BIN=302A0000 "
         "IDLE_TIMEOUT_CHARGE.BIN=C04B0300 VBATALART_INT.BIN=4E07 VBATALART_H.BIN=FC08 "
         "VBATALART_L.BIN=8908 VBATALART_AUTOPOWOFF.BIN=D007",
         "1081 xe 1085 -e 1086 -e 1087 xe 1088 -e 1089 -d 1089="},
        {"", "3:159n", "", "1087 -e 1089=-5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.acts);
        ui::DialogModel& dialog = Open(Card(c.card), c.buildVariant);
        EXPECT_EQ(document->settingsChanged, 0u);
        Do(c.acts);
        ExpectControls(dialog, c.controls);
        dialog.PressEnter();
        EXPECT_EQ(std::tuple(dialog.Result(), Now()),
                  std::tuple(ui::kIdOk, Hex(c.changed, before)));
    }
    for (const int close : {0, 1, 2}) {
        ui::DialogModel& dialog = Open(Card());
        Do("1081 1099=3 1118=1 1122:172o 1181:170y");
        close == 0 ? dialog.Click(2) : close == 1 ? dialog.PressEscape() : dialog.CloseBox();
        EXPECT_EQ(std::tuple(dialog.Result(), Now()), std::tuple(ui::kIdCancel, before));
    }
}

// Granting each instalment while the random value is fixed offers its documented random value.
TEST_F(BinaryDialogTest, EachPowerUpOffersItsRandomValue) {
    const int randoms[] = {0, 16, 3,  2, 14, 0, 1, 3, 21, 2, 5, 18, 19, 3, 12, 0,  17, 15, 2, 5, 1,
                           8, 0,  13, 0, 0,  6, 6, 1, 4,  9, 7, 7,  1,  1, 1,  20, 0,  4,  1, 4};
    for (int i = 0; i < 41; ++i) {
        ui::DialogModel& dialog = Open(Card());
        Do(std::to_string(1140 + i) + ":167y");
        EXPECT_EQ(dialog.GetText(1089), std::to_string(randoms[i])) << "instalment " << i + 1;
    }
}

// A refused value keeps the dialog open with the focus on it and writes nothing, even when the
// initialised box, whose file is written first, was changed before it. A number beyond 32 bits
// is refused as in every number field of the editor: message 108 naming the field's range.
TEST_F(BinaryDialogTest, ARefusedValueHasTheFocusAndNothingIsWritten) {
    std::vector<std::tuple<std::string, int, std::string>> rows;
    for (const std::string acts :
         {"1083=0",        "1083=257",  "1083=abc",   "1084=32",    "1084=",
          "1099=9 1084=0", "1089=255",  "1089=-1",    "1089=128",   "1089=-129",
          "1089=abc",      "1099=-1",   "1099=65536", "1099=3.0",   "1118=128",
          "1119=abc",      "1135=-129", "1090=abc",   "1091=",      "1092=3.0",
          "1093=-32769",   "1093=0x3",  "1094=３",    "1095=32768", "1096=65535"}) {
        rows.emplace_back(acts, 155, "");
    }
    const std::string int32 = "-2147483648～2147483647";
    rows.insert(rows.end(), {{"1090=2147483648", 108, int32},
                             {"1092=-4294967296", 108, int32},
                             {"1093=99999999999", 108, "-32768～32767"},
                             {"1083=4294967297", 108, "1～12"},
                             {"1084=-2147483649", 108, "1～31"},
                             {"1099=2147483656", 108, "0～8"},
                             {"1089=-2147483904", 108, "-128～127"},
                             {"1135=9999999999", 108, "-128～127"}});
    for (const auto& [acts, message, range] : rows) {
        SCOPED_TRACE(acts);
        ui::DialogModel& dialog = Open(Card());
        Do("1081 " + acts + " 1:" + std::to_string(message) + "o");
        EXPECT_EQ(
            std::tuple(dialog.Focus(), dialog.Ended(), prompter.Messages().back().argument, Now()),
            std::tuple(std::stoi(acts.substr(acts.rfind(' ') + 1)), false, range, before));
    }
}

// The files of one OK are written as one: a failure at any step of any file leaves every file as
// it was and the dialog open; OK again writes them all. (The put-back is the file set's test.)
TEST_F(BinaryDialogTest, TheFilesOfOneOkAreWrittenAllOrNothing) {
    const char* kWritten =
        "VOLUME.BIN=0300 TV_SETTING.BIN=2100 QRCODE_FLAGBIT.BIN=0800000000000000 "
        "ENABLEINITML.BIN=01 servo/SV16_ON.BIN=07020300 servo/SV17_ON.BIN=07020300 "
        "servo/SV18_ON.BIN=07020300 servo/SV19_ON.BIN=07020300 servo/SV20_ON.BIN=07020300 "
        "servo/SV21_ON.BIN=07020300";
    const Files written = Hex(kWritten);
    ui::DialogModel& dialog = Open(Card());
    Do("1099=3 1102 1133=7 1122:172o 1140:167n");
    for (const FileStep step : {FileStep::Read, FileStep::OpenTemporary, FileStep::Write,
                                FileStep::Flush, FileStep::FolderFlush, FileStep::Rename}) {
        for (const auto& [failing, bytes] : written) {
            if (step == FileStep::Read && !before.contains(failing)) {
                continue; // a file made anew is not read
            }
            SCOPED_TRACE(failing + " " + std::to_string(static_cast<int>(step)));
            SetFileFaultInjector([&](FileStep now, const std::filesystem::path& file) {
                return now == step && file.generic_string().ends_with("card/" + failing);
            });
            prompter.Expect(IDP_BINARY_WRITE_FAILED);
            dialog.Click(1);
            std::string name = failing;
            std::replace(name.begin(), name.end(), '/', '\\');
            EXPECT_EQ(std::tuple(prompter.Messages().back().argument, dialog.Ended(), Now()),
                      std::tuple(name, false, before));
        }
    }
    SetFileFaultInjector(nullptr);
    dialog.Click(1);
    EXPECT_EQ(std::tuple(dialog.Result(), Now()), std::tuple(ui::kIdOk, Hex(kWritten, before)));
}

// A file another program changed, made or removed since the dialog opened is written over only
// on Yes; No writes nothing and keeps the values in the dialog.
TEST_F(BinaryDialogTest, AFileChangedSinceOpeningIsWrittenOverOnlyOnYes) {
    ui::DialogModel& dialog = Open(Card("-servo/SV16_ON.BIN"));
    Do("1099=3 1118=1");
    test::WriteBytes(folder / "card/VOLUME.BIN", {7, 0, 9});
    test::WriteBytes(folder / "card/servo/SV05_ON.BIN", {4});
    before = Now();
    Do("1:173n");
    EXPECT_EQ(std::tuple(prompter.Messages().back().argument, prompter.Messages().back().detail),
              std::tuple("VOLUME.BIN", "VOLUME.BIN\nservo\\SV05_ON.BIN"));
    EXPECT_EQ(std::tuple(dialog.Ended(), dialog.GetText(1099), Now()),
              std::tuple(false, "3", before));
    Do("1:173y");
    Files changed = Hex("VOLUME.BIN=030009", before);
    for (const char* n : {"02", "03", "04", "05", "06", "07", "08", "09", "10", "11"}) {
        changed["servo/SV" + std::string(n) + "_ON.BIN"] = {1, 20, 0xE2, 0};
    }
    EXPECT_EQ(std::tuple(dialog.Result(), Now()), std::tuple(ui::kIdOk, changed));
}

} // namespace
} // namespace orvix
