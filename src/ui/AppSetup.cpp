#include "ui/AppSetup.h"

#include "ui/Fonts.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace ui {

void setupApplication(QApplication &app)
{
    installFontSubstitutions();
    app.setFont(mingFont(9));
    app.setApplicationName(QStringLiteral("Quillory"));
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::Taiwan));

    static QTranslator standardButtons;
    if (standardButtons.load(QLocale(QLocale::Chinese, QLocale::Taiwan), QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&standardButtons);
}

} // namespace ui
