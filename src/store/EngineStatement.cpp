#include "store/EngineStatement.h"

#include "store/StoreError.h"

#include <QByteArray>
#include <QStringDecoder>

#include <cstring>

#include <sqlite3.h>

namespace database_access {

namespace {

bool keepsUtf8(sqlite3 *db)
{
    sqlite3_stmt *statement = nullptr;
    bool utf8 = true;
    if (sqlite3_prepare_v2(db, "PRAGMA encoding", -1, &statement, nullptr) == SQLITE_OK
        && sqlite3_step(statement) == SQLITE_ROW)
        utf8 = qstrcmp(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)), "UTF-8") == 0;
    sqlite3_finalize(statement);
    return utf8;
}

void bindText(sqlite3 *db, sqlite3_stmt *statement, int index, const QString &text)
{
    if (!text.isValidUtf16())
        throw StoreError(QStringLiteral("文字裡有不成對的代理字元（不完整的字元），無法照原樣存入帳本。"));
    // A ledger file that another program made with UTF-16 text gets every text converted by
    // the engine, which turns these two non-characters into U+FFFD.
    if ((text.contains(QChar(0xFFFE)) || text.contains(QChar(0xFFFF))) && !keepsUtf8(db))
        throw StoreError(QStringLiteral("這本帳本的檔案以 UTF-16 存放文字，字元 U+FFFE 與 U+FFFF 無法照原樣存入。"));
    // A null QString would be stored as NULL; the ledger never holds NULL texts.
    const QByteArray bytes = text.toUtf8();
    const char *characters = bytes.isNull() ? "" : bytes.constData();
    if (sqlite3_bind_text(statement, index, characters, int(bytes.size()), SQLITE_TRANSIENT) != SQLITE_OK)
        engineFailure(db);
}

void bindValue(sqlite3 *db, sqlite3_stmt *statement, int index, const QVariant &value)
{
    if (value.typeId() == QMetaType::QString) {
        bindText(db, statement, index, value.toString());
        return;
    }
    int rc = SQLITE_OK;
    if (value.isNull()) {
        rc = sqlite3_bind_null(statement, index);
    } else {
        switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::Bool:
            rc = sqlite3_bind_int(statement, index, value.toInt());
            break;
        case QMetaType::UInt:
        case QMetaType::LongLong:
            rc = sqlite3_bind_int64(statement, index, value.toLongLong());
            break;
        case QMetaType::Double:
            rc = sqlite3_bind_double(statement, index, value.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            rc = sqlite3_bind_blob(statement, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
            break;
        }
        default:
            bindText(db, statement, index, value.toString());
        }
    }
    if (rc != SQLITE_OK)
        engineFailure(db);
}

} // namespace

void engineFailure(sqlite3 *db)
{
    throw StoreError(QStringLiteral("資料庫錯誤：%1").arg(QString::fromUtf8(sqlite3_errmsg(db))));
}

QString textFromEngine(const char *bytes, qsizetype size)
{
    // QString::fromUtf8 drops a leading byte-order mark; a text that starts with U+FEFF
    // keeps it through the slower decoder that is told to.
    static const char mark[] = "\xEF\xBB\xBF";
    if (size >= 3 && QByteArrayView(bytes, 3) == QByteArrayView(mark, 3)) {
        QStringDecoder decoder(
            QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        return decoder.decode(QByteArrayView(bytes, size));
    }
    return QString::fromUtf8(bytes, size);
}

EngineStatement::EngineStatement(sqlite3 *db, const QString &sql, const QVariantList &values)
    : m_db(db)
{
    const QByteArray text = sql.toUtf8();
    const char *tail = nullptr;
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &m_statement, &tail) != SQLITE_OK)
        engineFailure(db);
    if (tail != nullptr && !QString::fromUtf8(tail, text.constData() + text.size() - tail).trimmed().isEmpty()) {
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
        throw StoreError(QStringLiteral("資料庫錯誤：Unable to execute multiple statements at a time"));
    }
    if (m_statement == nullptr)
        return;
    if (sqlite3_bind_parameter_count(m_statement) != values.size()) {
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
        throw StoreError(QStringLiteral("資料庫錯誤：Parameter count mismatch"));
    }
    try {
        for (int i = 0; i < values.size(); ++i)
            bindValue(db, m_statement, i + 1, values.at(i));
    } catch (...) {
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
        throw;
    }
}

void EngineStatement::rebind(const QVariantList &values)
{
    if (m_statement == nullptr)
        return;
    sqlite3_reset(m_statement);
    if (sqlite3_bind_parameter_count(m_statement) != values.size())
        throw StoreError(QStringLiteral("資料庫錯誤：Parameter count mismatch"));
    for (int i = 0; i < values.size(); ++i)
        bindValue(m_db, m_statement, i + 1, values.at(i));
}

EngineStatement::~EngineStatement()
{
    sqlite3_finalize(m_statement);
}

bool EngineStatement::next()
{
    if (m_statement == nullptr)
        return false;
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        engineFailure(m_db);
    return false;
}

int EngineStatement::columnCount() const
{
    return m_statement == nullptr ? 0 : sqlite3_column_count(m_statement);
}

QString EngineStatement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_statement, column));
}

QVariant EngineStatement::value(int column) const
{
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(m_statement, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_statement, column));
    case SQLITE_NULL:
        return QVariant(QMetaType::fromType<QString>());
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char *>(sqlite3_column_blob(m_statement, column)),
            sqlite3_column_bytes(m_statement, column)));
    default:
        return textValue(column);
    }
}

QVariant EngineStatement::textValue(int column) const
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
    const int size = sqlite3_column_bytes(m_statement, column);
    if (column < 0 || size > LastText::capacity)
        return QVariant(textFromEngine(text, size));
    if (m_lastText.size() <= std::size_t(column))
        m_lastText.resize(std::size_t(column) + 1);
    LastText &last = m_lastText[std::size_t(column)];
    if (last.size != size || std::memcmp(last.bytes, text, std::size_t(size)) != 0) {
        last.text = textFromEngine(text, size);
        std::memcpy(last.bytes, text, std::size_t(size));
        last.size = size;
    }
    return QVariant(last.text);
}

} // namespace database_access
