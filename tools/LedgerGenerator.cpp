#include "LedgerGenerator.h"

#include "platform/DateText.h"
#include "store/LedgerNames.h"
#include "store/LedgerSchema.h"
#include "store/SummaryKinds.h"
#include "store/database_access.h"

#include <QDir>

#include <algorithm>
#include <random>

namespace LedgerGenerator {

namespace {

const QStringList extraKinds = {
    QStringLiteral("早餐"),
    QStringLiteral("午餐"),
    QStringLiteral("晚餐"),
    QStringLiteral("飲料"),
    QStringLiteral("水電"),
    QStringLiteral("瓦斯"),
    QStringLiteral("電話"),
    QStringLiteral("網路"),
    QStringLiteral("房租"),
    QStringLiteral("保險"),
    QStringLiteral("稅金"),
    QStringLiteral("汽油"),
    QStringLiteral("停車"),
    QStringLiteral("書籍"),
    QStringLiteral("旅遊"),
    QStringLiteral("禮金"),
    QStringLiteral("寵物"),
    QStringLiteral("孝親"),
    QStringLiteral("捐款"),
    QStringLiteral("獎金"),
    QStringLiteral("利息"),
    QStringLiteral("股利"),
    QStringLiteral("兼差"),
    QStringLiteral("Misc"),
    QStringLiteral("Gym"),
    QStringLiteral("Software"),
};

const QStringList words = {
    QStringLiteral("便當"),
    QStringLiteral("咖啡"),
    QStringLiteral("牛奶"),
    QStringLiteral("麵包"),
    QStringLiteral("捷運"),
    QStringLiteral("公車"),
    QStringLiteral("計程車"),
    QStringLiteral("衛生紙"),
    QStringLiteral("洗衣精"),
    QStringLiteral("襯衫"),
    QStringLiteral("電影"),
    QStringLiteral("掛號費"),
    QStringLiteral("藥"),
    QStringLiteral("燈泡"),
    QStringLiteral("學費"),
    QStringLiteral("月薪"),
    QStringLiteral("紅包"),
    QStringLiteral("水果"),
    QStringLiteral("早午餐"),
    QStringLiteral("火鍋"),
    QStringLiteral("coffee"),
    QStringLiteral("lunch"),
    QStringLiteral("taxi"),
    QStringLiteral("book"),
    QStringLiteral("movie"),
    QStringLiteral("groceries"),
    QStringLiteral("rent"),
    QStringLiteral("salary"),
    QStringLiteral("bonus"),
    QStringLiteral("gift"),
    QStringLiteral("7-11"),
    QStringLiteral("全聯"),
};

const QStringList notes = {
    QStringLiteral("下雨"),
    QStringLiteral("發薪日"),
    QStringLiteral("和朋友聚餐"),
    QStringLiteral("回老家"),
    QStringLiteral("出差"),
    QStringLiteral("sunny day"),
    QStringLiteral("颱風假"),
    QStringLiteral("大掃除"),
};

} // namespace

void generate(const QString &folder, const Settings &settings)
{
    using namespace database_access;
    using namespace LedgerNames;
    const QString previous = QDir::currentPath();
    if (!QDir().mkpath(folder) || !QDir::setCurrent(folder))
        throw StoreError(QStringLiteral("無法使用資料夾 %1").arg(folder));
    try {
        LedgerSchema::createLedger(QStringLiteral("db1.mdb"));
        Open_DB(QStringLiteral("db1.mdb"));
        std::mt19937_64 random(settings.seed);
        const auto below = [&random](qint64 n) { return std::uniform_int_distribution<qint64>(0, n - 1)(random); };

        Transaction transaction;
        qint64 order = LedgerSchema::starterKinds().size();
        const QString addKind
            = QStringLiteral("INSERT INTO %1 (%2, %3) VALUES (?, ?)").arg(Kinds::table, Kinds::name, Kinds::order);
        for (const QString &kind : extraKinds)
            Exec_SQL(addKind, { kind, ++order });
        const qint64 kindCount = order;
        const QDate firstDay = settings.lastDay.addYears(-settings.years).addDays(1);
        const qint64 dayCount = firstDay.daysTo(settings.lastDay) + 1;

        // Days first, sorted, so that keys rise with the dates as they do when people type.
        std::vector<qint64> days(static_cast<size_t>(settings.entries));
        for (qint64 &day : days)
            day = below(dayCount);
        std::sort(days.begin(), days.end());

        const QString addEntry = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                     .arg(Entries::table, columns(Entries::all), marks(Entries::all.size()));
        qint64 key = 0;
        for (qint64 day : days) {
            const QString date = DateText::iso(firstDay.addDays(day));
            const qint64 kind = 1 + below(kindCount);
            const int inout = below(5) == 0 ? 1 : 0;
            QString content = words.at(below(words.size()));
            if (below(3) == 0)
                content += QLatin1Char(' ') + words.at(below(words.size()));
            double amount = double(1 + below(inout == 1 ? 50000 : 2000));
            if (below(4) == 0)
                amount += double(below(100)) / 100.0;
            const QString note = below(6) == 0 ? notes.at(below(notes.size())) : QString();
            Exec_SQL(addEntry, { date, kind, inout, content, amount, note, ++key, QString() });
        }
        Exec_SQL(QStringLiteral("UPDATE %1 SET %2 = (SELECT %3 FROM %4 WHERE %4.%5 = %1.%6)")
                     .arg(Entries::table, Entries::kindName, Kinds::name, Kinds::table, Kinds::id, Entries::kind));
        const QString addNote
            = QStringLiteral("INSERT INTO %1 (%2, %3) VALUES (?, ?)").arg(Notes::table, Notes::date, Notes::note);
        for (qint64 day = 0; day < dayCount; day += 1 + below(12))
            Exec_SQL(addNote, { DateText::iso(firstDay.addDays(day)), notes.at(below(notes.size())) });
        transaction.commit();

        SKinds_File = QStringLiteral("SKinds.txt");
        Save_SKinds(QStringLiteral("1,2,11,13"));
        Close_DB();
    } catch (...) {
        Close_DB();
        QDir::setCurrent(previous);
        throw;
    }
    QDir::setCurrent(previous);
}

} // namespace LedgerGenerator
