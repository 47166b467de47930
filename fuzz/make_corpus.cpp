// Writes the seed corpus of the fuzz targets: the tests' own synthetic images and two small patch
// files, so that no file from a robot's card is ever needed.
// Usage: make_corpus FOLDER   (writes a folder of seeds for each target into FOLDER)

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
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
    // Program options: a layout A image with remote support and the servo option chosen, and a
    // layout B image whose torque byte and arm mark are set.
    put("program_options_fuzzer", "seed-a.bin", {0x01, 0x45, 0x00, 0xD2, 0x0F, 0, 0, 1});
    put("program_options_fuzzer", "seed-b.bin",
        {0x0A, 0x9A, 0x10, 0x45, 0x0E, 0, 0, 0xDB, 0x0B, 0x1A, 0, 0, 0xD1});
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
    const auto card = [&](std::size_t absent) {
        std::vector<std::uint8_t> bytes;
        for (std::size_t k = 0; k < files.size(); ++k) {
            bytes.push_back(k == absent ? 0xFF : static_cast<std::uint8_t>(files[k].size()));
            if (k != absent) {
                bytes.insert(bytes.end(), files[k].begin(), files[k].end());
            }
        }
        bytes.insert(bytes.end(), {1, 0, 9, 3, 28, 0});
        return bytes;
    };
    put("settings_open_fuzzer", "card.bin", card(files.size()));
    put("settings_open_fuzzer", "no-random.bin", card(5));
    // The user list: a flag byte, the ten user files (a length byte, then the bytes), then the
    // start of a name table: entry 0 empty, entry 1 たろうくん, entry 2 with codes without text.
    std::vector<std::uint8_t> users{0, 12, 1, 1, 0, 3, 15, 0, 0, 0, 0, 0x41, 0x02, 0, 3, 7, 2, 0};
    for (int slot = 2; slot < 9; ++slot) {
        users.push_back(0); // an empty file: a free slot
    }
    users.push_back(16); // a longer file: only its first bytes count
    users.insert(users.end(),
                 {2, 5, 0, 1, 1, 0, 0, 0, 0, 0x7F, 0xFF, 0xFF, 0xEE, 0xEE, 0xEE, 0xEE});
    users.insert(users.end(), {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0});
    users.insert(users.end(), {16, 43, 3, 48, 0xFF, 12, 0, 0});
    users.insert(users.end(), {144, 200, 0, 50, 254, 0xF9, 0xFF, 0});
    put("user_list_fuzzer", "user-card.bin", users);
    users[0] = 1; // no name table
    put("user_list_fuzzer", "user-card-no-name-table.bin", users);
    return failures == 0 ? 0 : 1;
}
