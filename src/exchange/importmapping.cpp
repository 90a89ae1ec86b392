#include "exchange/importmapping.h"

#include "core/error.h"
#include "core/schema.h"
#include "masterdata/addresscheck.h"

#include <QCryptographicHash>
#include <QHash>
#include <QRegularExpression>

namespace kartevo {

namespace {

const char *const kTargetWords[kImportTargetCount] = {"name",    "contact", "postal", "town",   "street",
                                                      "group",   "company", "person", "address"};

// How many data rows the guess from the contents looks at.
constexpr int kGuessRows = 50;

// A title as it is compared: lower case, no accents, only letters and digits.
QString TitleKey(const QString &title)
{
    QString key;
    for (const QChar c : FoldAccents(title)) {
        if (c.isLetterOrNumber())
            key.append(c.toLower());
    }
    return key;
}

struct TitleGuess {
    ImportTarget target;
    int rank;
};

// The known titles: Hungarian, English and those of the common contacts exports.
const QHash<QString, TitleGuess> &KnownTitles()
{
    static const QHash<QString, TitleGuess> titles = [] {
        QHash<QString, TitleGuess> known;
        const auto add = [&known](ImportTarget target, int rank, std::initializer_list<const char *> keys) {
            for (const char *key : keys)
                known.insert(QString::fromLatin1(key), {target, rank});
        };
        add(ImportTarget::Name, 0, {"nev", "ugyfelnev", "ugyfel", "teljesnev", "megjelenitettnev", "name",
                                    "fullname", "displayname"});
        add(ImportTarget::Company, 0, {"cegnev", "ceg", "cegneve", "szervezet", "vallalat", "company",
                                       "companyname", "organization", "organisation", "organizationname",
                                       "organization1name", "firm"});
        add(ImportTarget::Contact, 0, {"kapcsolattarto", "kapcsolat", "ugyintezo", "contact", "contactperson",
                                       "contactname"});
        add(ImportTarget::Person, 0, {"vezeteknev", "csaladnev", "csaladinev", "lastname", "familyname", "surname"});
        add(ImportTarget::Person, 1, {"keresztnev", "utonev", "firstname", "givenname"});
        add(ImportTarget::Person, 2, {"middlename", "additionalname", "masodikkeresztnev"});
        add(ImportTarget::PostalCode, 0, {"iranyitoszam", "irsz", "irszam", "postalcode", "postcode", "zip",
                                          "zipcode", "businesspostalcode", "homepostalcode", "otherpostalcode",
                                          "address1postalcode", "workzipcode", "homezipcode"});
        add(ImportTarget::Town, 0, {"telepules", "varos", "helyseg", "city", "town", "locality", "businesscity",
                                    "homecity", "othercity", "address1city", "workcity"});
        add(ImportTarget::Street, 0, {"cim", "utca", "utcahazszam", "street", "streetaddress", "addressline1",
                                      "businessstreet", "homestreet", "otherstreet", "address1street",
                                      "workaddress", "homeaddress"});
        add(ImportTarget::Address, 0, {"teljescim", "postacim", "address1formatted", "fulladdress",
                                       "formattedaddress", "address", "businessaddress"});
        add(ImportTarget::Group, 0, {"csoport", "csoportok", "kategoria", "group", "groups", "groupmembership",
                                     "categories", "category", "labels"});
        return known;
    }();
    return titles;
}

bool IsFourDigits(const QString &text)
{
    static const QRegularExpression fourDigits(QStringLiteral("^\\d{4}$"));
    return fourDigits.match(text).hasMatch();
}

bool StartsWithPostalCode(const QString &text)
{
    static const QRegularExpression codeFirst(QStringLiteral("^\\d{4}\\s+\\D"));
    return codeFirst.match(text).hasMatch();
}

bool IsCountry(const QString &part)
{
    const QString key = TitleKey(part);
    return key == QLatin1String("magyarorszag") || key == QLatin1String("hungary") || key == QLatin1String("hu");
}

// The value with its whitespace folded as QString::simplified() folds it; a value that needs no
// folding (most of them) is shared, not copied.
QString Simplified(const QString &value)
{
    bool simple = value.isEmpty() || (!value.front().isSpace() && !value.back().isSpace());
    for (qsizetype i = 0; simple && i < value.size(); ++i) {
        const QChar ch = value.at(i);
        simple = !ch.isSpace() || (ch == u' ' && !value.at(i + 1).isSpace());
    }
    return simple ? value : value.simplified();
}

QString JoinColumns(const QList<int> &columns, const QStringList &row)
{
    if (columns.size() == 1)
        return Simplified(row.value(columns.front()));
    QStringList parts;
    for (const int column : columns) {
        const QString value = Simplified(row.value(column));
        if (!value.isEmpty())
            parts.append(value);
    }
    return parts.join(u' ');
}

// Columns whose share of non-empty values in the first rows passes the test, as a fraction.
double ShareOf(const SourceTable &table, int column, int first, const std::function<bool(const QString &)> &test)
{
    int filled = 0;
    int passed = 0;
    for (int row = first; row < table.rows.size() && row < first + kGuessRows; ++row) {
        const QString value = table.rows.at(row).value(column).trimmed();
        if (value.isEmpty())
            continue;
        ++filled;
        passed += test(value) ? 1 : 0;
    }
    return filled == 0 ? 0.0 : double(passed) / filled;
}

ImportMapping GuessFromTitles(const QStringList &titles)
{
    ImportMapping mapping;
    mapping.header = true;
    QList<std::pair<int, int>> person; // rank, column
    for (int column = 0; column < titles.size(); ++column) {
        ImportTarget target;
        int rank = 0;
        if (!GuessTargetOfTitle(titles.at(column), &target, &rank))
            continue;
        if (target == ImportTarget::Person) {
            person.append({rank, column});
            continue;
        }
        // The first column of a target wins (a business address before a home address).
        if (mapping[target].isEmpty())
            mapping[target].append(column);
    }
    std::stable_sort(person.begin(), person.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    for (const auto &[rank, column] : std::as_const(person))
        mapping[ImportTarget::Person].append(column);

    // A person's own name columns make the name; a display name beside them is left out.
    if (!mapping[ImportTarget::Person].isEmpty())
        mapping[ImportTarget::Name].clear();
    // A name beside a company is the person of a company row.
    if (!mapping[ImportTarget::Company].isEmpty() && !mapping[ImportTarget::Name].isEmpty()) {
        mapping[ImportTarget::Person] = mapping[ImportTarget::Name];
        mapping[ImportTarget::Name].clear();
    }
    // "Address" beside a code or a town is the street; alone it is the whole address.
    const bool hasParts = !mapping[ImportTarget::PostalCode].isEmpty() || !mapping[ImportTarget::Town].isEmpty();
    if (hasParts && !mapping[ImportTarget::Address].isEmpty()) {
        if (mapping[ImportTarget::Street].isEmpty())
            mapping[ImportTarget::Street] = mapping[ImportTarget::Address];
        mapping[ImportTarget::Address].clear();
    }
    return mapping;
}

ImportMapping GuessFromContents(const SourceTable &table, const PostalTowns *towns)
{
    ImportMapping mapping;
    int columns = 0;
    for (int row = 0; row < table.rows.size() && row < kGuessRows; ++row)
        columns = std::max(columns, int(table.rows.at(row).size()));
    QList<bool> used(columns, false);
    const auto take = [&](ImportTarget target, int column) {
        mapping[target].append(column);
        used[column] = true;
    };
    const auto hasText = [&](int column) {
        return column >= 0 && column < columns && !used[column]
            && ShareOf(table, column, 0, [](const QString &v) { return v.front().isLetter(); }) >= 0.5;
    };
    for (int column = 0; column < columns; ++column) {
        if (mapping[ImportTarget::PostalCode].isEmpty() && ShareOf(table, column, 0, IsFourDigits) >= 0.8)
            take(ImportTarget::PostalCode, column);
        else if (mapping[ImportTarget::Address].isEmpty() && ShareOf(table, column, 0, StartsWithPostalCode) >= 0.8)
            take(ImportTarget::Address, column);
        else if (towns && mapping[ImportTarget::Town].isEmpty()
                 && ShareOf(table, column, 0, [towns](const QString &v) { return towns->hasTown(v); }) >= 0.5)
            take(ImportTarget::Town, column);
    }
    const int firstAddress = [&] {
        int first = columns;
        for (const ImportTarget target : {ImportTarget::PostalCode, ImportTarget::Town, ImportTarget::Address}) {
            if (!mapping[target].isEmpty())
                first = std::min(first, int(mapping[target].first()));
        }
        return first;
    }();
    for (int column = 0; column < columns; ++column) {
        if (hasText(column)) {
            take(ImportTarget::Name, column);
            if (column + 1 < firstAddress && hasText(column + 1))
                take(ImportTarget::Contact, column + 1);
            break;
        }
    }
    const QList<int> &town = mapping[ImportTarget::Town];
    if (!town.isEmpty() && hasText(town.first() + 1)) {
        take(ImportTarget::Street, town.first() + 1);
        if (hasText(town.first() + 2))
            take(ImportTarget::Group, town.first() + 2);
    }
    if (mapping[ImportTarget::Street].isEmpty() && mapping[ImportTarget::Address].isEmpty()) {
        for (int column = 0; column < columns; ++column) {
            if (hasText(column)) {
                take(ImportTarget::Street, column);
                break;
            }
        }
    }
    return mapping;
}

} // namespace

QString ImportTargetWord(ImportTarget target)
{
    return QString::fromLatin1(kTargetWords[int(target)]);
}

bool ImportMapping::givesName() const
{
    return !(*this)[ImportTarget::Name].isEmpty() || !(*this)[ImportTarget::Company].isEmpty()
        || !(*this)[ImportTarget::Person].isEmpty();
}

bool ImportMapping::isEmpty() const
{
    return std::all_of(columns.begin(), columns.end(), [](const QList<int> &list) { return list.isEmpty(); });
}

QString MappingText(const ImportMapping &mapping)
{
    QStringList parts;
    for (int target = 0; target < kImportTargetCount; ++target) {
        const QList<int> &columns = mapping.columns[size_t(target)];
        if (columns.isEmpty())
            continue;
        QStringList numbers;
        for (const int column : columns)
            numbers.append(QString::number(column + 1));
        parts.append(QString::fromLatin1(kTargetWords[target]) + u'=' + numbers.join(u'+'));
    }
    if (mapping.header)
        parts.append(QStringLiteral("header"));
    return parts.join(u',');
}

ImportMapping ParseMappingText(const QString &text, int columnCount)
{
    ImportMapping mapping;
    const QStringList parts = text.split(u',', Qt::SkipEmptyParts);
    if (parts.isEmpty())
        throw Error(QStringLiteral("Üres oszlop-megfeleltetés."));
    for (const QString &rawPart : parts) {
        const QString part = rawPart.trimmed();
        if (part == QLatin1String("header")) {
            mapping.header = true;
            continue;
        }
        const qsizetype equals = part.indexOf(u'=');
        const QString word = part.left(equals).trimmed();
        int target = -1;
        for (int i = 0; i < kImportTargetCount; ++i) {
            if (word == QLatin1String(kTargetWords[i]))
                target = i;
        }
        if (equals < 0 || target < 0)
            throw Error(QStringLiteral("Ismeretlen mező a megfeleltetésben: %1 (name, contact, postal, town, street, "
                                       "group, company, person vagy address lehet)").arg(part));
        QList<int> &columns = mapping.columns[size_t(target)];
        if (!columns.isEmpty())
            throw Error(QStringLiteral("A(z) %1 mező kétszer szerepel a megfeleltetésben.").arg(word));
        for (const QString &number : part.mid(equals + 1).split(u'+')) {
            bool ok = false;
            const int column = number.trimmed().toInt(&ok);
            if (!ok || column < 1)
                throw Error(QStringLiteral("Hibás oszlopszám a megfeleltetésben: %1 (1-től számozva)").arg(part));
            if (columnCount > 0 && column > columnCount)
                throw Error(QStringLiteral("A megfeleltetés %1. oszlopa nincs a fájlban (%2 oszlopa van).")
                                .arg(column).arg(columnCount));
            columns.append(column - 1);
        }
    }
    return mapping;
}

bool GuessTargetOfTitle(const QString &title, ImportTarget *target, int *rank)
{
    const auto found = KnownTitles().constFind(TitleKey(title));
    if (found == KnownTitles().cend())
        return false;
    *target = found->target;
    if (rank)
        *rank = found->rank;
    return true;
}

ImportMapping GuessMapping(const SourceTable &table, const PostalTowns *towns)
{
    if (table.rows.isEmpty())
        return {};
    ImportTarget target;
    for (const QString &title : table.rows.first()) {
        if (GuessTargetOfTitle(title, &target))
            return GuessFromTitles(table.rows.first());
    }
    return GuessFromContents(table, towns);
}

QString HeaderKey(const QStringList &titles)
{
    QStringList keys;
    for (const QString &title : titles)
        keys.append(title.trimmed());
    return QString::fromLatin1(
        QCryptographicHash::hash(keys.join(QChar(0x1f)).toUtf8(), QCryptographicHash::Sha1).toHex());
}

void SplitAddress(const QString &address, QString *postalCode, QString *town, QString *street)
{
    static const QRegularExpression lineBreaks(QStringLiteral("[\\r\\n,]+"));
    static const QRegularExpression codePart(QStringLiteral("^(?:H-?)?(\\d{4})(?:\\s+(.*))?$"));
    QStringList parts;
    for (const QString &part : address.split(lineBreaks)) {
        if (!part.simplified().isEmpty())
            parts.append(part.simplified());
    }
    postalCode->clear();
    town->clear();
    QStringList streetParts;
    for (int i = 0; i < parts.size(); ++i) {
        const QRegularExpressionMatch match = codePart.match(parts.at(i));
        if (postalCode->isEmpty() && match.hasMatch()) {
            *postalCode = match.captured(1);
            *town = match.captured(2).trimmed();
            if (town->isEmpty() && i + 1 < parts.size())
                *town = parts.at(++i);
        } else if (!IsCountry(parts.at(i)) || i + 1 < parts.size()) {
            streetParts.append(parts.at(i));
        }
    }
    *street = streetParts.join(QStringLiteral(", "));
}

ClientFields MapRow(const ImportMapping &mapping, const QStringList &row)
{
    ClientFields fields;
    fields[FieldName] = JoinColumns(mapping[ImportTarget::Name], row);
    fields[FieldContact] = JoinColumns(mapping[ImportTarget::Contact], row);
    fields[FieldPostalCode] = JoinColumns(mapping[ImportTarget::PostalCode], row);
    fields[FieldTown] = JoinColumns(mapping[ImportTarget::Town], row);
    fields[FieldStreet] = JoinColumns(mapping[ImportTarget::Street], row);
    fields[FieldGroup] = JoinColumns(mapping[ImportTarget::Group], row);

    const QString company = JoinColumns(mapping[ImportTarget::Company], row);
    const QString person = JoinColumns(mapping[ImportTarget::Person], row);
    if (!company.isEmpty()) {
        if (fields[FieldName].isEmpty())
            fields[FieldName] = company;
        if (fields[FieldContact].isEmpty())
            fields[FieldContact] = person;
    } else if (fields[FieldName].isEmpty()) {
        fields[FieldName] = person;
    }

    if (!mapping[ImportTarget::Address].isEmpty()) {
        QStringList lines;
        for (const int column : mapping[ImportTarget::Address])
            lines.append(row.value(column));
        QString code, town, street;
        SplitAddress(lines.join(u'\n'), &code, &town, &street);
        if (fields[FieldPostalCode].isEmpty())
            fields[FieldPostalCode] = code;
        if (fields[FieldTown].isEmpty())
            fields[FieldTown] = town;
        if (fields[FieldStreet].isEmpty())
            fields[FieldStreet] = street;
    }
    return fields;
}

QString ColumnChoiceText(ColumnChoice choice)
{
    switch (choice) {
    case ColumnChoice::Skip: return QStringLiteral("nem kell");
    case ColumnChoice::Name: return QStringLiteral("név");
    case ColumnChoice::Contact: return QStringLiteral("kapcsolattartó");
    case ColumnChoice::PostalCode: return QStringLiteral("irányítószám");
    case ColumnChoice::Town: return QStringLiteral("település");
    case ColumnChoice::Street: return QStringLiteral("cím");
    case ColumnChoice::Group: return QStringLiteral("csoport");
    case ColumnChoice::Company: return QStringLiteral("cégnév");
    case ColumnChoice::FamilyName: return QStringLiteral("családi név");
    case ColumnChoice::GivenName: return QStringLiteral("utónév");
    case ColumnChoice::Address: return QStringLiteral("teljes cím (irsz., település, cím)");
    }
    return {};
}

namespace {

// The choices that are one target each, beside the two of a person.
const std::pair<ColumnChoice, ImportTarget> kPlainChoices[] = {
    {ColumnChoice::Name, ImportTarget::Name},         {ColumnChoice::Contact, ImportTarget::Contact},
    {ColumnChoice::PostalCode, ImportTarget::PostalCode}, {ColumnChoice::Town, ImportTarget::Town},
    {ColumnChoice::Street, ImportTarget::Street},     {ColumnChoice::Group, ImportTarget::Group},
    {ColumnChoice::Company, ImportTarget::Company},   {ColumnChoice::Address, ImportTarget::Address},
};

} // namespace

QList<ColumnChoice> ColumnChoicesOf(const ImportMapping &mapping, int columnCount)
{
    QList<ColumnChoice> choices(columnCount, ColumnChoice::Skip);
    for (const auto &[choice, target] : kPlainChoices) {
        for (const int column : mapping[target]) {
            if (column < columnCount)
                choices[column] = choice;
        }
    }
    const QList<int> &person = mapping[ImportTarget::Person];
    for (int i = 0; i < person.size(); ++i) {
        if (person.at(i) < columnCount)
            choices[person.at(i)] = i == 0 ? ColumnChoice::FamilyName : ColumnChoice::GivenName;
    }
    return choices;
}

ImportMapping MappingOfChoices(const QList<ColumnChoice> &choices, bool header)
{
    ImportMapping mapping;
    mapping.header = header;
    QList<int> given;
    for (int column = 0; column < choices.size(); ++column) {
        const ColumnChoice choice = choices.at(column);
        if (choice == ColumnChoice::FamilyName)
            mapping[ImportTarget::Person].append(column);
        else if (choice == ColumnChoice::GivenName)
            given.append(column);
        for (const auto &[plain, target] : kPlainChoices) {
            if (choice == plain)
                mapping[target].append(column);
        }
    }
    mapping[ImportTarget::Person].append(given);
    return mapping;
}

} // namespace kartevo
