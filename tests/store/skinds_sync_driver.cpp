// Saves SKinds.txt once in the folder given and tells how it went by its exit status: 0 saved,
// 1 refused (the reason on standard output), 3 the folder was unusable. The test that makes
// the save's writes, syncs or rename fail (tests/store/skinds_sync_test.sh, under strace)
// then looks at the folder itself, since under a failing write not even the output arrives.

#include "store/StoreError.h"
#include "store/SummaryKinds.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2 || !QDir::setCurrent(QString::fromLocal8Bit(argv[1])))
        return 3;
    database_access::SKinds_File = QStringLiteral("SKinds.txt");
    try {
        database_access::Save_SKinds(QStringLiteral("9,7,3"));
    } catch (const StoreError &error) {
        std::printf("refused: %s\n", error.message().toUtf8().constData());
        return 1;
    }
    return 0;
}
