// The address check over 100,000 generated clients, every one of them with a distinct name and
// address, and a known number of planted duplicates that must be found exactly.

#include "benchclients.h"
#include "masterdata/addresscheck.h"

using namespace kartevo;
using namespace kartevo::bench;

namespace {

constexpr int kNameCopies = 100;    // clients typed in once more without accents, another company form
constexpr int kAddressCopies = 50;  // another name at a client's postal code and street
constexpr int kExpectedFindings = 2 * kNameCopies + 2 * kAddressCopies;

// A distinct word for every number: "BAC" style letters, so that names never meet by chance.
QString Tag(int n)
{
    QString tag;
    do {
        tag.prepend(QChar(u'a' + n % 26));
        n /= 26;
    } while (n > 0);
    tag[0] = tag[0].toUpper();
    return tag;
}

class CheckDatabase {
public:
    static Database *get(benchmark::State &state)
    {
        try {
            static CheckDatabase database;
            return &database.m_db;
        } catch (const Error &error) {
            state.SkipWithError(qPrintable(error.message()));
            return nullptr;
        }
    }

private:
    CheckDatabase()
    {
        OpenDeliveredCopy(m_dir, m_db);
        fill();
    }

    void fill()
    {
        const QStringList surnames = Words("Nagy Kovács Tóth Szabó Horváth Varga Kiss Molnár Németh Farkas Fülöp Ördög");
        const QStringList forms = Words("Kft. Bt. Zrt. Kkt.");
        const QStringList streets = Words("Petőfi Kossuth Rákóczi Dózsa Széchenyi Ady Arany Jókai Béke Fő");
        const std::vector<std::pair<QString, QString>> places = PostalPlaces(m_db);
        m_db.exec(QStringLiteral("BEGIN"));
        Statement insert(m_db, QStringLiteral(
            "INSERT INTO ugyfel (ugyfel, ugyfel_nev, cim_irsz, cim_varos, cim_cim, jelolve) VALUES (?, ?, ?, ?, ?, 'N')"));
        const auto add = [&insert](int key, const QString &name, const QString &code, const QString &town,
                                   const QString &street) {
            const QVariant values[] = {key, name, code, town, street};
            for (int i = 0; i < 5; ++i)
                insert.bind(i + 1, values[i]);
            insert.exec();
            insert.reset();
        };
        const int originals = kClients - kNameCopies - kAddressCopies;
        for (int key = 1; key <= originals; ++key) {
            const QString name = surnames.at(key % surnames.size()) + u' ' + Tag(key) + u' ' + forms.at(key % forms.size());
            const auto &[code, town] = places[size_t(key) % places.size()];
            add(key, name, code, town, streets.at(key % streets.size()) + QStringLiteral(" utca %1.").arg(key));
        }
        // Client 997 * i comes back in lower case without accents, as a Bt., at another street.
        int key = originals;
        for (int i = 1; i <= kNameCopies; ++i) {
            const int original = 997 * i;
            const QString name = FoldAccents(surnames.at(original % surnames.size())).toLower() + u' '
                + Tag(original).toLower() + u' ' + QStringLiteral("bt");
            const auto &[code, town] = places[size_t(original + 1) % places.size()];
            add(++key, name, code, town, QStringLiteral("Ismétlő köz %1.").arg(i));
        }
        // Another name at the postal code and street of client 991 * i + 5.
        for (int i = 1; i <= kAddressCopies; ++i) {
            const int original = 991 * i + 5;
            const auto &[code, town] = places[size_t(original) % places.size()];
            // The same street typed otherwise: "Petőfi utca 996." as "Petőfi UTCA 996".
            const QString street = streets.at(original % streets.size()) + QStringLiteral(" UTCA %1").arg(original);
            add(++key, QStringLiteral("Lakótárs ") + Tag(i + 500000), code, town, street);
        }
        m_db.exec(QStringLiteral("COMMIT"));
    }

    QTemporaryDir m_dir;
    Database m_db;
};

void CheckAllClients(benchmark::State &state)
{
    Database *db = CheckDatabase::get(state);
    if (!db)
        return;
    qsizetype findings = 0;
    const double residentBefore = StatusMegabytes("VmRSS");
    ResetPeakMemory();
    for (auto _ : state)
        findings = CheckAddresses(*db).size();
    state.counters["VmHWM_MB"] = StatusMegabytes("VmHWM");
    state.counters["VmRSS_before_MB"] = residentBefore;
    state.counters["clients"] = kClients;
    state.counters["findings"] = double(findings);
    if (findings != kExpectedFindings)
        state.SkipWithError(qPrintable(QStringLiteral("%1 findings instead of %2").arg(findings).arg(kExpectedFindings)));
}

} // namespace

BENCHMARK(CheckAllClients)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
