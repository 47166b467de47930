#include "settings/binary_dialog.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <sstream>
#include <tuple>

#include "resources/string_table.h"
#include "settings/setting_store.h"
#include "storage/file_io.h"
#include "support/scripted_prompter.h"
#include "support/temp_folder.h"
#include "support/test_runner.h"

namespace orvix {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Files = std::map<std::string, Bytes>; // by the name below the card, "servo/SV02_ON.BIN"
using ui::Answer;

// Files from "NAME=HEX" words, a later word replacing an earlier: "VOLUME.BIN=0500" is the
// bytes 05 00; "-NAME" removes the file.
Files Hex(const std::string& text) {
    Files files;
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

// A card with every setting away from its standard value, then the changes. It woke up at
// 25/07/14 09:05:03, the random value is fixed at -5, the maker シャープ, the head switch off;
// the arm servos 16 and 17 hold different parameters.
Files Card(const std::string& changes = "") {
    return Hex("STARTUP.BIN=00 INITPASSED.BIN=00 WAKEUP_DATETIME.BIN=030509000E0719 "
               "MYBIRTHDAY.BIN=0C1F ERRORCHKIGNORE.BIN=01 OPENINGALERTIGNORE.BIN=01 RND.BIN=FB "
               "IDLE_TIMEOUT_STAND.BIN=64000000 IDLE_TIMEOUT_SITDOWN.BIN=C8000000 "
               "IDLE_TIMEOUT_CHARGE.BIN=2C010000 VBATALART_INT.BIN=0100 VBATALART_H.BIN=0200 "
               "VBATALART_L.BIN=0300 VBATALART_AUTOPOWOFF.BIN=0400 VOLUME.BIN=0500 "
               "TV_SETTING.BIN=2300 QRCODE_FLAGBIT.BIN=0000000000000000 ENABLEINITML.BIN=02 "
               "servo/SV02_ON.BIN=0A14E200 servo/SV16_ON.BIN=01020300 servo/SV17_ON.BIN=09090900 " +
               changes);
}

// The servo files of a kind ("ON", "off"): legs 02 to 11, and arms 16 to 21 unless empty.
Files Servo(const std::string& kind, const Bytes& legs, const Bytes& arms = {}, Files files = {}) {
    for (int n = 2; n <= 21; ++n) {
        if (n <= 11 || (n >= 16 && !arms.empty())) {
            files["servo/SV" + std::string(n < 10 ? "0" : "") + std::to_string(n) + "_" + kind +
                  ".BIN"] = n <= 11 ? legs : arms;
        }
    }
    return files;
}

// Checks "ID=text" for a text, and "ID xe" for checked ("x" or "-") and enabled ("e" or "d").
void ExpectControls(const ui::DialogModel& dialog, const std::string& expected) {
    std::istringstream in(expected);
    for (std::string token; in >> token;) {
        const int id = std::stoi(token);
        if (const auto equals = token.find('='); equals != std::string::npos) {
            EXPECT_EQ(dialog.GetText(id), token.substr(equals + 1)) << "control " << id;
        } else if (in >> token) {
            const std::string state{dialog.IsChecked(id) ? 'x' : '-',
                                    dialog.IsEnabled(id) ? 'e' : 'd'};
            EXPECT_EQ(state, token) << "control " << id;
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
        before = OnCard();
        document = std::make_unique<EditorDocument>(Utf8FromPath(folder / "Orvix2.ini"));
        document->imagePath = Utf8FromPath(folder / "card" / "STARTUP.BIN");
        document->buildVariant = buildVariant;
        document->settingsChanged = 0xFFFFFFFF; // cleared on opening
        dialog = std::make_unique<CBinaryDialog>(services, *document);
        open = std::make_unique<test::OpenDialog>(*dialog);
        return open->Model();
    }

    // The user's acts: "ID" a click, "ID=text" typing, "ID:172ok" a click answering the
    // message it asks (ok, cancel, yes or no).
    void Do(const std::string& acts) {
        static const std::map<std::string, Answer> answers{{"ok", Answer::Ok},
                                                           {"cancel", Answer::Cancel},
                                                           {"yes", Answer::Yes},
                                                           {"no", Answer::No}};
        std::istringstream in(acts);
        for (std::string act; in >> act;) {
            const int id = std::stoi(act);
            const auto mark = std::min(act.find_first_of("=:"), act.size());
            if (mark < act.size() && act[mark] == '=') {
                open->Model().Type(id, act.substr(mark + 1));
                continue;
            }
            if (mark < act.size()) {
                prompter.Expect(std::stoi(act.substr(mark + 1)), answers.at(act.substr(mark + 4)));
            }
            open->Model().Click(id);
        }
    }

    // Every file of the card with its bytes.
    Files OnCard() const {
        Files files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder / "card")) {
            if (entry.is_regular_file()) {
                files[entry.path().lexically_relative(folder / "card").generic_string()] =
                    test::ReadBytes(entry.path());
            }
        }
        return files;
    }
    // What differs from the card as it was opened: each new or changed file with its bytes,
    // "-NAME" for a file gone.
    Files Changed() const {
        Files changed;
        const Files now = OnCard();
        for (const auto& [name, bytes] : now) {
            if (!before.contains(name) || before.at(name) != bytes) {
                changed[name] = bytes;
            }
        }
        for (const auto& [name, bytes] : before) {
            if (!now.contains(name)) {
                changed["-" + name] = {};
            }
        }
        return changed;
    }

    test::TempFolder folder;
    test::ScriptedPrompter prompter;
    test::TestRunner runner;
    ui::UiServices services{prompter, runner};
    Files before; // the card as the dialog was opened
    std::unique_ptr<EditorDocument> document;
    std::unique_ptr<CBinaryDialog> dialog;
    std::unique_ptr<test::OpenDialog> open;
};

TEST_F(BinaryDialogTest, OpeningShowsEveryFileMarksNothingAndStopsAtAMissingOne) {
    const struct {
        const char* card;
        bool buildVariant;
        const char* controls;
    } cases[] = {
        {"", false,
         "1083=12 1084=31 1089=-5 1090=100 1092=300 1093=1 1096=4 1099=5 1118=10 1120=-30 1135=3 "
         "1081 -e 1085 xe 1086 xe 1087 -e 1088 xe 1089 -e 1104 xe 1122 -e 1121 -d 1133 -e 1181 -e"},
        // No maker named (20 would be the walking box); the walking box in layout B.
        {"RND.BIN=FF TV_SETTING.BIN=3400 ENABLEINITML.BIN=03", true,
         "1089= 1087 xe 1089 -d 1101 -e 1104 -e 1108 -e 1121 -e 1122 xe"},
        {"-servo/SV02_ON.BIN", true, "1118= 1133= 1118 -d 1133 -d 1121 -d"},
        {"-servo/SV16_ON.BIN", false, "1133= 1118 -e 1133 -d"},
        // A short file's missing bytes are zero, not what the file before it left.
        {"MYBIRTHDAY.BIN=07", false, "1083=7 1084=0"},
        {"QRCODE_FLAGBIT.BIN=7BAFFFFF8FFF0000", false, "1140 xe 1177 xe 1181 xe"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.controls);
        const ui::DialogModel& dialog = Open(Card(c.card), c.buildVariant);
        ExpectControls(dialog, c.controls);
        EXPECT_EQ(dialog.GetText(1082), "25/07/14 09:05:03");
        EXPECT_EQ(document->settingsChanged, 0u);
        EXPECT_FALSE(dialog.Ended());
    }
    // A missing setting file closes the dialog naming it.
    for (const char* name :
         {"INITPASSED.BIN", "WAKEUP_DATETIME.BIN", "RND.BIN", "IDLE_TIMEOUT_CHARGE.BIN",
          "VBATALART_AUTOPOWOFF.BIN", "VOLUME.BIN", "QRCODE_FLAGBIT.BIN", "ENABLEINITML.BIN"}) {
        prompter.Expect(IDP_BINARY_READ_FAILED);
        // Built by appending: GCC 12 takes "text" + std::string(...) for an overlapping copy.
        const ui::DialogModel& dialog = Open(Card(std::string("-").append(name)));
        EXPECT_EQ(prompter.Messages().back().argument, name);
        EXPECT_EQ(dialog.Result(), ui::kIdCancel);
        EXPECT_TRUE(Changed().empty());
    }
}

// OK writes the files of what the user changed, with the values' bytes, and no other; Cancel and
// the close box write nothing.
TEST_F(BinaryDialogTest, OkWritesExactlyTheChangedFiles) {
    const Bytes arms{1, 2, 3, 0};
    const struct {
        const char* card;
        const char* acts;
        Files changed;
        const char* controls = "";
        bool buildVariant = false;
    } cases[] = {
        {"", "1081 1083=1 1085 1089=-128 1102 1090=-2147483648 1095=-32768 1096=-1",
         Hex("INITPASSED.BIN=01 MYBIRTHDAY.BIN=011F ERRORCHKIGNORE.BIN=00 RND.BIN=80 "
             "TV_SETTING.BIN=2100 IDLE_TIMEOUT_STAND.BIN=00000080 VBATALART_L.BIN=0080 "
             "VBATALART_AUTOPOWOFF.BIN=FFFF")},
        // One-byte files stay one byte; byte 1 of a two-byte volume or maker is 0.
        {"TV_SETTING.BIN=23 VOLUME.BIN=05", "1101 1099=8 1089=127",
         Hex("TV_SETTING.BIN=20 VOLUME.BIN=08 RND.BIN=7F")},
        {"TV_SETTING.BIN=2355AA VOLUME.BIN=0566BB", "1102 1099=0 1089=-2",
         Hex("TV_SETTING.BIN=2100AA VOLUME.BIN=0000BB RND.BIN=FE")},
        {"", "1089=999 1087", Hex("RND.BIN=FF"), "1089 -d"}, // variable: the edit is not read
        {"", "1122:172ok", Hex("ENABLEINITML.BIN=01")},
        {"", "1122:172cancel", {}, "1122 -e"},
        {"", "1122:172ok 1122", {}, "1122 -e"}, // back as it was read
        // Each servo group writes its own files, never the other's.
        {"", "1118=-1", Servo("ON", {0xFF, 20, 0xE2, 0})},
        {"", "1133=7",
         Hex("servo/SV16_ON.BIN=07020300 servo/SV17_ON.BIN=07020300 "
             "servo/SV18_ON.BIN=07020300 servo/SV19_ON.BIN=07020300 "
             "servo/SV20_ON.BIN=07020300 servo/SV21_ON.BIN=07020300")},
        {"-servo/SV16_ON.BIN", "1120=5", Servo("ON", {10, 20, 5, 0})},
        // The walking box alone asks for the walking files of both groups, the values as shown;
        // beside a changed group, for that group's.
        {"", "1121", Servo("off", {10, 20, 0xE2, 0}, arms), "", true},
        {"", "1121 1118=1", Servo("off", {1, 20, 0xE2, 0}, {}, Servo("ON", {1, 20, 0xE2, 0})), "",
         true},
        // The QR boxes: bits of no box kept; the random value of a power-up on request.
        {"QRCODE_FLAGBIT.BIN=7FAFFFFF8FFF0000 RND.BIN=FF", "1140",
         Hex("QRCODE_FLAGBIT.BIN=77AFFFFF8FFF0000"), "1141 xe 1181 -e"},
        {"RND.BIN=FF", "1177", Hex("QRCODE_FLAGBIT.BIN=0100000000000000")},
        {"", "1148:167yes", Hex("RND.BIN=15 QRCODE_FLAGBIT.BIN=0000000004000000")},
        {"", "1148:167no", Hex("QRCODE_FLAGBIT.BIN=0000000004000000")},
        {"", "1181:170yes", Hex("QRCODE_FLAGBIT.BIN=7BAFFFFF8FFF0000"), "1140 xe 1180 xe 1181 xe"},
        {"", "1181:170no", {}, "1140 -e 1181 -e"},
        {"QRCODE_FLAGBIT.BIN=7BAFFFFF8FFF0000", "1181:171no", {}, "1140 xe 1180 xe 1181 -e"},
        {"QRCODE_FLAGBIT.BIN=FFFFFFFFFFFFFFFF", "1181:170yes 1181:171yes",
         Hex("QRCODE_FLAGBIT.BIN=845000007000FFFF")},
        // Restore marks all it puts back.
        {"", "3:159yes",
         Hex("INITPASSED.BIN=01 ERRORCHKIGNORE.BIN=00 OPENINGALERTIGNORE.BIN=00 RND.BIN=FF "
             "IDLE_TIMEOUT_STAND.BIN=302A0000 IDLE_TIMEOUT_SITDOWN.BIN=302A0000 "
             "IDLE_TIMEOUT_CHARGE.BIN=C04B0300 VBATALART_INT.BIN=4E07 VBATALART_H.BIN=FC08 "
             "VBATALART_L.BIN=8908 VBATALART_AUTOPOWOFF.BIN=D007"),
         "1081 xe 1085 -e 1086 -e 1087 xe 1088 -e 1089 -d 1089="},
        {"", "3:159no", {}, "1087 -e 1089=-5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.acts);
        ui::DialogModel& dialog = Open(Card(c.card), c.buildVariant);
        Do(c.acts);
        ExpectControls(dialog, c.controls);
        dialog.PressEnter();
        EXPECT_EQ(dialog.Result(), ui::kIdOk);
        EXPECT_EQ(Changed(), c.changed);
    }
    for (const int close : {0, 1, 2}) {
        ui::DialogModel& dialog = Open(Card());
        Do("1081 1099=3 1118=1 1122:172ok 1181:170yes");
        close == 0 ? dialog.Click(2) : close == 1 ? dialog.PressEscape() : dialog.CloseBox();
        EXPECT_EQ(std::tuple(dialog.Result(), Changed()), std::tuple(ui::kIdCancel, Files{}));
    }
}

// Every value is read whole and checked before the first write: a refused one leaves the card as
// it was. The initialised box goes first, its file the first to be written; a birthday is checked
// before a volume typed before it.
TEST_F(BinaryDialogTest, EveryCheckRefusesWithTheFocusAndWritesNothing) {
    for (const std::string acts : {"1083=0",          "1083=257",        "1083=abc",    "1084=32",
                                   "1084=",           "1099=9 1084=0",   "1089=255",    "1089=-1",
                                   "1089=128",        "1089=-129",       "1089=abc",    "1099=-1",
                                   "1099=65536",      "1099=3.0",        "1118=128",    "1119=abc",
                                   "1135=-129",       "1090=2147483648", "1090=abc",    "1091=",
                                   "1092=4294967296", "1092=3.0",        "1093=-32769", "1093=0x3",
                                   "1094=３",         "1095=32768",      "1096=65535"}) {
        SCOPED_TRACE(acts);
        ui::DialogModel& dialog = Open(Card());
        Do("1081 " + acts + " 1:155ok");
        EXPECT_EQ(dialog.Focus(), std::stoi(acts.substr(acts.rfind(' ') + 1))); // the last typed
        EXPECT_FALSE(dialog.Ended());
        EXPECT_TRUE(Changed().empty());
    }
}

// The files of one OK are written as one: a failure at any step of any file, or a target that
// cannot be written, leaves every file as it was and the dialog open; OK again writes them all.
TEST_F(BinaryDialogTest, TheFilesOfOneOkAreWrittenAllOrNothing) {
    const Files written =
        Hex("VOLUME.BIN=0300 TV_SETTING.BIN=2100 QRCODE_FLAGBIT.BIN=0800000000000000 "
            "ENABLEINITML.BIN=01 servo/SV16_ON.BIN=07020300 servo/SV17_ON.BIN=07020300 "
            "servo/SV18_ON.BIN=07020300 servo/SV19_ON.BIN=07020300 servo/SV20_ON.BIN=07020300 "
            "servo/SV21_ON.BIN=07020300");
    ui::DialogModel& dialog = Open(Card());
    Do("1099=3 1102 1133=7 1122:172ok 1140:167no");
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
            EXPECT_EQ(prompter.Messages().back().argument, name);
            EXPECT_EQ(std::tuple(dialog.Ended(), Changed()), std::tuple(false, Files{}));
        }
    }
    // A rename failing after others, and putting back the first failing too: the details give
    // every file's state.
    SetFileFaultInjector([&](FileStep now, const std::filesystem::path& file) {
        return (now == FileStep::Rename && file.filename() == "ENABLEINITML.BIN") ||
               (now == FileStep::PutBack && file.filename() == "VOLUME.BIN");
    });
    prompter.Expect(IDP_BINARY_WRITE_FAILED);
    dialog.Click(1);
    EXPECT_EQ(Changed(), Hex("VOLUME.BIN=0300"));
    const std::string detail = prompter.Messages().back().detail;
    for (const auto& [name, bytes] : written) {
        EXPECT_TRUE(detail.find(name + ": " + (name == "VOLUME.BIN" ? "new" : "old")) !=
                    std::string::npos)
            << name << detail;
    }
    SetFileFaultInjector(nullptr); // the file left new is no other program's change
    dialog.Click(1);
    EXPECT_EQ(std::tuple(dialog.Result(), Changed()), std::tuple(ui::kIdOk, written));

    // A target that may not be written is named before anything is written.
    ui::DialogModel& again = Open(Card("servo/SV05_ON.BIN=04"));
    std::filesystem::permissions(folder / "card/servo/SV05_ON.BIN",
                                 std::filesystem::perms::owner_read);
    Do("1099=3 1118=1 1:154ok");
    EXPECT_EQ(prompter.Messages().back().argument, "servo\\SV05_ON.BIN");
    EXPECT_EQ(std::tuple(again.Ended(), Changed()), std::tuple(false, Files{}));
}

// A file another program changed, made or removed since the dialog opened is written over only
// on Yes; No writes nothing and keeps the values in the dialog.
TEST_F(BinaryDialogTest, AFileChangedSinceOpeningIsWrittenOverOnlyOnYes) {
    ui::DialogModel& dialog = Open(Card("-servo/SV16_ON.BIN"));
    Do("1099=3 1118=1");
    test::WriteBytes(folder / "card/VOLUME.BIN", {7, 0, 9});
    test::WriteBytes(folder / "card/servo/SV05_ON.BIN", {4});
    before = OnCard();
    Do("1:173no");
    EXPECT_EQ(prompter.Messages().back().argument, "VOLUME.BIN");
    EXPECT_EQ(prompter.Messages().back().detail, "VOLUME.BIN\nservo\\SV05_ON.BIN");
    EXPECT_EQ(std::tuple(dialog.Ended(), dialog.GetText(1099), Changed()),
              std::tuple(false, "3", Files{}));
    Do("1:173yes");
    Files changed = Servo("ON", {1, 20, 0xE2, 0}, {}, Hex("VOLUME.BIN=030009"));
    EXPECT_EQ(std::tuple(dialog.Result(), Changed()), std::tuple(ui::kIdOk, changed));
    // The command-line tool refuses instead of asking.
    ui::DialogModel& tool = Open(Card());
    document->askBeforeOverwritingChanges = false;
    Do("1099=3");
    test::WriteBytes(folder / "card/VOLUME.BIN", {7, 0});
    before = OnCard();
    Do("1:173ok");
    EXPECT_EQ(std::tuple(tool.Ended(), Changed()), std::tuple(false, Files{}));
}

// The setting file store below the dialog. Names are found as the card's own file system finds
// them: exact, else the one spelling that differs in letter case. A read takes at most 16 bytes
// and records the count in its slot.
TEST_F(BinaryDialogTest, CardNamesAreFoundInEitherLetterCaseAndRewrittenInPlace) {
    Open(Card("-servo/SV02_ON.BIN -servo/SV16_ON.BIN -servo/SV17_ON.BIN Servo/sv02_on.bin=" +
              std::string(40, 'E')));
    FilesAsRead asRead;
    ASSERT_TRUE(ReadBinaryFile(*document, prompter, "servo\\SV02_ON.BIN", 7, true, &asRead));
    EXPECT_EQ(std::tuple(document->settingBuffer, document->settingSizes[7]),
              std::tuple(Bytes(16, 0xEE), 16));
    const auto write = [&](const std::string& name, const Bytes& value) {
        const CardFileWrite file{name, value};
        return WriteCardFiles(*document, prompter, {&file, 1}, asRead);
    };
    // A write puts the value over the first bytes, the file growing to its width: an empty file
    // is not rewritten empty. (The dialog's cases show the bytes beyond the value kept.)
    test::WriteBytes(folder / "card/Servo/sv02_on.bin", {});
    asRead["servo\\SV02_ON.BIN"] = Bytes{};
    ASSERT_TRUE(write("servo\\SV02_ON.BIN", {1, 0}));
    EXPECT_EQ(test::ReadBytes(folder / "card/Servo/sv02_on.bin"), (Bytes{1, 0}));
    EXPECT_FALSE(std::filesystem::exists(folder / "card/servo"));
    // Two spellings and no exact one: not read, as its message says, and not written.
    test::WriteBytes(folder / "card/Volume.bin", {1});
    std::filesystem::rename(folder / "card/VOLUME.BIN", folder / "card/volume.BIN");
    EXPECT_FALSE(ReadBinaryFile(*document, prompter, "VOLUME.BIN", 5, false));
    prompter.Expect(IDP_BINARY_READ_FAILED).Expect(IDP_BINARY_WRITE_FAILED);
    EXPECT_FALSE(ReadBinaryFile(*document, prompter, "VOLUME.BIN", 5, true));
    EXPECT_FALSE(write("VOLUME.BIN", {3}));
    for (const ui::MessageRequest& message : prompter.Messages()) {
        EXPECT_EQ(std::tuple(message.argument, message.icon),
                  std::tuple("VOLUME.BIN", ui::Icon::Error));
        EXPECT_TRUE(message.detail.ends_with("differ from this name only in letter case"))
            << message.detail;
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "card/VOLUME.BIN"));
}

} // namespace
} // namespace orvix
