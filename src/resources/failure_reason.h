#pragma once

// The reason shown for a failure of the system, from the string table in the interface's
// language: one text a kind, whichever system and whatever language it runs in.

#include <string>

#include "storage/platform.h"

namespace orvix {

// "ファイルが見つかりません" ("file not found"); Other gives its code ("その他のエラー（コード
// 5）").
std::string FailureReason(platform::FailureKind kind, int code);

} // namespace orvix
