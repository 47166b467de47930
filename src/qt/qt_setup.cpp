#include "qt/qt_setup.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "qt/app_icon.h"
#include "qt/dialog_units.h"
#include "resources/main_dialog.h"

namespace orvix::qt {

bool InstallJapaneseTranslation(QApplication& application) {
    auto* translator = new QTranslator(&application);
    if (!translator->load(QStringLiteral("qtbase_ja"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QApplication::installTranslator(translator);
}

void SetApplicationLook() {
    QApplication::setFont(DialogFont());
    QApplication::setWindowIcon(IconResource(IDR_MAINFRAME));
}

} // namespace orvix::qt
