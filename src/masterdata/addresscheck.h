#pragma once

#include "core/dataset.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <functional>
#include <vector>

namespace kartevo {

class Database;

// ---------------------------------------------------------------------------------------------
// The address check before a mailing: which envelopes would come back, and which clients are
// in the address book twice. Nothing is written.
// ---------------------------------------------------------------------------------------------

// What was found about one client, in the order a client's findings are listed.
enum class FindingCode {
    MissingName,
    MissingPostalCode,
    MissingTown,
    MissingAddress,
    MalformedPostalCode, // not four digits
    UnknownPostalCode,   // four digits, but not in the postal-code table
    TownMismatch,        // the town is not among the towns of its postal code
    DuplicateName,       // another client has the same name, company form aside
    DuplicateAddress,    // another client under another name has the same postal code and street
};

enum class CheckScope { Everything, AddressesOnly, DuplicatesOnly };

// One finding about one client, with the client's address as it is stored.
struct AddressFinding {
    qint64 client = 0;
    QString name;
    QString postalCode;
    QString town;
    QString address;
    FindingCode code = FindingCode::MissingName;
    qint64 other = 0; // the other client of a duplicate; 0 for any other finding
};

// The finding's code word for the command line ("town-mismatch").
QString FindingCodeWord(FindingCode code);
// The finding in Hungarian, as the check window shows it ("Az irányítószám nem négy számjegy.").
QString FindingText(const AddressFinding &finding);

// A town as it is compared: without surrounding spaces, upper case, the Hungarian accents folded.
QString TownKey(const QString &town);
// A client name as duplicates are found: folded like a town, every punctuation mark and
// repeated space set aside, and a trailing company form (Kft., Bt., Zrt., Nyrt., Kkt.,
// Egyéni vállalkozó, e.v.) dropped. "Kovács és Társa Kft." and "Kovacs es Tarsa kft" agree.
QString NameKey(const QString &name);
// A street address as duplicates are found: folded like a name, without dropping anything.
QString StreetKey(const QString &street);

// The postal-code table read once: each code with the keys of its towns.
class PostalTowns {
public:
    explicit PostalTowns(Database &db);
    // The code is compared as it is written.
    bool hasCode(const QString &code) const { return townsOf(code) != nullptr; }
    // Whether the town is among the towns of the code (compared by TownKey).
    bool townMatches(const QString &code, const QString &town) const;
    // Whether the code is in the table and the town is not among its towns: hasCode and not
    // townMatches, with one lookup of the code.
    bool townDisagrees(const QString &code, const QString &town) const;
    // Whether the town is the town of any code (compared by TownKey).
    bool hasTown(const QString &town) const { return m_allTowns.contains(TownKey(town)); }

private:
    // Where the keys of a code's towns are in m_townKeys (first and count); an import asks for
    // the code of every row, so they lie side by side rather than in a set of each code.
    struct Towns {
        qsizetype first = 0;
        qsizetype count = 0;
    };
    // The towns of the code; null when the code is not in the table.
    const Towns *townsOf(const QString &code) const;
    bool among(const Towns &towns, const QString &town) const;

    QHash<QString, Towns> m_codes;
    // The towns of each four-digit code by its number (count 0 for none): most codes are.
    std::vector<Towns> m_fourDigitCodes;
    QString m_townKeys;                              // every code's town keys, one after the other
    QList<std::pair<qsizetype, qsizetype>> m_towns; // each key's place in m_townKeys and length
    QSet<QString> m_allTowns;
};

// The warning of the client edit dialog while the typed postal code and town do not agree;
// empty while they agree, while either is empty, or while the code is not in the table yet
// (the code is still being typed: that is the check's business, not the dialog's).
QString PostalTownWarning(const PostalTowns &towns, const QString &postalCode, const QString &town);

// Called now and then while the clients are read: how many are done out of how many.
using CheckProgress = std::function<void(int done, int total)>;

// Checks every client of the ugyfel table: the findings ordered by client key, then by
// FindingCode. A duplicate group is found by hashing its key, never by comparing every pair;
// each member's finding names the first other member of the group (the lowest key).
QList<AddressFinding> CheckAddresses(Database &db, CheckScope scope = CheckScope::Everything,
                                     const CheckProgress &progress = {});

// Marks every client of the findings for printing (jelolve "I"), with one statement.
void MarkFoundClients(Database &db, const QList<AddressFinding> &findings);

// The findings as a data set, one row per finding, for the check window's grid and the export
// window: ugyfel, ugyfel_nev, cim_irsz, cim_varos, cim_cim and megallapitas (the text).
class FindingTable final : public DataSet {
    Q_OBJECT
public:
    explicit FindingTable(QObject *parent = nullptr);

    // The column titles of the grid and the export, by field.
    static QHash<QString, QString> ColumnTitles();

    void setFindings(const QList<AddressFinding> &findings);
    const QList<AddressFinding> &findings() const { return m_findings; }
    // The finding under the cursor; null when the table is empty.
    const AddressFinding *currentFinding() const;
    // Sorts by a field: the key by value, the texts without regard to case and the Hungarian
    // accents; rows that compare equal keep their order. The cursor stays on its finding.
    void sortBy(const QString &field);

protected:
    void finishEditing() override {}

private:
    void show(int currentFinding);

    QList<AddressFinding> m_findings;
    QList<int> m_order; // row -> index into m_findings
};

} // namespace kartevo
