#include <QApplication>
#include <gtest/gtest.h>
#include <stdlib.h>

#include "qt/qt_setup.h"

int main(int argc, char** argv) {
    // No display is needed; a caller may still choose another platform to watch the tests.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    orvix::qt::InstallJapaneseTranslation(application);
    orvix::qt::SetApplicationLook();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
