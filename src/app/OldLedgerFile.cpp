#include "app/OldLedgerFile.h"

#include <QByteArray>
#include <QFile>

OldLedgerFormat oldLedgerFormatOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return OldLedgerFormat::NotAccess;
    // Page 0 begins 00 01 00 00, the engine's name, and at 0x14 the file format's version.
    const QByteArray head = file.read(0x18);
    if (head.size() < 0x18 || !head.startsWith(QByteArray("\x00\x01\x00\x00", 4)))
        return OldLedgerFormat::NotAccess;
    const QByteArray name = head.mid(4, 16);
    if (name == QByteArray("Standard ACE DB\0", 16))
        return OldLedgerFormat::Ace;
    if (name != QByteArray("Standard Jet DB\0", 16))
        return OldLedgerFormat::NotAccess;
    // 0 is Jet 3; 1 is Jet 4. Anything later under the Jet name is left to the importer to judge.
    return head.at(0x14) == 0 ? OldLedgerFormat::Jet3 : OldLedgerFormat::Jet4;
}
