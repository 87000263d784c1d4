#include "platform/encoding/textencoding.h"

#include "platform/rtl/exceptions.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cerrno>
#include <iconv.h>

namespace {

#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr const char *kQStringCode = "UTF-16LE";
#else
constexpr const char *kQStringCode = "UTF-16BE";
#endif

class Iconv
{
public:
    Iconv(const char *to, const char *from)
        : m_cd(iconv_open(to, from))
    {
    }
    ~Iconv()
    {
        if (valid())
            iconv_close(m_cd);
    }
    Iconv(const Iconv &) = delete;
    Iconv &operator=(const Iconv &) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t handle() const { return m_cd; }

private:
    iconv_t m_cd;
};

// Runs the whole input through iconv. At a sequence the conversion refuses,
// the shift state is closed, `replacement` (already in the target encoding)
// is written and `skip` bytes of input are passed over (`skip` is a
// function of the remaining input, so a surrogate pair can be skipped whole).
template<typename SkipFn>
QByteArray convert(const char *to, const char *from, const char *data, size_t size, const QByteArray &replacement,
                   SkipFn skip)
{
    Iconv conv(to, from);
    if (!conv.valid())
        throw Exception(QStringLiteral("文字コードの変換 (%1 → %2) を利用できません。")
                            .arg(QString::fromLatin1(from), QString::fromLatin1(to)));
    QByteArray out;
    out.resize(qMax<qsizetype>(64, qsizetype(size) * 2 + 16));
    size_t used = 0;
    char *in = const_cast<char *>(data);
    size_t inLeft = size;

    auto grow = [&] { out.resize(out.size() * 2); };
    auto append = [&](const QByteArray &bytes) {
        while (size_t(out.size()) - used < size_t(bytes.size()))
            grow();
        memcpy(out.data() + used, bytes.constData(), bytes.size());
        used += bytes.size();
    };
    // Writes the sequence that returns a stateful encoding (UTF-7) to its
    // initial state.
    auto closeShift = [&] {
        for (;;) {
            char *outPtr = out.data() + used;
            size_t outLeft = out.size() - used;
            const size_t rc = iconv(conv.handle(), nullptr, nullptr, &outPtr, &outLeft);
            used = outPtr - out.data();
            if (rc != size_t(-1) || errno != E2BIG)
                return;
            grow();
        }
    };

    while (inLeft > 0) {
        char *outPtr = out.data() + used;
        size_t outLeft = out.size() - used;
        const size_t rc = iconv(conv.handle(), &in, &inLeft, &outPtr, &outLeft);
        used = outPtr - out.data();
        if (rc != size_t(-1))
            break;
        if (errno == E2BIG) {
            grow();
        } else if (errno == EILSEQ || errno == EINVAL) {
            closeShift();
            append(replacement);
            const size_t n = qMin(inLeft, skip(in, inLeft));
            in += n;
            inLeft -= n;
        } else {
            break;
        }
    }
    closeShift();
    out.resize(used);
    return out;
}

QByteArray encodeIconv(const char *code, const QString &text)
{
    const auto *data = reinterpret_cast<const char *>(text.utf16());
    return convert(code, kQStringCode, data, size_t(text.size()) * 2, QByteArrayLiteral("?"),
                   [](const char *at, size_t left) -> size_t {
                       char16_t unit[2] = {0, 0};
                       memcpy(unit, at, left >= 4 ? 4 : 2);
                       // A whole surrogate pair is one character.
                       return QChar::isHighSurrogate(unit[0]) && QChar::isLowSurrogate(unit[1]) ? 4 : 2;
                   });
}

QString decodeIconv(const char *code, const QByteArray &bytes)
{
    static const QByteArray replacement = [] {
        const char16_t fffd = 0xFFFD;
        return QByteArray(reinterpret_cast<const char *>(&fffd), 2);
    }();
    const QByteArray units = convert(kQStringCode, code, bytes.constData(), size_t(bytes.size()), replacement,
                                     [](const char *, size_t) -> size_t { return 1; });
    return QString(reinterpret_cast<const QChar *>(units.constData()), units.size() / 2);
}

} // namespace

const TEncoding *TEncoding::GetUTF7()
{
    static const TEncoding e(UTF7);
    return &e;
}

const TEncoding *TEncoding::GetUTF8()
{
    static const TEncoding e(UTF8);
    return &e;
}

const TEncoding *TEncoding::GetUnicode()
{
    static const TEncoding e(Unicode);
    return &e;
}

const TEncoding *TEncoding::GetBigEndianUnicode()
{
    static const TEncoding e(BigEndianUnicode);
    return &e;
}

const TEncoding *TEncoding::GetANSI()
{
    static const TEncoding e(ANSI);
    return &e;
}

QString TEncoding::Name() const
{
    switch (m_kind) {
    case UTF7: return QStringLiteral("UTF-7");
    case UTF8: return QStringLiteral("UTF-8");
    case Unicode: return QStringLiteral("UTF-16LE");
    case BigEndianUnicode: return QStringLiteral("UTF-16BE");
    case ANSI: return QStringLiteral("CP932");
    }
    return {};
}

QByteArray TEncoding::GetPreamble() const
{
    switch (m_kind) {
    case UTF8: return QByteArrayLiteral("\xEF\xBB\xBF");
    case Unicode: return QByteArrayLiteral("\xFF\xFE");
    case BigEndianUnicode: return QByteArrayLiteral("\xFE\xFF");
    case UTF7:
    case ANSI: break;
    }
    return {};
}

QByteArray TEncoding::GetBytes(const QString &text) const
{
    switch (m_kind) {
    case UTF7: return encodeIconv("UTF-7", text);
    case UTF8: return QStringEncoder(QStringConverter::Utf8)(text);
    case Unicode: return QStringEncoder(QStringConverter::Utf16LE)(text);
    case BigEndianUnicode: return QStringEncoder(QStringConverter::Utf16BE)(text);
    case ANSI: return encodeIconv("CP932", text);
    }
    return {};
}

QString TEncoding::GetString(const QByteArray &bytes) const
{
    switch (m_kind) {
    case UTF7: return decodeIconv("UTF-7", bytes);
    case UTF8: return QStringDecoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless)(bytes);
    case Unicode: return QStringDecoder(QStringConverter::Utf16LE, QStringConverter::Flag::Stateless)(bytes);
    case BigEndianUnicode: return QStringDecoder(QStringConverter::Utf16BE, QStringConverter::Flag::Stateless)(bytes);
    case ANSI: return decodeIconv("CP932", bytes);
    }
    return {};
}

const TEncoding *TEncoding::FromPreamble(const QByteArray &data, int *length)
{
    const TEncoding *found = nullptr;
    int n = 0;
    if (data.startsWith("\xEF\xBB\xBF")) {
        found = GetUTF8();
        n = 3;
    } else if (data.startsWith("\xFF\xFE")) {
        found = GetUnicode();
        n = 2;
    } else if (data.startsWith("\xFE\xFF")) {
        found = GetBigEndianUnicode();
        n = 2;
    }
    if (length)
        *length = n;
    return found;
}

QString ReadTextFile(const QString &fileName, const TEncoding *encoding)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("ファイル \"%1\" を読み込めません。").arg(fileName));
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Exception(QStringLiteral("ファイル \"%1\" を読み込めません。").arg(fileName));
    int markLength = 0;
    if (const TEncoding *marked = TEncoding::FromPreamble(data, &markLength))
        return marked->GetString(data.mid(markLength));
    return (encoding ? encoding : TEncoding::GetUTF8())->GetString(data);
}

void WriteTextFile(const QString &fileName, const QString &text, const TEncoding *encoding, bool writePreamble)
{
    if (!encoding)
        encoding = TEncoding::GetUTF8();
    QByteArray data = writePreamble ? encoding->GetPreamble() : QByteArray();
    data += encoding->GetBytes(text);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        throw Exception(QStringLiteral("ファイル \"%1\" に書き込めません。").arg(fileName));
}
