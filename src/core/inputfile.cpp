#include "core/inputfile.h"

#include "core/error.h"

#include <QFile>

#include <cstring>

#include <sys/stat.h>

namespace kartevo {

QByteArray ReadInputFile(const QString &fileName, qsizetype maxLine)
{
    struct stat info {};
    if (::stat(QFile::encodeName(fileName).constData(), &info) == 0 && !S_ISREG(info.st_mode)
        && !S_ISFIFO(info.st_mode)) {
        throw Error(QStringLiteral("Ez nem közönséges fájl (%1), nem olvasható be: %2")
                        .arg(S_ISDIR(info.st_mode) ? QStringLiteral("mappa") : QStringLiteral("eszköz vagy csatorna"),
                             fileName));
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("A fájl nem olvasható: %1 (%2)").arg(fileName, file.errorString()));
    QByteArray bytes;
    // A regular file's bytes go into one buffer of its size, not one grown chunk by chunk.
    if (S_ISREG(info.st_mode) && info.st_size > 0)
        bytes.reserve(qsizetype(info.st_size));
    qsizetype lineLength = 0;
    qint64 line = 1;
    char chunk[64 * 1024];
    for (;;) {
        const qint64 got = file.read(chunk, sizeof chunk);
        if (got < 0)
            throw Error(QStringLiteral("A fájl nem olvasható: %1 (%2)").arg(fileName, file.errorString()));
        if (got == 0)
            break;
        // From one line break to the next with memchr: a large file is mostly short lines.
        for (const char *from = chunk, *const end = chunk + got; from < end;) {
            const auto *lineEnd = static_cast<const char *>(std::memchr(from, '\n', size_t(end - from)));
            lineLength += (lineEnd ? lineEnd : end) - from;
            if (lineLength > maxLine) {
                throw Error(QStringLiteral("A fájl %1. sora hosszabb %2 bájtnál, a fájl nem olvasható be: %3")
                                .arg(line)
                                .arg(maxLine)
                                .arg(fileName));
            }
            if (!lineEnd)
                break;
            ++line;
            lineLength = 0;
            from = lineEnd + 1;
        }
        bytes.append(chunk, got);
    }
    return bytes;
}

} // namespace kartevo
