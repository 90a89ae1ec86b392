#include "core/statement.h"

#include "core/database.h"
#include "core/error.h"

#include <sqlite3.h>

#include <utility>

namespace kartevo {

Statement::Statement(Database &db, const QString &sql)
{
    const QByteArray utf8 = sql.toUtf8();
    qsizetype offset = 0;
    *this = Statement(db, utf8, &offset);
}

Statement::Statement(Database &db, QByteArrayView utf8Sql, qsizetype *offset)
    : m_db(&db)
{
    if (!db.handle())
        throw Error(QStringLiteral("Nincs megnyitott adatbázis."));
    const qsizetype start = offset ? *offset : 0;
    const char *text = utf8Sql.data() + start;
    const char *tail = nullptr;
    const int rc = sqlite3_prepare_v2(db.handle(), text, int(utf8Sql.size() - start), &m_stmt, &tail);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        db.throwError();
    }
    if (offset)
        *offset = tail ? start + (tail - text) : utf8Sql.size();
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

Statement::Statement(Statement &&other) noexcept
    : m_stmt(std::exchange(other.m_stmt, nullptr)), m_db(other.m_db)
{
}

Statement &Statement::operator=(Statement &&other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_stmt = std::exchange(other.m_stmt, nullptr);
        m_db = other.m_db;
    }
    return *this;
}

int Statement::parameterCount() const
{
    return m_stmt ? sqlite3_bind_parameter_count(m_stmt) : 0;
}

QString Statement::parameterName(int index) const
{
    const char *name = m_stmt ? sqlite3_bind_parameter_name(m_stmt, index) : nullptr;
    return name ? QString::fromUtf8(name) : QString();
}

int Statement::parameterIndex(const QString &name) const
{
    if (!m_stmt || name.isEmpty())
        return 0;
    const QString full = name.startsWith(QLatin1Char(':')) ? name : QLatin1Char(':') + name;
    return sqlite3_bind_parameter_index(m_stmt, full.toUtf8().constData());
}

Statement::ValueKind Statement::valueKind(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return ValueKind::Null;
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return ValueKind::Integer;
    case QMetaType::Float:
    case QMetaType::Double:
        return ValueKind::Real;
    case QMetaType::QByteArray:
        return ValueKind::Blob;
    default:
        return ValueKind::Text;
    }
}

void Statement::bind(int index, const QVariant &value)
{
    if (!m_stmt)
        throw Error(QStringLiteral("Üres SQL utasítás."));
    int rc = SQLITE_OK;
    switch (valueKind(value)) {
    case ValueKind::Null:
        rc = sqlite3_bind_null(m_stmt, index);
        break;
    case ValueKind::Integer:
        rc = sqlite3_bind_int64(m_stmt, index, value.toLongLong());
        break;
    case ValueKind::Real:
        rc = sqlite3_bind_double(m_stmt, index, value.toDouble());
        break;
    case ValueKind::Blob: {
        const QByteArray bytes = value.toByteArray();
        rc = sqlite3_bind_blob64(m_stmt, index, bytes.constData(), sqlite3_uint64(bytes.size()), SQLITE_TRANSIENT);
        break;
    }
    case ValueKind::Text: {
        const QByteArray text = value.toString().toUtf8();
        rc = sqlite3_bind_text64(m_stmt, index, text.constData(), sqlite3_uint64(text.size()), SQLITE_TRANSIENT,
                                 SQLITE_UTF8);
        break;
    }
    }
    check(rc);
}

void Statement::bind(const QString &name, const QVariant &value)
{
    const int index = parameterIndex(name);
    if (index == 0)
        throw Error(QStringLiteral("Ismeretlen SQL paraméter: %1").arg(name));
    bind(index, value);
}

void Statement::clearBindings()
{
    if (m_stmt)
        sqlite3_clear_bindings(m_stmt);
}

bool Statement::step()
{
    if (!m_stmt)
        return false;
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    // sqlite3_reset() makes the statement reusable; the message is read before it.
    const QString message = m_db->errorMessage();
    sqlite3_reset(m_stmt);
    throw Error(message);
}

void Statement::exec()
{
    while (step()) {
    }
}

void Statement::reset()
{
    if (m_stmt)
        sqlite3_reset(m_stmt);
}

int Statement::columnCount() const
{
    return m_stmt ? sqlite3_column_count(m_stmt) : 0;
}

QString Statement::columnName(int column) const
{
    const char *name = m_stmt ? sqlite3_column_name(m_stmt, column) : nullptr;
    return name ? QString::fromUtf8(name) : QString();
}

QVariant Statement::column(int column) const
{
    if (!m_stmt)
        return {};
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(m_stmt, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, column));
    case SQLITE_TEXT: {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(m_stmt, column)));
    }
    case SQLITE_BLOB: {
        const auto *data = static_cast<const char *>(sqlite3_column_blob(m_stmt, column));
        return QVariant(QByteArray(data, sqlite3_column_bytes(m_stmt, column)));
    }
    default:
        return {};
    }
}

void Statement::check(int rc) const
{
    if (rc != SQLITE_OK)
        m_db->throwError();
}

} // namespace kartevo
