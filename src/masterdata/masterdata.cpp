#include "masterdata/masterdata.h"

#include "core/dataset.h"
#include "core/database.h"
#include "core/schema.h"
#include "core/statement.h"
#include "core/tableview.h"

#include <QLocale>
#include <QRegularExpression>

namespace kartevo {

QString TownForPostalCode(Database &db, const QString &postalCode)
{
    // Rows of equal codes come in the order they were added, as the postal-code list shows them.
    Statement statement(db, QStringLiteral("SELECT varos FROM irsz WHERE irsz = ? ORDER BY rowid LIMIT 1"));
    statement.bind(1, postalCode);
    if (!statement.step())
        return {};
    const QVariant town = statement.column(0);
    return town.isNull() ? QString() : town.toString();
}

void ApplyGroupWriteRule(TableView &groups)
{
    groups.setValue(QStringLiteral("csoports"), SortKey(groups.value(QStringLiteral("csoport"))));
}

void PositionOnStart(DataSet &list, const QString &column, const QVariant &start)
{
    const bool emptyText = start.typeId() == QMetaType::QString && start.toString().isEmpty();
    if (emptyText || !start.isValid() || !list.locateValue(column, start))
        list.first();
}

bool SearchList(DataSet &list, const QString &column, const QString &text)
{
    if (text.isEmpty()) {
        list.first();
        return list.recordCount() > 0;
    }
    return list.locate(column, text);
}

std::optional<QChar> SearchStartChar(QChar typed)
{
    const QChar c = typed.toLower();
    if ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z')))
        return c;
    static const QString accented = QStringLiteral("áéíóöőúüű");
    if (accented.contains(c))
        return c;
    return std::nullopt;
}

QList<int> ListColumnWidths(const QList<double> &fractions, int gridWidth)
{
    QList<int> widths;
    const int available = gridWidth - 40;
    for (double fraction : fractions)
        widths.append(int(available * fraction)); // truncated towards zero, as the layout wants
    return widths;
}

bool IsNumberChar(QChar c, bool wholeNumber)
{
    if ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('+') || c == QLatin1Char('-'))
        return true;
    return !wholeNumber
        && (c == QLatin1Char('e') || c == QLatin1Char('E') || c == QLatin1Char('.') || c == QLatin1Char(','));
}

std::optional<QVariant> ParseNumberField(const QString &text, bool wholeNumber)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return QVariant();
    if (wholeNumber) {
        static const QRegularExpression integer(QStringLiteral("^[+-]?[0-9]+$"));
        if (!integer.match(trimmed).hasMatch())
            return std::nullopt;
        bool ok = false;
        const qint64 value = trimmed.toLongLong(&ok);
        if (!ok)
            return std::nullopt;
        return QVariant(value);
    }
    static const QRegularExpression real(
        QStringLiteral("^[+-]?([0-9]+([.,][0-9]*)?|[.,][0-9]+)([eE][+-]?[0-9]+)?$"));
    if (!real.match(trimmed).hasMatch())
        return std::nullopt;
    QString normal = trimmed;
    normal.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = QLocale::c().toDouble(normal, &ok);
    if (!ok || !qIsFinite(value))
        return std::nullopt;
    return QVariant(value);
}

QString NotANumberMessage(const QString &text)
{
    return QStringLiteral("'%1' nem érvényes szám.").arg(text);
}

QString ListNumberText(double value, int decimals)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', decimals);
}

LabelFormat LabelFormatOf(const DataSet &list)
{
    LabelFormat format;
    format.felsomargo = list.asFloat(QStringLiteral("felsomargo"));
    format.szelsomargo = list.asFloat(QStringLiteral("szelsomargo"));
    format.cimkemagas = list.asFloat(QStringLiteral("cimkemagas"));
    format.oszlop = int(list.asInteger(QStringLiteral("oszlop")));
    return format;
}

GroupEvents &GroupEvents::instance()
{
    static GroupEvents events;
    return events;
}

} // namespace kartevo
