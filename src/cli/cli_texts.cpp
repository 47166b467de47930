#include "cli/cli_texts.h"

#include <regex>

namespace orvix::cli {

namespace {

// CLI11 fills the type of each option's value in its help; these are the ones ours have.
class Formatter : public CLI::Formatter {
public:
    std::string make_option_opts(const CLI::Option* option) const override {
        std::string text = CLI::Formatter::make_option_opts(option);
        for (const char* type : {"TEXT", "INTEGER", "INT", "UINT"}) {
            const std::string word = std::string(" ") + type;
            for (auto at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
                const std::size_t end = at + word.size();
                if (end == text.size() || text[end] == ' ' || text[end] == ':') {
                    const std::string shown = " " + get_label(type);
                    text.replace(at, word.size(), shown);
                    at += shown.size() - 1;
                }
            }
        }
        return text;
    }
};

void Localize(CLI::App& app) {
    app.set_help_flag("-h,--help", Help("このヘルプを表示して終わります"));
    app.group(Help("サブコマンド"));
    for (CLI::Option* option : app.get_options()) {
        if (option->get_group() == "Options") {
            option->group(Help("オプション"));
        }
    }
    for (CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; })) {
        Localize(*sub);
    }
}

} // namespace

void UseInterfaceLanguage(CLI::App& app) {
    const auto formatter = std::make_shared<Formatter>();
    const std::pair<const char*, const char*> labels[] = {
        {"Usage", "使い方"},
        {"OPTIONS", "オプション"},
        {"SUBCOMMAND", "サブコマンド"},
        {"SUBCOMMANDS", "サブコマンド"},
        {"REQUIRED", "必須"},
        {"Positionals", "引数"},
        {"TEXT", "文字列"},
        {"INTEGER", "整数"},
        {"INT", "整数"},
        {"UINT", "整数"},
        {"Needs", "必要"},
        {"Excludes", "併用不可"},
    };
    for (const auto& [key, japanese] : labels) {
        formatter->label(key, Help(japanese));
    }
    Localize(app);
    const std::function<void(CLI::App&)> apply = [&](CLI::App& each) {
        each.formatter(formatter);
        for (CLI::App* sub : each.get_subcommands([](CLI::App*) { return true; })) {
            apply(*sub);
        }
    };
    apply(app);
    app.failure_message(
        [](const CLI::App*, const CLI::Error& error) { return FailureText(error); });
}

std::string FailureText(const CLI::Error& error) {
    const std::string what = error.what();
    std::smatch m;
    std::string text;
    if (what == "A subcommand is required") {
        text = Help("サブコマンドを指定してください");
    } else if (std::regex_match(what, m, std::regex(R"(Requires at least (\d+) subcommands)"))) {
        text = Help("サブコマンドを指定してください");
    } else if (std::regex_match(what, m, std::regex(R"((\S+) is required)"))) {
        text = Worded("%1を指定してください", {m.str(1)});
    } else if (std::regex_match(
                   what, m,
                   std::regex(R"(The following arguments? w(?:as|ere) not expected: (.*))"))) {
        text = Worded("次の引数は使えません: %1", {m.str(1)});
    } else if (std::regex_match(what, m, std::regex(R"((\S+): (.*) not in \{(.*)\})"))) {
        text = Worded("%1: %2は{%3}のどれでもありません", {m.str(1), m.str(2), m.str(3)});
    } else if (std::regex_match(
                   what, m, std::regex(R"((\S+): At Most (\d+) required but received (\d+))"))) {
        text = Worded("%1は%2回までです(%3回指定されました)", {m.str(1), m.str(2), m.str(3)});
    } else if (std::regex_match(what, m, std::regex(R"((\S+): \d+ required \S+ missing)"))) {
        text = Worded("%1の値がありません", {m.str(1)});
    } else if (std::regex_match(what, m, std::regex(R"((\S+): (.*))"))) {
        text = Worded("%1の値が間違っています: %2", {m.str(1), m.str(2)});
    } else {
        text = Worded("コマンドラインが間違っています: %1", {what});
    }
    return text + "\n" + Help("詳しくは --help を付けて実行してください。") + "\n";
}

} // namespace orvix::cli
