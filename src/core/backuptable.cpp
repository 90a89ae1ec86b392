#include "core/backuptable.h"

#include <QLocale>

namespace kartevo {

BackupTable::BackupTable(QObject *parent) : DataSet(parent) {}

QHash<QString, QString> BackupTable::ColumnTitles()
{
    return {{QStringLiteral("ido"), QStringLiteral("Időpont")},
            {QStringLiteral("fajta"), QStringLiteral("Fajta")},
            {QStringLiteral("ok"), QStringLiteral("Művelet")},
            {QStringLiteral("meret"), QStringLiteral("Méret")},
            {QStringLiteral("ugyfelek"), QStringLiteral("Ügyfelek")},
            {QStringLiteral("fajl"), QStringLiteral("Fájl")}};
}

QString BackupTable::SizeText(qint64 bytes)
{
    const QLocale hungarian(QLocale::Hungarian);
    if (bytes >= 1024 * 1024)
        return hungarian.toString(double(bytes) / (1024 * 1024), 'f', 1) + QStringLiteral(" MB");
    if (bytes >= 1024)
        return hungarian.toString((bytes + 512) / 1024) + QStringLiteral(" kB");
    return hungarian.toString(bytes) + QStringLiteral(" bájt");
}

void BackupTable::refresh(const QString &dataFolder, const QString &databasePath)
{
    const QString current = currentCopy() ? currentCopy()->path : QString();
    m_copies = ListBackups(dataFolder, databasePath);
    QList<QVariantList> rows;
    for (const BackupInfo &copy : std::as_const(m_copies)) {
        rows.append({copy.time.toString(QStringLiteral("yyyy.MM.dd. HH:mm:ss")), BackupKindText(copy.kind),
                     BackupReasonText(copy.reason), SizeText(copy.size),
                     copy.clients < 0 ? QVariant() : QVariant(copy.clients), copy.path});
    }
    loadValues({QStringLiteral("ido"), QStringLiteral("fajta"), QStringLiteral("ok"), QStringLiteral("meret"),
                QStringLiteral("ugyfelek"), QStringLiteral("fajl")},
               rows);
    for (int row = 0; row < m_copies.size(); ++row) {
        if (m_copies.at(row).path == current)
            moveTo(row);
    }
}

const BackupInfo *BackupTable::currentCopy() const
{
    if (currentRow() < 0 || currentRow() >= m_copies.size())
        return nullptr;
    return &m_copies.at(currentRow());
}

} // namespace kartevo
