#include "cli/users_commands.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <utility>

#include "cli/cli_texts.h"
#include "cli/exit_status.h"
#include "cli/headless_dialog.h"
#include "cli/shown_lines.h"
#include "resources/names.h"
#include "resources/string_table.h"
#include "resources/translation.h"
#include "resources/user_dialogs.h"
#include "users/user_dialog.h"
#include "users/user_record.h"

namespace orvix::cli {

namespace {

using Json = nlohmann::ordered_json;

// Runs the user data dialog without a window: its initialisation, then what the command line
// asks of it. A dialog the script leaves open is cancelled.
class ScriptRunner : public ui::DialogRunner {
public:
    using Script = std::function<void(ui::DialogModel&)>;
    explicit ScriptRunner(Script script) : script_(std::move(script)) {}

    int RunModal(ui::DialogController& dialog) override {
        ui::DialogModel model(dialog.Template());
        dialog.Attach(model);
        dialog.OnInitDialog();
        model.ProcessPosted();
        if (!model.Ended() && script_) {
            script_(model);
        }
        if (!model.Ended()) {
            model.EndDialog(ui::kIdCancel);
        }
        accepted_ = model.Result() == ui::kIdOk;
        return model.Result();
    }
    bool Accepted() const { return accepted_; }

private:
    Script script_;
    bool accepted_ = false;
};

// The user list dialog without a window, on the card of a loaded image.
class UserListSession {
public:
    UserListSession(const CommandContext& context, const std::string& imagePath,
                    ScriptRunner::Script dataDialog = {})
        : image_(context, imagePath),
          runner_(std::move(dataDialog)), services_{context.prompter, runner_},
          dialog_(UserDialogTemplate(), context.err) {}

    // False when the image or the list cannot be loaded (the messages have been shown).
    bool Open() {
        return image_.Load() &&
               dialog_.Open(std::make_unique<CUserDialog>(services_, image_.Document()));
    }
    ui::DialogModel& Model() { return dialog_.Model(); }
    HeadlessDialog& Dialog() { return dialog_; }
    bool DataAccepted() const { return runner_.Accepted(); }

private:
    ImageSession image_;
    ScriptRunner runner_;
    ui::UiServices services_;
    HeadlessDialog dialog_;
};

// The slots as the list reads them.
class CollectedList : public UserListReceiver {
public:
    void AddUser(const UserListRow& row) override {
        rows[static_cast<std::size_t>(row.slot)] = row;
    }
    void AddFreeSlot(int) override {}

    std::array<std::optional<UserListRow>, kUserSlotCount> rows;
};

Json DateJson(UserDate date) {
    return date.IsSet() ? Json(FormatDateText(date.month, date.day)) : Json(nullptr);
}

Json DaysJson(std::uint8_t days) {
    Json list = Json::array();
    for (int day = 0; day < kDayCount; ++day) {
        if ((days & DayMask(day)) != 0) {
            list.push_back(day);
        }
    }
    return list;
}

Json SlotJson(int slot, const std::optional<UserListRow>& row) {
    Json j{{"slot", slot}, {"inUse", row.has_value()}};
    if (!row) {
        return j;
    }
    const UserRecord& record = row->record;
    j["nameIndex"] = record.nameIndex;
    j["nameNumber"] = row->nameNumber ? Json(*row->nameNumber) : Json(nullptr);
    j["name"] = row->name;
    j["birthday"] = DateJson(record.birthday);
    j["anniversary"] = DateJson(record.anniversary);
    j["specialDay"] = DateJson(record.specialDay);
    j["lessonDays"] = DaysJson(record.lessonDays);
    j["garbageDays"] = DaysJson(record.garbageDays);
    return j;
}

void Print(const Json& json, std::ostream& out) {
    out << json.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
}

int ListUsers(const CommandContext& context, const UsersArguments& arguments) {
    ImageSession image(context, arguments.imagePath);
    CollectedList list;
    if (!image.Load() || !LoadUserList(image.Document(), context.prompter, list)) {
        return kExitFailure;
    }
    Json slots = Json::array();
    for (int slot = 0; slot < kUserSlotCount; ++slot) {
        slots.push_back(SlotJson(slot, list.rows[static_cast<std::size_t>(slot)]));
    }
    if (arguments.json) {
        Print(slots, context.out);
        return kExitSuccess;
    }
    // A header line, then one line a user, by the number the list shows: its name number and
    // name, then the dates and the days.
    constexpr const char* kColumns[] = {"nameNumber", "name",       "birthday",   "anniversary",
                                        "specialDay", "lessonDays", "garbageDays"};
    context.out << NameOf(kUserArea, "number");
    for (const char* key : kColumns) {
        context.out << '\t' << NameOf(kUserArea, key);
    }
    context.out << '\n';
    for (const Json& slot : slots) {
        context.out << slot["slot"].get<int>() + 1;
        if (!slot["inUse"].get<bool>()) {
            context.out << '\t' << NameOf(kValueArea, "free") << '\n';
            continue;
        }
        for (const char* key : kColumns) {
            context.out << '\t' << ShownJson(kUserArea, key, slot[key]);
        }
        context.out << '\n';
    }
    return kExitSuccess;
}

// Passes every question on, noting whether the new user's was answered other than Yes.
class NewUserPrompter : public ui::Prompter {
public:
    explicit NewUserPrompter(ui::Prompter& inner) : inner_(inner) {}
    ui::Answer ShowMessage(const ui::MessageRequest& request) override {
        const ui::Answer answer = inner_.ShowMessage(request);
        declined_ =
            declined_ || (request.messageId == IDP_CREATE_USER && answer != ui::Answer::Yes);
        return answer;
    }
    std::optional<std::string> ChooseOpenFile(const ui::OpenFileRequest& request) override {
        return inner_.ChooseOpenFile(request);
    }
    std::optional<ui::Rgb> ChooseColour(ui::Rgb initial) override {
        return inner_.ChooseColour(initial);
    }
    bool Declined() const { return declined_; }

private:
    ui::Prompter& inner_;
    bool declined_ = false;
};

int NewUser(const CommandContext& given, const UsersArguments& arguments) {
    NewUserPrompter prompter(given.prompter);
    const CommandContext context{given.out, given.err, prompter, given.settingsFile};
    UserListSession session(context, arguments.imagePath);
    if (!session.Open()) {
        return kExitFailure;
    }
    ui::DialogModel& list = session.Model();
    if (!list.IsEnabled(user_dlg::IDC_NEW_USER)) {
        context.err << "orvix2-cli: " << Translate("ユーザの空きがありません") << '\n';
        return kExitFailure;
    }
    // A user made has its edit button enabled.
    const auto registered = [&] {
        int count = 0;
        for (int slot = 0; slot < kUserSlotCount; ++slot) {
            count += list.IsEnabled(user_dlg::IDC_FIRST_EDIT + slot) ? 1 : 0;
        }
        return count;
    };
    const int before = registered();
    list.Click(user_dlg::IDC_NEW_USER);
    if (prompter.Declined()) {
        context.err << "orvix2-cli: "
                    << Worded("%1は行いませんでした: 問いに「いいえ」と答えました(--yesで「はい」)",
                              {"users new"})
                    << '\n';
    }
    return registered() > before ? kExitSuccess : kExitFailure;
}

// The whole number given for key (checked by the parser) when it lies in low to high (low > 0);
// otherwise the refusal is said, naming KEY=VALUE.
std::optional<int> InRange(const CommandContext& context, const std::string& key,
                           const std::string& given, int low, int high) {
    // More digits than any number in range has (leading zeros aside) are beyond it.
    const std::string digits = given.substr(std::min(given.find_first_not_of('0'), given.size()));
    const int value = given.starts_with('-') ? low - 1
                      : digits.size() > 9    ? high + 1
                                             : std::stoi("0" + digits);
    if (value >= low && value <= high) {
        return value;
    }
    context.err << "orvix2-cli: "
                << Worded("%1は拒否されました(%2～%3の外です)。何も書き込みませんでした",
                          {key + '=' + given, std::to_string(low), std::to_string(high)})
                << '\n';
    return std::nullopt;
}

int SetUser(const CommandContext& context, const UserCommands& commands) {
    const UsersArguments& arguments = commands.arguments;
    // Every value is checked before the card is read.
    const std::optional<int> number =
        InRange(context, "NUMBER", arguments.number, 1, kUserSlotCount);
    const std::optional<int> nameIndex =
        commands.nameIndex->count() == 0
            ? std::optional<int>(0)
            : InRange(context, "--name-index", arguments.nameIndex, kFirstOfferedName,
                      kFirstOfferedName + kOfferedNameCount - 1);
    if (!number || !nameIndex) {
        return kExitFailure;
    }
    const auto fill = [&](ui::DialogModel& data) {
        using namespace date_dlg;
        if (commands.nameIndex->count() > 0) {
            data.ChooseItem(IDC_NAME, *nameIndex - kFirstOfferedName);
        }
        const std::pair<CLI::Option*, std::pair<int, const std::string*>> dates[] = {
            {commands.birthday, {IDC_BIRTHDAY, &arguments.birthday}},
            {commands.anniversary, {IDC_ANNIVERSARY, &arguments.anniversary}},
            {commands.specialDay, {IDC_SPECIAL_DAY, &arguments.specialDay}},
        };
        for (const auto& [option, box] : dates) {
            if (option->count() > 0) {
                data.Type(box.first, *box.second);
            }
        }
        const std::pair<const CLI::Option*, std::pair<int, const std::string*>> days[] = {
            {commands.lessons, {IDC_FIRST_LESSON_DAY, &arguments.lessons}},
            {commands.garbage, {IDC_FIRST_GARBAGE_DAY, &arguments.garbage}},
        };
        for (const auto& [option, boxes] : days) {
            if (option->count() == 0) {
                continue;
            }
            const std::uint8_t wanted = ParseDayList(*boxes.second).value_or(0);
            for (int day = 0; day < kDayCount; ++day) {
                if (data.IsChecked(boxes.first + day) != ((wanted & DayMask(day)) != 0)) {
                    data.Click(boxes.first + day);
                }
            }
        }
        data.Click(IDC_OK);
        for (const auto& [option, box] : dates) {
            if (!data.Ended() && data.Focus() == box.first) {
                context.err << "orvix2-cli: "
                            << Worded("%1は拒否されました。何も書き込みませんでした",
                                      {option->get_name() + '=' + *box.second})
                            << '\n';
            }
        }
    };
    UserListSession session(context, arguments.imagePath, fill);
    if (!session.Open()) {
        return kExitFailure;
    }
    const int edit = user_dlg::IDC_FIRST_EDIT + *number - 1;
    if (!session.Model().IsEnabled(edit)) {
        context.err << "orvix2-cli: "
                    << Worded("ユーザ%1は登録されていません(空きです)", {std::to_string(*number)})
                    << '\n';
        return kExitFailure;
    }
    session.Dialog().Click(edit);
    return session.DataAccepted() ? kExitSuccess : kExitFailure;
}

int ListNames(const CommandContext& context, const UsersArguments& arguments) {
    ImageSession image(context, arguments.imagePath);
    if (!image.Load() || !LoadNameTable(image.Document(), context.prompter)) {
        return kExitFailure;
    }
    const NameTable table(image.Document().nameTable);
    Json names = Json::array();
    for (int index = kFirstOfferedName; index < kFirstOfferedName + kOfferedNameCount; ++index) {
        const NameEntry entry = table.Entry(index);
        if (arguments.json) {
            names.push_back(Json{
                {"index", index}, {"nameNumber", entry.nameNumber}, {"name", NameText(entry)}});
        } else {
            context.out << index << '\t' << entry.nameNumber << '\t' << NameText(entry) << '\n';
        }
    }
    if (arguments.json) {
        Print(names, context.out);
    }
    return kExitSuccess;
}

} // namespace

std::optional<std::uint8_t> ParseDayList(const std::string& text) {
    std::uint8_t days = 0;
    for (std::size_t at = 0; at < text.size(); at += 2) {
        const char day = text[at];
        const bool last = at + 1 == text.size();
        if (day < '0' || day >= '0' + kDayCount || (!last && text[at + 1] != ',') ||
            (at + 2 == text.size())) {
            return std::nullopt;
        }
        days |= DayMask(day - '0');
    }
    return days;
}

void DefineUserCommands(CLI::App& app, UserCommands& commands) {
    UsersArguments& a = commands.arguments;
    CLI::App* users = app.add_subcommand(
        "users", Help("ユーザ登録: STARTUP.BINの横にある10のユーザファイルと名前の表"));
    users->require_subcommand(1, 1);
    const auto addImage = [&](CLI::App* verb) {
        verb->add_option("IMAGE", a.imagePath, Help("カードのSTARTUP.BIN、またはカードのフォルダ"))
            ->required();
    };

    commands.list = users->add_subcommand("list", Help("10人分のユーザを表示します"));
    addImage(commands.list);
    commands.list->add_flag("--json", a.json,
                            Help("JSONの配列で表示します。slot 0～9がユーザ番号1～10です"));

    commands.create =
        users->add_subcommand("new", Help("新規作成ボタンのように最初の空きにユーザを作ります"));
    addImage(commands.create);

    commands.set =
        users->add_subcommand("set", Help("ユーザ登録データ変更ダイアログのようにユーザを変えてOKし"
                                          "ます。指定しないものはそのままです"));
    addImage(commands.set);
    // Numbers as plain decimal digits: no sign plus, blanks, base prefix or point (a usage error).
    // One out of its range is a value refused, as the other commands refuse values.
    const CLI::Validator whole(
        [](std::string& value) {
            return IsWholeNumber(value) ? std::string()
                                        : Worded("'%1'は整数ではありません", {value});
        },
        "");
    commands.set->add_option("NUMBER", a.number, Help("ユーザ番号(1～10)"))
        ->type_name(Help("整数"))
        ->required()
        ->check(whole);
    commands.nameIndex =
        commands.set
            ->add_option("--name-index", a.nameIndex,
                         Help("名前の表での名前の位置(1～2324、users namesで一覧)"))
            ->type_name(Help("整数"))
            ->check(whole);
    commands.birthday =
        commands.set->add_option("--birthday", a.birthday, Help("月/日、なしは \"\""));
    commands.anniversary = commands.set->add_option("--anniversary", a.anniversary,
                                                    Help("結婚記念日: 月/日、なしは \"\""));
    commands.specialDay =
        commands.set->add_option("--special-day", a.specialDay, Help("月/日、なしは \"\""));
    const CLI::Validator days(
        [](std::string& value) {
            return ParseDayList(value)
                       ? std::string()
                       : Worded("'%1'は0(日)～6(土)の曜日の並び(0,6など)ではありません", {value});
        },
        "D,D,...");
    commands.lessons =
        commands.set
            ->add_option("--lessons", a.lessons, Help("習い事の日: 0(日)～6(土)、なしは \"\""))
            ->check(days);
    commands.garbage =
        commands.set
            ->add_option("--garbage", a.garbage, Help("ゴミの日: 0(日)～6(土)、なしは \"\""))
            ->check(days);

    commands.names =
        users->add_subcommand("names", Help("選べる名前を表示します: 位置、名前番号、名前"));
    addImage(commands.names);
    commands.names->add_flag("--json", a.json, Help("JSONの配列で表示します"));
}

std::optional<int> RunUserCommands(const UserCommands& commands, const CommandContext& context) {
    if (commands.list->parsed()) {
        return ListUsers(context, commands.arguments);
    }
    if (commands.create->parsed()) {
        return NewUser(context, commands.arguments);
    }
    if (commands.set->parsed()) {
        return SetUser(context, commands);
    }
    if (commands.names->parsed()) {
        return ListNames(context, commands.arguments);
    }
    return std::nullopt;
}

} // namespace orvix::cli
