#include "exchange/importsource.h"

#include "core/error.h"

namespace kartevo {

// Placeholder until the spreadsheet and vCard readers land.
SourceTable ReadSpreadsheetSource(const QString &fileName, SourceKind, const SourceOptions &)
{
    throw Error(QStringLiteral("Spreadsheets are not read yet: %1").arg(fileName));
}

QStringList VCardColumnTitles()
{
    return {QStringLiteral("Family Name"), QStringLiteral("Given Name"), QStringLiteral("Full Name"),
            QStringLiteral("Organization"), QStringLiteral("Street"), QStringLiteral("Postal Code"),
            QStringLiteral("City"), QStringLiteral("Categories")};
}

SourceTable ReadVCardSource(const QByteArray &)
{
    throw Error(QStringLiteral("vCards are not read yet."));
}

} // namespace kartevo
