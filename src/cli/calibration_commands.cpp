#include "cli/calibration_commands.h"

#include <nlohmann/json.hpp>
#include <set>
#include <system_error>

#include "calibration/editor_document.h"
#include "calibration/image_file.h"
#include "calibration/servo_table.h"
#include "cli/exit_status.h"
#include "cli/image_session.h"
#include "resources/main_dialog.h"
#include "resources/names.h"
#include "resources/translation.h"
#include "storage/file_io.h"
#include "ui/dialog_model.h"

namespace orvix::cli {

namespace {

const ServoRow& Servo(int k) {
    return kServoRows[static_cast<std::size_t>(k)];
}

std::optional<int> ServoByName(std::string_view name) {
    for (int k = 0; k < kServoCount; ++k) {
        if (ServoName(Servo(k)) == name) {
            return k;
        }
    }
    return std::nullopt;
}

// The calibration commands' session: the table and the range limit of the command line.
class CalibrationSession : public ImageSession {
public:
    CalibrationSession(const CommandContext& context, const CalibrationArguments& arguments)
        : ImageSession(context, arguments.imagePath, arguments.table, arguments.checkRange) {}
};

nlohmann::ordered_json FieldJson(const ui::DialogModel& model, int fieldId) {
    const std::optional<int> value = model.GetInt(fieldId);
    return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
}

void PrintJson(CalibrationSession& session, const CalibrationArguments& arguments,
               std::ostream& out) {
    const EditorDocument& document = session.Document();
    const ui::DialogModel& model = session.Model();
    nlohmann::ordered_json servos = nlohmann::ordered_json::object();
    for (int k = 0; k < kServoCount; ++k) {
        servos[std::string(ServoName(Servo(k)))] = FieldJson(model, Servo(k).fieldId);
    }
    nlohmann::ordered_json json;
    json["path"] = document.imagePath;
    json["form"] = document.isBinaryImage ? "binary" : "text";
    json["layout"] = document.buildVariant ? "B" : "A";
    json["size"] = document.ImageSize();
    json["table"] = kTableNames[arguments.table];
    json["attenuator"] = session.AttenuatorShown() ? FieldJson(model, main_dlg::IDC_ATTENUATOR)
                                                   : nlohmann::ordered_json(nullptr);
    json["servos"] = std::move(servos);
    // A path from an old card may hold bytes that are not UTF-8; they print as U+FFFD.
    out << json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
}

void PrintLines(CalibrationSession& session, std::ostream& out) {
    const ui::DialogModel& model = session.Model();
    for (int k = 0; k < kServoCount; ++k) {
        const std::string_view key = ServoName(Servo(k));
        out << NameOf(kServoArea, key) << '\t' << NameOf(kSideArea, key) << '\t'
            << model.GetText(Servo(k).fieldId) << '\n';
    }
    if (session.AttenuatorShown()) {
        out << NameOf(kServoArea, "attenuator") << "\t\t" << model.GetText(main_dlg::IDC_ATTENUATOR)
            << '\n';
    }
}

// When a check refused a value, the save gave its field the focus: names the key and the value.
void NameRefusedField(const ui::DialogModel& model, const std::vector<ServoAssignment>& assignments,
                      const CalibrationArguments& arguments, std::ostream& err) {
    const int focus = model.Focus();
    std::string key;
    std::optional<std::string> given;
    if (focus == main_dlg::IDC_ATTENUATOR) {
        key = "--attenuator";
        given = arguments.attenuator;
    }
    for (int k = 0; focus != 0 && k < kServoCount; ++k) {
        if (Servo(k).fieldId == focus) {
            key = ServoName(Servo(k));
            for (const ServoAssignment& assignment : assignments) {
                if (assignment.servo == k) {
                    given = assignment.text;
                }
            }
        }
    }
    if (key.empty()) {
        return;
    }
    const std::string assignment = key + '=' + (given ? *given : model.GetText(focus));
    err << "orvix2-cli: "
        << (given ? Worded("拒否しました: %1", {assignment})
                  : Worded("拒否しました: %1 (ファイルにある値)", {assignment}))
        << '\n';
}

} // namespace

std::optional<std::uint32_t> TableByName(std::string_view name) {
    for (std::uint32_t table = 0; table < kTableNames.size(); ++table) {
        if (kTableNames[table] == name) {
            return table;
        }
    }
    return std::nullopt;
}

std::optional<std::vector<ServoAssignment>>
ParseAssignments(const std::vector<std::string>& assignments, std::ostream& err) {
    std::vector<ServoAssignment> parsed;
    std::set<int> named;
    for (const std::string& assignment : assignments) {
        const std::string::size_type equals = assignment.find('=');
        if (equals == std::string::npos) {
            err << "orvix2-cli: " << Worded("'%1'はID2=値の形ではありません", {assignment}) << '\n';
            return std::nullopt;
        }
        const std::string name = assignment.substr(0, equals);
        const std::optional<int> servo = ServoByName(name);
        if (!servo) {
            err << "orvix2-cli: " << Worded("サーボ'%1'はありません。サーボはID2～ID21です", {name})
                << '\n';
            return std::nullopt;
        }
        if (!named.insert(*servo).second) {
            err << "orvix2-cli: " << Worded("サーボ%1が二度以上指定されています", {name}) << '\n';
            return std::nullopt;
        }
        parsed.push_back(ServoAssignment{*servo, assignment.substr(equals + 1)});
    }
    return parsed;
}

int ShowCalibration(const CommandContext& context, const CalibrationArguments& arguments) {
    CalibrationSession session(context, arguments);
    if (!session.Load()) {
        return kExitFailure;
    }
    if (arguments.json) {
        PrintJson(session, arguments, context.out);
    } else {
        PrintLines(session, context.out);
    }
    return kExitSuccess;
}

int SetCalibration(const CommandContext& context, const CalibrationArguments& arguments) {
    const std::optional<std::vector<ServoAssignment>> assignments =
        ParseAssignments(arguments.assignments, context.err);
    if (!assignments) {
        return kExitUsage;
    }
    if (assignments->empty() && !arguments.attenuator) {
        context.err
            << "orvix2-cli: "
            << Translate("設定する値がありません。ID2=値 ... か --attenuator 値を指定してください")
            << '\n';
        return kExitUsage;
    }
    CalibrationSession session(context, arguments);
    if (!session.Load()) {
        return kExitFailure;
    }
    if (arguments.attenuator && !session.AttenuatorShown()) {
        context.err << "orvix2-cli: "
                    << Worded("%1にはアッテネータがありません。--attenuatorは使えません",
                              {arguments.imagePath})
                    << '\n';
        return kExitFailure;
    }
    for (const ServoAssignment& assignment : *assignments) {
        session.Model().SetText(Servo(assignment.servo).fieldId, assignment.text);
    }
    if (arguments.attenuator) {
        session.Model().SetText(main_dlg::IDC_ATTENUATOR, *arguments.attenuator);
    }
    if (session.Save()) {
        return kExitSuccess;
    }
    NameRefusedField(session.Model(), *assignments, arguments, context.err);
    return kExitFailure;
}

int RestoreCalibration(const CommandContext& context, const CalibrationArguments& arguments) {
    CalibrationSession session(context, arguments);
    if (!session.Load()) {
        return kExitFailure;
    }
    for (int k = 0; k < kServoCount; ++k) {
        session.Model().SetInt(Servo(k).fieldId, StandardTableValue(k, arguments.table));
    }
    return session.Save() ? kExitSuccess : kExitFailure;
}

} // namespace orvix::cli
