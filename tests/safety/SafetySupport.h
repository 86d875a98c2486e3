#pragma once

// What the fault and bad-input tests share: running as an ordinary user, a ledger folder that
// start-up has not yet opened, a start-up that must refuse it, a picture of everything the folder
// holds, and the entry window. The ledger's files and content, and other tools' connections to
// it, come from support/LedgerFiles.h.

#include "app/Startup.h"
#include "entry/input_keyin.h"
#include "store/LedgerLock.h"
#include "store/LedgerSchema.h"
#include "store/SummaryKinds.h"
#include "store/database_access.h"
#include "support/LedgerFiles.h"
#include "support/ScriptedBoxes.h"
#include "support/TestLedger.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace safety {

using testing::fileBytes, testing::writeFile, testing::ledgerContent, testing::refusal, testing::onFile;

// Root writes anywhere whatever a file's permissions say, so the read-only cases would prove
// nothing: as root, become nobody before Qt starts, with a runtime folder of its own.
inline void dropRootPrivileges()
{
    static std::string home = "/tmp/quillory-safety-XXXXXX";
    if (geteuid() != 0)
        return;
    if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0 || mkdtemp(home.data()) == nullptr)
        qFatal("cannot become nobody");
    setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
    setenv("HOME", home.c_str(), 1);
    std::atexit([] { QDir(QString::fromStdString(home)).removeRecursively(); });
}

inline void setMode(const QString &path, mode_t mode)
{
    if (::chmod(QFile::encodeName(path).constData(), mode) != 0)
        qFatal("chmod %s failed", qPrintable(path));
}

// A folder holding a new ledger (and no SKinds.txt), made the working directory; nothing is
// opened, so a test can run the real start-up on it or damage it first.
class LedgerFolder : public TestLedger
{
public:
    LedgerFolder()
        : TestLedger(true)
    {
        database_access::Close_DB();
    }
    ~LedgerFolder() { setMode(folder(), 0700); } // permissions taken away must not keep it from going
};

// Every file under the folder with its modification time and content.
inline QStringList folderPicture(const QString &folder)
{
    QStringList lines;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
         it.hasNext();) {
        const QFileInfo info(it.next());
        lines << info.filePath() + QString::number(info.lastModified().toMSecsSinceEpoch())
                + QString::fromLatin1(fileBytes(info.filePath()).toBase64());
    }
    lines.sort();
    return lines;
}

// Start-up in the working directory must refuse with one message holding each of `said`: nothing
// opened or read, no window shown, every file under `folder` as it was and nothing added.
inline void checkStartRefused(const QString &folder, const QStringList &said)
{
    const QStringList before = folderPicture(folder);
    ScriptedBoxes boxes;
    QVERIFY(!startUp());
    const QStringList texts = boxes.texts();
    for (const QString &part : said)
        QVERIFY2(texts.size() == 1 && texts.first().contains(part), qPrintable(texts.join(u'|')));
    QVERIFY(!database_access::Is_Open() && database_access::SKinds.isEmpty());
    for (QWidget *window : QApplication::topLevelWidgets())
        QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
    QCOMPARE(folderPicture(folder), before);
}

// The daily-entry window of the ledger start-up opened, shown and active.
inline std::unique_ptr<input_keyin> openEntryWindow()
{
    auto w = std::make_unique<input_keyin>();
    testing::showActive(w.get());
    QTest::qWait(0);
    return w;
}

} // namespace safety

// Like QUILLORY_TEST_MAIN, as an ordinary user: nobody before Qt starts.
#define SAFETY_TEST_MAIN(TestClass)                                                                                    \
    [[maybe_unused]] static const bool droppedRoot = (safety::dropRootPrivileges(), true);                             \
    QUILLORY_TEST_MAIN(TestClass)
