#include "fakeclient.h"

#include <gtest/gtest.h>

namespace {

QString rep(const char *s, int n)
{
    return QString::fromUtf8(s).repeated(n);
}

// A wrapping row list: tab width 8, all rules off, wrap column 80.
class Wrap : public ::testing::Test
{
protected:
    Wrap()
    {
        client.options.TabSpaceCount = 8;
        list().SetWordWrap(true);
    }
    TEditorScreenStrings &list() { return client.list(); }
    TEditorWrapOption &option() { return *list().WrapOption(); }
    QStringList wrap(const QString &text)
    {
        TEditorStringList rows;
        list().WrapText(text, rows);
        QStringList out;
        for (int r = 0; r < rows.Count(); ++r)
            out.append(rows.RowText(r) + QLatin1Char('|') + QLatin1Char("cwei"[rows.RowAttr(r)]));
        if (!text.contains(QLatin1Char('\n'))) {
            EXPECT_EQ(list().WrapRowCount(text), rows.Count());
        }
        return out;
    }
    int cells(const QString &row) { return ExpandTabLength(row, list().CellMapOptions()); }

    FakeClient client;
};

} // namespace

TEST_F(Wrap, FullRowsAndTheLineBreak)
{
    EXPECT_EQ(wrap(rep("a", 79)), QStringList{rep("a", 79) + "|c"});
    EXPECT_EQ(wrap(rep("a", 80)), (QStringList{rep("a", 80) + "|w", "|c"}));
    option().SetFollowRetMark(true);
    EXPECT_EQ(wrap(rep("a", 80)), QStringList{rep("a", 80) + "|c"});
    EXPECT_EQ(wrap(rep("a", 170)), (QStringList{rep("a", 80) + "|w", rep("a", 80) + "|w", rep("a", 10) + "|c"}));
    EXPECT_EQ(wrap(QString()), QStringList{"|c"});
    EXPECT_EQ(wrap("x\r\ny\r\n"), (QStringList{"x|c", "y|c"}));
}

TEST_F(Wrap, WideCharacterAtTheWrapColumnMovesDown)
{
    EXPECT_EQ(wrap(rep("a", 79) + "あb"), (QStringList{rep("a", 79) + "|w", "あb|c"}));
    EXPECT_EQ(wrap(rep("あ", 41)), (QStringList{rep("あ", 40) + "|w", "あ|c"}));
}

TEST_F(Wrap, PunctuationHangsPastTheColumn)
{
    option().SetFollowPunctuation(true);
    const QStringList hung = wrap(rep("a", 80) + "。b");
    EXPECT_EQ(hung, (QStringList{rep("a", 80) + "。|w", "b|c"}));
    EXPECT_EQ(cells(rep("a", 80) + "。"), 82);
    EXPECT_EQ(wrap(rep("a", 80) + ",,b"), (QStringList{rep("a", 80) + ",,|w", "b|c"}));
    EXPECT_EQ(wrap(rep("a", 80) + ",,,b"), (QStringList{rep("a", 80) + ",,|w", ",b|c"}));
}

TEST_F(Wrap, LeadingRules)
{
    option().SetLeading(true);
    // a row never ends with an opening bracket ...
    EXPECT_EQ(wrap(rep("a", 79) + "(" + rep("b", 10)), (QStringList{rep("a", 79) + "|w", "(" + rep("b", 10) + "|c"}));
    EXPECT_EQ(wrap(rep("a", 78) + "「" + rep("b", 10)), (QStringList{rep("a", 78) + "|w", "「" + rep("b", 10) + "|c"}));
    // ... and the next one never starts with a closing mark
    EXPECT_EQ(wrap(rep("a", 80) + ")" + rep("b", 10)), (QStringList{rep("a", 79) + "|w", "a)" + rep("b", 10) + "|c"}));
    EXPECT_EQ(wrap(rep("a", 78) + "。。" + rep("b", 10)),
              (QStringList{rep("a", 77) + "|w", "a。。" + rep("b", 10) + "|c"}));
    // unless that would move the cut before cell 64
    EXPECT_EQ(wrap(rep("a", 60) + rep(")", 30)), (QStringList{rep("a", 60) + rep(")", 4) + "|w", rep(")", 26) + "|c"}));
}

TEST_F(Wrap, WordBreak)
{
    option().SetWordBreak(true);
    const QStringList words = wrap(rep("abcdef ", 15));
    ASSERT_EQ(words.size(), 2);
    EXPECT_EQ(words[0], rep("abcdef ", 11) + "|w"); // ends after the last blank at or before cell 80
    const QStringList word = wrap(rep("x", 200));
    EXPECT_EQ(word, (QStringList{rep("x", 26) + "|w", rep("x", 26) + "|w", rep("x", 26) + "|w", rep("x", 26) + "|w",
                                 rep("x", 26) + "|w", rep("x", 70) + "|c"}));
    // a wide character ends a word too
    EXPECT_EQ(wrap(rep("x", 70) + "漢" + rep("y", 20))[0], rep("x", 70) + "漢|w");
}

TEST_F(Wrap, WrapByteIsClamped)
{
    option().SetWrapByte(10);
    EXPECT_EQ(option().WrapByte(), 20);
    option().SetWrapByte(300);
    EXPECT_EQ(option().WrapByte(), 250);
    TEditorWrapOption copy;
    copy.Assign(&option());
    EXPECT_EQ(copy.WrapByte(), 250);
    EXPECT_EQ(TEditorWrapOption::DefaultFollowStr.size(), 36);
    EXPECT_EQ(TEditorWrapOption::DefaultLeadStr.size(), 9);
    EXPECT_EQ(TEditorWrapOption::DefaultPunctuationStr.size(), 8);
}

TEST_F(Wrap, TabNearTheRowEndStopsThere)
{
    option().SetWrapByte(75);
    const QStringList rows = wrap(rep("a", 72) + "\tb");
    EXPECT_EQ(rows, (QStringList{rep("a", 72) + "\t|w", "b|c"}));
    EXPECT_EQ(cells(rep("a", 72) + "\t"), 75);
}

TEST_F(Wrap, SurrogatePairsStayTogether)
{
    const QString smile = QString::fromUtf16(u"\xD83D\xDE00");
    const QString kanji = QString::fromUtf16(u"\xD842\xDFB7");
    EXPECT_EQ(wrap(rep("a", 79) + smile + "b"), (QStringList{rep("a", 79) + "|w", smile + "b|c"}));
    EXPECT_EQ(wrap(rep("a", 78) + kanji + "b"), (QStringList{rep("a", 78) + "|w", kanji + "b|c"}));
    option().SetWordBreak(true);
    EXPECT_EQ(wrap(rep("a", 77) + kanji + "b")[0], rep("a", 77) + "|w");
}

TEST_F(Wrap, AttributeCursor)
{
    const QString text = "a\tあ";
    TCellMapOptions o = list().CellMapOptions();
    o.TabSpaceCount = 4;
    const QString map = CellMap(text, o); // 1 2 3 3 4 5
    TEditorAttributeArray cursor(text, map);
    EXPECT_EQ(cursor.Size(), 6);
    EXPECT_EQ(cursor.PositionString(), QStringLiteral("a"));
    cursor.SetPosition(4);
    EXPECT_EQ(cursor.Attribute(), QLatin1Char('3'));
    EXPECT_EQ(cursor.SourcePos(), 2);
    EXPECT_EQ(cursor.PositionString(), QStringLiteral("\t"));
    EXPECT_EQ(cursor.NextPositionString(), QStringLiteral("あ"));
    EXPECT_EQ(cursor.Position(), 4);
    cursor.Next();
    cursor.Next();
    EXPECT_EQ(cursor.SourcePos(), 3);
    EXPECT_EQ(cursor.PositionString(), QStringLiteral("あ"));
    cursor.Next(); // the terminator
    EXPECT_TRUE(cursor.PositionString().isEmpty());
    cursor.Next();
    EXPECT_EQ(cursor.Position(), 7);
    cursor.SetPosition(1);
    EXPECT_EQ(cursor.SourcePos(), 1);
    cursor.Prior();
    EXPECT_EQ(cursor.Position(), 1);
}
