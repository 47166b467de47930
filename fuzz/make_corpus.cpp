// Writes the seed corpus of the fuzz targets: the tests' own synthetic images and two small patch
// files, so that no file from a robot's card is ever needed.
// Usage: make_corpus FOLDER   (writes a folder of seeds for each target into FOLDER)

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "calibration/image_fixtures.h"
#include "options/remote_extension.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    int failures = 0;
    const auto put = [&](const std::string& target, const std::string& name,
                         const std::vector<std::uint8_t>& bytes) {
        const fs::path folder = fs::path(argv[1]) / target;
        std::error_code error;
        fs::create_directories(folder, error);
        std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", (folder / name).c_str());
            ++failures;
        }
    };
    for (std::size_t size : {1676u, 4011u, 7601u, 8000u}) {
        auto image = orvix::test::MakeBinaryImage(size, static_cast<int>(size % 8));
        if (size > 7600) {
            image[7600] = 23; // the build marker of layout B
        }
        put("image_binary_fuzzer", "seed-" + std::to_string(size) + ".bin", image);
    }
    put("image_text_fuzzer", "seed-8000.txt", orvix::test::MakeTextImage(8000, 4));
    put("image_text_fuzzer", "seed-7900.txt", orvix::test::MakeTextImage(7900, 7));
    put("image_text_fuzzer", "seed-no-attenuator.txt", orvix::test::MakeTextImage(8000, -1));
    const auto text = [](std::string_view csv) {
        return std::vector<std::uint8_t>(csv.begin(), csv.end());
    };
    put("patch_text_fuzzer", "seed-applied.csv",
        text("address,old,new\r\n0x00000010,0x70,0x88\r\n300,*,0\n"));
    put("patch_text_fuzzer", "seed-refused.csv",
        text("# note\n10,70,1\n11,99,2\n12,34\n0X1e,*,0x1ff\n"));
    put("remote_blocks_fuzzer", "seed-synthetic.bin", orvix::SyntheticRemoteBlocks());
    // Program options (header: image, three bytes of choices, answers, steps, start code and
    // delay, code files; then address and byte writes).
    using Bytes = std::vector<std::uint8_t>;
    const auto options = [&](const std::string& name, Bytes header, const Bytes& writes = {}) {
        header.insert(header.end(), writes.begin(), writes.end());
        put("program_options_fuzzer", name, header);
    };
    const auto write = [](std::uint32_t address, std::initializer_list<std::uint8_t> bytes) {
        Bytes out;
        for (const std::uint8_t b : bytes) {
            out.insert(out.end(),
                       {static_cast<std::uint8_t>(address), static_cast<std::uint8_t>(address >> 8),
                        static_cast<std::uint8_t>(address >> 16),
                        static_cast<std::uint8_t>(address >> 24), b});
            ++address;
        }
        return out;
    };
    // Layout A and B, every simple option on, a new Bluetooth extension, every answer Yes.
    options("a-bluetooth.bin", {0x01, 0x3F, 0x46, 0x00, 0x00, 10, 5, 0});
    options("b-bluetooth.bin", {0x0A, 0x3F, 0x46, 0x03, 0x00, 10, 200, 0});
    // The remote connection form with its code files, layout A and B; then without the files.
    options("a-remote.bin", {0x01, 0x00, 0x5A, 0x03, 0x00, 99, 40, 0});
    options("b-remote.bin", {0x0A, 0x15, 0x5A, 0x00, 0x00, 99, 40, 0});
    options("b-remote-no-code.bin", {0x0A, 0x15, 0x5A, 0x00, 0x00, 99, 40, 0x07});
    options("a-remote-empty-code.bin", {0x01, 0x00, 0x5A, 0x00, 0x00, 99, 40, 0x0F});
    // The servo extension installed, and removed from an image saved with it.
    options("a-servo.bin", {0x01, 0x3F, 0x01, 0x00, 0x00, 7, 0, 0});
    options("a-servo-off.bin", {0x03, 0x3F, 0x00, 0x00, 0x00, 7, 0, 0});
    options("a-servo-empty.bin", {0x01, 0x3F, 0x01, 0x00, 0x00, 7, 0, 0x09});
    // The arm change and the shoulder limit on arm records below and above 0x7000; refused.
    Bytes arms = write(0x2000, {0x90, 0x00, 0x0A, 0x00, 0x00, 0x80, 0x00});
    const Bytes shoulder = write(0x7100, {0x90, 0x00, 0x0A, 0x00, 0x00, 0x80, 0x00});
    arms.insert(arms.end(), shoulder.begin(), shoulder.end());
    options("a-arms.bin", {0x01, 0xFF, 0x00, 0x00, 0x00, 3, 0, 0}, arms);
    options("b-arms-refused.bin", {0x0A, 0xC0, 0x00, 0x00, 0x55, 3, 0, 0}, arms);
    // A loaded Bluetooth and remote extension: start code and delay only, or rebuilt.
    options("a-loaded-bluetooth.bin", {0x04, 0x3F, 0x00, 0x03, 0x00, 1, 77, 0},
            write(0x41C400, {0xC0}));
    options("b-loaded-remote.bin", {0x0D, 0x3F, 0x48, 0x02, 0x00, 1, 77, 0},
            write(0x41C400, {0x90}));
    // Remote support refused; the programs-added question answered No and Cancel.
    options("a-remote-refused.bin", {0x01, 0x00, 0x46, 0x00, 0x55, 1, 0, 0});
    options("a-servo-then-remote-no.bin", {0x03, 0x00, 0x46, 0x00, 0x01, 1, 0, 0});
    options("a-servo-then-remote-cancel.bin", {0x03, 0x00, 0x46, 0x00, 0x02, 1, 0, 0});
    // A step count refused; the image's own count of 0 refused; a bad REMOTEBLK.BIN.
    options("a-steps-zero.bin", {0x01, 0x00, 0x80, 0x00, 0x00, 0, 0, 0});
    options("a-own-steps.bin", {0x41, 0x00, 0x00, 0x00, 0x00, 0, 0, 0});
    options("a-bad-blocks.bin", {0x01, 0x00, 0x46, 0x00, 0x00, 1, 0, 0x08});
    // The eye colours: standard, and chosen (and cancelled); an image too small.
    options("b-standard-colour.bin", {0x0A, 0x00, 0x00, 0x1C, 0x00, 1, 0, 0});
    options("a-chosen-colour.bin", {0x01, 0x00, 0x00, 0x28, 0x30, 1, 0, 0});
    options("a-colour-cancelled.bin", {0x01, 0x00, 0x00, 0x28, 0x80, 1, 0, 0});
    options("small.bin", {0x00, 0x3F, 0x46, 0x00, 0x00, 1, 0, 0});
    // The settings data dialog: each setting file as its length and its bytes, in the order the
    // dialog reads them, then a few acts (the initialised box, a time-out typed, the first
    // power-up); and the same card without RND.BIN (its length 0xFF).
    const std::vector<std::vector<std::uint8_t>> files{{1},
                                                       {3, 5, 9, 0, 14, 7, 25},
                                                       {12, 31},
                                                       {0},
                                                       {0},
                                                       {0xFF},
                                                       {0x30, 0x2A, 0, 0},
                                                       {0x30, 0x2A, 0, 0},
                                                       {0xC0, 0x4B, 3, 0},
                                                       {0x4E, 7},
                                                       {0xFC, 8},
                                                       {0x89, 8},
                                                       {0xD0, 7},
                                                       {5, 0},
                                                       {0x23, 0},
                                                       {0x7B, 0xAF, 0xFF, 0xFF, 0x8F, 0xFF, 0, 0},
                                                       {0},
                                                       {10, 20, 0xE2, 0},
                                                       {1, 2, 3, 0}};
    // Header: answers, the failing write, which files are spelt in lower case.
    const auto card = [&](std::size_t absent, Bytes header, const Bytes& acts) {
        Bytes bytes = std::move(header);
        for (std::size_t k = 0; k < files.size(); ++k) {
            bytes.push_back(k == absent ? 0xFF : static_cast<std::uint8_t>(files[k].size()));
            if (k != absent) {
                bytes.insert(bytes.end(), files[k].begin(), files[k].end());
            }
        }
        bytes.insert(bytes.end(), acts.begin(), acts.end());
        return bytes;
    };
    const Bytes noFault{0, 7, 0, 0, 0};
    const Bytes acts{1, 0, 9, 3, 28, 0};
    put("settings_open_fuzzer", "card.bin", card(files.size(), noFault, acts));
    put("settings_open_fuzzer", "no-random.bin", card(5, noFault, acts));
    // Lower-case names; No to every question (restore, head switch, all power-ups, random).
    put("settings_open_fuzzer", "lower-case-no.bin",
        card(files.size(), {0x55, 7, 0xFF, 0xFF, 0x07}, {0, 0, 24, 0, 31, 0, 30, 0, 29, 0}));
    put("settings_open_fuzzer", "yes-to-all.bin",
        card(files.size(), {0x00, 7, 0, 0, 0}, {0, 0, 24, 0, 31, 0, 30, 0, 29, 0}));
    // Each step of a write failing, at the first and at a later file; a refused volume.
    for (std::uint8_t step = 0; step < 6; ++step) {
        put("settings_open_fuzzer", "fault-" + std::to_string(step) + ".bin",
            card(files.size(), {0, step, 0, 0, 0}, {1, 0, 9, 3, 8, 0, 12, 1}));
        put("settings_open_fuzzer", "fault-later-" + std::to_string(step) + ".bin",
            card(files.size(), {0, static_cast<std::uint8_t>(step | 0x08), 0, 0, 0},
                 {1, 0, 9, 3, 8, 0, 12, 1, 13, 2}));
    }
    put("settings_open_fuzzer", "refused.bin", card(files.size(), noFault, {19, 15, 8, 4}));

    // The user list: a flag byte, the ten user files (a length byte, then the bytes), then the
    // start of a name table: entry 0 empty, entry 1 たろうくん, entry 2 with codes without text.
    std::vector<std::uint8_t> users{0, 12, 1, 1, 0, 3, 15, 0, 0, 0, 0, 0x41, 0x02, 0, 3, 7, 2, 0};
    for (int slot = 2; slot < 9; ++slot) {
        users.push_back(0); // an empty file: a free slot
    }
    users.push_back(16); // a longer file: only its first bytes count
    users.insert(users.end(),
                 {2, 5, 0, 1, 1, 0, 0, 0, 0, 0x7F, 0xFF, 0xFF, 0xEE, 0xEE, 0xEE, 0xEE});
    const std::size_t tableStart = users.size();
    users.insert(users.end(), {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0});
    users.insert(users.end(), {16, 43, 3, 48, 0xFF, 12, 0, 0});
    users.insert(users.end(), {144, 200, 0, 50, 254, 0xF9, 0xFF, 0});
    put("user_list_fuzzer", "user-card.bin", users);
    users[0] = 1; // no name table
    put("user_list_fuzzer", "user-card-no-name-table.bin", users);
    users[0] = 0; // a whole name table, its last entry named
    users.resize(tableStart + 18'600, 0);
    users.insert(users.end(), {1, 2, 3, 4, 5, 0x15, 9, 0});
    put("user_list_fuzzer", "user-card-whole-table.bin", users);

    // User edits: slots in use, the act, the failing step, the name, the days, three dates.
    const auto edit = [&](const std::string& name, Bytes header, std::vector<std::string> dates) {
        for (const std::string& date : dates) {
            header.push_back(static_cast<std::uint8_t>(date.size()));
            header.insert(header.end(), date.begin(), date.end());
        }
        for (int slot = 0; slot < 10; ++slot) { // 16 bytes a slot, the last its length
            header.insert(header.end(),
                          {static_cast<std::uint8_t>(slot + 1), 5, 0, 3, 15, 0, 0, 12, 24, 0x41,
                           0x02, 7, 0, 0, 0, static_cast<std::uint8_t>(slot)});
        }
        put("user_edit_fuzzer", name, header);
    };
    edit("edit-ok.bin", {0x03, 0x00, 0x02, 7, 0x10, 0x00, 0x41, 0x22}, {"12/25", "1/1", " 2/31"});
    edit("edit-no-name.bin", {0xFF, 0x03, 0x84, 7, 0, 0, 0, 0}, {"", "", ""});
    edit("edit-bad-date.bin", {0xFF, 0x03, 0x06, 7, 1, 0, 0, 0}, {"13/1", "", ""});
    edit("edit-cancel.bin", {0xFF, 0x03, 0x48, 7, 1, 0, 0x7F, 0}, {"3/4", "", ""});
    edit("edit-last-name.bin", {0x01, 0x00, 0x00, 7, 0x13, 0x09, 0, 0x7F}, {"4/31", "", ""});
    edit("new-user.bin", {0x03, 0x00, 0x01, 7, 0, 0, 0, 0}, {"", "", ""});
    edit("new-user-no.bin", {0x03, 0x00, 0x21, 7, 0, 0, 0, 0}, {"", "", ""});
    edit("new-user-full.bin", {0xFF, 0x03, 0x01, 7, 0, 0, 0, 0}, {"", "", ""});
    edit("edit-free-slot.bin", {0x01, 0x00, 0x04, 7, 0, 0, 0, 0}, {"", "", ""});
    for (std::uint8_t step = 0; step < 6; ++step) {
        edit("edit-fault-" + std::to_string(step) + ".bin", {0x03, 0, 0x02, step, 3, 0, 1, 1},
             {"5/5", "", ""});
        edit("new-user-fault-" + std::to_string(step) + ".bin", {0x03, 0, 0x01, step, 0, 0, 0, 0},
             {"", "", ""});
    }

    // Image saves: form and table, the failing step, earlier backups, three typed fields.
    const auto save = [&](const std::string& name, Bytes header, const Bytes& image) {
        header.insert(header.end(), image.begin(), image.end());
        put("image_save_fuzzer", name, header);
    };
    const Bytes binary = orvix::test::MakeBinaryImage(8000, 3);
    const Bytes shortBinary = orvix::test::MakeBinaryImage(4011, 5);
    const Bytes textForm = orvix::test::MakeTextImage(8000, 4);
    save("binary.bin", {0x00, 7, 0, 0x20, 0x31, 0x42}, binary);
    save("binary-lower.bin", {0x01, 7, 3, 0x53, 0x64, 0x05}, binary);
    save("binary-upper-no-limit.bin", {0x0A, 7, 0, 0x53, 0x64, 0x95}, binary);
    save("short.bin", {0x00, 7, 0, 0x70, 0x81, 0x00}, shortBinary);
    save("text.bin", {0x04, 7, 0, 0x20, 0x31, 0x42}, textForm);
    save("text-upper.bin", {0x06, 7, 2, 0x20, 0xB1, 0x42}, textForm);
    save("refused.bin", {0x00, 7, 0, 0xD0, 0xE1, 0xF2}, binary);
    save("many-backups.bin", {0x00, 7, 24, 0x20, 0x31, 0x42}, binary);
    for (std::uint8_t step = 0; step < 6; ++step) {
        save("fault-" + std::to_string(step) + ".bin", {0x00, step, 0, 0x20, 0x31, 0x42}, binary);
        save("fault-second-" + std::to_string(step) + ".bin",
             {0x00, static_cast<std::uint8_t>(step | 0x08), 0, 0x20, 0x31, 0x42}, binary);
    }

    // Orvix2.ini: spellings of section and key, the value and the failing write, the text.
    const auto ini = [&](const std::string& name, std::uint8_t names, std::uint8_t value,
                         std::string_view content) {
        Bytes bytes{names, value};
        bytes.insert(bytes.end(), content.begin(), content.end());
        put("settings_file_fuzzer", name, bytes);
    };
    const std::string_view usual = "[FILE]\r\nPATH=/media/card/STARTUP.BIN\r\n\r\n[RANGE]\r\n"
                                   "CHECK_RANGE=1\r\n";
    ini("replace.ini", 0x00, 0xFA, usual);
    ini("other-case.ini", 0x09, 0xF9, usual);
    ini("new-key.ini", 0x20, 0xF8, "[FILE]\nPATH=x\n; note\n\n[OTHER]\nA=1");
    ini("new-section.ini", 0x04, 0xF9, "; only a comment");
    ini("empty.ini", 0x02, 0xF8, "");
    ini("odd.ini", 0x10, 0xFB, "[FILE\nPATH\n=1\n[FILE]\nPATH = a\nPATH=b\n\0x");
    for (std::uint8_t step = 0; step < 6; ++step) {
        ini("fault-" + std::to_string(step) + ".ini", 0x00, static_cast<std::uint8_t>(step * 8),
            usual);
    }
    return failures == 0 ? 0 : 1;
}
