#include "cli/demo_card.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>

#include "cli_runner.h"
#include "options/remote_extension.h"
#include "storage/byte_order.h"

namespace orvix::test {
namespace {

// A value as the robot's program comes: its address in layouts A and B, its size in bytes (2 is
// signed) and its value in each layout.
struct Site {
    const char* what;
    std::uint32_t a, b;
    int size;
    std::int64_t valueA, valueB;
};
constexpr Site kStandardSites[] = {{"build marker", 7600, 7600, 1, 0, 23},
                                   {"torque", 0xFD2, 0xFD2, 1, 1, 1},
                                   {"voltage monitor", 0x526E, 0x5296, 4, 0x544E, 0x5476},
                                   {"timeout monitor", 0x31EA7, 0x32777, 1, 0xCA, 0xCA},
                                   {"face recognition", 0xD6D, 0xD6D, 1, 0xD1, 0xD1},
                                   {"face recognition jump", 0x4F62, 0x4F8A, 4, 0x5249, 0x5271},
                                   {"face direction", 0x361A, 0x3642, 1, 1, 1},
                                   {"voice recognition", 0x747E, 0x74A6, 1, 0xD1, 0xD1},
                                   {"voice recognition jump", 0xAF4, 0xAF4, 4, 0xADC, 0xADC},
                                   {"voice recognition nine", 0x2E82, 0x2EAA, 1, 0xD5, 0xD5},
                                   {"walk steps", 0x16273C, 0x163E85, 4, 4, 4},
                                   {"walk steps", 0x26FD60, 0x27152B, 4, 4, 4},
                                   {"no servo extension", 0xFDC, 0xFDC, 4, 0x164C, 0x164C},
                                   {"idle eye red", 0x1342, 0x1342, 2, 175, 175},
                                   {"idle eye red, second half", 0x1348, 0x1348, 2, 175, 175},
                                   {"energy saving eye red", 0xE79, 0xE79, 2, 90, 90},
                                   {"energy saving eye red", 0x4E5D, 0x4E85, 2, 90, 90}};

// The standard origin corrections of ID2 to ID21, in tenths of a degree.
constexpr int kStandardOrigins[20] = {25, 120, -260, 160, -20, -35, -110, 260, -155, 40,
                                      20, 20,  75,   -85, -55, 560, 350,  50,  -590, -295};

constexpr std::uint8_t kArmPattern[] = {0x90, 0x00, 0x0A, 0x00, 0x00, 0x80, 0x00};

TEST(DemoCardTest, MakesTheSameCardOfEachLayoutEveryTimeWithTheStandardValues) {
    TempFolder temp;
    for (const bool b : {false, true}) {
        SCOPED_TRACE(b);
        const auto folder = temp / (std::string("card") + (b ? "B" : "A") + "/sub");
        const CliResult result =
            RunCommandLine(temp, {"demo", folder.string(), "--layout", b ? "B" : "A"});
        ASSERT_EQ(result.status, 0) << result.err;
        const std::vector<std::uint8_t> image = ReadBytes(folder / "STARTUP.BIN");
        ASSERT_EQ(image.size(), b ? 4'309'671u : 4'301'707u);

        for (const Site& site : kStandardSites) {
            const std::uint32_t at = b ? site.b : site.a;
            const std::int64_t value = site.size == 1   ? image[at]
                                       : site.size == 2 ? *ReadI16(image, at)
                                                        : *ReadU32(image, at);
            EXPECT_EQ(value, b ? site.valueB : site.valueA) << site.what;
        }
        for (std::uint32_t k = 0; k < 20; ++k) { // origin, lower and upper limit of each servo
            EXPECT_EQ(*ReadI16(image, 276 + 70 * k), kStandardOrigins[k]) << "ID" << k + 2;
            EXPECT_EQ(*ReadI16(image, 278 + 70 * k), -32767) << "ID" << k + 2;
            EXPECT_EQ(*ReadI16(image, 280 + 70 * k), 32767) << "ID" << k + 2;
        }
        // The arm pattern stands only at the demo's arm records, with their first values.
        std::vector<std::uint32_t> found;
        for (auto at = image.begin(); (at = std::search(at, image.end(), std::begin(kArmPattern),
                                                        std::end(kArmPattern))) != image.end();
             ++at) {
            found.push_back(static_cast<std::uint32_t>(at - image.begin()));
            EXPECT_EQ(*ReadI16(image, found.back() + 0x42), 300);
            EXPECT_EQ(*ReadI16(image, found.back() + 0x4E), -300);
        }
        EXPECT_EQ(found,
                  (std::vector<std::uint32_t>{0xE03, 0x2400, b ? 0x705Au : 0x7032u, 0x9000}));
        const std::string readMe = ReadText(folder / "DEMO.txt");
        for (const char* says : {"synthetic", "not robot code", "NAMETBL.BIN"}) {
            EXPECT_TRUE(Contains(readMe, says)) << says;
        }
        std::string problem; // the code files pass the checks
        EXPECT_TRUE(ParseRemoteBlocks(ReadBytes(folder / "code/REMOTEBLK.BIN"), problem))
            << problem;
    }
}

// The setting files carry their documented standard values, little-endian, at their widths.
TEST(DemoCardTest, WritesTheSettingFilesWithTheirStandardValues) {
    TempFolder temp;
    ASSERT_EQ(RunCommandLine(temp, {"demo", (temp / "card").string()}).status, 0);
    using Bytes = std::vector<std::uint8_t>;
    const std::pair<const char*, Bytes> files[] = {
        {"INITPASSED.BIN", {1}},
        {"ERRORCHKIGNORE.BIN", {0}},
        {"OPENINGALERTIGNORE.BIN", {0}},
        {"RND.BIN", {0xFF}},
        {"IDLE_TIMEOUT_STAND.BIN", {0x30, 0x2A, 0, 0}}, // 10800
        {"IDLE_TIMEOUT_SITDOWN.BIN", {0x30, 0x2A, 0, 0}},
        {"IDLE_TIMEOUT_CHARGE.BIN", {0xC0, 0x4B, 3, 0}}, // 216000
        {"VBATALART_INT.BIN", {0x4E, 0x07}},             // 1870
        {"VBATALART_H.BIN", {0xFC, 0x08}},               // 2300
        {"VBATALART_L.BIN", {0x89, 0x08}},               // 2185
        {"VBATALART_AUTOPOWOFF.BIN", {0xD0, 0x07}},      // 2000
        {"VOLUME.BIN", {5, 0}},
        {"ENABLEINITML.BIN", {0}},
        {"servo/SV21_off.BIN", {1, 32, 16, 0}},
    };
    for (const auto& [name, bytes] : files) {
        EXPECT_EQ(ReadBytes(temp / "card" / name), bytes) << name;
    }
    EXPECT_EQ(ReadBytes(temp / "card/WAKEUP_DATETIME.BIN").size(), 7u);
    EXPECT_FALSE(std::filesystem::exists(temp / "card/servo/SV12_ON.BIN"));
}

// Every file below a folder with its bytes, by its path below the folder; a folder as "NAME/".
std::map<std::string, std::vector<std::uint8_t>> Tree(const std::filesystem::path& folder) {
    std::map<std::string, std::vector<std::uint8_t>> tree;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().lexically_relative(folder).generic_string();
        tree[entry.is_directory() ? name + "/" : name] =
            entry.is_directory() ? std::vector<std::uint8_t>{} : ReadBytes(entry.path());
    }
    return tree;
}

// Only a missing or empty folder takes a demo card: whatever is in it may be a real card.
TEST(DemoCardTest, RefusesAnyFolderThatHoldsSomething) {
    for (const char* entry : {"card/STARTUP.BIN", "card/startup.bin", "card/NAMETBL.BIN",
                              "card/servo/SV02_ON.BIN", "card"}) {
        TempFolder temp;
        WriteBytes(temp / entry, {1, 2, 3});
        const auto before = Tree(temp.Path());
        const CliResult result = RunCommandLine(temp, {"demo", (temp / "card").string()});
        EXPECT_EQ(result.status, 1) << entry;
        EXPECT_TRUE(Contains(result.err, "empty folder")) << result.err;
        std::filesystem::remove_all(temp / "settings");
        EXPECT_EQ(Tree(temp.Path()), before) << entry;
    }
    TempFolder temp;
    std::filesystem::create_directories(temp / "card");
    EXPECT_EQ(RunCommandLine(temp, {"demo", (temp / "card").string()}).status, 0);
}

} // namespace
} // namespace orvix::test
