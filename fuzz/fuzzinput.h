#pragma once
// Turning the fuzzer's bytes into the inputs our readers take.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace fuzz {

// Text from the bytes: an odd first byte reads the rest as UTF-16 (lone
// surrogates included), an even one as UTF-8 (invalid sequences replaced).
inline QString text(const uint8_t *data, size_t size)
{
    if (size == 0)
        return {};
    const auto *rest = reinterpret_cast<const char *>(data + 1);
    const size_t n = size - 1;
    if (data[0] & 1)
        return QString(reinterpret_cast<const QChar *>(QByteArray(rest, qsizetype(n & ~size_t(1))).constData()),
                       qsizetype(n / 2));
    return QString::fromUtf8(rest, qsizetype(n));
}

// Draws small numbers from the front of the input; zeros once it runs out.
class Bytes
{
public:
    Bytes(const uint8_t *data, size_t size)
        : m_data(data)
        , m_size(size)
    {
    }
    unsigned next()
    {
        if (m_pos >= m_size)
            return 0;
        return m_data[m_pos++];
    }
    const uint8_t *rest() const { return m_data + m_pos; }
    size_t restSize() const { return m_size - m_pos; }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_pos = 0;
};

} // namespace fuzz
