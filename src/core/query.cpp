#include "core/query.h"

#include "core/database.h"
#include "core/error.h"
#include "core/statement.h"

namespace kartevo {

namespace {

QString ParamKey(const QString &name)
{
    QString key = name.trimmed();
    if (key.startsWith(QLatin1Char(':')) || key.startsWith(QLatin1Char('@'))
        || key.startsWith(QLatin1Char('$')))
        key.remove(0, 1);
    return key.toLower();
}

} // namespace

Query::Query(Database &db, QObject *parent)
    : DataSet(parent), m_db(db)
{
}

Query::~Query() = default;

void Query::setSql(const QString &text)
{
    m_lines = text.split(QLatin1Char('\n'));
}

QString Query::sql() const
{
    return m_lines.join(QLatin1Char('\n'));
}

void Query::setParam(const QString &name, const QVariant &value)
{
    m_params.insert(ParamKey(name), value);
}

QVariant Query::param(const QString &name) const
{
    return m_params.value(ParamKey(name));
}

void Query::bindParams(Statement &statement) const
{
    for (int index = 1, count = statement.parameterCount(); index <= count; ++index) {
        const QString name = statement.parameterName(index);
        if (name.isEmpty())
            continue; // '?' stays NULL
        const auto it = m_params.constFind(ParamKey(name));
        if (it == m_params.constEnd())
            throw Error(QStringLiteral("Az SQL paraméternek nincs értéke: %1").arg(name));
        statement.bind(index, it.value());
    }
}

void Query::open()
{
    close();
    Statement statement(m_db, sql());
    if (statement.isEmpty())
        throw Error(QStringLiteral("Üres SQL utasítás."));
    bindParams(statement);
    load(statement);
}

void Query::exec()
{
    const QByteArray text = sql().toUtf8();
    qsizetype offset = 0;
    while (offset < text.size()) {
        const qsizetype start = offset;
        Statement statement(m_db, text, &offset);
        if (statement.isEmpty()) {
            if (offset <= start)
                break;
            continue; // a lone ';' or a comment
        }
        bindParams(statement);
        statement.exec();
    }
}

void Query::close()
{
    clear();
}

} // namespace kartevo
