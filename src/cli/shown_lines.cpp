#include "cli/shown_lines.h"

#include "resources/names.h"

namespace orvix::cli {

std::string ShownJson(std::string_view area, std::string_view key,
                      const nlohmann::ordered_json& value) {
    if (value.is_null()) {
        return std::string(NoValue());
    }
    if (value.is_boolean()) {
        return std::string(NameOf(kValueArea, value.get<bool>() ? "on" : "off"));
    }
    if (value.is_object() && value.contains("month") && value.contains("day")) {
        return value["month"].dump() + "/" + value["day"].dump();
    }
    if (value.is_array()) {
        std::string list = "[";
        for (const nlohmann::ordered_json& item : value) {
            list += list.size() > 1 ? "," : "";
            list += item.is_string() ? item.get<std::string>() : item.dump();
        }
        list += ']';
        const std::string shown = ShownValue(area, key, list);
        return shown.starts_with('[') ? shown.substr(1, shown.size() - 2) : shown;
    }
    if (value.is_string()) {
        return ShownValue(area, key, value.get<std::string>());
    }
    return value.dump();
}

void PrintShownLines(std::initializer_list<std::string_view> areas,
                     const nlohmann::ordered_json& object, std::ostream& out) {
    for (const auto& [key, value] : object.items()) {
        std::string_view area = *areas.begin();
        for (const std::string_view candidate : areas) {
            if (FindName(candidate, key) != nullptr) {
                area = candidate;
                break;
            }
        }
        out << NameOf(area, key) << '\t' << ShownJson(area, key, value) << '\n';
    }
}

} // namespace orvix::cli
