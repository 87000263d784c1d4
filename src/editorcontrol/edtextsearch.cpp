#include "editorcontrol/edtextsearch.h"

#include <QChar>

#include <memory>

namespace {

const char16_t *const FoldStrings[] = {
    u"abcdefghijklmnopqrstuvwxyz",
    u"ABCDEFGHIJKLMNOPQRSTUVWXYZ",
    u"ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ",
    u"ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚ",
    u"ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩ",
    u"αβγδεζηθικλμνξοπρστυφχψω",
    u"АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ",
    u"абвгдеёжзийклмнопрстуфхцчшщъыьэюя",
    u"0123456789",
    u"!\"#$%&'()=~|{`}*+_?><\\/.,;:][@^-･ﾞﾟｰ｡､｢｣ ",
};

// The upper-case form of every unit that has one of one unit, else the unit
// itself; built once, as every unit of a searched text is folded.
const char16_t *foldTable()
{
    static const std::unique_ptr<char16_t[]> table = [] {
        auto t = std::make_unique<char16_t[]>(0x10000);
        for (char32_t u = 0; u < 0x10000; ++u) {
            const char32_t upper = QChar::toUpper(u);
            t[u] = char16_t(upper < 0x10000 ? upper : u);
        }
        return t;
    }();
    return table.get();
}

class Matcher
{
public:
    Matcher(QStringView Text, const QString &Pattern, TSearchOptions Options)
        : m_text(reinterpret_cast<const char16_t *>(Text.utf16()))
        , m_n(int(Text.size()))
        , m_fold(HasSearchOption(Options, sfrMatchCase) ? nullptr : foldTable())
        , m_whole(HasSearchOption(Options, sfrWholeWord))
        , m_crlf(HasSearchOption(Options, sfrIncludeCRLF))
        , m_space(HasSearchOption(Options, sfrIncludeSpace))
    {
        m_pattern = Pattern;
        if (m_fold) {
            for (QChar &c : m_pattern)
                c = QChar(m_fold[c.unicode()]);
        }
    }

    int patternLength() const { return int(m_pattern.size()); }

    bool wordStart(int I) const { return !IsWordDelimiter(m_text[I]) && (I == 0 || IsWordDelimiter(m_text[I - 1])); }
    bool delimiterAt(int I) const { return IsWordDelimiter(m_text[I]); }

    // Length in text units of a match at I, or -1.
    int matchAt(int I) const
    {
        const char16_t *p = reinterpret_cast<const char16_t *>(m_pattern.utf16());
        const int pn = int(m_pattern.size());
        int j = 0;
        int k = I;
        while (j < pn) {
            if (k >= m_n)
                return -1;
            const char16_t t = m_text[k];
            if ((m_fold ? m_fold[t] : t) == p[j]) {
                ++j;
                ++k;
            } else if (j > 0 && skippable(t)) {
                ++k;
            } else {
                return -1;
            }
        }
        if (m_whole && k < m_n && !IsWordDelimiter(m_text[k]))
            return -1;
        return k - I;
    }

private:
    bool skippable(char16_t Unit) const
    {
        if (m_crlf && (Unit == u'\r' || Unit == u'\n'))
            return true;
        return m_space && (Unit == u' ' || Unit == u'\t' || Unit == 0x3000);
    }

    const char16_t *m_text;
    int m_n;
    QString m_pattern;
    const char16_t *m_fold; // null: exact comparison
    bool m_whole;
    bool m_crlf;
    bool m_space;
};

} // namespace

bool IsWordDelimiter(char16_t Unit)
{
    return Unit <= 0x2F || (Unit >= 0x3A && Unit <= 0x3E) || Unit == 0x40 || (Unit >= 0x5B && Unit <= 0x60);
}

bool IsFoldChar(QStringView S)
{
    if (S.size() != 1)
        return false;
    const char16_t unit = S[0].unicode();
    for (const char16_t *list : FoldStrings) {
        for (const char16_t *p = list; *p; ++p) {
            if (*p == unit)
                return true;
        }
    }
    return false;
}

int SearchBuffer(QStringView Text, const TSearchHit &Hit, const QString &Pattern, TSearchOptions Options, int &Length)
{
    Length = 0;
    const int n = int(Text.size());
    if (Pattern.isEmpty() || n == 0 || Hit.Start < 0 || Hit.Start > n || Hit.Length < 0)
        return -1;
    const Matcher m(Text, Pattern, Options);
    const int pn = m.patternLength();
    const bool whole = HasSearchOption(Options, sfrWholeWord);
    if (HasSearchOption(Options, sfrDown)) {
        const int last = n - pn;
        for (int i = Hit.Start + Hit.Length; i <= last; ++i) {
            if (whole && !m.wordStart(i)) {
                // On to the next word start: over the rest of this word and
                // the delimiters after it.
                if (!m.delimiterAt(i)) {
                    while (i <= last && !m.delimiterAt(i))
                        ++i;
                }
                while (i <= last && m.delimiterAt(i))
                    ++i;
                if (i > last)
                    break;
            }
            Length = m.matchAt(i);
            if (Length >= 0)
                return i;
        }
    } else {
        for (int i = Hit.Start - pn; i >= 0; --i) {
            if (whole && !m.wordStart(i)) {
                // Back to the start of the word that holds the candidate, or
                // of the one before it.
                while (i >= 0 && m.delimiterAt(i))
                    --i;
                while (i > 0 && !m.delimiterAt(i - 1))
                    --i;
                if (i < 0)
                    break;
            }
            Length = m.matchAt(i);
            if (Length >= 0)
                return i;
        }
    }
    Length = 0;
    return -1;
}

bool SearchText(QStringView Text, TSearchHit &Hit, const QString &Pattern, TSearchOptions Options)
{
    int length = 0;
    const int start = SearchBuffer(Text, Hit, Pattern, Options, length);
    if (start < 0)
        return false;
    Hit.Start = start;
    Hit.Length = length;
    return true;
}
