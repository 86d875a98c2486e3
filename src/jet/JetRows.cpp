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
    default:
        return 0;
    }
}

} // namespace

JetBytes JetDatabase::rowBytes(const JetBytes &dataPage, int row, bool *deleted, bool *moved) const
{
    const int rows = dataPage.u16(12);
    if (row < 0 || row >= rows || DataHead + 2 * rows > PageSize)
        throw JetError(damaged(QStringLiteral("一筆資料的位置不在它的頁上。")));
    const int offset = dataPage.u16(DataHead + 2 * row);
    *deleted = (offset & DeletedRow) != 0;
    *moved = (offset & MovedRow) != 0;
    const int start = offset & RowOffsetMask;
    const int end = row == 0 ? PageSize : (dataPage.u16(DataHead + 2 * (row - 1)) & RowOffsetMask);
    if (*deleted)
        return {};
    if (start < DataHead + 2 * rows || end > PageSize || start >= end)
        throw JetError(damaged(QStringLiteral("一筆資料的起訖位置不合理。")));
    return dataPage.sub(start, end - start);
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

QList<JetRow> JetDatabase::readRows(const JetTableDef &table, const std::function<void()> &onRow) const
{
    struct Slot
    {
        Location at;
        JetBytes bytes;
        bool moved;
    };
    std::vector<Slot> slots;
    QSet<quint64> movedTargets;
    for (std::uint32_t p : dataPages(table)) {
        const JetBytes pg = page(p);
        const int rows = pg.u16(12);
        for (int r = 0; r < rows; ++r) {
            bool deleted = false;
            bool moved = false;
            const JetBytes bytes = rowBytes(pg, r, &deleted, &moved);
            if (deleted)
                continue;
            if (moved) {
                // The row grew and now lives elsewhere; this slot holds only where.
                const std::uint32_t pointer = bytes.u32(0);
                movedTargets.insert(pointer);
            }
            slots.push_back({ { p, r }, bytes, moved });
        }
    }
    qint64 memoBudget = 4 * qint64(m_bytes.size()) + (1 << 20);
    QList<JetRow> result;
    for (const Slot &slot : slots) {
        if (result.size() > qsizetype(table.storedRows))
            break;
        JetBytes bytes = slot.bytes;
        if (slot.moved) {
            const std::uint32_t pointer = bytes.u32(0);
            const Location target { pointer >> 8, static_cast<int>(pointer & 0xFF) };
            const JetBytes pg = page(target.page);
            if (pg.u8(0) != 0x01 || pg.u32(4) != table.definitionPage)
                throw JetError(damaged(QStringLiteral("表格 %1 的一筆資料搬到了別的表格的頁上。").arg(table.name)));
            bool deleted = false;
            bool moved = false;
            bytes = rowBytes(pg, target.row, &deleted, &moved);
            if (deleted)
                continue;
            if (moved)
                throw JetError(damaged(QStringLiteral("表格 %1 的一筆資料搬了兩次。").arg(table.name)));
        } else if (movedTargets.contains((quint64(slot.at.page) << 8) | quint64(slot.at.row))) {
            continue; // read through the slot it was moved from
        }
        result.append(decodeRow(table, bytes, &memoBudget));
        if (onRow)
            onRow();
    }
    if (result.size() != qsizetype(table.storedRows))
        throw JetError(QStringLiteral("表格 %1 記錄有 %2 筆資料，卻讀到 %3 筆；檔案可能已經損壞，不匯入。")
                           .arg(table.name)
                           .arg(table.storedRows)
                           .arg(result.size() > qsizetype(table.storedRows) ? QStringLiteral("更多")
                                                                            : QString::number(result.size())));
    return result;
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
