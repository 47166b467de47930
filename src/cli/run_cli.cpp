#include "cli/run_cli.h"

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/calibration_commands.h"
#include "cli/cli_prompter.h"
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
    verb.add_option("IMAGE", line.imagePath, "STARTUP.BIN in its binary or text form")->required();
    verb.add_option("--table", line.table, "The calibration table")
        ->check(CLI::IsMember(std::vector<std::string>(kTableNames.begin(), kTableNames.end())))
        ->capture_default_str();
}

void AddImage(CLI::App& verb, CommandLine& line) {
    verb.add_option("IMAGE", line.imagePath, "STARTUP.BIN")->required();
}

void AddCodeFolder(CLI::App& verb, CommandLine& line) {
    verb.add_option("--code-dir", line.codeFolder,
                    "The folder of SERVO.BIN, REMOTE.BIN, VOICE.BIN and REMOTEBLK.BIN "
                    "(default: the folder of Orvix2.ini)");
}

void AddRangeLimit(CLI::App& verb, CommandLine& line) {
    verb.add_flag("--no-range-limit", line.noRangeLimit,
                  "Allow origin corrections beyond the standard value ±15° on save");
}

void DefineOptionCommands(CLI::App& app, CommandLine& line, Commands& commands) {
    CLI::App* options =
        app.add_subcommand("options", "The options of the robot's program in STARTUP.BIN");
    options->require_subcommand(1, 1);

    commands.optionsShow = options->add_subcommand("show", "Print the options of the program");
    AddImage(*commands.optionsShow, line);
    commands.optionsShow->add_flag("--json", line.json, "Print a JSON object");

    commands.optionsSet =
        options->add_subcommand("set", "Change options as the program change dialog does, then OK");
    AddImage(*commands.optionsSet, line);
    AddRangeLimit(*commands.optionsSet, line);
    AddCodeFolder(*commands.optionsSet, line);
    commands.optionsSet->add_option("ASSIGNMENTS", line.assignments,
                                    "FIELD=on|off or FIELD=NUMBER, in order");

    commands.eyeColour = options->add_subcommand("eye-colour", "Set the eye colour while idling");
    AddImage(*commands.eyeColour, line);
    commands.eyeColour->add_option("COLOUR", line.colour, "standard, or R,G,B (0 to 255 each)")
        ->required();
    commands.eyeColour->add_flag("--energy-saving", line.energySaving, "Reduced brightness");
    commands.eyeColour->add_flag("--no-blink", line.noBlink, "The second colour as the first");
    AddRangeLimit(*commands.eyeColour, line);

    commands.patch = app.add_subcommand(
        "patch", "Apply a CSV patch file, then the program's options, and write the file");
    AddImage(*commands.patch, line);
    commands.patch->add_option("FILE", line.patchPath, "The patch file (.CSV)")->required();
    AddRangeLimit(*commands.patch, line);
    AddCodeFolder(*commands.patch, line);
}

void DefineSettingsCommands(CLI::App& app, CommandLine& line, Commands& commands) {
    CLI::App* settings = app.add_subcommand("settings", "The setting files of the card");
    settings->require_subcommand(1, 1);
    commands.settingsShow = settings->add_subcommand(
        "show", "Print the settings as the settings data dialog shows them");
    AddImage(*commands.settingsShow, line);
    commands.settingsShow->add_flag("--json", line.json, "Print a JSON object");
    commands.settingsSet = settings->add_subcommand(
        "set", "Change settings as the settings data dialog does, then OK");
    AddImage(*commands.settingsSet, line);
    commands.settingsSet->add_option("ASSIGNMENTS", line.assignments, "KEY=VALUE, in order");
    commands.settingsRestore = settings->add_subcommand(
        "restore", "Put the standard values back, without asking, then OK");
    AddImage(*commands.settingsRestore, line);
}

Commands DefineCommands(CLI::App& app, CommandLine& line) {
    app.set_version_flag("--version", kVersionText);
    app.require_subcommand(1, 1);
    app.fallthrough(); // lets --yes stand after the command as well
    app.add_flag("--yes", line.yes, "Answer Yes to every question (otherwise No)");
    app.add_option("--lang", line.lang,
                   "The language of messages and output: ja (default) or en; kept otherwise "
                   "as the editor's choice in Orvix2.ini")
        ->check(CLI::IsMember({"ja", "en"}));
    app.footer(
        "Each command that names a STARTUP.BIN locks the card's folder until it ends; while the\n"
        "editor or another orvix2-cli writes to the same card, it waits up to 5 seconds, then\n"
        "gives up (exit status 1, nothing written). A file that another program changed since\n"
        "the command read it is not written over.\n"
        "\n"
        "Orvix2.ini, backups/ (each replaced card file, the card history) and the code files\n"
        "lie beside the program when an Orvix2.ini is there (a portable copy; on Linux also when\n"
        "that folder may be written and is not below /usr), otherwise in ~/.config/Orvix2 on\n"
        "Linux ($XDG_CONFIG_HOME/Orvix2) and in %LOCALAPPDATA%\\Orvix2 on Windows.\n"
        "\n"
        "Exit status: 0 everything asked was done; 1 a check refused a value, a read or write\n"
        "failed, or the card was busy (nothing written); 2 the command line is wrong; 3 the\n"
        "file was written, but a requested change could not be made (the message names it).\n"
        "diff alone follows diff(1): 0 the same, 1 different, 2 trouble.");

    Commands commands;
    CLI::App* calibration =
        app.add_subcommand("calibration", "The calibration tables of STARTUP.BIN");
    calibration->require_subcommand(1, 1);

    commands.show = calibration->add_subcommand("show", "Print the values of one table");
    AddImageAndTable(*commands.show, line);
    commands.show->add_flag("--json", line.json, "Print a JSON object");

    commands.set = calibration->add_subcommand(
        "set", "Put values into one table and write the file, as the write button does");
    AddImageAndTable(*commands.set, line);
    commands.set->add_flag("--no-range-limit", line.noRangeLimit,
                           "Allow origin corrections beyond the standard value ±15°");
    commands.attenuator = commands.set->add_option(
        "--attenuator", line.attenuator, "The attenuator value (files of 4,011 bytes only)");
    commands.set->add_option("ASSIGNMENTS", line.assignments, "ID2=VALUE ... ID21=VALUE");

    commands.restore = calibration->add_subcommand(
        "restore", "Write the built-in values of one table, without asking");
    AddImageAndTable(*commands.restore, line);

    DefineOptionCommands(app, line, commands);
    DefineSettingsCommands(app, line, commands);

    commands.demo = app.add_subcommand("demo", "Make a synthetic SD card in a folder");
    commands.demo->add_option("DIR", line.demoFolder, "The folder of the card")->required();
    commands.demo->add_option("--layout", line.layout, "The layout of the robot's program")
        ->check(CLI::IsMember({"A", "B"}))
        ->capture_default_str();
    return commands;
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
    out << "made a synthetic card of layout " << line.layout << " in " << line.demoFolder << '\n';
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

} // namespace

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
           const CliEnvironment& environment) {
    CLI::App app{"Edits the files of the robot's SD card from the command line.", "orvix2-cli"};
    CommandLine line;
    const Commands commands = DefineCommands(app, line);
    UserCommands users;
    DefineUserCommands(app, users);
    HistoryArguments history;
    DefineHistoryCommands(app, history);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error, out, err); // prints the help, the version or the fault
        // diff keeps the exit status of diff(1): 2 is its trouble, the command line's too
        return status == 0 ? kExitSuccess : kExitUsage;
    }

    InstallSaveDescriber(); // every save records what it changed by meaning
    const std::filesystem::path settingsFile = SettingsFile(environment);
    const Language language = ChooseLanguage(
        line.lang, GetProfileString(Utf8FromPath(settingsFile), kSectionFile, kKeyLanguage, "", 8));
    if (!SetInterfaceLanguage(language, environment.catalogues.empty()
                                            ? CatalogueCandidates(platform::ExecutableFolder())
                                            : environment.catalogues)) {
        err << "orvix2-cli: the English catalogue (orvix2.mo) was not found; texts stay Japanese\n";
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
    const std::string& image = line.imagePath.empty() ? users.arguments.imagePath : line.imagePath;
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
