#pragma once

#include <QByteArray>
#include <QStringEncoder>
#include <QStringView>
#include <QVarLengthArray>

namespace kartevo {

class Database;
class Statement;

// The text parameters of one row, encoded into one UTF-8 buffer that is kept from row to row and
// bound without a copy: no allocation per value (Statement::bind makes two), which an import of
// many rows feels.
// Binds UTF-8 text without a copy: it must stay alive while the statement runs. An empty text
// is bound as one, never as NULL.
void BindUtf8(Database &db, Statement &statement, int index, QByteArrayView text);

class TextParameters {
public:
    void clear() { m_texts.clear(); }
    // The text must stay alive until bindTo.
    void add(QStringView text) { m_texts.append(text); }
    // Binds the texts added to the parameters from `first` on; they stay valid until the next
    // bindTo. A zero-length text is bound as one, never as NULL.
    void bindTo(Database &db, Statement &statement, int first);
    // The UTF-8 text of the index-th text added, as bound by the last bindTo.
    QByteArrayView utf8(int index) const
    {
        const qsizetype from = index > 0 ? m_bounds[index - 1] : 0;
        return QByteArrayView(m_buffer.constData() + from, m_bounds[index] - from);
    }

private:
    QStringEncoder m_encoder{QStringConverter::Utf8, QStringConverter::Flag::Stateless};
    QVarLengthArray<QStringView, 16> m_texts;
    QByteArray m_buffer;
    QVarLengthArray<qsizetype, 16> m_bounds;
};

} // namespace kartevo
