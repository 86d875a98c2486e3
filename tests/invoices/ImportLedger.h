#pragma once

#include "support/ScriptedBoxes.h"
#include "support/TestLedger.h"

#include <QFile>
#include <QStandardItemModel>

// A ledger with 餐費 and 日用品, the files to import written into its folder, and what the
// preview and the ledger hold as lines of text.
struct ImportLedger
{
    TestLedger ledger;
    ScriptedBoxes boxes;
    qint64 food = ledger.addKind(QStringLiteral("餐費"), 1);
    qint64 daily = ledger.addKind(QStringLiteral("日用品"), 2);

    QString file(const QString &name, const QByteArray &bytes)
    {
        QFile out(ledger.path(name));
        out.open(QIODevice::WriteOnly);
        out.write(bytes);
        return out.fileName();
    }

    // Each row "state✓ cells…", the state from column state, ✓ when ticked, then the columns named.
    static QStringList rows(
        const QAbstractItemModel *model, int state, const QString &form, std::initializer_list<int> columns)
    {
        const auto *m = static_cast<const QStandardItemModel *>(model);
        QStringList out;
        for (int r = 0; r < m->rowCount(); ++r) {
            QString line = form;
            line = line.arg(m->item(r, state)->text(),
                m->item(r, 0)->checkState() == Qt::Checked ? QStringLiteral("✓") : QString());
            for (const int c : columns)
                line = line.arg(m->item(r, c)->text());
            out << line;
        }
        return out;
    }

    // The entries' four columns, by key.
    QStringList entries(const char *columns) const
    {
        QStringList out;
        for (const QVariantList &row :
            ledger.rows(QStringLiteral("SELECT %1 FROM data_main ORDER BY a_key").arg(QLatin1String(columns))))
            out << QStringLiteral("%1 %2 %3 %4")
                       .arg(row[0].toString(), row[1].toString(), row[2].toString(), row[3].toString());
        return out;
    }
};
