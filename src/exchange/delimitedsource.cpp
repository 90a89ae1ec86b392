#include "exchange/importsource.h"

#include "core/error.h"

namespace kartevo {

// Placeholder until the delimited reader lands.
SourceTable ReadDelimitedSource(const QByteArray &, const SourceOptions &)
{
    throw Error(QStringLiteral("Delimited sources are not read yet."));
}

} // namespace kartevo
