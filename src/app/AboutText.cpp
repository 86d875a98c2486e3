#include "app/AboutText.h"

#include "platform/CommandLine.h"

#include <QStringList>

QString aboutText()
{
    const QStringList lines = {
        QStringLiteral("Quillory 家庭記帳本"),
        QString(12, QChar(0x3000)) + QStringLiteral("=============="),
        QStringLiteral("版本 ") + CommandLine::version(),
        QStringLiteral("一天一天記下家裡的收入與支出"),
        QStringLiteral("Copyright (C) 2026 Quillory 開發團隊"),
        QString(),
        QStringLiteral("網站: https://quillory.example.org"),
        QStringLiteral("電子郵件: team@quillory.example.org"),
        QStringLiteral("歡迎來 Quillory 討論站 (BBS) 聊聊: telnet://bbs.quillory.example.org"),
    };
    return lines.join(QLatin1Char('\n'));
}
