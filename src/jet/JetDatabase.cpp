#include "jet/JetDatabase.h"

#include "jet/JetText.h"

#include <QFile>

#include <cmath>

namespace {

constexpr int VersionOffset = 0x14;
constexpr int HeaderBlockOffset = 0x18;
constexpr int HeaderBlockSize = 128;
constexpr int PageKeyOffset = 0x3E;
constexpr int PasswordOffset = 0x42;
constexpr int PasswordSize = 40;
constexpr int CreatedOffset = 0x72;
constexpr std::uint32_t CataloguePage = 2;
constexpr int MaxColumns = 255;
constexpr int MaxIndexes = 1000;
constexpr int MaxDefinitionPages = 64;
constexpr int ColumnEntrySize = 25;

QString damaged(const QString &what)
{
    return QStringLiteral("舊帳本檔已經損壞：%1").arg(what);
}

} // namespace

int JetTableDef::columnIndex(const QString &wanted) const
{
    for (int i = 0; i < columns.size(); ++i)
        if (columns[i].name.compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

JetDatabase::JetDatabase(QByteArray bytes)
    : m_bytes(std::move(bytes))
    , m_file(m_bytes)
{
    checkHeader();
    readCatalogue();
}

JetDatabase JetDatabase::fromFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw JetError(QStringLiteral("無法讀取舊帳本檔 %1：%2").arg(path, file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw JetError(QStringLiteral("無法讀取舊帳本檔 %1：%2").arg(path, file.errorString()));
    return JetDatabase(std::move(bytes));
}

void JetDatabase::checkHeader() const
{
    static const QByteArray jetMagic("\x00\x01\x00\x00Standard Jet DB\x00", 20);
    static const QByteArray aceMagic("\x00\x01\x00\x00Standard ACE DB\x00", 20);
    const QByteArrayView start = QByteArrayView(m_bytes).first(qMin<qsizetype>(m_bytes.size(), 20));
    if (start == QByteArrayView(aceMagic))
        throw JetError(QStringLiteral("這是 Access 2007 以後的 .accdb（ACE）檔，無法匯入；"
                                      "請在 Access 裡另存成 Access 2000 格式（.mdb）再試。"));
    if (start != QByteArrayView(jetMagic) || m_bytes.size() <= VersionOffset)
        throw JetError(QStringLiteral("這個檔案不是 Access 資料庫檔，無法匯入。"));
    const int version = m_file.u8(VersionOffset);
    if (version == 0)
        throw JetError(QStringLiteral("這是 Access 97（Jet 3）的檔案，無法匯入；"
                                      "請在 Access 裡轉換成 Access 2000 格式再試。"));
    if (version != 1)
        throw JetError(QStringLiteral("這是 Access 2007 以後的檔案格式（ACE），無法匯入；"
                                      "請在 Access 裡另存成 Access 2000 格式（.mdb）再試。"));
    if (m_bytes.size() < qsizetype(3) * PageSize || m_bytes.size() % PageSize != 0)
        throw JetError(damaged(QStringLiteral("檔案長度不是完整的頁數，檔案可能只複製了一部分。")));

    static const char key[] = { '\xC7', '\xDA', '\x39', '\x6B' };
    const QByteArray block
        = JetText::rc4(QByteArrayView(key, 4), m_file.sub(HeaderBlockOffset, HeaderBlockSize).view());
    const JetBytes header(block);
    if (header.u32(PageKeyOffset - HeaderBlockOffset) != 0)
        throw JetError(QStringLiteral("這個 Access 檔已經加密，無法匯入；請先在 Access 裡解除加密。"));
    // The stored password is masked with the whole days of the creation date.
    const double created = header.f64(CreatedOffset - HeaderBlockOffset);
    std::uint32_t mask = 0;
    if (std::isfinite(created) && std::fabs(created) < 2147483647.0)
        mask = static_cast<std::uint32_t>(static_cast<std::int32_t>(created));
    for (int i = 0; i < PasswordSize; ++i) {
        const auto maskByte = static_cast<std::uint8_t>(mask >> (8 * (i % 4)));
        if ((header.u8(PasswordOffset - HeaderBlockOffset + i) ^ maskByte) != 0)
            throw JetError(QStringLiteral("這個 Access 檔設了密碼，無法匯入；"
                                          "請先在 Access 裡移除資料庫密碼再試。"));
    }
}

JetBytes JetDatabase::page(std::uint32_t number) const
{
    if (number >= pageCount())
        throw JetError(damaged(QStringLiteral("指到第 %1 頁，但檔案只有 %2 頁。").arg(number).arg(pageCount())));
    return m_file.sub(qint64(number) * PageSize, PageSize);
}

void JetDatabase::readCatalogue()
{
    const JetTableDef catalogue = readDefinition(CataloguePage, QStringLiteral("MSysObjects"));
    const int idColumn = catalogue.columnIndex(QStringLiteral("Id"));
    const int nameColumn = catalogue.columnIndex(QStringLiteral("Name"));
    const int typeColumn = catalogue.columnIndex(QStringLiteral("Type"));
    const int flagsColumn = catalogue.columnIndex(QStringLiteral("Flags"));
    if (idColumn < 0 || nameColumn < 0 || typeColumn < 0)
        throw JetError(damaged(QStringLiteral("找不到資料庫的物件目錄。")));
    for (const JetRow &row : readRows(catalogue)) {
        const JetValue &id = row[idColumn];
        const JetValue &name = row[nameColumn];
        const JetValue &type = row[typeColumn];
        if (id.kind != JetValue::Kind::Integer || name.kind != JetValue::Kind::Text
            || type.kind != JetValue::Kind::Integer)
            continue;
        const std::int64_t flags
            = flagsColumn >= 0 && row[flagsColumn].kind == JetValue::Kind::Integer ? row[flagsColumn].integer : 0;
        const int objectType = static_cast<int>(type.integer & 0x7FFF);
        // Tables (1) and linked tables (4, 6); system tables carry the flag 0x80000000.
        if ((objectType != 1 && objectType != 4 && objectType != 6) || (flags & 0x80000000LL) != 0)
            continue;
        if (name.text.startsWith(QStringLiteral("MSys"), Qt::CaseInsensitive))
            continue;
        m_tables.append({ name.text, static_cast<std::uint32_t>(id.integer) & 0x00FFFFFF, objectType });
    }
}

QStringList JetDatabase::tableNames() const
{
    QStringList names;
    for (const CatalogueEntry &entry : m_tables)
        names.append(entry.name);
    return names;
}

bool JetDatabase::hasTable(const QString &name) const
{
    for (const CatalogueEntry &entry : m_tables)
        if (entry.name.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

JetTableDef JetDatabase::table(const QString &name) const
{
    for (const CatalogueEntry &entry : m_tables) {
        if (entry.name.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (entry.type != 1)
            throw JetError(QStringLiteral("表格 %1 是連結到別的檔案的表格，資料不在這個檔案裡，無法匯入。").arg(name));
        return readDefinition(entry.page, entry.name);
    }
    throw JetError(QStringLiteral("舊帳本檔裡沒有表格 %1。").arg(name));
}

QByteArray JetDatabase::definitionBytes(std::uint32_t definitionPage) const
{
    // A long definition continues on further pages; each one's first 8 bytes are its own head.
    QByteArray bytes;
    std::uint32_t next = definitionPage;
    for (int count = 0; next != 0; ++count) {
        if (count == MaxDefinitionPages)
            throw JetError(damaged(QStringLiteral("表格定義的頁串不會結束。")));
        const JetBytes pg = page(next);
        if (pg.u8(0) != 0x02)
            throw JetError(damaged(QStringLiteral("第 %1 頁應該是表格定義，卻不是。").arg(next)));
        bytes.append((count == 0 ? pg : pg.sub(8, PageSize - 8)).view());
        next = pg.u32(4);
    }
    return bytes;
}

JetTableDef JetDatabase::readDefinition(std::uint32_t definitionPage, const QString &name) const
{
    const QByteArray bytes = definitionBytes(definitionPage);
    const JetBytes def(bytes);
    JetTableDef table;
    table.name = name;
    table.definitionPage = definitionPage;
    table.storedRows = def.u32(16);
    const int columnCount = def.u16(45);
    const std::int32_t realIndexes = def.i32(51);
    table.usedPagesMap = def.u32(55);
    if (columnCount > MaxColumns || realIndexes < 0 || realIndexes > MaxIndexes)
        throw JetError(damaged(QStringLiteral("表格 %1 的定義不合理。").arg(name)));
    qint64 pos = 63 + qint64(realIndexes) * 12;
    for (int i = 0; i < columnCount; ++i, pos += ColumnEntrySize) {
        JetColumn column;
        column.type = def.u8(pos);
        column.number = def.u16(pos + 5);
        column.varIndex = def.u16(pos + 7);
        column.precision = def.u8(pos + 11);
        column.scale = def.u8(pos + 12);
        column.fixed = (def.u8(pos + 15) & 0x01) != 0;
        column.fixedOffset = def.u16(pos + 21);
        column.length = def.u16(pos + 23);
        table.columns.append(column);
    }
    for (JetColumn &column : table.columns) {
        const int length = def.u16(pos);
        if (length % 2 != 0)
            throw JetError(damaged(QStringLiteral("表格 %1 的欄位名稱不完整。").arg(name)));
        column.name = JetText::decode(def.sub(pos + 2, length));
        pos += 2 + length;
    }
    return table;
}
