#pragma once
// Shared by the benchmarks: a copy of the delivered database filled with 100,000 fictitious
// clients, built once per process, and the process's memory figures.

#include "core/database.h"
#include "core/error.h"
#include "core/folders.h"
#include "core/schema.h"
#include "core/statement.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <vector>

namespace kartevo::bench {

constexpr int kClients = 100000;

// A memory line of /proc/self/status ("VmHWM", "VmRSS") in megabytes; 0 when unknown.
inline double StatusMegabytes(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

// Starts a new peak of the resident memory, so that VmHWM tells the peak of what follows.
inline void ResetPeakMemory()
{
    if (FILE *file = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", file);
        std::fclose(file);
    }
}

inline QStringList Words(const char *text)
{
    return QString::fromUtf8(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// A copy of the delivered database in dir, opened in db and upgraded; its path. Throws Error
// when the installation files are not beside the program.
inline QString OpenDeliveredCopy(const QTemporaryDir &dir, Database &db)
{
    const QString programFolder = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    const QString delivered = InstallationFile(programFolder, QStringLiteral("Kartevo.sqb"));
    const QString script = InstallationFile(programFolder, QStringLiteral("cimke.sql"));
    if (delivered.isEmpty() || script.isEmpty())
        throw Error(QStringLiteral("Kartevo.sqb or cimke.sql is missing beside the program"));
    const QString path = dir.filePath(QStringLiteral("Kartevo.sqb"));
    QFile::copy(delivered, path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    db.open(path);
    UpgradeSchema(db, script);
    return path;
}

// The postal codes with their towns. Throws Error when the table is empty.
inline std::vector<std::pair<QString, QString>> PostalPlaces(Database &db)
{
    std::vector<std::pair<QString, QString>> places;
    Statement postal(db, QStringLiteral("SELECT irsz, varos FROM irsz"));
    while (postal.step())
        places.emplace_back(postal.column(0).toString(), postal.column(1).toString());
    if (places.empty())
        throw Error(QStringLiteral("the postal code table is empty"));
    return places;
}

// The delivered database, upgraded and filled with fictitious clients, built once.
class ClientDatabase {
public:
    // The database, or nullptr (and the benchmark skipped) when it cannot be built.
    static Database *get(benchmark::State &state)
    {
        ClientDatabase *database = instance(state);
        return database ? &database->m_db : nullptr;
    }
    // The database file, or "" (and the benchmark skipped) when it cannot be built.
    static QString path(benchmark::State &state)
    {
        ClientDatabase *database = instance(state);
        return database ? database->m_path : QString();
    }

private:
    static ClientDatabase *instance(benchmark::State &state)
    {
        try {
            static ClientDatabase database;
            return &database;
        } catch (const Error &error) {
            state.SkipWithError(qPrintable(error.message()));
            return nullptr;
        }
    }
private:
    ClientDatabase()
    {
        m_path = OpenDeliveredCopy(m_dir, m_db);
        fill();
    }

    void fill()
    {
        const QStringList surnames = Words(
            "Nagy Kovács Tóth Szabó Horváth Varga Kiss Molnár Németh Farkas Balogh Papp Takács Juhász "
            "Lakatos Mészáros Oláh Simon Rácz Fekete Szilágyi Török Fehér Balázs Gál Kis Szűcs Kocsis "
            "Orsós Pintér Fodor Szalai Sipos Magyar Lukács Gulyás Biró Király Katona László Jakab Bogdán "
            "Balog Sándor Boros Fazekas Kelemen Antal Somogyi Orosz Fülöp Veres Vincze Hegedűs Budai Deák "
            "Pap Bálint Illés Pál Vörös Szőke Fábián Vass Lengyel Bódi Hajdu Halász Máté Székely Kozma "
            "Pásztor Bakos Dudás Major Virág Hegyi Orbán Gáspár Barta Vida Ördög Ürmös Ujvári Érsek Ónodi");
        const QStringList givenNames = Words(
            "László István József János Zoltán Sándor Gábor Ferenc Attila Péter Tamás Zsolt Tibor András "
            "Csaba Imre Lajos György Balázs Mihály Róbert Károly Ödön Ábel Éva Mária Erzsébet Katalin Ilona "
            "Anna Zsuzsanna Margit Judit Ágnes Andrea Erika Krisztina Ildikó Enikő Szilvia Tünde Júlia Orsolya "
            "Réka Eszter Tímea Nóra Dóra Boglárka Emőke Őze Ünige Írisz Ottó");
        const QStringList companyForms = Words("Kft. Bt. Zrt. Nyrt. Kkt. Szövetkezet Egyesület Alapítvány");
        const QStringList companyWords = Words(
            "Építő Fa Fém Agrár Informatikai Kereskedelmi Szolgáltató Könyvelő Ügyvédi Fuvarozó Nyomda "
            "Pékség Autószerviz Villany Víz-Gáz Kertészet Virágbolt Patika Optika Cukrászda Étterem Szálló");
        const QStringList streets = Words(
            "Petőfi Kossuth Rákóczi Dózsa Széchenyi Ady Arany Jókai Béke Fő Szabadság Bartók Kodály Vörösmarty "
            "Deák Hunyadi Táncsics Zrínyi Bem Liszt Munkácsy Erkel Móricz Madách Rózsa Akácfa Tavasz Ősz");
        const QStringList streetKinds = Words("utca út tér köz sor körút");
        const QStringList groups = Words("Ügyfél Szállító Partner Hivatal Bank Iskola Önkormányzat Egyesület");

        const std::vector<std::pair<QString, QString>> places = PostalPlaces(m_db);

        std::mt19937 random(20240611);
        const auto pick = [&random](const QStringList &list) {
            return list.at(int(random() % quint32(list.size())));
        };
        const auto person = [&]() { return pick(surnames) + QLatin1Char(' ') + pick(givenNames); };

        m_db.exec(QStringLiteral("BEGIN"));
        Statement insert(m_db, QStringLiteral(
            "INSERT INTO ugyfel (ugyfel, ugyfel_nev, kapcsolat, cim_irsz, cim_varos, cim_cim, ugyfel_nevs, "
            "cim_vaross, kapcsolats, jelolve, csoport, csoports) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        for (int key = 1; key <= kClients; ++key) {
            const bool company = random() % 3 == 0;
            const QString name = company
                ? pick(surnames) + QLatin1Char(' ') + pick(companyWords) + QLatin1Char(' ') + pick(companyForms)
                : person();
            const QVariant contact = company ? QVariant(person()) : QVariant();
            const auto &[postalCode, town] = places[random() % places.size()];
            const QString address = pick(streets) + QLatin1Char(' ') + pick(streetKinds) + QLatin1Char(' ')
                + QString::number(1 + random() % 120) + QLatin1Char('.');
            const QVariant group = random() % 4 == 0 ? QVariant() : QVariant(pick(groups));
            const QVariant values[] = {key, name, contact, postalCode, town, address, SortKey(name), SortKey(town),
                                       SortKey(contact), QStringLiteral("N"), group, SortKey(group)};
            for (int i = 0; i < 12; ++i)
                insert.bind(i + 1, values[i]);
            insert.exec();
            insert.reset();
        }
        m_db.exec(QStringLiteral("COMMIT"));
    }

    QTemporaryDir m_dir;
    QString m_path;
    Database m_db;
};


} // namespace kartevo::bench
