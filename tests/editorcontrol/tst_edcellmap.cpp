#include "fakeclient.h"

#include <gtest/gtest.h>

namespace {

TCellMapOptions options(int tab = 4, bool wrap = false, int wrapByte = 80)
{
    TCellMapOptions o;
    o.TabSpaceCount = tab;
    o.AmbiguousWide = false;
    o.WordWrap = wrap;
    o.WrapByte = wrapByte;
    return o;
}

// Rows from "text|attr" strings (attr c, w or e).
void fill(TRowAttributeStringList &rows, const QStringList &rowSpecs)
{
    for (const QString &s : rowSpecs) {
        const int bar = int(s.lastIndexOf(QLatin1Char('|')));
        const int r = rows.Add(s.left(bar));
        const QChar a = s.at(bar + 1);
        rows.SetRows(r, a == QLatin1Char('w') ? raWrapped : a == QLatin1Char('e') ? raEof : raCrlf);
    }
}

} // namespace

TEST(EdCellMap, MapsOfTypicalTexts)
{
    TCellMapOptions noDelims = options();
    noDelims.Delimiters.reset();
    TCellMapOptions ambWide = options();
    ambWide.AmbiguousWide = true;
    const struct
    {
        const char *name;
        QString text;
        TCellMapOptions o;
        QString map;
    } cases[] = {
        {"tab is a delimiter", QStringLiteral("a\tb"), options(), QStringLiteral("12331")},
        {"tab without delimiters", QStringLiteral("a\tb"), noDelims, QStringLiteral("11331")},
        {"wide then narrow", QStringLiteral("\u3042x"), options(), QStringLiteral("451")},
        {"word characters", QStringLiteral("a_b"), options(), QStringLiteral("111")},
        {"delimiter", QStringLiteral("a.b"), options(), QStringLiteral("121")},
        {"wide outside the BMP", QString::fromUtf16(u"\xD842\xDFB7"), options(), QStringLiteral("4545")},
        {"narrow outside the BMP", QString::fromUtf16(u"\xD83D\xDE00"), options(), QStringLiteral("12")},
        {"lone surrogates keep a cell each",
         QString::fromUtf16(u"\xDC00"
                            u"a\xD800"),
         options(), QStringLiteral("111")},
        {"ambiguous narrow", QStringLiteral("±é"), options(), QStringLiteral("11")},
        {"ambiguous wide", QStringLiteral("±é"), ambWide, QStringLiteral("4545")},
        {"ideographic space", QStringLiteral("\u3000"), options(), QStringLiteral("45")},
        {"latin-1 letters are no lead bytes", QString::fromUtf16(u"\x0081\x00E2x"), options(), QStringLiteral("111")},
        {"tab at wrap width", QStringLiteral("12345678\t"), options(8, true, 10), QStringLiteral("1111111123")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CellMap(c.text, c.o), c.map);
        EXPECT_EQ(ExpandTabLength(c.text, c.o), c.map.size());
    }
}

TEST(EdCellMap, MapEndsAtItsLimit)
{
    const QString longRow(20000, QLatin1Char('x'));
    EXPECT_EQ(CellMap(longRow, options()).size(), 10000);
    EXPECT_EQ(CellMap(longRow, options(4, true, 80)).size(), 83);
    EXPECT_EQ(ExpandTabLength(QString(9999, QLatin1Char('x')) + QStringLiteral("\u3042\u3042"), options()), 10001);
}

TEST(EdCellMap, ColumnsAndCharacters)
{
    const QString tabMap = CellMap(QStringLiteral("a\tb"), options());
    EXPECT_EQ(CharIndexOfCol(tabMap, 2), 1);
    EXPECT_EQ(CharIndexOfCol(tabMap, 3), 1);
    EXPECT_EQ(CharIndexOfCol(tabMap, 4), 2);
    EXPECT_EQ(CharIndexOfCol(tabMap, 7), 5); // one character per missing cell
    EXPECT_EQ(FirstCharAtOrRightOfCol(tabMap, 2), 2);
    EXPECT_EQ(CharCoveringCol(tabMap, 3), 1);
    EXPECT_EQ(ColOfCharIndex(tabMap, 2), 4);
    EXPECT_EQ(ColOfCharIndex(tabMap, 5), 7);

    const QString wideMap = CellMap(QStringLiteral("\u3042x"), options());
    EXPECT_EQ(CharIndexOfCol(wideMap, 1), 0);
    EXPECT_EQ(CharIndexOfCol(wideMap, 2), 1);
    EXPECT_EQ(FirstCharAtOrRightOfCol(wideMap, 1), 1);
    EXPECT_EQ(CharCoveringCol(wideMap, 1), 0);
    EXPECT_EQ(ColOfCharIndex(wideMap, 1), 2);
}

TEST(EdCellMap, TabExpansionAndIndentMeasureLikeTheMap)
{
    const QString esc2(2, QChar(27));
    EXPECT_EQ(ExpandTab(QStringLiteral("\u6F22\tx"), options()), QStringLiteral("\u6F22") + esc2 + QStringLiteral("x"));
    EXPECT_EQ(ExpandTab(QStringLiteral("ab"), options()), QStringLiteral("ab"));
    // An ambiguous or accented letter takes the cells the map gives it, so
    // the tab after it ends where the caret and the mouse expect it.
    const struct
    {
        QString text;
        bool ambiguousWide;
    } texts[] = {
        {QStringLiteral("é\tx"), false},
        {QStringLiteral("é\tx"), true},
        {QStringLiteral("a\u3042\t\tb\u3000\tc"), false},
        {QString::fromUtf16(u"\xD842\xDFB7\t\xD83D\xDE00\tz"), false},
        {QStringLiteral("abcdefgh\tij"), false},
    };
    for (const auto &t : texts) {
        TCellMapOptions o = options();
        o.AmbiguousWide = t.ambiguousWide;
        // the expansion the map implies: each tab becomes as many ESC
        // characters as it has cells there
        const QString map = CellMap(t.text, o);
        QString expected;
        int col = 0;
        for (QChar c : t.text) {
            if (c == QLatin1Char('\t')) {
                int cells = 1;
                while (col + cells < map.size() && map[col + cells] == QLatin1Char('3'))
                    ++cells;
                expected += QString(cells, QChar(27));
                col += cells;
            } else {
                expected += c;
                col += map[col] == QLatin1Char('4') ? 2 : 1;
            }
        }
        EXPECT_EQ(col, map.size());
        EXPECT_EQ(ExpandTab(t.text, o), expected);
    }
    EXPECT_EQ(IndentWidth(QStringLiteral("  \tx"), options()), 4);
    EXPECT_EQ(IndentWidth(QStringLiteral("x"), options()), 0);
    EXPECT_EQ(IndentWidth(QString(), options()), -1);
    EXPECT_EQ(IndentWidth(QStringLiteral("\u3000\tx"), options()), 4);
    EXPECT_EQ(IndentWidth(QStringLiteral("\u30FB@x"), options()), 0);
    EXPECT_EQ(IndentWidth(QStringLiteral("12345678\tx"), options(8, true, 10)), 0);
    EXPECT_EQ(IndentWidth(QStringLiteral("        \tx"), options(8, true, 10)), 10);
}

TEST(EdCellMap, HalfWidthCharacters)
{
    EXPECT_TRUE(IsHalfWidthChar(QStringLiteral("\uFF71")));
    EXPECT_TRUE(IsHalfWidthChar(QStringLiteral("~")));
    EXPECT_FALSE(IsHalfWidthChar(QStringLiteral("é")));
    EXPECT_FALSE(IsHalfWidthChar(QStringLiteral("\u6F22")));
    EXPECT_FALSE(IsHalfWidthChar(QStringLiteral("ab")));
    EXPECT_FALSE(IsHalfWidthChar(QString()));
}

TEST(EdCellMap, RowConversions)
{
    TRowAttributeStringList rows;
    fill(rows, {QStringLiteral("ab|c"), QStringLiteral("cd|w"), QStringLiteral("e\u3042f|c"), QStringLiteral("g|e")});
    const TCellMapOptions o = options(4, true, 80);
    EXPECT_EQ(ColToChar(rows, o, 1, 1), 1);
    EXPECT_EQ(ColToChar(rows, o, 2, 2), 3); // second half of the wide character, plus "cd"
    EXPECT_EQ(ColToChar(rows, o, 2, 9), 5); // past the row's end: its length
    EXPECT_EQ(ColToChar(rows, o, 4, 3), 0); // the end-of-text row
    EXPECT_EQ(ColToChar(rows, o, 5, 0), -1);
    EXPECT_EQ(ColToChar(rows, o, 0, -1), -1);
    EXPECT_EQ(RowToLines(rows, true, 3), 2);
    EXPECT_EQ(RowToLines(rows, false, 3), 3);

    // offsets count CR LF as 2, a wrap as 0, the end of the text as 1
    EXPECT_EQ(RowColToIndex(rows, o, 0, 2, 3), 4 + 2 + 2);
    const struct
    {
        int index;
        TRowCol rc;
    } walks[] = {
        {0, {0, 0}}, {2, {0, 2}},  {3, {0, 2}},  {4, {1, 0}},  {5, {1, 1}},  {6, {2, 0}},  {8, {2, 3}},
        {9, {2, 4}}, {10, {2, 4}}, {11, {3, 0}}, {12, {3, 1}}, {13, {3, 1}}, {99, {3, 1}},
    };
    for (const auto &w : walks) {
        SCOPED_TRACE(w.index);
        EXPECT_EQ(RowColFromIndex(rows, o, 0, w.index), w.rc);
    }
    EXPECT_EQ(JoinRows(rows), QStringLiteral("ab\r\ncde\u3042f\r\ng"));

    TRowAttributeStringList ended;
    fill(ended, {QStringLiteral("ab|c")});
    EXPECT_EQ(RowColFromIndex(ended, o, 0, 4), (TRowCol{1, 0}));
    EXPECT_EQ(RowTextAt(ended, 1), QString());
    EXPECT_EQ(RowAttrAt(ended, -1), raEof);
    EXPECT_EQ(RowCellCount(ended, o, 3), 0);
}

TEST(EdCellMap, PointConversions)
{
    TRowAttributeStringList rows;
    fill(rows, {QStringLiteral("ab|c"), QStringLiteral("cd|e")});
    const TCellMapOptions o = options();
    TEditorGeometry g;
    g.LeftMargin = 30;
    g.TopMargin = 10;
    g.FontWidth = 8;
    g.RowHeight = 16;

    EXPECT_EQ(CharFromPos(rows, o, g, 30 + 8 + 1, 10 + 16 + 2), 5); // on the d
    TEditorStrInfo info;
    EXPECT_TRUE(PosToStrInfo(rows, o, g, 30 + 8 + 1, 10 + 2, info));
    EXPECT_EQ(info, (TEditorStrInfo{0, 1}));
    EXPECT_FALSE(PosToStrInfo(rows, o, g, 30 + 8 * 5, 10 + 2, info)); // right of the text
    EXPECT_EQ(info.Line, 0);
    EXPECT_EQ(CharFromPos(rows, o, g, 30 + 8 * 5, 12), -1);
    EXPECT_FALSE(PosToStrInfo(rows, o, g, 29, 12, info));                                   // in the margin
    EXPECT_EQ(StrInfoFromPos(rows, o, g, 30 + 8 + 5, 10 + 16 + 2), (TEditorStrInfo{1, 2})); // right half rounds up
    EXPECT_EQ(StrInfoFromPos(rows, o, g, 40, 10 + 16 * 9), TEditorStrInfo{});

    g.TopCol = 5;
    EXPECT_EQ(PosToRowCol(g, 27, 10, false).Col, 4);
    g.TopCol = 0;
    EXPECT_EQ(PosToRowCol(g, 27, 10, false).Col, 0);
    EXPECT_EQ(PosToRowCol(g, 30 + 5, 10, true).Col, 1);
    EXPECT_EQ(PosToRowCol(g, 30 + 3, 10, true).Col, 0);
}
