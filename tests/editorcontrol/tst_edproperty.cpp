#include "fakeclient.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// Pieces of text: letters, blanks, tabs, wide and ambiguous characters,
// punctuation of the line-breaking rules, pairs outside the BMP.
const QStringList pieces = {
    QStringLiteral("a"),
    QStringLiteral("word"),
    QStringLiteral(" "),
    QStringLiteral("\t"),
    QStringLiteral("あ"),
    QStringLiteral("漢字"),
    QStringLiteral("。"),
    QStringLiteral("、"),
    QStringLiteral("("),
    QStringLiteral(")"),
    QStringLiteral(","),
    QStringLiteral("「"),
    QStringLiteral("é"),
    QStringLiteral("\u3000"),
    QString::fromUtf16(u"\xD842\xDFB7"),
    QString::fromUtf16(u"\xD83D\xDE00"),
};

class Script
{
public:
    explicit Script(unsigned seed)
        : m_random(seed)
    {
    }
    int below(int n) { return n <= 0 ? 0 : int(m_random() % unsigned(n)); }
    QString line()
    {
        QString s;
        const int n = below(4) == 0 ? below(120) : below(12);
        for (int i = 0; i < n; ++i)
            s += pieces[below(int(pieces.size()))];
        return s;
    }
    QString text(int maxLines)
    {
        QString s;
        const int n = below(maxLines + 1);
        for (int i = 0; i < n; ++i) {
            s += line();
            if (i + 1 < n || below(2))
                s += below(6) == 0 ? QStringLiteral("\n") : QStringLiteral("\r\n");
        }
        return s;
    }

private:
    std::mt19937 m_random;
};

QString rowsText(const TEditorScreenStrings &list, int index, int count)
{
    QString s;
    int n = 0;
    TRowAttribute a = raInvalid;
    list.GetRowsText(index, count, s, n, a);
    return s;
}

// The text a replacement should give: the rows before, S with its breaks as
// CR LF, the rows after.
QString expectedText(const TEditorScreenStrings &list, int row, int count, QString s)
{
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    s.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return rowsText(list, 0, row) + s + rowsText(list, row + count, list.Count() - row - count);
}

} // namespace

// Random edit scripts of up to 64 edits, with word wrap off or at 20, 80 or
// 250 cells: every edit gives the text it should; undoing every step restores
// the first text and row attributes, redoing every step the last ones;
// unwrapping and wrapping again keep the text.
TEST(EditProperty, UndoRedoAndWrapRoundTrips)
{
    const int wraps[] = {0, 20, 80, 250};
    for (unsigned seed = 1; seed <= 2000; ++seed) {
        SCOPED_TRACE(seed);
        Script script(seed);
        FakeClient client;
        TEditorStrings lines(&client);
        TEditorScreenStrings &list = client.list();
        const int wrap = wraps[seed % 4];
        if (wrap) {
            list.WrapOption()->SetWrapByte(wrap);
            list.WrapOption()->SetWordBreak(script.below(2));
            list.WrapOption()->SetLeading(script.below(2));
            list.WrapOption()->SetFollowPunctuation(script.below(2));
            list.WrapOption()->SetFollowRetMark(script.below(2));
            list.SetWordWrap(true);
        }
        lines.SetTextStr(script.text(12));
        const QString firstText = lines.GetTextStr();
        const QString firstRows = RowsOf(list).join(QStringLiteral("¦"));

        const int edits = 1 + script.below(64);
        for (int e = 0; e < edits; ++e) {
            const int rows = list.Count();
            const bool canAppend = rows == 0 || list.RowAttr(rows - 1) == raCrlf;
            int row = script.below(rows + (canAppend ? 1 : 0));
            int count = 0;
            QString text;
            const int kind = script.below(3);
            if (kind != 0 && rows > 0) { // delete or replace
                row = std::min(row, rows - 1);
                count = 1 + script.below(std::min(3, rows - row));
            }
            if (kind != 1 || rows == 0) // insert or replace
                text = script.text(3);
            client.SetRow(row);
            client.SetCol(script.below(4));
            const QString expected = expectedText(list, row, count, text);
            list.ReplaceRows(row, count, text);
            ASSERT_EQ(lines.GetTextStr(), expected) << "edit " << e;
            ASSERT_FALSE(list.Count() > 0 && list.RowAttr(list.Count() - 1) == raWrapped);
            for (int r = 0; r < list.Count() && !wrap; ++r)
                ASSERT_NE(list.RowAttr(r), raWrapped);
        }
        const QString lastText = lines.GetTextStr();
        const QString lastRows = RowsOf(list).join(QStringLiteral("¦"));

        int undone = 0;
        while (list.UndoObj()->CanUndo()) {
            list.Undo();
            ++undone;
        }
        EXPECT_EQ(lines.GetTextStr(), firstText);
        EXPECT_EQ(RowsOf(list).join(QStringLiteral("¦")), firstRows);
        for (int i = 0; i < undone; ++i)
            list.Redo();
        EXPECT_FALSE(list.UndoObj()->CanRedo());
        EXPECT_EQ(lines.GetTextStr(), lastText);
        EXPECT_EQ(RowsOf(list).join(QStringLiteral("¦")), lastRows);

        if (wrap) {
            list.SetWordWrap(false);
            EXPECT_EQ(lines.GetTextStr(), lastText);
            list.SetWordWrap(true);
        } else {
            list.WrapOption()->SetWrapByte(20 + script.below(231));
            list.SetWordWrap(true);
            EXPECT_EQ(lines.GetTextStr(), lastText);
            list.SetWordWrap(false);
        }
        EXPECT_EQ(lines.GetTextStr(), lastText);
        EXPECT_EQ(RowsOf(list).join(QStringLiteral("¦")), lastRows);
    }
}
