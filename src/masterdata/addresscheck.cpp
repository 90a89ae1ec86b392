#include "masterdata/addresscheck.h"

#include "core/database.h"
#include "core/helpers.h"
#include "core/marks.h"
#include "core/schema.h"
#include "core/statement.h"

#include <algorithm>
#include <array>
#include <vector>

namespace kartevo {

namespace {

// Folds the text and joins its runs of letters and digits with one space: punctuation and
// repeated spaces are set aside.
QString FoldWords(const QString &text)
{
    const QString folded = FoldAccents(text);
    QString words;
    words.reserve(folded.size());
    bool gap = false;
    for (const QChar c : folded) {
        if (!c.isLetterOrNumber()) {
            gap = true;
            continue;
        }
        if (gap && !words.isEmpty())
            words.append(u' ');
        gap = false;
        words.append(c);
    }
    return words;
}

bool IsFourDigits(const QString &code)
{
    return code.size() == 4 && std::all_of(code.begin(), code.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// The number a code of four digits is; -1 for any other text.
int FourDigitNumber(const QString &code)
{
    if (!IsFourDigits(code))
        return -1;
    int number = 0;
    for (const QChar c : code)
        number = number * 10 + (c.unicode() - u'0');
    return number;
}

// One client as the check needs it.
struct ClientRow {
    qint64 key = 0;
    QString name, postalCode, town, address;
    QString nameKey;
};

} // namespace

QString FindingCodeWord(FindingCode code)
{
    switch (code) {
    case FindingCode::MissingName: return QStringLiteral("missing-name");
    case FindingCode::MissingPostalCode: return QStringLiteral("missing-postal-code");
    case FindingCode::MissingTown: return QStringLiteral("missing-town");
    case FindingCode::MissingAddress: return QStringLiteral("missing-address");
    case FindingCode::MalformedPostalCode: return QStringLiteral("malformed-postal-code");
    case FindingCode::UnknownPostalCode: return QStringLiteral("unknown-postal-code");
    case FindingCode::TownMismatch: return QStringLiteral("town-mismatch");
    case FindingCode::DuplicateName: return QStringLiteral("duplicate-name");
    case FindingCode::DuplicateAddress: return QStringLiteral("duplicate-address");
    }
    return {};
}

QString FindingText(const AddressFinding &finding)
{
    switch (finding.code) {
    case FindingCode::MissingName: return QStringLiteral("Hiányzik a név.");
    case FindingCode::MissingPostalCode: return QStringLiteral("Hiányzik az irányítószám.");
    case FindingCode::MissingTown: return QStringLiteral("Hiányzik a helység.");
    case FindingCode::MissingAddress: return QStringLiteral("Hiányzik a cím.");
    case FindingCode::MalformedPostalCode: return QStringLiteral("Az irányítószám nem négy számjegy.");
    case FindingCode::UnknownPostalCode: return QStringLiteral("Nincs ilyen irányítószám.");
    case FindingCode::TownMismatch: return QStringLiteral("A helység nem ehhez az irányítószámhoz tartozik.");
    case FindingCode::DuplicateName:
        return QStringLiteral("Ugyanez a név: %1. ügyfél.").arg(finding.other);
    case FindingCode::DuplicateAddress:
        return QStringLiteral("Ugyanez a cím más néven: %1. ügyfél.").arg(finding.other);
    }
    return {};
}

QString TownKey(const QString &town)
{
    return FoldAccents(town.trimmed());
}

QString NameKey(const QString &name)
{
    QString key = FoldWords(name);
    static const std::array<QString, 8> companyForms = {
        QStringLiteral(" KFT"), QStringLiteral(" BT"), QStringLiteral(" ZRT"), QStringLiteral(" NYRT"),
        QStringLiteral(" KKT"), QStringLiteral(" EV"), QStringLiteral(" E V"), QStringLiteral(" EGYENI VALLALKOZO")};
    for (const QString &form : companyForms) {
        if (key.endsWith(form)) {
            key.chop(form.size());
            break;
        }
    }
    return key;
}

QString StreetKey(const QString &street)
{
    return FoldWords(street);
}

PostalTowns::PostalTowns(Database &db)
{
    QHash<QString, QStringList> townsOfCode;
    Statement statement(db, QStringLiteral("SELECT irsz, varos FROM irsz"));
    while (statement.step()) {
        const QString town = TownKey(statement.column(1).toString());
        townsOfCode[statement.column(0).toString()].append(town);
        m_allTowns.insert(town);
    }
    m_fourDigitCodes.assign(10000, Towns());
    for (auto code = townsOfCode.cbegin(); code != townsOfCode.cend(); ++code) {
        const Towns towns{m_towns.size(), code->size()};
        for (const QString &town : *code) {
            m_towns.append({m_townKeys.size(), town.size()});
            m_townKeys += town;
        }
        m_codes.insert(code.key(), towns);
        if (const int number = FourDigitNumber(code.key()); number >= 0)
            m_fourDigitCodes[size_t(number)] = towns;
    }
}

const PostalTowns::Towns *PostalTowns::townsOf(const QString &code) const
{
    if (const int number = FourDigitNumber(code); number >= 0) {
        const Towns &towns = m_fourDigitCodes[size_t(number)];
        return towns.count > 0 ? &towns : nullptr;
    }
    const auto found = m_codes.constFind(code);
    return found == m_codes.cend() ? nullptr : &*found;
}

bool PostalTowns::among(const Towns &towns, const QString &town) const
{
    const QString key = TownKey(town);
    for (qsizetype i = towns.first; i < towns.first + towns.count; ++i) {
        if (QStringView(m_townKeys).sliced(m_towns.at(i).first, m_towns.at(i).second) == key)
            return true;
    }
    return false;
}

bool PostalTowns::townMatches(const QString &code, const QString &town) const
{
    const Towns *towns = townsOf(code);
    return towns && among(*towns, town);
}

bool PostalTowns::townDisagrees(const QString &code, const QString &town) const
{
    const Towns *towns = townsOf(code);
    return towns && !among(*towns, town);
}

QString PostalTownWarning(const PostalTowns &towns, const QString &postalCode, const QString &town)
{
    const QString code = postalCode.trimmed();
    if (code.isEmpty() || town.trimmed().isEmpty() || !towns.townDisagrees(code, town))
        return {};
    return QStringLiteral("Figyelem: %1 nem a(z) %2 irányítószámhoz tartozik.").arg(town.trimmed(), code);
}

QList<AddressFinding> CheckAddresses(Database &db, CheckScope scope, const CheckProgress &progress)
{
    const bool addresses = scope != CheckScope::DuplicatesOnly;
    const bool duplicates = scope != CheckScope::AddressesOnly;

    int total = 0;
    {
        Statement count(db, QStringLiteral("SELECT count(*) FROM ugyfel"));
        if (count.step())
            total = count.column(0).toInt();
    }
    const PostalTowns towns(db);

    std::vector<ClientRow> clients;
    clients.reserve(size_t(total));
    QList<AddressFinding> findings;
    const auto add = [&findings](const ClientRow &client, FindingCode code, qint64 other = 0) {
        findings.append({client.key, client.name, client.postalCode, client.town, client.address, code, other});
    };

    Statement statement(db, QStringLiteral(
        "SELECT ugyfel, ugyfel_nev, cim_irsz, cim_varos, cim_cim FROM ugyfel ORDER BY ugyfel"));
    int done = 0;
    while (statement.step()) {
        ++done;
        ClientRow client;
        client.key = statement.column(0).toLongLong();
        client.name = statement.column(1).toString();
        client.postalCode = statement.column(2).toString();
        client.town = statement.column(3).toString();
        client.address = statement.column(4).toString();
        if (addresses) {
            const QString code = client.postalCode.trimmed();
            if (client.name.trimmed().isEmpty())
                add(client, FindingCode::MissingName);
            if (code.isEmpty())
                add(client, FindingCode::MissingPostalCode);
            if (client.town.trimmed().isEmpty())
                add(client, FindingCode::MissingTown);
            if (client.address.trimmed().isEmpty())
                add(client, FindingCode::MissingAddress);
            if (!code.isEmpty() && !IsFourDigits(code))
                add(client, FindingCode::MalformedPostalCode);
            else if (!code.isEmpty() && !towns.hasCode(code))
                add(client, FindingCode::UnknownPostalCode);
            else if (!code.isEmpty() && !client.town.trimmed().isEmpty() && !towns.townMatches(code, client.town))
                add(client, FindingCode::TownMismatch);
        }
        if (duplicates) {
            client.nameKey = NameKey(client.name);
            clients.push_back(std::move(client));
        }
        if (progress && done % 1024 == 0)
            progress(done, total);
    }

    if (duplicates) {
        // Rows came in key order, so every group lists its members by ascending key.
        QHash<QString, std::vector<int>> byName;
        QHash<QString, std::vector<int>> byStreet;
        byName.reserve(int(clients.size()));
        for (int i = 0; i < int(clients.size()); ++i) {
            const ClientRow &client = clients[size_t(i)];
            if (!client.nameKey.isEmpty())
                byName[client.nameKey].push_back(i);
            const QString code = client.postalCode.trimmed();
            const QString street = StreetKey(client.address);
            if (!code.isEmpty() && !street.isEmpty())
                byStreet[code + u'\x1f' + street].push_back(i);
        }
        for (const auto &group : std::as_const(byName)) {
            if (group.size() < 2)
                continue;
            for (const int member : group) {
                const int other = member == group[0] ? group[1] : group[0];
                add(clients[size_t(member)], FindingCode::DuplicateName, clients[size_t(other)].key);
            }
        }
        for (const auto &group : std::as_const(byStreet)) {
            if (group.size() < 2)
                continue;
            const QString &firstName = clients[size_t(group[0])].nameKey;
            const auto firstOtherName = std::find_if(group.begin(), group.end(), [&](int member) {
                return clients[size_t(member)].nameKey != firstName;
            });
            if (firstOtherName == group.end())
                continue; // one name at one address: a name duplicate at most
            for (const int member : group) {
                const ClientRow &client = clients[size_t(member)];
                const int other = client.nameKey != firstName ? group[0] : *firstOtherName;
                add(client, FindingCode::DuplicateAddress, clients[size_t(other)].key);
            }
        }
    }
    if (progress)
        progress(total, total);

    std::stable_sort(findings.begin(), findings.end(), [](const AddressFinding &a, const AddressFinding &b) {
        return a.client != b.client ? a.client < b.client : a.code < b.code;
    });
    return findings;
}

void MarkFoundClients(Database &db, const QList<AddressFinding> &findings)
{
    if (findings.isEmpty())
        return;
    QStringList keys;
    QSet<qint64> seen;
    for (const AddressFinding &finding : findings) {
        if (!seen.contains(finding.client)) {
            seen.insert(finding.client);
            keys.append(QString::number(finding.client));
        }
    }
    db.exec(QStringLiteral("UPDATE ugyfel SET jelolve = '%1' WHERE ugyfel IN (%2)").arg(MarkedValue, keys.join(u',')));
}

namespace {

const QStringList &FindingFields()
{
    static const QStringList fields = {QStringLiteral("ugyfel"),   QStringLiteral("ugyfel_nev"),
                                       QStringLiteral("cim_irsz"), QStringLiteral("cim_varos"),
                                       QStringLiteral("cim_cim"),  QStringLiteral("megallapitas")};
    return fields;
}

QVariantList FindingValues(const AddressFinding &finding)
{
    return {finding.client, finding.name, finding.postalCode, finding.town, finding.address, FindingText(finding)};
}

} // namespace

FindingTable::FindingTable(QObject *parent)
    : DataSet(parent)
{
}

QHash<QString, QString> FindingTable::ColumnTitles()
{
    return {{QStringLiteral("ugyfel"), QStringLiteral("Kód")},
            {QStringLiteral("ugyfel_nev"), QStringLiteral("Név")},
            {QStringLiteral("cim_irsz"), QStringLiteral("Irsz.")},
            {QStringLiteral("cim_varos"), QStringLiteral("Helység")},
            {QStringLiteral("cim_cim"), QStringLiteral("Cím")},
            {QStringLiteral("megallapitas"), QStringLiteral("Megállapítás")}};
}

void FindingTable::setFindings(const QList<AddressFinding> &findings)
{
    m_findings = findings;
    m_order.clear();
    for (int i = 0; i < m_findings.size(); ++i)
        m_order.append(i);
    show(-1);
}

const AddressFinding *FindingTable::currentFinding() const
{
    if (currentRow() < 0 || currentRow() >= m_order.size())
        return nullptr;
    return &m_findings[m_order[currentRow()]];
}

void FindingTable::sortBy(const QString &field)
{
    const int column = requireField(field);
    const int current = currentRow() >= 0 && currentRow() < m_order.size() ? m_order[currentRow()] : -1;
    // Each finding's key is made once, not at every comparison.
    std::vector<QString> texts(size_t(m_findings.size()));
    if (column != 0) {
        for (int i = 0; i < m_findings.size(); ++i)
            texts[size_t(i)] = FoldAccents(FindingValues(m_findings[i]).at(column).toString());
    }
    std::stable_sort(m_order.begin(), m_order.end(), [&](int a, int b) {
        if (column == 0)
            return m_findings[a].client < m_findings[b].client;
        return texts[size_t(a)] < texts[size_t(b)];
    });
    show(current);
}

void FindingTable::show(int currentFinding)
{
    QList<QVariantList> values;
    values.reserve(m_order.size());
    for (const int index : std::as_const(m_order))
        values.append(FindingValues(m_findings[index]));
    loadValues(FindingFields(), values);
    const int row = int(m_order.indexOf(currentFinding));
    if (row >= 0)
        moveTo(row);
}

} // namespace kartevo
