#pragma once

class QApplication;

namespace orvix::qt {

// Loads Qt's own Japanese translation, so that the standard buttons read はい, いいえ,
// キャンセル; false when it is not installed.
bool InstallJapaneseTranslation(QApplication& application);

// The dialog font and the application icon for every window, message boxes included.
void SetApplicationLook();

} // namespace orvix::qt
