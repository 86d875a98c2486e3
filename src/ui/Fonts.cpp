#include "ui/Fonts.h"

#include <QStringList>

namespace ui {

namespace {

const QString ming = QStringLiteral("新細明體");
const QString kai = QStringLiteral("標楷體");

QFont face(const QString &family, double pointSize, bool bold)
{
    QFont font(family);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

} // namespace

void installFontSubstitutions()
{
    QFont::insertSubstitutions(ming,
        { QStringLiteral("AR PL UMing TW"), QStringLiteral("AR PL UMing TW MBE"), QStringLiteral("AR PL UMing HK"),
            QStringLiteral("AR PL UKai TW") });
    QFont::insertSubstitutions(kai,
        { QStringLiteral("AR PL UKai TW"), QStringLiteral("AR PL UKai TW MBE"), QStringLiteral("AR PL UMing TW") });
}

QFont mingFont(double pointSize, bool bold)
{
    return face(ming, pointSize, bold);
}

QFont kaiFont(double pointSize, bool bold)
{
    return face(kai, pointSize, bold);
}

} // namespace ui
