// Reading a table's rows: the map of its data pages, the rows on them, and each value.
#include "jet/JetDatabase.h"

#include "jet/JetText.h"

#include <QHash>
#include <QSet>

#include <vector>

namespace {

constexpr int DataHead = 14; // bytes before a data page's row offsets
constexpr int RowOffsetMask = 0x1FFF;
constexpr int DeletedRow = 0x8000;
constexpr int MovedRow = 0x4000;
constexpr int MapPageBits = (JetDatabase::PageSize - 4) * 8;
constexpr int MaxMoveHops = 4;

QString damaged(const QString &what)
{
    return QStringLiteral("舊帳本檔已經損壞：%1").arg(what);
}

int fixedSize(int type)
{
    switch (type) {
    case JetType::Byte:
        return 1;
    case JetType::Int:
        return 2;
    case JetType::Long:
    case JetType::Float:
        return 4;
    case JetType::Money:
    case JetType::Double:
    case JetType::DateTime:
        return 8;
    case JetType::Numeric:
        return 17;
    default:
        return 0;
    }
}

// A Decimal as stored: a sign byte (0x80 negative), then the magnitude in four little-endian
// 32-bit words, the most significant first; the value is the magnitude / 10^scale.
QString decimalText(const JetBytes &field, int scale)
{
    __extension__ typedef unsigned __int128 Magnitude;
    Magnitude magnitude = 0;
    for (int word = 0; word < 4; ++word)
        magnitude = (magnitude << 32) | field.u32(1 + 4 * word);
    QString digits;
    do {
        digits.prepend(QLatin1Char(static_cast<char>('0' + static_cast<int>(magnitude % 10))));
        magnitude /= 10;
    } while (magnitude != 0);
    if (scale > 0) {
        if (digits.size() <= scale)
            digits.prepend(QString(scale - digits.size() + 1, QLatin1Char('0')));
        digits.insert(digits.size() - scale, QLatin1Char('.'));
    }
    if ((field.u8(0) & 0x80) != 0)
        digits.prepend(QLatin1Char('-'));
    return digits;
}

} // namespace

JetBytes JetDatabase::slotBytes(const JetBytes &dataPage, int row) const
{
    const int rows = dataPage.u16(12);
    if (row < 0 || row >= rows || DataHead + 2 * rows > PageSize)
        throw JetError(damaged(QStringLiteral("一筆資料的位置不在它的頁上。")));
    // Rows are packed from the end of the page down: a row ends where the one before it starts.
    const int start = dataPage.u16(DataHead + 2 * row) & RowOffsetMask;
    const int end = row == 0 ? PageSize : (dataPage.u16(DataHead + 2 * (row - 1)) & RowOffsetMask);
    if (start < DataHead + 2 * rows || end > PageSize || start >= end)
        throw JetError(damaged(QStringLiteral("一筆資料的起訖位置不合理。")));
    return dataPage.sub(start, end - start);
}

JetBytes JetDatabase::rowBytes(const JetBytes &dataPage, int row, bool *deleted, bool *moved) const
{
    const int rows = dataPage.u16(12);
    if (row < 0 || row >= rows || DataHead + 2 * rows > PageSize)
        throw JetError(damaged(QStringLiteral("一筆資料的位置不在它的頁上。")));
    const int offset = dataPage.u16(DataHead + 2 * row);
    *deleted = (offset & DeletedRow) != 0;
    *moved = (offset & MovedRow) != 0;
    if (*deleted)
        return {};
    return slotBytes(dataPage, row);
}

JetBytes JetDatabase::rowAt(Location at) const
{
    const JetBytes pg = page(at.page);
    if (pg.u8(0) != 0x01)
        throw JetError(damaged(QStringLiteral("第 %1 頁應該是資料頁，卻不是。").arg(at.page)));
    bool deleted = false;
    bool moved = false;
    const JetBytes row = rowBytes(pg, at.row, &deleted, &moved);
    if (deleted)
        throw JetError(damaged(QStringLiteral("一段備註指到已經刪除的資料。")));
    return row;
}

QList<std::uint32_t> JetDatabase::dataPages(const JetTableDef &table) const
{
    const JetBytes map = rowAt({ table.usedPagesMap >> 8, static_cast<int>(table.usedPagesMap & 0xFF) });
    std::vector<bool> used(pageCount(), false);
    const auto mark = [&](qint64 number) {
        if (number >= 0 && number < pageCount())
            used[static_cast<size_t>(number)] = true;
    };
    const int type = map.u8(0);
    if (type == 0) {
        const std::uint32_t first = map.u32(1);
        for (qint64 bit = 0; bit < (map.size() - 5) * 8; ++bit)
            if (map.u8(5 + bit / 8) & (1 << (bit % 8)))
                mark(qint64(first) + bit);
    } else if (type == 1) {
        for (qint64 k = 0; 1 + 4 * (k + 1) <= map.size(); ++k) {
            const std::uint32_t mapPage = map.u32(1 + 4 * k);
            if (mapPage == 0)
                continue;
            const JetBytes bits = page(mapPage);
            for (qint64 bit = 0; bit < MapPageBits; ++bit)
                if (bits.u8(4 + bit / 8) & (1 << (bit % 8)))
                    mark(k * MapPageBits + bit);
            if ((k + 1) * qint64(MapPageBits) >= pageCount())
                break;
        }
    } else {
        throw JetError(damaged(QStringLiteral("表格 %1 的頁表種類不明。").arg(table.name)));
    }
    QList<std::uint32_t> pages;
    for (std::uint32_t p = 0; p < pageCount(); ++p) {
        if (!used[p])
            continue;
        // Pages the map marks but that are no longer this table's data pages hold none of its rows.
        const JetBytes pg = page(p);
        if (pg.u8(0) == 0x01 && pg.u32(4) == table.definitionPage)
            pages.append(p);
    }
    return pages;
}

JetBytes JetDatabase::movedRow(
    const JetTableDef &table, Location from, JetBytes pointerRow, QSet<quint64> &reached) const
{
    // An update that made a row too long for its page left in its old slot the place of the
    // row's new home (row in the low byte, page above), flagged 0x8000 there so that a scan of
    // the pages passes it by. Access points an old slot straight at the newest place, so a
    // pointer that leads to another pointer is followed only a few times.
    const auto placeOf = [](Location at) { return (quint64(at.page) << 8) | quint64(at.row); };
    QSet<quint64> chain { placeOf(from) };
    for (int hop = 0; hop < MaxMoveHops; ++hop) {
        const std::uint32_t pointer = pointerRow.u32(0);
        const Location target { pointer >> 8, static_cast<int>(pointer & 0xFF) };
        const QString where = QStringLiteral("第 %1 頁第 %2 格").arg(target.page).arg(target.row);
        if (target.page >= pageCount())
            throw JetError(damaged(QStringLiteral("表格 %1 的一筆資料搬到了%2，但檔案只有 %3 頁。")
                                       .arg(table.name, where)
                                       .arg(pageCount())));
        const JetBytes pg = page(target.page);
        if (pg.u8(0) != 0x01 || pg.u32(4) != table.definitionPage)
            throw JetError(damaged(QStringLiteral("表格 %1 的一筆資料搬到了別的表格的頁上。").arg(table.name)));
        const int rows = pg.u16(12);
        const int offset = target.row < rows && DataHead + 2 * rows <= PageSize ? pg.u16(DataHead + 2 * target.row) : 0;
        if ((offset & RowOffsetMask) == 0 || (offset & (DeletedRow | MovedRow)) == (DeletedRow | MovedRow))
            throw JetError(
                damaged(QStringLiteral("表格 %1 的一筆資料搬到了%2，那裡卻是空的或已經刪除。").arg(table.name, where)));
        if (chain.contains(placeOf(target)))
            throw JetError(
                damaged(QStringLiteral("表格 %1 的一筆資料的搬移指標繞成了圈（經過%2）。").arg(table.name, where)));
        chain.insert(placeOf(target));
        const JetBytes bytes = slotBytes(pg, target.row);
        if ((offset & MovedRow) != 0) {
            pointerRow = bytes;
            continue;
        }
        if (reached.contains(placeOf(target)))
            throw JetError(damaged(QStringLiteral("表格 %1 有兩筆資料都說自己搬到了%2。").arg(table.name, where)));
        reached.insert(placeOf(target));
        return bytes;
    }
    throw JetError(damaged(QStringLiteral("表格 %1 的一筆資料的搬移指標一再指向另一個指標（超過 %2 次）。")
                               .arg(table.name)
                               .arg(MaxMoveHops)));
}

QList<JetRow> JetDatabase::readRows(const JetTableDef &table, const std::function<void()> &onRow) const
{
    qint64 memoBudget = 4 * qint64(m_bytes.size()) + (1 << 20);
    QSet<quint64> reached; // the new places of moved rows, each to be read once
    QList<JetRow> result;
    for (std::uint32_t p : dataPages(table)) {
        const JetBytes pg = page(p);
        const int rows = pg.u16(12);
        for (int r = 0; r < rows; ++r) {
            bool deleted = false;
            bool moved = false;
            JetBytes bytes = rowBytes(pg, r, &deleted, &moved);
            // 0x8000 marks a deleted row (0xC000) or the new place of a moved row, which is
            // read through the slot that points to it.
            if (deleted)
                continue;
            if (result.size() >= qsizetype(table.storedRows))
                throw JetError(rowCountMessage(table, -1));
            if (moved)
                bytes = movedRow(table, { p, r }, bytes, reached);
            result.append(decodeRow(table, bytes, &memoBudget));
            if (onRow)
                onRow();
        }
    }
    if (result.size() != qsizetype(table.storedRows))
        throw JetError(rowCountMessage(table, result.size()));
    return result;
}

QString JetDatabase::rowCountMessage(const JetTableDef &table, qsizetype read)
{
    return QStringLiteral("表格 %1 記錄有 %2 筆資料，卻讀到 %3 筆；檔案可能已經損壞，不匯入。")
        .arg(table.name)
        .arg(table.storedRows)
        .arg(read < 0 ? QStringLiteral("更多") : QString::number(read));
}

JetRow JetDatabase::decodeRow(const JetTableDef &table, const JetBytes &row, qint64 *memoBudget) const
{
    const int rowColumns = row.u16(0);
    const qint64 maskSize = (rowColumns + 7) / 8;
    const qint64 maskStart = row.size() - maskSize;
    if (maskStart < 2)
        throw JetError(damaged(QStringLiteral("表格 %1 有一筆資料太短。").arg(table.name)));
    bool hasVariable = false;
    for (const JetColumn &column : table.columns)
        hasVariable = hasVariable || !column.fixed;
    int varCount = 0;
    qint64 varTable = maskStart; // where the offsets of the variable columns begin
    if (hasVariable) {
        varCount = row.u16(maskStart - 2);
        varTable = maskStart - 2 - 2 * (qint64(varCount) + 1);
        if (varTable < 2)
            throw JetError(damaged(QStringLiteral("表格 %1 有一筆資料的欄位表不合理。").arg(table.name)));
    }
    const auto varOffset = [&](int i) { return qint64(row.u16(maskStart - 2 - 2 * (qint64(i) + 1))); };

    JetRow values;
    values.reserve(table.columns.size());
    for (const JetColumn &column : table.columns) {
        JetValue value;
        value.type = column.type;
        const bool inRow = column.number < rowColumns;
        const bool present = inRow && (row.u8(maskStart + column.number / 8) & (1 << (column.number % 8)));
        if (column.type == JetType::Bool) {
            if (inRow) {
                value.kind = JetValue::Kind::Integer;
                value.integer = present ? 1 : 0;
            }
        } else if (!present) {
            // null
        } else if (column.fixed) {
            const int size = fixedSize(column.type);
            const qint64 at = 2 + qint64(column.fixedOffset);
            if (at + qMax(size, column.length) > varTable)
                throw JetError(
                    damaged(QStringLiteral("表格 %1 的欄位 %2 超出資料範圍。").arg(table.name, column.name)));
            switch (column.type) {
            case JetType::Byte:
                value.kind = JetValue::Kind::Integer;
                value.integer = row.u8(at);
                break;
            case JetType::Int:
                value.kind = JetValue::Kind::Integer;
                value.integer = row.i16(at);
                break;
            case JetType::Long:
                value.kind = JetValue::Kind::Integer;
                value.integer = row.i32(at);
                break;
            case JetType::Money:
                value.kind = JetValue::Kind::Currency;
                value.integer = row.i64(at);
                break;
            case JetType::Float:
                value.kind = JetValue::Kind::Double;
                value.number = row.f32(at);
                break;
            case JetType::Double:
                value.kind = JetValue::Kind::Double;
                value.number = row.f64(at);
                break;
            case JetType::DateTime:
                value.kind = JetValue::Kind::DateTime;
                value.number = row.f64(at);
                break;
            case JetType::Numeric:
                if (column.scale > 38)
                    throw JetError(
                        damaged(QStringLiteral("表格 %1 的欄位 %2 的小數位數不合理。").arg(table.name, column.name)));
                value.kind = JetValue::Kind::Decimal;
                value.text = decimalText(row.sub(at, size), column.scale);
                break;
            case JetType::Text:
                // Fixed-length text fills its whole length, padded as it was stored.
                value.kind = JetValue::Kind::Text;
                value.text = JetText::decode(row.sub(at, column.length));
                break;
            default:
                value.kind = JetValue::Kind::Unsupported;
            }
        } else if (column.varIndex < varCount) {
            const qint64 start = varOffset(column.varIndex);
            const qint64 end = varOffset(column.varIndex + 1);
            if (start < 2 || end < start || end > varTable)
                throw JetError(
                    damaged(QStringLiteral("表格 %1 的欄位 %2 超出資料範圍。").arg(table.name, column.name)));
            const JetBytes data = row.sub(start, end - start);
            if (column.type == JetType::Text) {
                value.kind = JetValue::Kind::Text;
                value.text = JetText::decode(data);
            } else if (column.type == JetType::Memo || column.type == JetType::Ole) {
                value = memoValue(column, data, memoBudget);
            } else {
                value.kind = JetValue::Kind::Unsupported;
            }
        }
        values.append(value);
    }
    return values;
}

JetValue JetDatabase::memoValue(const JetColumn &column, const JetBytes &head, qint64 *memoBudget) const
{
    const std::uint32_t lengthField = head.u32(0);
    const qint64 length = lengthField & 0x3FFFFFFF;
    if (length > *memoBudget)
        throw JetError(damaged(QStringLiteral("欄位 %1 的長度大於整個檔案。").arg(column.name)));
    *memoBudget -= length;
    // Every long-value row visited costs its place (4 bytes) as well, so memos that share one
    // long chain of rows, each walking all of it again, are refused instead of read for hours.
    const auto visit = [&](std::uint32_t place) {
        *memoBudget -= 4;
        if (*memoBudget < 0)
            throw JetError(damaged(QStringLiteral("欄位 %1 的長備註一再指向同樣的資料。").arg(column.name)));
        return rowAt({ place >> 8, static_cast<int>(place & 0xFF) });
    };
    QByteArray data;
    if (length == 0) {
        // empty
    } else if (lengthField & 0x80000000u) {
        data = head.sub(12, length).view().toByteArray();
    } else {
        const std::uint32_t pointer = head.u32(4);
        const JetBytes first = visit(pointer);
        if (lengthField & 0x40000000u) {
            data = first.sub(0, length).view().toByteArray();
        } else {
            // A chain of rows on long-value pages, each starting with the place of the next.
            data.reserve(length);
            JetBytes part = first;
            QSet<std::uint32_t> seen { pointer };
            while (true) {
                const qint64 take = qMin<qint64>(part.size() - 4, length - data.size());
                data.append(part.sub(4, take).view());
                if (data.size() == length)
                    break;
                const std::uint32_t next = part.u32(0);
                if (next == 0 || seen.contains(next))
                    throw JetError(damaged(QStringLiteral("欄位 %1 的長備註不完整。").arg(column.name)));
                seen.insert(next);
                part = visit(next);
            }
        }
    }
    JetValue value;
    value.type = column.type;
    if (column.type == JetType::Ole) {
        value.kind = JetValue::Kind::Binary;
        value.bytes = data;
    } else {
        value.kind = JetValue::Kind::Text;
        value.text = JetText::decode(JetBytes(data));
    }
    return value;
}
