#include "platform/Statement.h"

#include "platform/DateText.h"
#include "platform/Numbers.h"
#include "platform/TextFile.h"

#include <QHash>
#include <QRegularExpression>

namespace Statement {

namespace {

QStringList cellsOf(const QString &line)
{
    QStringList cells;
    QString cell;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < line.size() && line.at(i + 1) == QLatin1Char('"')) {
                cell += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                cell += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            cells << cell;
            cell.clear();
        } else {
            cell += c;
        }
    }
    cells << cell;
    for (QString &c : cells) {
        c = c.trimmed();
        if (c.startsWith(QLatin1String("=")))
            c = c.mid(1).remove(QLatin1Char('"'));
    }
    return cells;
}

// The first column whose name holds one of the words, in the order of the words.
int column(const QStringList &names, std::initializer_list<const char *> words)
{
    for (const char *word : words)
        for (qsizetype i = 0; i < names.size(); ++i)
            if (names.at(i).contains(QString::fromUtf8(word)))
                return int(i);
    return -1;
}

// A statement's month where a line says it: 113年05月 or 2026/02 (with 信用卡 or 對帳單 after it).
QDate titleMonth(const QString &line)
{
    static const QRegularExpression roc(QStringLiteral("(\\d{2,3})年\\s*(\\d{1,2})月"));
    static const QRegularExpression western(QStringLiteral("(\\d{4})[/年-]\\s*(\\d{1,2})"));
    if (const QRegularExpressionMatch m = western.match(line); m.hasMatch())
        return QDate(m.captured(1).toInt(), m.captured(2).toInt(), 1);
    if (const QRegularExpressionMatch m = roc.match(line); m.hasMatch())
        return QDate(m.captured(1).toInt() + DateText::rocOffset, m.captured(2).toInt(), 1);
    return {};
}

std::optional<QDate> dateOf(const QString &cell, const QDate &month)
{
    const QString text = Numbers::asciiForm(cell).section(QLatin1Char(' '), 0, 0);
    static const QRegularExpression monthDay(QStringLiteral("^(\\d{1,2})/(\\d{1,2})$"));
    if (const QRegularExpressionMatch m = monthDay.match(text); m.hasMatch()) {
        if (!month.isValid())
            return std::nullopt;
        const int mm = m.captured(1).toInt();
        // A January statement holds December's purchases of the year before.
        const QDate d(mm > month.month() ? month.year() - 1 : month.year(), mm, m.captured(2).toInt());
        return d.isValid() ? std::optional<QDate>(d) : std::nullopt;
    }
    return DateText::read(text);
}

} // namespace

Table table(const QByteArray &bytes)
{
    const DecodedText decoded = decodeText(bytes);
    Table t;
    t.encoding = decoded.encoding;
    for (QString line : decoded.text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        t.rows.append(cellsOf(line));
    }
    while (!t.rows.isEmpty() && t.rows.last().join(QString()).isEmpty())
        t.rows.removeLast();
    return t;
}

Mapping guessAt(const Table &t, int row)
{
    Mapping m;
    if (row < 0 || row >= t.rows.size())
        return m;
    const QStringList &names = t.rows.at(row);
    m.headerRow = row;
    m.date = column(names, { "交易日", "消費日", "日期" });
    m.description = column(names, { "摘要", "說明", "商店", "交易說明", "內容", "備註" });
    m.expense = column(names, { "支出", "提出", "提款" });
    m.income = column(names, { "存入", "存款" });
    if (m.expense < 0 && m.income < 0)
        m.amount = column(names, { "消費金額", "交易金額", "金額" });
    m.balance = column(names, { "餘額" });
    return m;
}

Mapping guess(const Table &t)
{
    for (int r = 0; r < t.rows.size() && r < 40; ++r)
        if (const Mapping m = guessAt(t, r); m.isComplete() && t.rows.at(r).size() >= 3)
            return m;
    return {};
}

QString shape(const Table &t, const Mapping &m)
{
    return m.headerRow >= 0 && m.headerRow < t.rows.size() ? t.rows.at(m.headerRow).join(QLatin1Char(',')) : QString();
}

std::optional<Decimal> amount(const QString &cell)
{
    QString text = Numbers::asciiForm(cell).trimmed();
    text.replace(QChar(0xFF08), QLatin1Char('(')).replace(QChar(0xFF09), QLatin1Char(')'));
    if (text.isEmpty() || text == QLatin1String("-"))
        return std::nullopt;
    bool negative = false;
    if (text.startsWith(QLatin1Char('(')) && text.endsWith(QLatin1Char(')'))) {
        negative = true;
        text = text.mid(1, text.size() - 2);
    }
    const std::optional<QString> plain = Numbers::plainAmount(text);
    const std::optional<Decimal> value = plain ? Decimal::fromText(*plain) : std::nullopt;
    if (!value)
        return std::nullopt;
    return negative ? -*value : *value;
}

QVector<Transaction> transactions(const Table &t, const Mapping &m)
{
    QVector<Transaction> out;
    if (!m.isComplete())
        return out;
    QDate month = t.month;
    for (int r = 0; r < m.headerRow && !month.isValid(); ++r)
        month = titleMonth(t.rows.at(r).join(QLatin1Char(' ')));
    QHash<QString, int> seen;
    for (int r = m.headerRow + 1; r < t.rows.size(); ++r) {
        const QStringList &cells = t.rows.at(r);
        const auto cell = [&cells](int c) { return c >= 0 && c < cells.size() ? cells.at(c) : QString(); };
        const std::optional<QDate> date = dateOf(cell(m.date), month);
        if (!date)
            continue;
        Transaction tr;
        tr.row = r;
        tr.date = *date;
        tr.description = cell(m.description);
        if (m.amount >= 0) {
            const std::optional<Decimal> a = amount(cell(m.amount));
            if (!a || *a == Decimal())
                continue;
            const bool expense = (*a > Decimal()) == m.positiveIsExpense;
            tr.inout = expense ? 0 : 1;
            tr.amount = *a < Decimal() ? -*a : *a;
        } else {
            const std::optional<Decimal> spent = amount(cell(m.expense));
            const std::optional<Decimal> in = amount(cell(m.income));
            if (spent && !(*spent == Decimal())) {
                tr.amount = *spent < Decimal() ? -*spent : *spent;
            } else if (in && !(*in == Decimal())) {
                tr.amount = *in < Decimal() ? -*in : *in;
                tr.inout = 1;
            } else {
                continue;
            }
        }
        tr.balance = amount(cell(m.balance));
        const QString base = QStringLiteral("%1|%2|%3|%4|%5")
                                 .arg(DateText::iso(tr.date))
                                 .arg(tr.inout)
                                 .arg(tr.amount.text(), tr.description, tr.balance ? tr.balance->text() : QString());
        tr.fingerprint = base + QStringLiteral("#%1").arg(seen[base]++);
        out.append(tr);
    }
    return out;
}

QString Mapping::text() const
{
    return QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8")
        .arg(headerRow)
        .arg(date)
        .arg(description)
        .arg(amount)
        .arg(expense)
        .arg(income)
        .arg(balance)
        .arg(positiveIsExpense ? 1 : 0);
}

Mapping Mapping::fromText(const QString &text)
{
    const QStringList n = text.split(QLatin1Char(' '));
    Mapping m;
    if (n.size() != 8)
        return m;
    int *fields[] = { &m.headerRow, &m.date, &m.description, &m.amount, &m.expense, &m.income, &m.balance };
    for (int i = 0; i < 7; ++i)
        *fields[i] = n.at(i).toInt();
    m.positiveIsExpense = n.at(7) == QLatin1String("1");
    return m;
}

} // namespace Statement
