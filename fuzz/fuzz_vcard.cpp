// The vCard reader (ReadVCardSource): the input is a contacts file a user chose. A file that is
// read gives the column titles and then one row of exactly those columns per card; anything
// else is refused with Error.

#include "fuzzcheck.h"

#include "core/error.h"
#include "exchange/importsource.h"

using namespace kartevo;
using namespace kartevo::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    SourceTable table;
    try {
        table = ReadVCardSource(Bytes(data, size), QStringLiteral("fuzz.vcf"));
    } catch (const Error &e) {
        FUZZ_CHECK(e.message().contains(QStringLiteral("fuzz.vcf")), e.message());
        return 0;
    }
    const QStringList titles = VCardColumnTitles();
    FUZZ_CHECK(table.kind == SourceKind::VCard, QString());
    FUZZ_CHECK(table.rows.size() >= 2 && table.rows.first() == titles, QString::number(table.rows.size()));
    for (const QStringList &row : table.rows)
        FUZZ_CHECK(row.size() == titles.size(), row.join(u'|'));
    return 0;
}
