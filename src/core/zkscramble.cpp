#include "core/zkscramble.h"

#include <QByteArray>
#include <QRandomGenerator>
#include <QStringDecoder>

namespace {

constexpr char16_t kSymbols[] = u"~;:,.@_`=<>[]'!?";
constexpr int kSymbolCount = 16;
constexpr int kMinBytes = 64;

static_assert(sizeof kSymbols / sizeof kSymbols[0] == kSymbolCount + 1);

// Table position 1..16; 0 for a symbol that is not in the table.
int symbolPos(QChar c)
{
    for (int i = 0; i < kSymbolCount; ++i)
        if (c.unicode() == kSymbols[i])
            return i + 1;
    return 0;
}

QChar symbolAt(int pos)
{
    return QChar(kSymbols[pos - 1]);
}

QChar randomSymbol()
{
    return symbolAt(int(QRandomGenerator::global()->bounded(kSymbolCount)) + 1);
}

int mod16(int v)
{
    return ((v % 16) + 16) % 16;
}

// The bytes of a scrambled text, trailing padding removed.
QByteArray decode(const QString &stored)
{
    const int h = int(stored.size() / 2);
    if (h < 2)
        return QByteArray();
    const int k = symbolPos(stored[h - 1]);
    QByteArray bytes;
    bytes.reserve(h - 2);
    for (int i = 1; i <= h - 2; ++i) {
        const int high = symbolPos(stored[h - i - 1]);
        const int low = symbolPos(stored[h + i]);
        bytes += char(16 * mod16(high - k - i - 1) + mod16(low - k - i - 1));
    }
    while (!bytes.isEmpty() && bytes.back() == '\0')
        bytes.chop(1);
    return bytes;
}

} // namespace

QString ScrambleText(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    if (bytes.isEmpty())
        return QString();
    // Zero bytes pad, so blanks at either end of a password survive.
    if (bytes.size() < kMinBytes)
        bytes.append(kMinBytes - bytes.size(), '\0');

    const int n = int(bytes.size());
    const int k = int(QRandomGenerator::global()->bounded(kSymbolCount)) + 1;
    QString high(n, QChar());
    QString low(n, QChar());
    for (int i = 1; i <= n; ++i) {
        const int b = quint8(bytes[i - 1]);
        high[n - i] = symbolAt(mod16(b / 16 + k + i) + 1);
        low[i - 1] = symbolAt(mod16(b % 16 + k + i) + 1);
    }

    QString out;
    out.reserve(2 * n + 4);
    out += randomSymbol();
    out += high;
    out += symbolAt(k);
    out += randomSymbol();
    out += low;
    out += randomSymbol();
    return out;
}

QString UnscrambleText(const QString &stored)
{
    return QString::fromUtf8(decode(stored));
}

bool TryUnscrambleText(const QString &stored, QString &text)
{
    if (stored.size() < 2 * kMinBytes + 4 || stored.size() % 2 != 0)
        return false;
    for (QChar c : stored)
        if (symbolPos(c) == 0)
            return false;
    const QByteArray bytes = decode(stored);
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString decoded = utf8(bytes);
    if (utf8.hasError())
        return false;
    text = decoded;
    return true;
}
