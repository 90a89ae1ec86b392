#pragma once

// What each import added, kept in the database (tables betoltes, betoltes_ugyfelek,
// betoltes_csoport; betoltes_ugyfel holds the records of earlier versions), so that the last
// import can be taken back even after a restart; and the column mappings remembered by the
// header of the file (betoltes_terkep).

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>

namespace kartevo {

class Database;

// The clients an import stored, each with the fingerprint of its fields (to see at the undo
// whether it was edited since), collected as they are written.
class ImportedClients {
public:
    void reserve(qint64 clients);
    // The six fields' UTF-8 text as stored: name, contact, postal code, town, street, group.
    void add(qint64 client, const std::array<QByteArrayView, 6> &fields);
    bool isEmpty() const { return m_entries.isEmpty(); }
    const QByteArray &entries() const { return m_entries; }

private:
    QByteArray m_entries;
};

// The record of one import, written inside the caller's transaction.
class ImportRecorder {
public:
    ImportRecorder(Database &db, const QString &source);
    ~ImportRecorder();
    ImportRecorder(const ImportRecorder &) = delete;
    ImportRecorder &operator=(const ImportRecorder &) = delete;

    // Records the clients; once per import.
    void addClients(const ImportedClients &clients);
    void addGroup(const QString &group);

private:
    struct Statements;
    std::unique_ptr<Statements> m_statements;
};

// The last import that can be taken back.
struct LastImport {
    qint64 record = 0;
    QString source;
    QString when;       // "2026-12-11 01:55:25"
    int clients = 0;    // its clients still in the database
    int groups = 0;     // the groups it added that are still in the group list
    QStringList edited; // names of its clients edited since
};
std::optional<LastImport> FindLastImport(Database &db);

// The question before the undo, naming the clients edited since.
QString UndoQuestion(const LastImport &last);

// Removes the clients of the last import, the groups it created that no other client uses, and
// its record, in one transaction. Returns the text of what was removed. Throws Error when there
// is nothing to take back.
QString UndoLastImport(Database &db);

// The remembered mapping (its text form) of files with this header key; empty when none.
QString RememberedMapping(Database &db, const QString &headerKey);
void RememberMapping(Database &db, const QString &headerKey, const QString &mappingText);

} // namespace kartevo
