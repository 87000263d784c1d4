#include "editorcontrol/EditorFountain.h"
#include "fakeclient.h"
#include "sqlscheme.h"

#include <gtest/gtest.h>

#include <random>

namespace {

enum Config { Plain, Sql, Hex, Control, TwoQuotes, OneQuote, Mail, Url, SlashFirst };

void configure(TEditorFountain &f, Config c)
{
    switch (c) {
    case Plain: break;
    case Sql: configureForSql(f); break;
    case Hex: f.SetHexPrefix(QStringLiteral("0x")); break;
    case Control: f.SetControlCode(true); break;
    case TwoQuotes:
        f.SetQuotation(QStringLiteral("'"));
        f.SetDoubleQuotation(QStringLiteral("\""));
        break;
    case OneQuote: f.SetQuotation(QStringLiteral("'")); break;
    case Mail: f.SetMail(true); break;
    case Url: f.SetUrl(true); break;
    case SlashFirst:
        for (const char *left : {"/", "/*"}) {
            TFountainBracketItem *pair = f.Brackets()->Add();
            pair->SetLeftBracket(QString::fromLatin1(left));
            pair->SetRightBracket(QStringLiteral("\\"));
        }
        break;
    }
}

// The tokens of a text as "kind:text" joined by "|".
QString tokensOf(TFountainParser &parser, const QString &text, const TRowAttributeData &data = {})
{
    parser.NewData(text, data);
    QStringList tokens;
    while (parser.NextToken() != ftkEnd)
        tokens << QStringLiteral("%1:%2").arg(int(parser.Token())).arg(parser.TokenString());
    return tokens.join(QLatin1Char('|'));
}

struct TokenCase
{
    const char *name;
    Config config;
    QString text;
    QString tokens;
};

void PrintTo(const TokenCase &c, std::ostream *os)
{
    *os << c.name;
}

class Tokens : public ::testing::TestWithParam<TokenCase>
{
};

TEST_P(Tokens, OfOneRow)
{
    const TokenCase &c = GetParam();
    TEditorFountain fountain;
    configure(fountain, c.config);
    std::unique_ptr<TFountainParser> parser = fountain.CreateParser();
    EXPECT_EQ(tokensOf(*parser, c.text), c.tokens);
}

const TokenCase tokenCases[] = {
    {"Float", Plain, "12.5e-3", "4:12.5e-3"},
    {"FullStopGivenBack", Plain, "12.x", "4:12|1:.|11:x"},
    {"ExponentWithoutDigits", Plain, "1e", "4:1e"},
    {"FractionWithoutDigits", Plain, "3.e2+1", "4:3.e2|1:+|3:1"},
    {"Integer", Plain, "x=42;", "11:x|1:=|3:42|1:;"},
    {"Word", Plain, "abc_9", "11:abc_9"},
    {"CombiningMark", Plain, QString::fromUtf16(u"e\u0301x"), QString::fromUtf16(u"11:e\u0301|11:x")},
    {"Blanks", Plain, "  a \t b  ", "11:a|9:\t|11:b"},
    {"WideRun", Plain, QStringLiteral("漢字abc　x"), QStringLiteral("12:漢字|11:abc|12:　|11:x")},
    {"LatinOneIsSymbol", Plain, QStringLiteral("caf\u00e9\u00ff"), QStringLiteral("11:caf|1:\u00e9|12:\u00ff")},
    {"NoQuotationsConfigured", Plain, "'a' --", "1:'|11:a|1:'|1:-|1:-"},
    {"ScanStopsAtNul", Plain, QString::fromUtf16(u"a\u0000b", 3), "11:a"},
    {"SqlStatement", Sql, "SELECT 'it''s' -- note", "11:SELECT|26:'it''s'|7:-- note"},
    {"BracketsWinOverComments", Sql, "/* -- */ x", "6:/* -- */|11:x"},
    {"UnclosedBracket", Sql, "a /* b", "11:a|6:/* b"},
    {"NoLeadUnitStep", Sql, QStringLiteral("'café' x"), QStringLiteral("26:'café'|11:x")},
    {"UnclosedString", Sql, "'abc", "26:'abc"},
    {"EmptyString", Sql, "''+1", "26:''|1:+|3:1"},
    {"CommentAfterWord", Sql, "a--b", "11:a|7:--b"},
    {"DoubleQuoteIsSymbol", Sql, "\"x\"", "1:\"|11:x|1:\""},
    {"HexPrefix", Hex, "0x1F 0X1f 0xg", "23:0x1F|23:0X1f|23:0x|11:g"},
    {"NoHexPrefix", Plain, "0x1F", "3:0|11:x1F"},
    {"ControlCodes", Control, "#13#$0D#", "27:#13|28:#$0D|27:#"},
    {"EitherQuoteCloses", TwoQuotes, "'a\"b' c", "26:'a\"|11:b|26:' c"},
    {"OneQuotation", OneQuote, "'a\"b' c", "26:'a\"b'|11:c"},
    {"MailAddress", Mail, "mail me@example.com now @x", "11:mail|22:me@example.com|11:now|1:@|11:x"},
    {"NoMailWithoutDot", Mail, "a@b c", "11:a|1:@|11:b|11:c"},
    {"Urls", Url, "see http://x.jp/a?b=1 https:x www.q ftp:/f hx",
     "11:see|21:http://x.jp/a?b=1|21:https:x|21:www.q|21:ftp:/f|11:hx"},
    {"FirstPairInOrderWins", SlashFirst, "/* x\\ y", "6:/* x\\|11:y"},
};

INSTANTIATE_TEST_SUITE_P(Scanner, Tokens, ::testing::ValuesIn(tokenCases),
                         [](const ::testing::TestParamInfo<TokenCase> &info) { return std::string(info.param.name); });

TEST(Scanner, ColoursOfTheProgramScheme)
{
    TEditorFountain fountain;
    configureForSql(fountain);
    fountain.Brackets()->GetBracketItem(0)->ItemColor()->SetColor(clGreen);
    std::unique_ptr<TFountainParser> parser = fountain.CreateParser();
    const TEditorColors *colors = fountain.Colors();
    const struct
    {
        QString token;
        const TFountainColor *color;
    } expected[] = {
        {QStringLiteral("select"), fountain.Reserve()},
        {QStringLiteral("'it''s'"), colors->Str()},
        {QStringLiteral("100"), fountain.Reserve()},
        {QStringLiteral("12.5"), colors->Int()},
        {QStringLiteral("+"), colors->Symbol()},
        {QStringLiteral("abc"), colors->Ank()},
        {QStringLiteral("\t"), nullptr},
        {QStringLiteral("表"), colors->DBCS()},
        {QStringLiteral("/* c */"), fountain.Brackets()->GetBracketItem(0)->ItemColor()},
        {QStringLiteral("-- note"), colors->Comment()},
    };
    QStringList parts;
    for (const auto &e : expected)
        parts << e.token;
    const QString text = parts.join(QLatin1Char(' '));
    parser->NewData(text, {});
    for (const auto &e : expected) {
        SCOPED_TRACE(e.token.toStdString());
        ASSERT_NE(parser->NextToken(), ftkEnd);
        EXPECT_EQ(parser->TokenString(), e.token);
        EXPECT_EQ(parser->TokenToFountainColor(), e.color);
    }
    EXPECT_EQ(fountain.Colors()->Reserve(), fountain.Reserve());
}

TEST(Scanner, WordListModes)
{
    TEditorFountain fountain;
    std::unique_ptr<TFountainParser> parser = fountain.CreateParser();
    auto reserved = [&](const QString &text) {
        QStringList words;
        parser->NewData(text, {});
        while (parser->NextToken() != ftkEnd) {
            if (parser->TokenToFountainColor() == fountain.Reserve())
                words << parser->TokenString();
        }
        return words;
    };
    EXPECT_EQ(reserved(QStringLiteral("select x")), QStringList());

    fountain.SetReserveWordList({QStringLiteral("Select")});
    EXPECT_EQ(reserved(QStringLiteral("SELECT x")), QStringList{QStringLiteral("SELECT")});

    // Multi-word mode: the phrase around the token is looked up, never the word.
    fountain.SetReserveWordList({QStringLiteral("ZKSTSexec stats report"), QStringLiteral("zzz")});
    EXPECT_EQ(reserved(QStringLiteral("exec stats report")),
              (QStringList{QStringLiteral("exec"), QStringLiteral("stats"), QStringLiteral("report")}));
    EXPECT_EQ(reserved(QStringLiteral("run stats report")), QStringList());
    EXPECT_EQ(reserved(QStringLiteral("zzz")), QStringList());
    parser->NewData(QStringLiteral("exec stats report(1) _x"), {});
    parser->NextToken();
    parser->NextToken();
    EXPECT_EQ(parser->TokenStringStatsPack(), QStringLiteral("exec stats report(1)"));
}

TEST(Scanner, FailuresAndStaleState)
{
    try {
        TEditorParser parser(nullptr);
        FAIL() << "a scanner without a scheme";
    } catch (const Exception &e) {
        EXPECT_EQ(e.message(), QStringLiteral("TFountainParser.Create need instance of TFountain"));
    }

    TEditorFountain fountain;
    configureForSql(fountain);
    std::unique_ptr<TFountainParser> parser = fountain.CreateParser();
    // A pair that no longer exists ends the row's scan.
    TRowAttributeData data;
    data.BracketIndex = 5;
    EXPECT_EQ(tokensOf(*parser, QStringLiteral("a b"), data), QString());

    TFountainBracketCollection *pairs = fountain.Brackets();
    for (int i = 1; i < TFountainBracketCollection::MaxBracketCount; ++i)
        pairs->Add();
    try {
        pairs->Add();
        FAIL() << "a 15th pair";
    } catch (const Exception &e) {
        EXPECT_EQ(e.message(), QStringLiteral("TFountainBracketCollection\r\nYou can not add item over 14"));
    }
    EXPECT_EQ(pairs->Count(), 14);
    TEditorFountain other;
    other.SetBrackets(pairs);
    EXPECT_EQ(other.Brackets()->Count(), 14);
    EXPECT_EQ(other.Brackets()->GetBracketItem(0)->RightBracket(), QStringLiteral("*/"));
}

// ---- State carried from row to row ----

using Row = std::pair<QString, TRowAttribute>;

// The start states of rows (and of the row after the last) computed one
// row after another from the initial state.
std::vector<TRowAttributeData> carry(TRowStateParser &parser, const TRowAttributeStringList &rows)
{
    std::vector<TRowAttributeData> states;
    TRowAttributeData state;
    for (int r = 0; r < rows.Count(); ++r) {
        states.push_back(state);
        state.RowAttribute = rows.RowAttr(r);
        parser.LastTokenBracket(r, rows, state);
        state.PrevRowAttribute = rows.RowAttr(r);
    }
    states.push_back(state);
    return states;
}

void fill(TEditorStringList &list, const std::vector<Row> &rows)
{
    for (const Row &row : rows)
        list.AppendRow(row.first, row.second);
}

// The tokens of row Index as the painter sees them: a wrapped row's text
// with the next row's after it, cut at the row's end.
QString rowTokens(TFountainParser &parser, const TRowAttributeStringList &rows, int Index,
                  const TRowAttributeData &state)
{
    const QString &row = rows.RowText(Index);
    QString text = row;
    if (rows.RowAttr(Index) == raWrapped && Index < rows.Count() - 1)
        text += rows.RowText(Index + 1);
    parser.NewData(text, state);
    QStringList tokens;
    while (parser.NextToken() != ftkEnd && parser.SourcePos() < row.size())
        tokens
            << QStringLiteral("%1:%2").arg(int(parser.Token())).arg(row.mid(parser.SourcePos(), parser.TokenLength()));
    return tokens.join(QLatin1Char('|'));
}

class RowState : public ::testing::Test
{
protected:
    RowState()
    {
        configureForSql(fountain);
        parser = fountain.CreateParser();
    }
    // Start state and tokens of every row.
    QStringList scan(const std::vector<Row> &rows, std::vector<TRowAttributeData> *states = nullptr)
    {
        TEditorStringList list;
        fill(list, rows);
        const std::vector<TRowAttributeData> s = carry(*parser, list);
        if (states)
            *states = s;
        QStringList out;
        for (int r = 0; r < list.Count(); ++r)
            out << rowTokens(*parser, list, r, s[r]);
        return out;
    }
    TEditorFountain fountain;
    std::unique_ptr<TFountainParser> parser;
};

TEST_F(RowState, BlockCommentOverThreeLines)
{
    std::vector<TRowAttributeData> states;
    EXPECT_EQ(scan({{"x /* one", raCrlf}, {"two", raCrlf}, {"", raCrlf}, {"three */ y", raEof}}, &states),
              (QStringList{"11:x|6:/* one", "6:two", "", "6:three */|11:y"}));
    EXPECT_EQ(states[1].BracketIndex, 0);
    EXPECT_EQ(states[2].BracketIndex, 0);
    EXPECT_EQ(states[3], states[2]) << "a blank row carries the state unchanged";
    EXPECT_EQ(states[4].BracketIndex, -1);
    EXPECT_EQ(scan({{"a /* b", raCrlf}, {"c */ d", raEof}}), (QStringList{"11:a|6:/* b", "6:c */|11:d"}));
}

TEST_F(RowState, StringsAndLineCommentsEndWithTheirLine)
{
    EXPECT_EQ(scan({{"x = 'abc", raCrlf}, {"y' -- z", raCrlf}, {"w", raEof}}),
              (QStringList{"11:x|1:=|26:'abc", "11:y|26:' -- z", "11:w"}));
    std::vector<TRowAttributeData> states;
    // A line comment carries over wrapped rows, and stops at the line's end.
    EXPECT_EQ(scan({{"a -- one", raWrapped}, {"two", raWrapped}, {"three", raCrlf}, {"b", raEof}}, &states),
              (QStringList{"11:a|7:-- one", "7:two", "7:three", "11:b"}));
    EXPECT_EQ(states[2].StartToken, ftkComment);
    EXPECT_EQ(states[3].StartToken, 0);
    // A string cut by the wrap goes on in the next row.
    EXPECT_EQ(scan({{"s = 'it", raWrapped}, {"''s' x", raCrlf}}), (QStringList{"11:s|1:=|26:'it", "26:''s'|11:x"}));
}

TEST_F(RowState, WordsCutByTheWrap)
{
    std::vector<TRowAttributeData> states;
    EXPECT_EQ(scan({{"x abc", raWrapped}, {"defg y", raCrlf}}, &states), (QStringList{"11:x|11:abc", "11:defg|11:y"}));
    EXPECT_EQ(states[1].StartToken, ftkAnk);
    EXPECT_EQ(states[1].WrappedByte, 4);
    // The whole word is reserved: the rest of it carries the reserved kind.
    scan({{"x SEL", raWrapped}, {"ECT y", raCrlf}}, &states);
    EXPECT_EQ(states[1].StartToken, ftkReserve);
    EXPECT_EQ(states[1].WrappedByte, 3);
    // A word that runs on past the next row is rescanned there.
    scan({{"abc", raWrapped}, {"def", raWrapped}, {"ghi j", raCrlf}}, &states);
    EXPECT_EQ(states[1].StartToken, ftkAnk);
    EXPECT_EQ(states[1].WrappedByte, 0);
    EXPECT_EQ(states[2].StartToken, ftkAnk);
    EXPECT_EQ(states[2].WrappedByte, 3);
    // A right bracket cut by the wrap closes at the start of the next row.
    EXPECT_EQ(scan({{"/* a *", raWrapped}, {"/ b", raCrlf}}, &states), (QStringList{"6:/* a *", "6:/|11:b"}));
    EXPECT_EQ(states[1].StartToken, ftkBracket);
    EXPECT_EQ(states[1].WrappedByte, 1);
    EXPECT_EQ(states[1].BracketIndex, 0);
    EXPECT_EQ(states[2].BracketIndex, -1);
    // A row ending where a bracket opens on the next row passes no bracket.
    scan({{"x ", raWrapped}, {"/* y", raCrlf}}, &states);
    EXPECT_EQ(states[1].BracketIndex, -1);
    EXPECT_EQ(states[2].BracketIndex, 0);
}

// ---- Colouring state kept in the row list ----

class Colouring : public ::testing::Test
{
protected:
    Colouring()
    {
        configureForSql(fountain);
        client.displayHeight = 1080;
        client.rowHeight = 12; // two display heights: 180 rows
        client.parserFactory = [this] { return fountain.CreateParser(); };
    }
    TEditorScreenStrings &list() { return client.list(); }
    // The start states a computation from the top gives.
    std::vector<TRowAttributeData> full()
    {
        std::unique_ptr<TFountainParser> parser = fountain.CreateParser();
        return carry(*parser, list());
    }
    // Every row whose state is computed holds what a computation from the top gives.
    void expectComputedRowsRight()
    {
        const std::vector<TRowAttributeData> expected = full();
        for (int r = 0; r < list().Count(); ++r) {
            if (list().GetBrackets(r) != -2) {
                ASSERT_TRUE(list().SameRowData(r, expected[r])) << "row " << r;
            }
        }
    }
    TEditorFountain fountain;
    FakeClient client;
    TEditorStrings lines{&client};
};

TEST_F(Colouring, AnEditRecomputesTwoDisplayHeights)
{
    QString text;
    for (int i = 0; i < 500; ++i)
        text += QStringLiteral("select a%1 from t -- note\r\n").arg(i);
    lines.SetTextStr(text);
    EXPECT_EQ(list().GetBrackets(180), -1);
    EXPECT_EQ(list().GetBrackets(181), -2);
    list().UpdateBrackets(300, false); // painted further down
    EXPECT_EQ(list().GetBrackets(480), -1);

    client.invalidatedRows.clear();
    client.SetRow(0);
    list().ReplaceRows(0, 1, QStringLiteral("/*select a0 from t -- note\r\n"));
    // the row itself and 180 rows below it
    EXPECT_EQ(client.invalidatedRows.size(), 181u);
    EXPECT_EQ(client.drawInfos.back().Invalid, 181);
    for (int r = 1; r <= 180; ++r)
        ASSERT_EQ(list().GetBrackets(r), 0) << r;
    for (int r = 181; r < 500; ++r)
        ASSERT_EQ(list().GetBrackets(r), -2) << r;
    EXPECT_EQ(list().GetRowData(200), list().GetRowData(499));

    // Painting a row that is not computed gives what a computation from the top gives.
    EXPECT_EQ(list().UpdateBrackets(400, false), 0);
    const std::vector<TRowAttributeData> expected = full();
    EXPECT_TRUE(list().SameRowData(400, expected[400]));
    EXPECT_EQ(list().GetBrackets(400), 0);
    expectComputedRowsRight();

    // Closing the comment again: the rows come back out of it.
    list().ReplaceRows(0, 1, QStringLiteral("select */\r\n"));
    EXPECT_EQ(list().GetBrackets(1), -1);
    expectComputedRowsRight();
}

TEST_F(Colouring, ComputedStateStaysRightThroughEdits)
{
    // Short display: edits often reach the limit and leave rows not computed.
    client.displayHeight = 60;
    list().SetWordWrap(true);
    list().WrapOption()->SetWrapByte(20);
    const QStringList pieces = {QStringLiteral("/*"),   QStringLiteral("*/"),      QStringLiteral("'"),
                                QStringLiteral("--"),   QStringLiteral("select "), QStringLiteral("abcdefghij"),
                                QStringLiteral("漢字"), QStringLiteral(" "),       QStringLiteral("x"),
                                QStringLiteral("\r\n")};
    std::mt19937 random(7);
    auto below = [&random](int n) { return n <= 0 ? 0 : int(random() % unsigned(n)); };
    auto piecesText = [&](int n) {
        QString s;
        for (int i = 0; i < n; ++i)
            s += pieces[below(int(pieces.size()))];
        return s;
    };
    lines.SetTextStr(piecesText(400));
    for (int step = 0; step < 300; ++step) {
        SCOPED_TRACE(step);
        const int rows = list().Count();
        const int row = below(rows);
        const int count = std::min(below(3), rows - row);
        client.SetRow(row);
        client.SetCol(0);
        list().ReplaceRows(row, count, piecesText(below(8)) + QStringLiteral("\r\n"));
        if (list().Count() > 0 && below(4) == 0)
            list().UpdateBrackets(below(list().Count()), false);
        if (below(10) == 0) {
            list().Undo();
        }
        expectComputedRowsRight();
        if (HasFatalFailure())
            return;
    }
    for (int r = 0; r < list().Count(); ++r)
        list().UpdateBrackets(r, false);
    for (int r = 0; r < list().Count(); ++r)
        ASSERT_NE(list().GetBrackets(r), -2) << r;
    expectComputedRowsRight();
}

TEST_F(Colouring, RowsMovedAroundTheMarkKeepTheirState)
{
    client.displayHeight = 60; // 10 rows
    QString text;
    for (int i = 0; i < 40; ++i)
        text += (i == 3 ? QStringLiteral("/*") : QStringLiteral("r%1").arg(i)) + QStringLiteral("\r\n");
    lines.SetTextStr(text);
    ASSERT_EQ(list().ComputedUpTo(), 11);
    list().UpdateBrackets(39, false);
    ASSERT_EQ(list().GetBrackets(39), 0);
    // Closing nothing any more: rows 4 .. 13 recomputed, the rest still hold
    // the old state but read not computed.
    client.SetRow(3);
    list().ReplaceRows(3, 1, QStringLiteral("r3\r\n"));
    ASSERT_EQ(list().ComputedUpTo(), 14);
    EXPECT_EQ(list().GetBrackets(13), -1);
    EXPECT_EQ(list().GetBrackets(14), -2);
    EXPECT_EQ(list().GetRowData(14).BracketIndex, -2);

    // Rows go in and out above the mark: the mark moves with them.
    list().Insert(2, QStringLiteral("new"));
    EXPECT_EQ(list().GetBrackets(2), -2);
    EXPECT_EQ(list().GetBrackets(14), -1);
    EXPECT_EQ(list().GetBrackets(15), -2);
    list().Delete(0);
    EXPECT_EQ(list().GetBrackets(13), -1);
    EXPECT_EQ(list().GetBrackets(14), -2);
    list().DeleteRows(12, 4); // across the mark
    EXPECT_EQ(list().GetBrackets(11), -1);
    EXPECT_EQ(list().GetBrackets(12), -2);
    // A row written past the mark: the rows between read not computed still.
    list().SetBrackets(20, 3);
    EXPECT_EQ(list().GetBrackets(16), -2);
    EXPECT_EQ(list().GetBrackets(20), 3);
    EXPECT_EQ(list().GetBrackets(21), -2);
    list().Exchange(5, 30);
    EXPECT_EQ(list().GetBrackets(5), -2);
    EXPECT_EQ(list().GetBrackets(30), -1);
    list().ResetRowData(20);
    expectComputedRowsRight();
    lines.Clear();
    EXPECT_EQ(list().Count(), 0);
    EXPECT_EQ(list().ComputedUpTo(), std::numeric_limits<int>::max());
}

} // namespace
