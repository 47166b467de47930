#include "support/card_diff.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sstream>

#include "storage/platform.h"
#include "support/temp_folder.h"

namespace orvix::test {

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint64_t Number(const std::string& text) {
    return std::stoull(text, nullptr, text.starts_with("0x") ? 16 : 10);
}

std::string Hex(std::uint64_t value, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "%0*llx", digits, static_cast<unsigned long long>(value));
    return text;
}

class DescriptionReader {
public:
    DescriptionReader(CardState& state, const CardState& source) : state_(state), source_(source) {}

    void Read(const std::filesystem::path& path) {
        std::ifstream in(path);
        ASSERT_TRUE(in) << "cannot read " << path;
        int number = 0;
        for (std::string line; std::getline(in, line);) {
            ++number;
            where_ = path.filename().string() + ":" + std::to_string(number);
            if (text_ != nullptr) {
                if (line == "end") {
                    text_ = nullptr;
                } else {
                    text_->insert(text_->end(), line.begin(), line.end());
                    text_->push_back('\n');
                }
                continue;
            }
            std::istringstream words(line.substr(0, line.find('#')));
            std::string word;
            if (!(words >> word) || word == "unchanged") {
                continue;
            }
            if (word == "include") {
                words >> word;
                Read(path.parent_path() / word);
            } else if (word == "delete") {
                words >> word;
                state_.card.erase(word);
            } else if (word == "file" || word == "code") {
                OpenFile(word == "code", words);
            } else {
                ASSERT_TRUE(word.ends_with(':') && file_ != nullptr) << where_ << ": " << line;
                Put(Number(word.substr(0, word.size() - 1)), words);
            }
        }
        ASSERT_EQ(text_, nullptr) << path << ": a text file without `end`";
    }

private:
    void OpenFile(bool code, std::istringstream& words) {
        std::string name;
        words >> name;
        file_ = &(code ? state_.code : state_.card)[name];
        std::optional<std::size_t> size;
        int fill = 0;
        for (std::string word; words >> word;) {
            if (word == "size") {
                words >> word;
                size = Number(word);
            } else if (word == "fill") {
                words >> word;
                fill = static_cast<int>(Number("0x" + word));
            } else if (word == "pattern") {
                fill = -1;
            } else if (word == "rewritten") {
                state_.mayRewrite.insert(name);
            } else if (word == "text") {
                file_->clear();
                text_ = file_;
            } else {
                FAIL() << where_ << ": unknown word " << word;
            }
        }
        if (size) {
            const std::size_t old = std::min(file_->size(), *size);
            file_->resize(*size);
            for (std::size_t i = old; i < *size; ++i) {
                (*file_)[i] = static_cast<std::uint8_t>(fill < 0 ? i * 31 + 7 : fill);
            }
        }
    }

    void Put(std::uint64_t address, std::istringstream& words) {
        Bytes bytes;
        for (std::string item; words >> item;) {
            if (item.starts_with('@')) {
                const auto colon = item.find(':');
                const auto plus = item.find('+');
                const std::string name = item.substr(1, colon - 1);
                const auto* found = source_.card.contains(name)   ? &source_.card.at(name)
                                    : source_.code.contains(name) ? &source_.code.at(name)
                                                                  : nullptr;
                ASSERT_NE(found, nullptr) << where_ << ": no file " << name;
                const std::uint64_t from = Number(item.substr(colon + 1, plus - colon - 1));
                const std::uint64_t length = Number(item.substr(plus + 1));
                ASSERT_LE(from + length, found->size()) << where_ << ": " << item;
                bytes.insert(bytes.end(), found->begin() + static_cast<std::ptrdiff_t>(from),
                             found->begin() + static_cast<std::ptrdiff_t>(from + length));
                continue;
            }
            if (item.size() >= 2 && item.starts_with('"') && item.ends_with('"')) {
                bytes.insert(bytes.end(), item.begin() + 1, item.end() - 1);
                continue;
            }
            const auto star = item.find('*');
            ASSERT_TRUE(item.size() == 2 || star == 2) << where_ << ": not a byte: " << item;
            const auto byte = static_cast<std::uint8_t>(Number("0x" + item.substr(0, 2)));
            bytes.insert(bytes.end(), star == 2 ? Number(item.substr(3)) : 1, byte);
        }
        if (file_->size() < address + bytes.size()) {
            file_->resize(address + bytes.size());
        }
        std::copy(bytes.begin(), bytes.end(),
                  file_->begin() + static_cast<std::ptrdiff_t>(address));
    }

    CardState& state_;
    const CardState& source_;
    Bytes* file_ = nullptr;
    Bytes* text_ = nullptr;
    std::string where_;
};

// The places where two files differ, as runs of addresses, the first 40 of them.
void Report(const std::string& name, const Bytes* before, const Bytes* expected,
            const Bytes* actual, std::ostringstream& out) {
    if (expected == nullptr || actual == nullptr) {
        out << name << ": " << (expected ? "expected, but missing afterwards" : "not expected")
            << '\n';
        return;
    }
    if (expected->size() != actual->size()) {
        out << name << ": size expected " << expected->size() << ", actual " << actual->size()
            << '\n';
    }
    const auto bytesAt = [](const Bytes* bytes, std::size_t from, std::size_t to) {
        std::string text;
        for (std::size_t i = from; i < to; ++i) {
            text += bytes != nullptr && i < bytes->size() ? Hex((*bytes)[i], 2) + " " : "-- ";
        }
        return text;
    };
    const std::size_t end = std::max(expected->size(), actual->size());
    int runs = 0;
    for (std::size_t i = 0; i < end && runs < 40;) {
        const auto same = [&](std::size_t at) {
            return at < expected->size() && at < actual->size() && (*expected)[at] == (*actual)[at];
        };
        if (same(i)) {
            ++i;
            continue;
        }
        std::size_t to = i;
        while (to < end && to - i < 16 && !same(to)) {
            ++to;
        }
        out << name << " 0x" << Hex(i, 8) << ": expected " << bytesAt(expected, i, to)
            << "| actual " << bytesAt(actual, i, to) << "| before " << bytesAt(before, i, to)
            << '\n';
        ++runs;
        i = to;
    }
}

} // namespace

CardFiles SnapshotFolder(const std::filesystem::path& folder) {
    CardFiles files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files[entry.path().lexically_relative(folder).generic_string()] =
                ReadBytes(entry.path());
        }
    }
    return files;
}

void ApplyDescription(const std::filesystem::path& description, CardState& state) {
    DescriptionReader(state, state).Read(description);
}

void WriteCard(const CardState& state, const std::filesystem::path& cardFolder,
               const std::filesystem::path& codeFolder) {
    std::filesystem::create_directories(cardFolder);
    std::filesystem::create_directories(codeFolder);
    for (const auto& [name, bytes] : state.card) {
        WriteBytes(cardFolder / name, bytes);
    }
    for (const auto& [name, bytes] : state.code) {
        WriteBytes(codeFolder / name, bytes);
    }
}

FileIds SnapshotIds(const std::filesystem::path& folder) {
    FileIds ids;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            ids[entry.path().lexically_relative(folder).generic_string()] =
                platform::FileIdentity(entry.path());
        }
    }
    return ids;
}

std::string CompareChange(const CardState& before, const CardFiles& after,
                          const std::filesystem::path& expectation, const FileIds& idsBefore,
                          const FileIds& idsAfter) {
    CardState expected = before;
    DescriptionReader(expected, before).Read(expectation);
    std::set<std::string> names;
    for (const CardFiles* files : std::array<const CardFiles*, 2>{&expected.card, &after}) {
        for (const auto& entry : *files) {
            names.insert(entry.first);
        }
    }
    std::ostringstream out;
    const auto find = [](const CardFiles& files, const std::string& name) {
        const auto found = files.find(name);
        return found == files.end() ? nullptr : &found->second;
    };
    for (const std::string& name : names) {
        const Bytes* wanted = find(expected.card, name);
        const Bytes* actual = find(after, name);
        if (wanted == nullptr || actual == nullptr || *wanted != *actual) {
            Report(name, find(before.card, name), wanted, actual, out);
        } else if (const Bytes* was = find(before.card, name); was != nullptr && *was == *wanted) {
            // Unchanged: it must not have been written again, unless the expectation allows it.
            const auto id = idsBefore.find(name);
            if (id != idsBefore.end() && idsAfter.contains(name) &&
                idsAfter.at(name) != id->second && !expected.mayRewrite.contains(name)) {
                out << name << ": written again, though nothing in it was to change\n";
            }
        }
    }
    return out.str();
}

} // namespace orvix::test
