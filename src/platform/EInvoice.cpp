#include "platform/EInvoice.h"

#include "platform/DateText.h"
#include "platform/TextFile.h"

#include <QRegularExpression>
#include <QStringList>

namespace EInvoice {

namespace {

const QString downloadHeader
    = QStringLiteral("載具自訂名稱,發票日期,發票號碼,發票金額,發票狀態,折讓,賣方統一編號,賣方名稱,"
                     "賣方地址,買方統編,消費明細_數量,消費明細_單價,消費明細_金額,消費明細_品名");
constexpr int downloadColumns = 14;

QString trimmed(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    const auto blank = [](QChar c) { return c.isSpace() || c == QChar(0x3000); };
    while (begin < end && blank(text.at(begin)))
        ++begin;
    while (end > begin && blank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

std::optional<Decimal> amountOf(const QString &text)
{
    return Decimal::fromText(trimmed(text));
}

// A file's lines, each with its number (from 1).
QVector<std::pair<int, QString>> linesOf(const QString &text)
{
    QVector<std::pair<int, QString>> out;
    int number = 0;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        ++number;
        QString l = line;
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
        out.append({ number, l });
    }
    return out;
}

struct Reader
{
    QString *why;

    bool fail(int line, const QString &what)
    {
        *why = QStringLiteral("第 %1 行：%2").arg(line).arg(what);
        return false;
    }

    std::nullopt_t failed(int line, const QString &what)
    {
        fail(line, what);
        return std::nullopt;
    }

    bool date(int line, const QString &text, QDate *out)
    {
        const std::optional<QDate> d = DateText::read(trimmed(text));
        if (!d)
            return fail(line, QStringLiteral("發票日期「%1」讀不出來").arg(text));
        *out = *d;
        return true;
    }

    bool amount(int line, const QString &text, Decimal *out, const char *what)
    {
        const std::optional<Decimal> a = amountOf(text);
        if (!a)
            return fail(line, QStringLiteral("%1「%2」不是金額").arg(QString::fromUtf8(what), text));
        *out = *a;
        return true;
    }

    // The mailed summaries: an M line per invoice, then its D lines.
    std::optional<File> mailed(const QVector<std::pair<int, QString>> &lines, Layout layout)
    {
        File file;
        file.layout = layout;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            auto [number, line] = lines.at(i);
            if (trimmed(line).isEmpty() || line.startsWith(QStringLiteral("表頭="))
                || line.startsWith(QStringLiteral("明細=")))
                continue;
            // An item name over several lines goes on until a line ends with the separator.
            while (line.startsWith(QLatin1String("D|")) && !line.endsWith(QLatin1Char('|')) && i + 1 < lines.size())
                line += QLatin1Char('\n') + lines.at(++i).second;
            QStringList f = line.split(QLatin1Char('|'));
            if (f.last().isEmpty())
                f.removeLast();
            if (f.first() == QLatin1String("M")) {
                if (f.size() < 9)
                    return failed(number, QStringLiteral("發票的欄位不足（%1 欄，應有 9 欄）").arg(f.size()));
                Invoice inv;
                inv.line = number;
                const bool old = layout == Layout::OldMail;
                inv.number = trimmed(f.at(old ? 2 : 6));
                inv.sellerId = trimmed(f.at(4));
                inv.seller = f.at(5);
                const QString status = trimmed(f.at(old ? 1 : 8));
                inv.voided = status.contains(QStringLiteral("作廢"));
                Decimal total;
                if (!date(number, f.at(3), &inv.date) || !amount(number, f.at(old ? 8 : 7), &total, "總金額"))
                    return std::nullopt;
                inv.total = total;
                file.invoices.append(inv);
            } else if (f.first() == QLatin1String("D")) {
                if (f.size() < 4 || file.invoices.isEmpty() || trimmed(f.at(1)) != file.invoices.last().number)
                    return failed(number, QStringLiteral("品項不屬於它前面的發票"));
                Item item;
                item.name = f.mid(3).join(QLatin1Char('|'));
                if (!amount(number, f.at(2), &item.amount, "小計"))
                    return std::nullopt;
                file.invoices.last().items.append(item);
            } else {
                return failed(number, QStringLiteral("不是發票（M）也不是品項（D）"));
            }
        }
        return file;
    }

    // The download: one row per item, the invoice's columns repeated on each.
    std::optional<File> download(const QVector<std::pair<int, QString>> &lines)
    {
        File file;
        file.layout = Layout::Download;
        QHash<QString, qsizetype> byKey;
        const auto numeric = [](const QString &t) { return amountOf(t).has_value(); };
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const auto &[number, line] = lines.at(i);
            const QStringList f = line.split(QLatin1Char(','));
            if (trimmed(line).isEmpty() || f.size() == 1)
                continue; // the notes after the data are one column each
            if (f.size() < downloadColumns)
                return failed(
                    number, QStringLiteral("欄位不足（%1 欄，應有 %2 欄）").arg(f.size()).arg(downloadColumns));
            // A comma nobody quoted, in the address or the item name: the columns after the
            // address must be the buyer's number and three numbers.
            const qsizetype extra = f.size() - downloadColumns;
            qsizetype inAddress = -1;
            for (qsizetype k = 0; k <= extra && inAddress < 0; ++k) {
                const QString buyer = trimmed(f.at(9 + k));
                if ((buyer.isEmpty() || buyer.toLongLong() > 0 || buyer.count(QLatin1Char('0')) == buyer.size())
                    && numeric(f.at(10 + k)) && numeric(f.at(11 + k)) && numeric(f.at(12 + k)))
                    inAddress = k;
            }
            if (inAddress < 0)
                return failed(number, QStringLiteral("數量、單價和金額讀不出來"));
            Invoice inv;
            inv.line = number;
            inv.number = trimmed(f.at(2));
            inv.sellerId = trimmed(f.at(6));
            inv.seller = f.at(7);
            inv.voided = f.at(4).contains(QStringLiteral("作廢"));
            if (!date(number, f.at(1), &inv.date))
                return std::nullopt;
            Item item;
            item.name = f.mid(13 + inAddress).join(QLatin1Char(','));
            if (!amount(number, f.at(12 + inAddress), &item.amount, "消費明細_金額"))
                return std::nullopt;
            const QString key
                = inv.number + QLatin1Char(' ') + DateText::iso(inv.date) + QLatin1Char(' ') + inv.sellerId;
            if (!byKey.contains(key)) {
                byKey.insert(key, file.invoices.size());
                file.invoices.append(inv);
            }
            file.invoices[byKey.value(key)].items.append(item);
        }
        return file;
    }
};

} // namespace

Decimal Invoice::itemsSum() const
{
    Decimal sum;
    for (const Item &item : items)
        sum += item.amount;
    return sum;
}

Decimal Invoice::amount() const
{
    return total.value_or(itemsSum());
}

bool Invoice::totalDiffers() const
{
    return total && !items.isEmpty() && !(*total == itemsSum());
}

bool Invoice::masked() const
{
    static const QRegularExpression whole(QStringLiteral("^[A-Z]{2}[0-9]{8}$"));
    return !whole.match(number).hasMatch();
}

QString Invoice::identity() const
{
    QString id = number + QLatin1Char(' ') + DateText::iso(date);
    if (masked())
        id += QLatin1Char(' ') + QString::number(sellerId.toLongLong()) + QLatin1Char(' ') + amount().text();
    return id;
}

std::optional<File> read(const QByteArray &bytes, QString *why)
{
    const DecodedText decoded = decodeText(bytes);
    QVector<std::pair<int, QString>> lines = linesOf(decoded.text);
    Reader reader { why };
    std::optional<File> file;
    const QString first = lines.isEmpty() ? QString() : lines.first().second;
    if (first == downloadHeader)
        file = reader.download(lines);
    else if (first.startsWith(QStringLiteral("表頭=M|")))
        file = reader.mailed(lines, Layout::Mail);
    else if (first.startsWith(QLatin1String("M|")))
        file = reader.mailed(lines, Layout::OldMail);
    else
        *why = QStringLiteral("第 1 行：這不是電子發票檔（財政部電子發票平台寄來的彙整檔或下載的雲端發票明細）");
    if (file)
        file->encoding = decoded.encoding;
    return file;
}

QString shortName(const QString &seller)
{
    QString name = trimmed(seller);
    for (const char *mark : { "股份有限公司", "有限公司", "商行" }) {
        const qsizetype at = name.indexOf(QString::fromUtf8(mark));
        if (at > 0)
            name = name.left(at);
    }
    return trimmed(name);
}

} // namespace EInvoice
