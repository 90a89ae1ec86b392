#pragma once

// Which columns of a user's address list go into which client field, guessed from the header
// titles or the contents, given by hand as text ("name=3,contact=4+5,postal=1"), and applied to
// each row of the table.

#include "exchange/importsource.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <array>

namespace kartevo {

class PostalTowns;

// The targets of the columns. Name, Contact, PostalCode, Town, Street and Group are client
// fields; the others are combined forms: Company and Person (family name first, then the given
// names) make the name and contact of a row, Address is one column with code, town and street.
enum class ImportTarget { Name, Contact, PostalCode, Town, Street, Group, Company, Person, Address };
inline constexpr int kImportTargetCount = 9;

// The six client fields of a row, in the order of the client columns.
enum ClientField { FieldName, FieldContact, FieldPostalCode, FieldTown, FieldStreet, FieldGroup };
inline constexpr int kClientFieldCount = 6;
using ClientFields = std::array<QString, kClientFieldCount>;

// The word of a target in the text form ("name", "contact", "postal", "town", "street", "group",
// "company", "person", "address").
QString ImportTargetWord(ImportTarget target);

struct ImportMapping {
    // For each target, the columns (from 0) whose values are joined with a space, in order.
    std::array<QList<int>, kImportTargetCount> columns;
    bool header = false; // the first row holds titles and is not imported

    QList<int> &operator[](ImportTarget target) { return columns[size_t(target)]; }
    const QList<int> &operator[](ImportTarget target) const { return columns[size_t(target)]; }
    // Whether any column gives a name (name, company, person or nothing but the address is no
    // client list).
    bool givesName() const;
    bool isEmpty() const;
    bool operator==(const ImportMapping &other) const
    {
        // Element by element: the data of an empty list may be null, which the list's own
        // comparison passes on to memcmp.
        for (size_t i = 0; i < columns.size(); ++i) {
            if (!std::ranges::equal(columns[i], other.columns[i]))
                return false;
        }
        return header == other.header;
    }
};

// The text form: "name=3,contact=4+5,postal=1,town=2,street=6,group=7" (columns from 1, "a+b"
// joins columns in that order), targets in the order of ImportTarget, then ",header" when the
// first row is a header.
QString MappingText(const ImportMapping &mapping);
// Reads the text form (blanks around words allowed). Throws Error naming the part that cannot
// be read or a column beyond columnCount (when columnCount > 0).
ImportMapping ParseMappingText(const QString &text, int columnCount = 0);

// The target a header title suggests, with its rank among the columns of that target (a family
// name ranks before a given name); false when the title means nothing known. Titles compare
// without regard to case, accents, blanks and punctuation.
bool GuessTargetOfTitle(const QString &title, ImportTarget *target, int *rank = nullptr);

// The guess: from the first row's titles when at least one of them is known (the first row is
// then the header), else from the contents of the first rows (four-digit numbers are postal
// codes, known town names are towns, the first other column with text is the name, the column
// after the town the street). towns may be null (no town is recognised then).
ImportMapping GuessMapping(const SourceTable &table, const PostalTowns *towns);

// A key of the header row, to remember the mapping of files with the same titles.
QString HeaderKey(const QStringList &titles);

// The six fields of a row under the mapping, trimmed, uncut. A row with a company gets the
// company as name and the person as contact; without one, the person is the name. An Address
// column fills the code, town and street that no column of their own gave.
ClientFields MapRow(const ImportMapping &mapping, const QStringList &row);

// Splits "1051 Budapest, Fő utca 1." (or "Fő utca 1., 1051 Budapest", or the lines of a
// contacts program's address) into code, town and street; a country line is dropped. An address
// without a four-digit code is all street.
void SplitAddress(const QString &address, QString *postalCode, QString *town, QString *street);

// The field chosen for one column in the import window.
enum class ColumnChoice { Skip, Name, Contact, PostalCode, Town, Street, Group, Company, FamilyName, GivenName, Address };
inline constexpr int kColumnChoiceCount = 11;
// "nem kell", "név", "kapcsolattartó", "irányítószám", "település", "cím", "csoport", "cégnév",
// "családi név", "utónév", "teljes cím (irsz., település, cím)"
QString ColumnChoiceText(ColumnChoice choice);
// The choice of every column under the mapping (columns of a person: the first is the family
// name, the others given names).
QList<ColumnChoice> ColumnChoicesOf(const ImportMapping &mapping, int columnCount);
// The mapping of the choices: columns of one field joined in column order, a person's family
// names before the given names.
ImportMapping MappingOfChoices(const QList<ColumnChoice> &choices, bool header);

} // namespace kartevo
