#pragma once

#include "safety/SafetySupport.h"

#include "app/Startup.h"
#include "support/ScriptedBoxes.h"

namespace safety {

// Runs the real start-up on a folder whose db1.mdb it must refuse (beside summary kinds it
// would otherwise read), and checks what the person and the folder see: one message that
// says why, naming `named` when given; nothing opened or read; no window shown; every file as
// it was, with no journal, backup or lock left beside it.
inline void checkStartRefused(const LedgerFolder &folder, const QString &named = QString())
{
    const QString db = folder.path(QStringLiteral("db1.mdb"));
    writeFile(folder.path(QStringLiteral("SKinds.txt")), "1,2\r\n");
    const QByteArray before = fileBytes(db);
    const QStringList filesBefore = QDir(folder.folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    ScriptedBoxes boxes;
    QVERIFY(!startUp());
    const QStringList texts = boxes.texts();
    QCOMPARE(texts.size(), 1);
    const QString opening = QStringLiteral("無法開啟帳本資料庫 db1.mdb：");
    QVERIFY2(texts.first().startsWith(opening) && texts.first().size() > opening.size(), qPrintable(texts.first()));
    if (!named.isEmpty())
        QVERIFY2(texts.first().contains(named), qPrintable(texts.first()));
    QVERIFY(!database_access::Is_Open());
    QVERIFY(database_access::SKinds.isEmpty());
    for (QWidget *window : QApplication::topLevelWidgets())
        QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
    QCOMPARE(fileBytes(db), before);
    QCOMPARE(QDir(folder.folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), filesBefore);
}

} // namespace safety
