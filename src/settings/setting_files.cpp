#include "settings/setting_files.h"

#include <cstdio>

namespace orvix {

std::string ServoFileName(int number, bool walking) {
    char name[32];
    std::snprintf(name, sizeof name, walking ? "servo\\SV%02d_off.BIN" : "servo\\SV%02d_ON.BIN",
                  number);
    return name;
}

} // namespace orvix
