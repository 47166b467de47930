// The user list on a card of any content: NAMETBL.BIN and the ten user files made from the input,
// loaded as the user list dialog loads them, and every name of the table spelt. Whatever the files
// hold, nothing is read outside them, every slot is handed over once and in order on success, and
// no name text is longer than five syllables can make.
//
// Input: byte 0 bit 0 leaves NAMETBL.BIN out; then, for each user file in slot order, a length
// byte (0xFF: the file is missing, else up to 20 bytes follow) and its bytes; the rest of the
// input is NAMETBL.BIN.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>

#include "calibration/editor_document.h"
#include "users/user_record.h"

namespace {

namespace fs = std::filesystem;

// Every syllable text takes at most three kana of three bytes.
constexpr std::size_t kLongestName = orvix::kNameSyllables * 9;

class QuietPrompter : public orvix::ui::Prompter {
public:
    orvix::ui::Answer ShowMessage(const orvix::ui::MessageRequest&) override {
        return orvix::ui::Answer::Ok;
    }
    std::optional<std::string> ChooseOpenFile(const orvix::ui::OpenFileRequest&) override {
        return std::nullopt;
    }
    std::optional<orvix::ui::Rgb> ChooseColour(orvix::ui::Rgb) override { return std::nullopt; }
};

class CheckedList : public orvix::UserListReceiver {
public:
    explicit CheckedList(const orvix::EditorDocument& document) : document_(document) {}
    void AddUser(const orvix::UserListRow& row) override {
        Next(row.slot);
        const orvix::NameEntry entry =
            orvix::NameTable(document_.nameTable).Entry(row.record.nameIndex);
        if (!row.record.InUse() || !orvix::NameTable::Holds(row.record.nameIndex) ||
            row.name != orvix::NameText(entry) || (row.nameNumber && *row.nameNumber <= 0)) {
            std::abort();
        }
    }
    void AddFreeSlot(int slot) override { Next(slot); }
    int handed = 0;

private:
    void Next(int slot) {
        if (slot != handed++) {
            std::abort();
        }
    }
    const orvix::EditorDocument& document_;
};

// A card folder of this process, removed when it ends normally.
struct Card {
    Card()
        : folder(fs::temp_directory_path() /
                 ("orvix2-user-list-fuzzer-" + std::to_string(getpid()))) {
        fs::create_directories(folder / "user");
    }
    ~Card() {
        std::error_code error;
        fs::remove_all(folder, error);
    }
    fs::path folder;
};

fs::path CardFolder() {
    static const Card card;
    return card.folder;
}

void Put(const fs::path& path, const std::uint8_t* data, std::size_t size, bool present) {
    std::error_code error;
    fs::remove(path, error);
    if (present) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const fs::path card = CardFolder();
    std::size_t at = 1;
    for (int slot = 0; slot < orvix::kUserSlotCount; ++slot) {
        const std::uint8_t length = at < size ? data[at++] : 0;
        const std::size_t taken =
            length == 0xFF ? 0 : std::min<std::size_t>(length % 21, size - at);
        const std::string name = orvix::UserFileName(slot).substr(5); // below user\.
        Put(card / "user" / name, data + at, taken, length != 0xFF);
        at += taken;
    }
    Put(card / orvix::kNameTableFile, data + at, size - at, (data[0] & 1) == 0);

    orvix::EditorDocument document("");
    document.imagePath = (card / "STARTUP.BIN").string();
    QuietPrompter prompter;
    CheckedList list(document);
    const bool loaded = orvix::LoadUserList(document, prompter, list);
    if (loaded && (list.handed != orvix::kUserSlotCount ||
                   document.nameTable.size() != orvix::kNameTableSize)) {
        std::abort();
    }
    const orvix::NameTable table(document.nameTable);
    for (int index = -1; index <= orvix::kNameEntryCount; ++index) {
        if (orvix::NameText(table, index).size() > kLongestName) {
            std::abort();
        }
    }
    const std::string_view text(reinterpret_cast<const char*>(data + at), size - at);
    if (const auto date = orvix::ParseDateText(text.substr(0, 32));
        date && !text.empty() &&
        (date->month < 1 || date->month > 12 || date->day < 1 || date->day > 31)) {
        std::abort();
    }
    return 0;
}
