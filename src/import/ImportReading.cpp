#include "import/ImportReading.h"

#include <array>
#include <charconv>
#include <cmath>

namespace importreading {

namespace {

QString typeName(int type)
{
    switch (type) {
    case JetType::Bool:
        return QStringLiteral("是/否");
    case JetType::Byte:
    case JetType::Int:
    case JetType::Long:
        return QStringLiteral("整數");
    case JetType::Money:
        return QStringLiteral("貨幣");
    case JetType::Float:
    case JetType::Double:
    case JetType::Numeric:
        return QStringLiteral("數字");
    case JetType::DateTime:
        return QStringLiteral("日期/時間");
    case JetType::Text:
        return QStringLiteral("文字");
    case JetType::Memo:
        return QStringLiteral("備忘");
    default:
        return QStringLiteral("型別 %1").arg(type);
    }
}

} // namespace

int requiredColumn(const JetTableDef &table, const QString &column, const QList<int> &types)
{
    const int index = table.columnIndex(column);
    if (index < 0)
        throw ImportError(QStringLiteral("舊帳本的表格 %1 沒有欄位 %2，無法轉入。").arg(table.name, column));
    const int type = table.columns.at(index).type;
    for (int allowed : types)
        if (type == allowed)
            return index;
    throw ImportError(QStringLiteral("舊帳本 %1 的欄位 %2 是%3欄位，不是帳本該有的型別，無法轉入。")
                          .arg(table.name, column, typeName(type)));
}

const QList<int> &integerTypes()
{
    static const QList<int> types { JetType::Byte, JetType::Int, JetType::Long };
    return types;
}

const QList<int> &numberTypes()
{
    static const QList<int> types { JetType::Byte, JetType::Int, JetType::Long, JetType::Money, JetType::Float,
        JetType::Double, JetType::Numeric };
    return types;
}

const QList<int> &textTypes()
{
    static const QList<int> types { JetType::Text, JetType::Memo };
    return types;
}

const QList<int> &dateTypes()
{
    static const QList<int> types { JetType::DateTime };
    return types;
}

QString rowName(const QString &table, qsizetype index)
{
    return QStringLiteral("%1 第 %2 列").arg(table).arg(index + 1);
}

std::optional<Decimal> exactNumberOf(const JetValue &value)
{
    switch (value.kind) {
    case JetValue::Kind::Integer:
        return Decimal(value.integer);
    case JetValue::Kind::Currency:
        return Decimal(value.integer, -4);
    case JetValue::Kind::Decimal:
        return Decimal::fromText(value.text);
    case JetValue::Kind::Double:
        if (value.type == JetType::Float && std::isfinite(value.number)) {
            // The shortest decimal that reads back as the same float: a Single typed as 0.1
            // is 0.1, not the 0.100000001490116 its bits give as a double.
            std::array<char, 32> text {};
            const auto end = std::to_chars(text.data(), text.data() + text.size(), float(value.number)).ptr;
            return Decimal::fromText(QString::fromLatin1(text.data(), end - text.data()));
        }
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

std::optional<double> numberOf(const JetValue &value)
{
    if (value.kind == JetValue::Kind::Double && value.type != JetType::Float)
        return value.number;
    const std::optional<Decimal> exact = exactNumberOf(value);
    if (value.kind == JetValue::Kind::Double && !exact)
        return value.number; // a Single that is no number
    return exact ? std::optional<double>(exact->toDouble()) : std::nullopt;
}

void noteFixedText(const JetTableDef &table, const QList<int> &columns, QStringList &notices)
{
    for (int index : columns) {
        const JetColumn &column = table.columns.at(index);
        if (column.fixed && column.type == JetType::Text)
            notices << QStringLiteral("%1.%2 是固定長度（%3 個字）的文字欄位，照 Access 存放的樣子連同補齊的空格轉入，"
                                      "沒有去掉任何字元。")
                           .arg(table.name, column.name)
                           .arg(column.length / 2);
    }
}

std::optional<QDate> storedDay(const JetValue &value, bool *hadTime)
{
    if (value.kind != JetValue::Kind::DateTime)
        return std::nullopt;
    return JetDays::day(value.number, hadTime);
}

QString storedDayText(const JetValue &value)
{
    if (value.kind != JetValue::Kind::DateTime)
        return QStringLiteral("空白");
    return QStringLiteral("天數 %1").arg(value.number, 0, 'g', 17);
}

QDate dayZero()
{
    return QDate(1899, 12, 30);
}

QDate dayOf(const JetValue &value, const QString &where, bool *hadTime)
{
    if (value.kind != JetValue::Kind::DateTime)
        throw ImportError(QStringLiteral("%1沒有日期，無法轉入；請在 Access 裡補上日期或刪除這一筆再試。").arg(where));
    const std::optional<QDate> day = JetDays::day(value.number, hadTime);
    if (!day)
        throw ImportError(QStringLiteral("%1的日期（儲存的天數 %2）不在西元 1 到 9999 年之間，無法轉入；"
                                         "請在 Access 裡改正這一筆再試。")
                              .arg(where)
                              .arg(value.number, 0, 'g', 17));
    return *day;
}

QString textOf(const JetValue &value, const QString &column, QMap<QString, qint64> &nulls)
{
    if (value.kind == JetValue::Kind::Text)
        return value.text;
    ++nulls[column];
    return QStringLiteral("");
}

QString shortList(const QStringList &items, int shown)
{
    if (items.size() <= shown)
        return items.join(QStringLiteral("、"));
    return QStringLiteral("%1 等 %2 個").arg(items.mid(0, shown).join(QStringLiteral("、"))).arg(items.size());
}

bool otherOrder(const JetTableDef &table, const QStringList &names)
{
    QStringList found;
    for (const JetColumn &column : table.columns)
        if (names.contains(column.name, Qt::CaseInsensitive))
            found << column.name.toLower();
    return found != names.mid(0, found.size()) || found.size() != names.size();
}

} // namespace importreading
