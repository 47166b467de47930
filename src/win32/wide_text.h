#pragma once

#include <string>
#include <string_view>

namespace orvix::win32 {

// UTF-8 inside the program, UTF-16 at the Windows API.
std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);

} // namespace orvix::win32
