#include "platform/nls/widthconv.h"

#include <QHash>

#include <algorithm>
#include <iterator>

namespace {

constexpr char16_t kHalfFirst = 0xFF61;      // ｡
constexpr char16_t kHalfLast = 0xFF9F;       // ﾟ
constexpr char16_t kHalfVoiced = 0xFF9E;     // ﾞ
constexpr char16_t kHalfSemiVoiced = 0xFF9F; // ﾟ

// Full-width forms of U+FF61..U+FF9F, in that order.
constexpr char16_t kHalfKanaToFull[kHalfLast - kHalfFirst + 1] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3, // ｡｢｣､･ｦｧｨ
    0x30A5, 0x30A7, 0x30A9, 0x30E3, 0x30E5, 0x30E7, 0x30C3, 0x30FC, // ｩｪｫｬｭｮｯｰ
    0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB, 0x30AD, 0x30AF, // ｱｲｳｴｵｶｷｸ
    0x30B1, 0x30B3, 0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, // ｹｺｻｼｽｾｿﾀ
    0x30C1, 0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC, 0x30CD, // ﾁﾂﾃﾄﾅﾆﾇﾈ
    0x30CE, 0x30CF, 0x30D2, 0x30D5, 0x30D8, 0x30DB, 0x30DE, 0x30DF, // ﾉﾊﾋﾌﾍﾎﾏﾐ
    0x30E0, 0x30E1, 0x30E2, 0x30E4, 0x30E6, 0x30E8, 0x30E9, 0x30EA, // ﾑﾒﾓﾔﾕﾖﾗﾘ
    0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3, 0x309B, 0x309C,         // ﾙﾚﾛﾜﾝﾞﾟ
};

// Signs with a full-width form outside the ASCII block: ¢ £ ¬ ¯ ¦ ¥ ₩.
constexpr char16_t kSignsHalf[] = {0x00A2, 0x00A3, 0x00AC, 0x00AF, 0x00A6, 0x00A5, 0x20A9};
constexpr char16_t kSignsFullFirst = 0xFFE0;

// The voiced (dakuten) form of a full-width katakana, 0 when it has none.
char16_t voiced(char16_t kana)
{
    // カ キ ク ケ コ サ シ ス セ ソ タ チ: voiced form follows at +1.
    if (kana >= 0x30AB && kana <= 0x30C1 && (kana - 0x30AB) % 2 == 0)
        return kana + 1;
    switch (kana) {
    case 0x30C4:
    case 0x30C6:
    case 0x30C8: // ツ テ ト
    case 0x30CF:
    case 0x30D2:
    case 0x30D5:
    case 0x30D8:
    case 0x30DB: // ハ ヒ フ ヘ ホ
        return kana + 1;
    case 0x30A6: return 0x30F4; // ウ → ヴ
    case 0x30EF: return 0x30F7; // ワ → ヷ
    case 0x30F2: return 0x30FA; // ヲ → ヺ
    default: return 0;
    }
}

// The semi-voiced (handakuten) form: only the ハ row has one.
char16_t semiVoiced(char16_t kana)
{
    switch (kana) {
    case 0x30CF:
    case 0x30D2:
    case 0x30D5:
    case 0x30D8:
    case 0x30DB: return kana + 2;
    default: return 0;
    }
}

// Full width → half width, built once from the tables above.
const QHash<char16_t, QString> &halfWidthMap()
{
    static const QHash<char16_t, QString> map = [] {
        QHash<char16_t, QString> m;
        for (char16_t c = 0x21; c <= 0x7E; ++c)
            m.insert(char16_t(c + 0xFEE0), QString(QChar(c)));
        m.insert(0x3000, QStringLiteral(" "));
        for (char16_t h = kHalfFirst; h <= kHalfLast; ++h) {
            const char16_t full = kHalfKanaToFull[h - kHalfFirst];
            m.insert(full, QString(QChar(h)));
            if (const char16_t v = voiced(full))
                m.insert(v, QString(QChar(h)) + QChar(kHalfVoiced));
            if (const char16_t p = semiVoiced(full))
                m.insert(p, QString(QChar(h)) + QChar(kHalfSemiVoiced));
        }
        // The combining marks as well as the spacing ones.
        m.insert(0x3099, QString(QChar(kHalfVoiced)));
        m.insert(0x309A, QString(QChar(kHalfSemiVoiced)));
        for (size_t i = 0; i < std::size(kSignsHalf); ++i)
            m.insert(char16_t(kSignsFullFirst + i), QString(QChar(kSignsHalf[i])));
        return m;
    }();
    return map;
}

} // namespace

QString MapToFullWidth(const QString &text)
{
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == 0x20) {
            out += QChar(0x3000);
        } else if (c >= 0x21 && c <= 0x7E) {
            out += QChar(char16_t(c + 0xFEE0));
        } else if (c >= kHalfFirst && c <= kHalfLast) {
            const char16_t full = kHalfKanaToFull[c - kHalfFirst];
            const char16_t next = i + 1 < n ? text.at(i + 1).unicode() : 0;
            char16_t combined = 0;
            if (next == kHalfVoiced)
                combined = voiced(full);
            else if (next == kHalfSemiVoiced)
                combined = semiVoiced(full);
            if (combined) {
                out += QChar(combined);
                ++i;
            } else {
                out += QChar(full);
            }
        } else {
            const auto *sign = std::find(std::begin(kSignsHalf), std::end(kSignsHalf), c);
            if (sign != std::end(kSignsHalf))
                out += QChar(char16_t(kSignsFullFirst + (sign - std::begin(kSignsHalf))));
            else
                out += QChar(c);
        }
    }
    return out;
}

QString MapToHalfWidth(const QString &text)
{
    const auto &map = halfWidthMap();
    QString out;
    // Voiced kana grow to two characters.
    out.reserve(text.size() + text.size() / 4);
    for (const QChar ch : text) {
        const auto it = map.constFind(ch.unicode());
        if (it != map.constEnd())
            out += *it;
        else
            out += ch;
    }
    return out;
}
