#include "exchange/exportfields.h"

#include "core/dataset.h"
#include "core/error.h"
#include "core/outputfile.h"
#include "core/tableview.h"

#include <QDir>
#include <QFileInfo>

namespace kartevo {

FieldKind KindOfDeclaredType(const QString &declaredType)
{
    const QString type = declaredType.toUpper();
    if (type.isEmpty())
        return FieldKind::Untyped;
    const auto has = [&type](const char *part) { return type.contains(QLatin1String(part)); };
    if (has("BOOL"))
        return FieldKind::Boolean;
    if (has("INT"))
        return FieldKind::Integer;
    if (has("BLOB") || has("BINARY") || has("IMAGE") || has("GRAPHIC"))
        return FieldKind::Blob;
    if (has("CHAR"))
        return FieldKind::Text;
    if (has("TEXT") || has("CLOB") || has("MEMO"))
        return FieldKind::Memo;
    if (has("REAL") || has("FLOA") || has("DOUB") || has("NUM") || has("DEC") || has("MONEY") || has("CURRENCY"))
        return FieldKind::Float;
    return FieldKind::Text;
}

QList<ExportField> ExportFieldsOf(const DataSet &dataSet, const QHash<QString, QString> &labels)
{
    QHash<QString, QString> lowerLabels;
    for (auto it = labels.begin(); it != labels.end(); ++it)
        lowerLabels.insert(it.key().toLower(), it.value());
    QList<ExportField> fields;
    const QStringList names = dataSet.fieldNames();
    const auto *table = qobject_cast<const TableView *>(&dataSet);
    for (int column = 0; column < names.size(); ++column) {
        if (table && column == table->rowidColumn())
            continue;
        ExportField field;
        field.name = names.at(column);
        field.label = lowerLabels.value(field.name.toLower(), field.name);
        field.kind = KindOfDeclaredType(dataSet.declaredType(column));
        field.align = field.kind == FieldKind::Integer || field.kind == FieldKind::Float ? FieldAlign::Right
                                                                                         : FieldAlign::Left;
        field.column = column;
        fields.append(field);
    }
    return fields;
}

ExportResult ExportToFile(const QString &fileName, const std::function<ExportResult(QIODevice &)> &write,
                          bool createFolder)
{
    if (createFolder) {
        const QString folder = QFileInfo(fileName).absolutePath();
        if (!QDir().mkpath(folder))
            throw Error(QStringLiteral("A mappa nem hozható létre: %1").arg(folder));
    }
    OutputFile file(fileName);
    const ExportResult result = write(file.device());
    file.commit();
    return result;
}

QString UnmappableNote(int unmappable)
{
    if (unmappable == 0)
        return {};
    return QStringLiteral("%1 karakter nem írható le a közép-európai (1250-es) kódlappal; a helyükön \"?\" áll.")
        .arg(unmappable);
}

} // namespace kartevo
