#include "cli/users_commands.h"

#include <CLI/CLI.hpp>
#include <array>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <utility>

#include "cli/exit_status.h"
#include "cli/headless_dialog.h"
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

// A text line's value: the JSON value without quotes, "-" for none, days as "0,6".
std::string Cell(const Json& value) {
    if (value.is_null()) {
        return "-";
    }
    if (value.is_string()) {
        return value.get<std::string>();
    }
    if (value.is_array()) {
        std::string text;
        for (const Json& item : value) {
            text += (text.empty() ? "" : ",") + item.dump();
        }
        return text.empty() ? "-" : text;
    }
    return value.dump();
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
    // One line a user, by the number the list shows: its name number and name, then the dates
    // and the days.
    for (const Json& slot : slots) {
        context.out << slot["slot"].get<int>() + 1;
        if (!slot["inUse"].get<bool>()) {
            context.out << "\tfree\n";
            continue;
        }
        for (const char* key : {"nameNumber", "name", "birthday", "anniversary", "specialDay",
                                "lessonDays", "garbageDays"}) {
            context.out << '\t' << Cell(slot[key]);
        }
        context.out << '\n';
    }
    return kExitSuccess;
}

int NewUser(const CommandContext& context, const UsersArguments& arguments) {
    UserListSession session(context, arguments.imagePath);
    if (!session.Open()) {
        return kExitFailure;
    }
    ui::DialogModel& list = session.Model();
    if (!list.IsEnabled(user_dlg::IDC_NEW_USER)) {
        context.err << "orvix2-cli: no user slot is free\n";
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
    return registered() > before ? kExitSuccess : kExitFailure;
}

int SetUser(const CommandContext& context, const UserCommands& commands) {
    const UsersArguments& arguments = commands.arguments;
    const auto fill = [&](ui::DialogModel& data) {
        using namespace date_dlg;
        if (commands.nameIndex->count() > 0) {
            data.ChooseItem(IDC_NAME, arguments.nameIndex - kFirstOfferedName);
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
                context.err << "orvix2-cli: " << option->get_name() << " '" << *box.second
                            << "' was refused; nothing was written\n";
            }
        }
    };
    UserListSession session(context, arguments.imagePath, fill);
    if (!session.Open()) {
        return kExitFailure;
    }
    const int edit = user_dlg::IDC_FIRST_EDIT + arguments.number - 1;
    if (!session.Model().IsEnabled(edit)) {
        context.err << "orvix2-cli: user " << arguments.number
                    << " is not registered; its slot is free\n";
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
        "users", "The user register: the ten user files and the name table beside STARTUP.BIN");
    users->require_subcommand(1, 1);
    const auto addImage = [&](CLI::App* verb) {
        verb->add_option("IMAGE", a.imagePath, "STARTUP.BIN of the card, or the card folder")
            ->required();
    };

    commands.list = users->add_subcommand("list", "Print the ten user slots");
    addImage(commands.list);
    commands.list->add_flag("--json", a.json,
                            "Print a JSON array; slot 0 to 9 is user number 1 to 10");

    commands.create = users->add_subcommand(
        "new", "Create a user in the first free slot, as the new-user button does");
    addImage(commands.create);

    commands.set = users->add_subcommand(
        "set", "Change a user as the user data dialog does, then OK; what is not given stays");
    addImage(commands.set);
    // Numbers as plain decimal digits: no sign plus, blanks, base prefix or point.
    const CLI::Validator whole(
        [](std::string& value) {
            return IsWholeNumber(value) ? std::string() : "a whole number, not '" + value + "'";
        },
        "INTEGER");
    commands.set->add_option("NUMBER", a.number, "The user number, 1 to 10")
        ->required()
        ->check(whole)
        ->check(CLI::Range(1, kUserSlotCount));
    commands.nameIndex =
        commands.set
            ->add_option("--name-index", a.nameIndex,
                         "The name by its entry in the name table, 1 to 2324 (users names)")
            ->check(whole)
            ->check(CLI::Range(kFirstOfferedName, kFirstOfferedName + kOfferedNameCount - 1));
    commands.birthday =
        commands.set->add_option("--birthday", a.birthday, "MONTH/DAY, or \"\" for none");
    commands.anniversary = commands.set->add_option("--anniversary", a.anniversary,
                                                    "The wedding anniversary, MONTH/DAY or \"\"");
    commands.specialDay =
        commands.set->add_option("--special-day", a.specialDay, "MONTH/DAY, or \"\" for none");
    const CLI::Validator days(
        [](std::string& value) {
            return ParseDayList(value) ? std::string()
                                       : "a list of days 0 (Sunday) to 6 (Saturday) such as 0,6, "
                                         "not '" +
                                             value + "'";
        },
        "D,D,...");
    commands.lessons = commands.set
                           ->add_option("--lessons", a.lessons,
                                        "The lesson days, 0 Sunday to 6 Saturday, or \"\" for none")
                           ->check(days);
    commands.garbage =
        commands.set
            ->add_option("--garbage", a.garbage,
                         "The garbage days, 0 Sunday to 6 Saturday, or \"\" for none")
            ->check(days);

    commands.names =
        users->add_subcommand("names", "Print the names on offer: index, name number and name");
    addImage(commands.names);
    commands.names->add_flag("--json", a.json, "Print a JSON array");
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
