#pragma once

#include "core/backup.h"
#include "core/dataset.h"

#include <QHash>

namespace kartevo {

// The copies of a database as the rows of a list, newest first: time, kind, the operation that
// caused the copy, size and client count as the window shows them, and the file.
class BackupTable final : public DataSet {
    Q_OBJECT
public:
    explicit BackupTable(QObject *parent = nullptr);

    static QHash<QString, QString> ColumnTitles();

    // Reads the copies again; the cursor stays on the copy it was on, or goes to the first one.
    void refresh(const QString &dataFolder, const QString &databasePath);
    const QList<BackupInfo> &copies() const { return m_copies; }
    // The copy under the cursor; null when there is none.
    const BackupInfo *currentCopy() const;

    // "1,4 MB", "812 kB", "96 bájt".
    static QString SizeText(qint64 bytes);

protected:
    void finishEditing() override {}

private:
    QList<BackupInfo> m_copies;
};

} // namespace kartevo
