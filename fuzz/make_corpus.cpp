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
    return failures == 0 ? 0 : 1;
}
