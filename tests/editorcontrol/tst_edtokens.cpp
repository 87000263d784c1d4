// The token or word under a point or the caret, with and without the
// colouring scheme and the bracket state of the line.

#include "editorwidget.h"

namespace {

const QString crlf = QStringLiteral("\r\n");

// Exposes the virtual query for its token kind without the scheme.
class TokenEditor : public TEditor
{
public:
    char16_t wordKind(const QPoint &Pos)
    {
        char16_t kind = 0;
        TokenInfoFromPos(Pos, false, kind, false);
        return kind;
    }
};

struct TokenWindow
{
    TokenWindow()
    {
        editor.resize(640, 400);
        configureForSql(*editor.View()->EditorFountain());
        editor.show();
    }
    TokenEditor editor;
};

} // namespace

TEST(EditorTokens, WordsAndTokensAtAPoint)
{
    TokenWindow w;
    TEditor &e = w.editor;
    e.Lines()->SetTextStr(QStringLiteral("SELECT  name_1 FROM t") + crlf);

    EXPECT_EQ(e.TokenStringFromPos(CellPoint(e, 0, 2)), QStringLiteral("SELECT"));
    EXPECT_EQ(e.TokenFromPos(CellPoint(e, 0, 2)), ftkAnk);
    EXPECT_EQ(e.TokenFromPos(CellPoint(e, 0, 13)), ftkAnk);
    EXPECT_EQ(e.TokenStringFromPos(CellPoint(e, 0, 13)), QStringLiteral("name_1"));
    EXPECT_EQ(e.WordFromPos(CellPoint(e, 0, 2)), QStringLiteral("SELECT"));
    EXPECT_EQ(w.editor.wordKind(CellPoint(e, 0, 2)), ftkAnk);
    EXPECT_EQ(e.WordFromPos(CellPoint(e, 0, 10)), QStringLiteral("name_1"));

    // A blank between words belongs to none.
    EXPECT_EQ(e.TokenStringFromPos(CellPoint(e, 0, 6)), QString());
    EXPECT_EQ(e.TokenFromPos(CellPoint(e, 0, 6)), 0);
    e.SelectWordFromPos(CellPoint(e, 0, 6));
    EXPECT_FALSE(e.SelectedData());
    // Right of the row's end, or on no row: nothing.
    EXPECT_EQ(e.WordFromPos(CellPoint(e, 0, 40)), QString());
    EXPECT_EQ(e.WordFromPos(CellPoint(e, 5, 1)), QString());

    // Selecting leaves a line selection, whatever the mode was.
    e.SetSelectionMode(smBox);
    e.SelectTokenFromPos(CellPoint(e, 0, 16));
    EXPECT_EQ(e.SelectionMode(), smLine);
    EXPECT_EQ(e.SelText(), QStringLiteral("FROM"));
    // A selection held before does not anchor the new one.
    e.SelectWordFromPos(CellPoint(e, 0, 9));
    EXPECT_EQ(e.SelText(), QStringLiteral("name_1"));

    // At the caret.
    e.CleanSelection();
    e.SetRowCol(0, 20);
    EXPECT_EQ(e.TokenStringFromCaret(), QStringLiteral("t"));
    e.SetRowCol(0, 1);
    e.SelectTokenFromCaret();
    EXPECT_EQ(e.SelText(), QStringLiteral("SELECT"));
}

TEST(EditorTokens, AWrappedWordIsFoundWhole)
{
    TokenWindow w;
    TEditor &e = w.editor;
    e.WrapOption()->SetWrapByte(20);
    e.SetWordWrap(true);
    const QString word = QString(26, QLatin1Char('w'));
    e.Lines()->SetTextStr(QStringLiteral("ab ") + word + crlf);
    ASSERT_EQ(e.ListCount(), 2);
    EXPECT_EQ(e.WordFromPos(CellPoint(e, 0, 5)), word);
    EXPECT_EQ(e.WordFromPos(CellPoint(e, 1, 2)), word);
    e.SelectWordFromPos(CellPoint(e, 1, 2));
    EXPECT_EQ(e.SelText(), word);
}

TEST(EditorTokens, BracketRegionsOverLines)
{
    TokenWindow w;
    TEditor &e = w.editor;
    e.Lines()->SetTextStr(QStringLiteral("x /* one") + crlf + QStringLiteral("two three */ y") + crlf);
    const QPoint onTwo = CellPoint(e, 1, 1);
    EXPECT_EQ(e.TokenStringBracketFromPos(onTwo), QStringLiteral("two three */"));
    EXPECT_EQ(e.TokenBracketFromPos(onTwo), ftkBracket);
    EXPECT_EQ(e.TokenStringFromPos(onTwo), QStringLiteral("two"));
    EXPECT_EQ(e.TokenFromPos(onTwo), ftkAnk);
    e.SelectTokenBracketFromPos(onTwo);
    EXPECT_EQ(e.SelText(), QStringLiteral("two three */"));
    e.CleanSelection();
    e.SetRowCol(1, 5);
    EXPECT_EQ(e.TokenStringBracketFromCaret(), QStringLiteral("two three */"));
    EXPECT_EQ(e.TokenBracketFromCaret(), ftkBracket);
    EXPECT_EQ(e.TokenFromCaret(), ftkAnk);
    EXPECT_EQ(e.WordFromCaret(), QStringLiteral("three"));
}
