#include "cli/run_cli.h"

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "cli/calibration_commands.h"
#include "cli/cli_prompter.h"
#include "cli/cli_texts.h"
#include "cli/demo_card.h"
#include "cli/exit_status.h"
#include "cli/history_commands.h"
#include "cli/options_commands.h"
#include "cli/settings_commands.h"
#include "cli/users_commands.h"
#include "history/save_description.h"
#include "resources/main_dialog.h"
#include "resources/string_table.h"
#include "resources/translation.h"
#include "storage/card_lock.h"
#include "storage/file_io.h"
#include "storage/settings_file.h"

namespace orvix::cli {

namespace {

std::filesystem::path SettingsFile(const CliEnvironment& environment) {
    const std::filesystem::path folder =
        environment.settingsFolder.empty() ? ChooseSettingsFolder() : environment.settingsFolder;
    return folder / kSettingsFileName;
}

// Everything the command line can say; CLI11 fills it in.
struct CommandLine {
    bool yes = false;
    std::string lang; // empty: the settings file's Language key, else Japanese
    std::string imagePath;
    std::string table = std::string(kTableNames[0]);
    bool json = false;
    bool noRangeLimit = false;
    std::string attenuator;
    std::vector<std::string> assignments;
    std::string demoFolder;
    std::string layout = "A";
    std::string codeFolder;
    std::string colour;
    bool energySaving = false;
    bool noBlink = false;
    std::string patchPath;
};

struct Commands {
    CLI::App* show = nullptr;
    CLI::App* set = nullptr;
    CLI::App* restore = nullptr;
    CLI::App* demo = nullptr;
    CLI::Option* attenuator = nullptr;
    CLI::App* optionsShow = nullptr;
    CLI::App* optionsSet = nullptr;
    CLI::App* eyeColour = nullptr;
    CLI::App* patch = nullptr;
    CLI::App* settingsShow = nullptr;
    CLI::App* settingsSet = nullptr;
    CLI::App* settingsRestore = nullptr;
};

void AddImageAndTable(CLI::App& verb, CommandLine& line) {
    verb.add_option("IMAGE", line.imagePath,
                    Help("STARTUP.BIN(バイナリ形式かテキスト形式)、またはカードのフォルダ"))
        ->required();
    verb.add_option("--table", line.table, Help("サーボ値の表"))
        ->check(CLI::IsMember(std::vector<std::string>(kTableNames.begin(), kTableNames.end())))
        ->capture_default_str();
}

void AddImage(CLI::App& verb, CommandLine& line) {
    verb.add_option("IMAGE", line.imagePath, Help("カードのSTARTUP.BIN、またはカードのフォルダ"))
        ->required();
}

void AddCodeFolder(CLI::App& verb, CommandLine& line) {
    verb.add_option("--code-dir", line.codeFolder,
                    Help("SERVO.BIN、REMOTE.BIN、VOICE.BIN、REMOTEBLK.BINのフォルダ(省略時はOrvix2."
                         "iniのフォルダ)"));
}

void AddRangeLimit(CLI::App& verb, CommandLine& line) {
    verb.add_flag("--no-range-limit", line.noRangeLimit,
                  Help("保存時に原点補正が標準値±15°を越えるのを許します"));
}

void DefineOptionCommands(CLI::App& app, CommandLine& line, Commands& commands) {
    CLI::App* options =
        app.add_subcommand("options", Help("STARTUP.BINにあるペチのプログラムのオプション"));
    options->require_subcommand(1, 1);

    commands.optionsShow =
        options->add_subcommand("show", Help("プログラムのオプションを表示します"));
    AddImage(*commands.optionsShow, line);
    commands.optionsShow->add_flag("--json", line.json, Help("JSONのオブジェクトで表示します"));

    commands.optionsSet = options->add_subcommand(
        "set", Help("プログラム変更ダイアログのようにオプションを変えてOKします"));
    AddImage(*commands.optionsSet, line);
    AddRangeLimit(*commands.optionsSet, line);
    AddCodeFolder(*commands.optionsSet, line);
    commands.optionsSet->add_option("ASSIGNMENTS", line.assignments,
                                    Help("FIELD=on|off または FIELD=NUMBER (順に)"));

    commands.eyeColour =
        options->add_subcommand("eye-colour", Help("アイドリング時の目の色を設定します"));
    AddImage(*commands.eyeColour, line);
    commands.eyeColour
        ->add_option("COLOUR", line.colour, Help("standard または R,G,B (それぞれ0～255)"))
        ->required();
    commands.eyeColour->add_flag("--energy-saving", line.energySaving, Help("省エネ(輝度減)"));
    commands.eyeColour->add_flag("--no-blink", line.noBlink,
                                 Help("点滅なし(2色目を1色目と同じに)"));
    AddRangeLimit(*commands.eyeColour, line);

    commands.patch = app.add_subcommand(
        "patch",
        Help("CSVのパッチファイルを当て、プログラムのオプションを当ててファイルを書き込みます"));
    AddImage(*commands.patch, line);
    commands.patch->add_option("FILE", line.patchPath, Help("パッチファイル(.CSV)"))->required();
    AddRangeLimit(*commands.patch, line);
    AddCodeFolder(*commands.patch, line);
}

void DefineSettingsCommands(CLI::App& app, CommandLine& line, Commands& commands) {
    CLI::App* settings = app.add_subcommand("settings", Help("カードの設定ファイル"));
    settings->require_subcommand(1, 1);
    commands.settingsShow = settings->add_subcommand(
        "show", Help("設定データ変更ダイアログが示すように設定を表示します"));
    AddImage(*commands.settingsShow, line);
    commands.settingsShow->add_flag("--json", line.json, Help("JSONのオブジェクトで表示します"));
    commands.settingsSet = settings->add_subcommand(
        "set", Help("設定データ変更ダイアログのように設定を変えてOKします"));
    AddImage(*commands.settingsSet, line);
    commands.settingsSet->add_option("ASSIGNMENTS", line.assignments, Help("KEY=VALUE (順に)"));
    commands.settingsRestore =
        settings->add_subcommand("restore", Help("問わずに標準値に戻してOKします"));
    AddImage(*commands.settingsRestore, line);
}

Commands DefineCommands(CLI::App& app, CommandLine& line) {
    app.set_version_flag("--version", kVersionText, Help("版を表示して終わります"));
    app.require_subcommand(1, 1);
    app.fallthrough(); // lets --yes stand after the command as well
    app.add_flag("--yes", line.yes, Help("すべての問いに「はい」と答えます(省略時は「いいえ」)"));
    app.add_option("--lang", line.lang,
                   Help("メッセージと出力の言語: ja(省略時)または "
                        "en。省略時はエディタがOrvix2.iniに残した選択に従います"))
        ->check(CLI::IsMember({"ja", "en"}));
    app.footer(Help(
        "STARTUP.BINを指定するコマンドは終わるまでカードのフォルダをロックします。エディタや別の\n"
        "orvix2-cliが同じカードに書き込んでいる間は5秒まで待ち、その後あきらめます(終了コード1、\n"
        "何も書き込みません)。読み込んだ後に他のプログラムで変更されたファイルは上書きしません。\n"
        "\n"
        "Orvix2.ini、backups/(置き換えたカードのファイルと変更履歴)とコードファイルは、\n"
        "Orvix2.iniがあればプログラムと同じフォルダに置きます(持ち運び用。Linuxでは/usrの下でなく\n"
        "書き込めるフォルダでも)。それ以外はLinuxでは~/.config/Orvix2($XDG_CONFIG_HOME/Orvix2)、\n"
        "Windowsでは%LOCALAPPDATA%\\Orvix2です。\n"
        "\n"
        "終了コード: 0 指示をすべて実行しました。1 値がチェックで拒否された、読み書きに失敗した、\n"
        "またはカードが使用中でした(何も書き込みません)。2 コマンドラインが間違っています。3 "
        "ファイル\n"
        "は書き込みましたが、指示の一部を実行できませんでした(メッセージがそれを示します)。\n"
        "diffだけはdiff(1)に従います: 0 同じ、1 違う、2 問題あり。"));

    Commands commands;
    CLI::App* calibration = app.add_subcommand("calibration", Help("STARTUP.BINのサーボ値の表"));
    calibration->require_subcommand(1, 1);

    commands.show = calibration->add_subcommand("show", Help("一つの表の値を表示します"));
    AddImageAndTable(*commands.show, line);
    commands.show->add_flag("--json", line.json, Help("JSONのオブジェクトで表示します"));

    commands.set = calibration->add_subcommand(
        "set", Help("書出しボタンのように一つの表に値を入れてファイルを書き込みます"));
    AddImageAndTable(*commands.set, line);
    commands.set->add_flag("--no-range-limit", line.noRangeLimit,
                           Help("原点補正が標準値±15°を越えるのを許します"));
    commands.attenuator = commands.set->add_option(
        "--attenuator", line.attenuator, Help("アッテネータの値(4,011バイトのファイルのみ)"));
    commands.set->add_option("ASSIGNMENTS", line.assignments, Help("ID2=値 ... ID21=値"));

    commands.restore =
        calibration->add_subcommand("restore", Help("問わずに一つの表の標準値を書き込みます"));
    AddImageAndTable(*commands.restore, line);

    DefineOptionCommands(app, line, commands);
    DefineSettingsCommands(app, line, commands);

    commands.demo = app.add_subcommand("demo", Help("フォルダに試験用のSDカードを作ります"));
    commands.demo->add_option("DIR", line.demoFolder, Help("カードのフォルダ"))->required();
    commands.demo->add_option("--layout", line.layout, Help("ペチのプログラムのレイアウト"))
        ->check(CLI::IsMember({"A", "B"}))
        ->capture_default_str();
    return commands;
}

// The --lang value of the command line, before CLI11 reads it ("--lang en" or "--lang=en"); the
// last one given counts, as for CLI11. Empty when there is none.
std::string LanguageOption(int argc, const char* const* argv) {
    std::string value;
    for (int i = 1; i < argc; ++i) {
        const std::string_view word = argv[i];
        if (word == "--lang" && i + 1 < argc) {
            value = argv[++i];
        } else if (word.starts_with("--lang=")) {
            value = word.substr(7);
        }
    }
    return value;
}

// A card folder stands for its STARTUP.BIN, found in any letter case, as for the history commands.
void TakeCardFolder(std::string& imagePath) {
    std::error_code error;
    const std::filesystem::path given = PathFromUtf8(imagePath);
    if (!imagePath.empty() && std::filesystem::is_directory(given, error)) {
        imagePath = Utf8FromPath(CardFilePath(given, "STARTUP.BIN"));
    }
}

// The folder of the card whose STARTUP.BIN the command names.
std::filesystem::path CardFolderOf(const std::string& imagePath) {
    const std::filesystem::path folder = PathFromUtf8(imagePath).parent_path();
    return folder.empty() ? std::filesystem::path(".") : folder;
}

int RunDemo(const CommandLine& line, std::ostream& out, std::ostream& err) {
    const Layout layout = line.layout == "B" ? Layout::B : Layout::A;
    const std::filesystem::path folder = PathFromUtf8(line.demoFolder);
    if (!MakeDemoCard(folder, layout, err)) {
        return kExitFailure;
    }
    out << Worded("レイアウト%1の試験用のカードを%2に作りました", {line.layout, line.demoFolder})
        << '\n';
    return kExitSuccess;
}

// Runs the command on the card named by its STARTUP.BIN, once the card's lock is taken.
int RunCardCommand(const CommandLine& line, const Commands& commands, const UserCommands& users,
                   const CommandContext& context, CliPrompter& prompter, CliPrompter& yes) {
    if (const std::optional<int> status = RunUserCommands(users, context)) {
        return *status;
    }
    OptionsArguments options;
    options.imagePath = line.imagePath;
    options.checkRange = !line.noRangeLimit;
    options.json = line.json;
    options.codeFolder = line.codeFolder;
    options.assignments = line.assignments;
    options.colour = line.colour;
    options.energySaving = line.energySaving;
    options.noBlink = line.noBlink;
    options.patchPath = line.patchPath;
    SettingsArguments settings{line.imagePath, line.json, line.assignments};
    if (commands.settingsShow->parsed()) {
        return ShowSettings(context, settings);
    }
    if (commands.settingsSet->parsed()) {
        return SetSettings(context, settings);
    }
    if (commands.settingsRestore->parsed()) {
        // restore is asked for on the command line
        return RestoreSettings(CommandContext{context.out, context.err, yes, context.settingsFile},
                               settings);
    }
    if (commands.optionsShow->parsed()) {
        return ShowOptions(context, options);
    }
    if (commands.optionsSet->parsed()) {
        return SetOptions(context, options);
    }
    if (commands.eyeColour->parsed()) {
        return SetEyeColour(context, prompter, options);
    }
    if (commands.patch->parsed()) {
        return ApplyPatch(context, prompter, options);
    }

    CalibrationArguments arguments;
    arguments.imagePath = line.imagePath;
    arguments.table = TableByName(line.table).value_or(0); // CLI11 has checked the name
    arguments.checkRange = !line.noRangeLimit;
    arguments.json = line.json;
    if (commands.attenuator->count() > 0) {
        arguments.attenuator = line.attenuator;
    }
    arguments.assignments = line.assignments;

    if (commands.show->parsed()) {
        return ShowCalibration(context, arguments);
    }
    if (commands.set->parsed()) {
        return SetCalibration(context, arguments);
    }
    return RestoreCalibration(context, arguments);
}

// The commands that only read the card, which share its lock with other readers.
bool OnlyReads(const Commands& commands, const UserCommands& users) {
    return commands.show->parsed() || commands.optionsShow->parsed() ||
           commands.settingsShow->parsed() || users.list->parsed() || users.names->parsed();
}

// The word of the command line that named no command where one was required: CLI11 only says
// that one is missing.
std::string UnknownCommand(const CLI::App& app) {
    for (const std::string& word : app.remaining(true)) {
        if (!word.empty() && word.front() != '-') {
            return word;
        }
    }
    return {};
}

} // namespace

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
           const CliEnvironment& environment) {
    // The language is chosen before the commands are defined, so that their help is in it.
    InstallSaveDescriber(); // every save records what it changed by meaning
    const std::filesystem::path settingsFile = SettingsFile(environment);
    const Language language = ChooseLanguage(
        LanguageOption(argc, argv),
        GetProfileString(Utf8FromPath(settingsFile), kSectionFile, kKeyLanguage, "", 8));
    const bool catalogueFound = SetInterfaceLanguage(
        language, environment.catalogues.empty() ? CatalogueCandidates(platform::ExecutableFolder())
                                                 : environment.catalogues);

    CLI::App app{Help("ペチのSDカードのファイルをコマンドラインで編集します。"), "orvix2-cli"};
    CommandLine line;
    const Commands commands = DefineCommands(app, line);
    UserCommands users;
    DefineUserCommands(app, users);
    HistoryArguments history;
    DefineHistoryCommands(app, history);
    UseInterfaceLanguage(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        if (const std::string word = UnknownCommand(app);
            !word.empty() && dynamic_cast<const CLI::RequiredError*>(&error) != nullptr) {
            err << "orvix2-cli: "
                << Filled(Translate("不明なコマンド「%1」です(--help で使い方を示します)"), word)
                << '\n';
            return kExitUsage;
        }
        const int status = app.exit(error, out, err); // prints the help, the version or the fault
        // diff keeps the exit status of diff(1): 2 is its trouble, the command line's too
        return status == 0 ? kExitSuccess : kExitUsage;
    }

    if (!catalogueFound) {
        // Said in both languages: without the catalogue there is no English to say it in.
        err << "orvix2-cli: 英語のカタログ(orvix2.mo)が見つかりません。日本語で表示します / the "
               "English catalogue (orvix2.mo) was not found; texts stay Japanese\n";
    }

    if (commands.demo->parsed()) {
        return RunDemo(line, out, err);
    }

    CliPrompter prompter(err, line.yes);
    const CommandContext context{out, err, prompter, settingsFile};
    // The history commands name cards and points of their own; restore locks its card itself.
    if (const std::optional<int> status = RunHistoryCommands(history, context)) {
        return *status;
    }
    // The card stays locked from the command's first read to its last write, so that a second
    // writer waits for this one instead of undoing its change; a command that only reads shares
    // the lock, and so never waits for an editor that is asking its user something (the editor
    // holds the lock only while it reads and writes). A folder that cannot be opened is left to
    // the command's own read, which says why.
    std::string& image = line.imagePath.empty() ? users.arguments.imagePath : line.imagePath;
    TakeCardFolder(image);
    const CardLock lock(CardFolderOf(image), kCardLockWait,
                        OnlyReads(commands, users) ? CardLock::Mode::Shared
                                                   : CardLock::Mode::Exclusive);
    if (lock.GetState() == CardLock::State::Busy) {
        prompter.Failure(IDP_CARD_BUSY, lock.Error().Describe(), Utf8FromPath(CardFolderOf(image)));
        return kExitFailure;
    }
    CliPrompter yes(err, true);
    const int status = RunCardCommand(line, commands, users, context, prompter, yes);
    // A write whose history entry could not be completed is done, but not all that was asked.
    if (status == kExitSuccess &&
        (prompter.Shown(IDP_HISTORY_NOT_FINISHED) || yes.Shown(IDP_HISTORY_NOT_FINISHED))) {
        return kExitPartial;
    }
    return status;
}

} // namespace orvix::cli
