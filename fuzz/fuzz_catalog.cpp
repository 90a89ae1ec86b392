// The catalog file reader (ParseCatalog): the input is a downloaded programok.csv. A catalog
// that is read must come back the same through FormatCatalog and ParseCatalog; anything else
// must be refused with Error.

#include "fuzzcheck.h"

#include "core/error.h"
#include "tools/catalog.h"

using namespace kartevo;
using namespace kartevo::fuzz;

namespace {

bool SameRows(const QList<CatalogRow> &a, const QList<CatalogRow> &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const CatalogRow &x = a.at(i);
        const CatalogRow &y = b.at(i);
        if (x.programok != y.programok || x.programok_nev != y.programok_nev || x.link != y.link
            || x.letoltlink != y.letoltlink || x.kategoria != y.kategoria || x.ingyenes != y.ingyenes
            || x.leiras != y.leiras || x.kep != y.kep)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QList<CatalogRow> rows;
    try {
        rows = ParseCatalog(Bytes(data, size));
    } catch (const Error &e) {
        FUZZ_CHECK(!e.message().isEmpty(), QString());
        return 0;
    }
    const QByteArray written = FormatCatalog(rows);
    QList<CatalogRow> again;
    try {
        again = ParseCatalog(written);
    } catch (const Error &e) {
        Fail("a catalog written by FormatCatalog is refused", e.message());
    }
    FUZZ_CHECK(SameRows(rows, again), QString::fromUtf8(written));
    FUZZ_CHECK(FormatCatalog(again) == written, QString::fromUtf8(written));
    return 0;
}
