#pragma once

// The text form of the show commands: one line a field, its name from the name table and its
// value as a person reads it, in the interface language. The JSON form keeps the stable keys.

#include <nlohmann/json.hpp>
#include <ostream>
#include <string_view>

namespace orvix::cli {

// A value of the JSON as a person reads it: true and false as the words for on and off, a
// {"month", "day"} object as a date, an array as its items joined by ",", null or nothing as the
// word for no value, every other value as it is.
std::string ShownJson(std::string_view area, std::string_view key,
                      const nlohmann::ordered_json& value);

// Prints "name<TAB>value" for each member of object, its name looked up in the first of areas
// that has it.
void PrintShownLines(std::initializer_list<std::string_view> areas,
                     const nlohmann::ordered_json& object, std::ostream& out);

} // namespace orvix::cli
