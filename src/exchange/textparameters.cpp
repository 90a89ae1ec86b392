#include "exchange/textparameters.h"

#include "core/database.h"
#include "core/error.h"
#include "core/statement.h"

#include <sqlite3.h>

namespace kartevo {

void BindUtf8(Database &db, Statement &statement, int index, QByteArrayView text)
{
    if (sqlite3_bind_text(statement.handle(), index, text.isEmpty() ? "" : text.data(), int(text.size()),
                          SQLITE_STATIC) != SQLITE_OK)
        throw Error(db.errorMessage());
}

void TextParameters::bindTo(Database &db, Statement &statement, int first)
{
    qsizetype space = 0;
    for (const QStringView text : std::as_const(m_texts))
        space += m_encoder.requiredSpace(text.size());
    if (m_buffer.size() < space)
        m_buffer.resize(space);
    char *const begin = m_buffer.data();
    char *end = begin;
    QVarLengthArray<qsizetype, 16> &bounds = m_bounds;
    bounds.clear();
    for (const QStringView text : std::as_const(m_texts)) {
        end = m_encoder.appendToBuffer(end, text);
        bounds.append(end - begin);
    }
    qsizetype from = 0;
    for (int i = 0; i < bounds.size(); ++i) {
        if (sqlite3_bind_text(statement.handle(), first + i, begin + from, int(bounds[i] - from), SQLITE_STATIC) != SQLITE_OK)
            throw Error(db.errorMessage());
        from = bounds[i];
    }
}

} // namespace kartevo
