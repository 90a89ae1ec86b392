#pragma once

// Shared by the fuzz targets: a property that does not hold ends the run with a message, which
// libFuzzer reports as a crash together with the input that caused it.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace kartevo::fuzz {

[[noreturn]] inline void Fail(const char *what, const QString &detail = {})
{
    std::fprintf(stderr, "property failed: %s\n%s\n", what, detail.toUtf8().constData());
    std::abort();
}

inline QByteArray Bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// Takes the input apart: a few bytes for choices, the rest as text.
class Input {
public:
    Input(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}
    // One byte, or 0 once the input is used up.
    uint8_t byte()
    {
        if (m_size == 0)
            return 0;
        --m_size;
        return *m_data++;
    }
    // The next n bytes (fewer at the end).
    QByteArray take(size_t n)
    {
        n = n < m_size ? n : m_size;
        QByteArray bytes = Bytes(m_data, n);
        m_data += n;
        m_size -= n;
        return bytes;
    }
    QByteArray rest() { return take(m_size); }

private:
    const uint8_t *m_data;
    size_t m_size;
};

} // namespace kartevo::fuzz

#define FUZZ_CHECK(condition, detail)                                                             \
    do {                                                                                          \
        if (!(condition))                                                                         \
            ::kartevo::fuzz::Fail(#condition, detail);                                            \
    } while (false)
