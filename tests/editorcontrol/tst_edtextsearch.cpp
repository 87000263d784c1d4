// Searching a block of text: folding, whole words, skipped breaks and
// blanks, both directions, and the refusals.

#include "editorcontrol/edtextsearch.h"

#include <gtest/gtest.h>

namespace {

constexpr TSearchOptions Down = SearchOptionBit(sfrDown);
constexpr TSearchOptions Case = SearchOptionBit(sfrMatchCase);
constexpr TSearchOptions Word = SearchOptionBit(sfrWholeWord);
constexpr TSearchOptions Breaks = SearchOptionBit(sfrIncludeCRLF);
constexpr TSearchOptions Blanks = SearchOptionBit(sfrIncludeSpace);

struct SearchCase
{
    const char *name;
    QString text;
    QString pattern;
    TSearchOptions options;
    int start;
    int previous;
    int expectedStart; // -1: not found
    int expectedLength;
};

} // namespace

TEST(TextSearch, Table)
{
    const QString sss = QStringLiteral("select Select SELECT");
    const SearchCase cases[] = {
        {"folded, from the start", sss, QStringLiteral("select"), Down, 0, 0, 0, 6},
        {"folded, after the previous hit", sss, QStringLiteral("select"), Down, 0, 6, 7, 6},
        {"exact: the first", sss, QStringLiteral("select"), Down | Case, 0, 0, 0, 6},
        {"exact: no other", sss, QStringLiteral("select"), Down | Case, 0, 6, -1, 0},
        {"Greek capitals find lower case", QStringLiteral("σοφια"), QStringLiteral("ΣΟΦΙΑ"), Down, 0, 0, 0, 5},
        {"full-width capitals find full-width lower case", QStringLiteral("xａｂｃ"), QStringLiteral("ＡＢＣ"), Down, 0,
         0, 1, 3},
        {"no width folding", QStringLiteral("ＡＢＣ"), QStringLiteral("ABC"), Down, 0, 0, -1, 0},
        {"Cyrillic", QStringLiteral("ёлка"), QStringLiteral("ЁЛКА"), Down, 0, 0, 0, 4},
        {"a lower-case accented letter finds itself", QStringLiteral("café"), QStringLiteral("é"), Down, 0, 0, 3, 1},
        {"and its capital", QStringLiteral("CAFÉ"), QStringLiteral("é"), Down, 0, 0, 3, 1},
        {"no sharp s expansion", QStringLiteral("straße"), QStringLiteral("SS"), Down, 0, 0, -1, 0},
        {"sharp s finds itself", QStringLiteral("straße"), QStringLiteral("ß"), Down, 0, 0, 4, 1},
        {"whole word: not inside table", QStringLiteral("table"), QStringLiteral("tab"), Down | Word, 0, 0, -1, 0},
        {"whole word: not at the end of xtab", QStringLiteral("xtab"), QStringLiteral("tab"), Down | Word, 0, 0, -1, 0},
        {"whole word: between symbols", QStringLiteral("a.tab(x)"), QStringLiteral("tab"), Down | Word, 0, 0, 2, 3},
        {"whole word: the underscore is a delimiter", QStringLiteral("tab_1"), QStringLiteral("tab"), Down | Word, 0, 0,
         0, 3},
        {"whole word: a Japanese letter is no delimiter", QStringLiteral("tabあ"), QStringLiteral("tab"), Down | Word,
         0, 0, -1, 0},
        {"whole word: ? is no delimiter", QStringLiteral("?tab"), QStringLiteral("tab"), Down | Word, 0, 0, -1, 0},
        {"whole word backwards skips a longer word", QStringLiteral("tab tabx tab"), QStringLiteral("tab"), Word, 9, 0,
         0, 3},
        {"a blank inside the match", QStringLiteral("a b"), QStringLiteral("ab"), Down | Breaks | Blanks, 0, 0, 0, 3},
        {"a line break inside the match", QStringLiteral("a\r\nb"), QStringLiteral("ab"), Down | Breaks | Blanks, 0, 0,
         0, 4},
        {"an ideographic space inside the match", QStringLiteral("a\u3000b"), QStringLiteral("ab"), Down | Blanks, 0, 0,
         0, 3},
        {"no blank before the match", QStringLiteral(" ab"), QStringLiteral("ab"), Down | Breaks | Blanks, 0, 0, 1, 2},
        {"a break without the option", QStringLiteral("a\r\nb"), QStringLiteral("ab"), Down | Blanks, 0, 0, -1, 0},
        {"backwards from the end", QStringLiteral("abc abc"), QStringLiteral("abc"), 0, 7, 0, 4, 3},
        {"backwards from the last hit", QStringLiteral("abc abc"), QStringLiteral("abc"), 0, 4, 0, 0, 3},
        {"backwards from the start", QStringLiteral("abc"), QStringLiteral("abc"), 0, 2, 0, -1, 0},
        {"an empty pattern", QStringLiteral("abc"), QString(), Down, 0, 0, -1, 0},
        {"an empty text", QString(), QStringLiteral("a"), Down, 0, 0, -1, 0},
        {"a start past the text", QStringLiteral("abc"), QStringLiteral("a"), 0, 4, 0, -1, 0},
        {"a negative start", QStringLiteral("abc"), QStringLiteral("a"), Down, -1, 0, -1, 0},
        {"a negative previous length", QStringLiteral("abc"), QStringLiteral("a"), Down, 0, -1, -1, 0},
    };
    for (const SearchCase &c : cases) {
        SCOPED_TRACE(c.name);
        TSearchHit hit{c.start, c.previous};
        const bool found = SearchText(c.text, hit, c.pattern, c.options);
        EXPECT_EQ(found, c.expectedStart >= 0);
        if (found && c.expectedStart >= 0) {
            EXPECT_EQ(hit.Start, c.expectedStart);
            EXPECT_EQ(hit.Length, c.expectedLength);
        }
        int length = 0;
        EXPECT_EQ(SearchBuffer(c.text, TSearchHit{c.start, c.previous}, c.pattern, c.options, length), c.expectedStart);
    }
}

TEST(TextSearch, FoldListAndDelimiters)
{
    for (const char16_t *s : {u"a", u"Z", u"Ω", u"ё", u"ｚ", u"5", u"~", u"･", u" ", u"@"})
        EXPECT_TRUE(IsFoldChar(QStringView(s))) << QString::fromUtf16(s).toStdString();
    for (const char16_t *s : {u"ς", u"é", u"あ", u"ab", u""})
        EXPECT_FALSE(IsFoldChar(QStringView(s))) << QString::fromUtf16(s).toStdString();
    for (char16_t c : {u'\0', u' ', u'/', u':', u'>', u'@', u'[', u'_', u'`'})
        EXPECT_TRUE(IsWordDelimiter(c)) << int(c);
    for (char16_t c : {u'?', u'{', u'|', u'}', u'~', u'a', u'0', u'あ', char16_t(0xA0)})
        EXPECT_FALSE(IsWordDelimiter(c)) << int(c);
}
