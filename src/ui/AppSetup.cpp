#include "ui/AppSetup.h"

#include "ui/Guide.h"

#include "ui/Fonts.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace ui {

// Takes the application object so that it exists before fonts and translators are set.
void setupApplication(QApplication &app)
{
    installGuideKey(app);
    installFontSubstitutions();
    QApplication::setFont(mingFont(9));
    QCoreApplication::setOrganizationName(QStringLiteral("Quillory"));
    QCoreApplication::setApplicationName(QStringLiteral("Quillory"));
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::Taiwan));

    static QTranslator standardButtons;
    if (standardButtons.load(QLocale(QLocale::Chinese, QLocale::Taiwan), QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&standardButtons);
}

} // namespace ui
