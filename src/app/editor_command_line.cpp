#include "app/editor_command_line.h"

#include "resources/names.h"
#include "resources/translation.h"

namespace orvix {

EditorCommandLine ParseEditorCommandLine(const std::vector<std::string>& arguments) {
    EditorCommandLine line;
    bool help = false;
    bool version = false;
    bool usage = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& each = arguments[i];
        if (each == "-h" || each == "--help") {
            help = true;
        } else if (each == "--version") {
            version = true;
        } else if (each == "--lang" && i + 1 < arguments.size()) {
            line.language = arguments[++i];
        } else if (each.starts_with("--lang=")) {
            line.language = each.substr(7);
        } else if (each.starts_with("-") || !line.image.empty()) {
            usage = true;
        } else {
            line.image = each;
        }
    }
    using enum EditorCommandLine::Action;
    if (!line.language.empty() && !ParseLanguage(line.language)) {
        line.action = Usage;
    } else if (help) {
        line.action = Help;
    } else if (version) {
        line.action = Version;
    } else if (usage) {
        line.action = Usage;
    }
    return line;
}

std::string EditorUsage() {
    return std::string(
        Translate("使い方: orvix2 [--lang ja|en] [STARTUP.BIN | カードのフォルダ]\n"));
}

std::string EditorHelp(EditorFrontEnd frontEnd) {
    // The card's parts by the names the dialogs and the history give them.
    std::string text =
        EditorUsage() +
        Worded("ペチのSDカードを編集します: STARTUP.BINの%1と%2、%3、%4です。\n"
               "STARTUP.BINを指定しなければ最後に読み込んだものを開きます。\n"
               "カードのフォルダを指定するとそのカードのSTARTUP.BINを開きます。\n"
               "そのファイルが読み込めなくても、カードの変更履歴はシステムメニューから開けます。\n",
               {NameOf(kArea, kServoArea), NameOf(kArea, kOptionArea), NameOf(kArea, kSettingArea),
                NameOf(kArea, kUserArea)});
    if (frontEnd == EditorFrontEnd::Windows) {
        text += Translate("orvix2.exeにドロップしたSTARTUP.BINも開きます。\n");
    }
    text += "\n";
    text += Translate("  --lang ja|en   表示の言語(既定: 前回選んだ言語、なければja)\n"
                      "  -h, --help     このヘルプを表示して終わります\n"
                      "  --version      バージョンを表示して終わります\n");
    if (frontEnd == EditorFrontEnd::Qt) {
        text += "\n";
        text += Translate("-platform offscreen などQt自身のオプションも使えます。\n");
    }
    return text;
}

} // namespace orvix
