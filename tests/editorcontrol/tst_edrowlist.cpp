#include "fakeclient.h"

#include <gtest/gtest.h>

namespace {

const QString crlf = QStringLiteral("\r\n");

// Carries "a bracket is open" from '{' to '}' and counts its calls.
class BraceParser : public TRowStateParser
{
public:
    explicit BraceParser(int *calls)
        : m_calls(calls)
    {
    }
    void LastTokenBracket(int Index, const TRowAttributeStringList &Strings, TRowAttributeData &Data) override
    {
        ++*m_calls;
        for (QChar c : Strings.RowText(Index)) {
            if (c == QLatin1Char('{'))
                Data.BracketIndex = 0;
            else if (c == QLatin1Char('}'))
                Data.BracketIndex = -1;
        }
    }

private:
    int *m_calls;
};

class RowList : public ::testing::Test
{
protected:
    TEditorScreenStrings &list() { return client.list(); }
    void setText(const QString &text)
    {
        lines.SetTextStr(text);
        client.drawInfos.clear();
        client.changes = 0;
        client.invalidatedRows.clear();
    }
    QString numbered(int n)
    {
        QString text;
        for (int i = 0; i < n; ++i)
            text += QStringLiteral("line%1").arg(i) + crlf;
        return text;
    }

    FakeClient client;
    TEditorStrings lines{&client};
};

} // namespace

TEST_F(RowList, TextsBecomeRows)
{
    lines.SetTextStr(QString());
    EXPECT_EQ(list().Count(), 0);
    EXPECT_EQ(lines.Count(), 0);
    lines.SetTextStr(QStringLiteral("a"));
    EXPECT_EQ(RowsOf(list()), QStringList{"a|e"});
    lines.SetTextStr(QStringLiteral("a\r\n"));
    EXPECT_EQ(RowsOf(list()), QStringList{"a|c"});
    EXPECT_EQ(lines.Count(), 1);
    client.SetRow(5);
    EXPECT_EQ(client.Row(), 1); // the empty row after the last break
    lines.SetTextStr(QStringLiteral("a\rb\nc"));
    EXPECT_EQ(RowsOf(list()), (QStringList{"a|c", "b|c", "c|e"}));
    EXPECT_EQ(lines.GetTextStr(), QStringLiteral("a\r\nb\r\nc"));
}

TEST_F(RowList, LineOperations)
{
    lines.SetTextStr(QString());
    EXPECT_EQ(lines.Add(QStringLiteral("x")), 0);
    EXPECT_EQ(RowsOf(list()), QStringList{"x|c"});
    EXPECT_EQ(client.Row(), 1);

    lines.SetTextStr(QStringLiteral("abc"));
    EXPECT_EQ(lines.Add(QString()), 1);
    EXPECT_EQ(lines.GetTextStr(), QStringLiteral("abc\r\n"));
    lines.Add(QStringLiteral("d"));
    EXPECT_EQ(lines.GetTextStr(), QStringLiteral("abc\r\nd\r\n"));

    lines.SetTextStr(QStringLiteral("a\r\nb"));
    lines.Delete(1);
    EXPECT_EQ(RowsOf(list()), QStringList{"a|c"});

    lines.SetTextStr(QStringLiteral("a\r\nb"));
    lines.Insert(0, QStringLiteral("z"));
    lines.Put(1, QStringLiteral("q"));
    EXPECT_EQ(RowsOf(list()), (QStringList{"z|c", "q|c", "b|e"}));
    EXPECT_EQ(client.Row(), 2); // after the text it put in
    lines.Put(2, QStringLiteral("bb"));
    EXPECT_EQ(lines.GetTextStr(), QStringLiteral("z\r\nq\r\nbb"));
    lines.Insert(3, QStringLiteral("end")); // at the line count: an Add
    EXPECT_EQ(lines.GetTextStr(), QStringLiteral("z\r\nq\r\nbb\r\nend"));
    EXPECT_THROW(lines.Get(4), EListError);
    EXPECT_THROW(lines.Insert(9, QString()), EListError);
    EXPECT_THROW(lines.Delete(4), EListError);

    lines.Assign({QStringLiteral("p"), QStringLiteral("q")});
    EXPECT_EQ(lines.GetTextStr(), QStringLiteral("p\r\nq\r\n"));
    EXPECT_EQ(client.Row(), 2);
    EXPECT_EQ(lines.SaveStrings(), (QStringList{QStringLiteral("p"), QStringLiteral("q")}));
    lines.LoadStrings({QStringLiteral("r"), QStringLiteral("s")});
    EXPECT_EQ(RowsOf(list()), (QStringList{"r|c", "s|c"}));
}

TEST_F(RowList, LogicalLinesOverWrappedRows)
{
    list().SetWordWrap(true);
    list().WrapOption()->SetWrapByte(20);
    lines.SetTextStr(QString(45, QLatin1Char('x')) + crlf + QStringLiteral("y"));
    EXPECT_EQ(RowsOf(list()).size(), 4);
    EXPECT_EQ(lines.Count(), 2);
    EXPECT_EQ(lines.Get(0), QString(45, QLatin1Char('x')));
    EXPECT_EQ(lines.Get(1), QStringLiteral("y"));
    EXPECT_EQ(lines.LinesToRow(1), 3);
    EXPECT_EQ(lines.LinesToRow(2), 4);
    EXPECT_THROW(lines.LinesToRow(3), EListError);
    lines.Put(0, QStringLiteral("short"));
    EXPECT_EQ(RowsOf(list()), (QStringList{"short|c", "y|e"}));
    EXPECT_EQ(lines.SaveStrings(), (QStringList{QStringLiteral("short"), QStringLiteral("y")}));
}

TEST_F(RowList, WhatMarksTheEditorModified)
{
    lines.SetTextStr(QStringLiteral("a\r\nb"));
    ASSERT_EQ(client.drawInfos.size(), 1u) << "one notification for the whole text";
    EXPECT_FALSE(client.drawInfos.back().NeedUpdate);

    setText(QStringLiteral("a\r\nb"));
    lines.Clear();
    ASSERT_EQ(client.drawInfos.size(), 1u);
    EXPECT_TRUE(client.drawInfos.back().NeedUpdate);
    EXPECT_EQ(client.drawInfos.back().Delete, 2);

    setText(QStringLiteral("a\r\nb\r\nc"));
    list().ReplaceRows(1, 1, QStringLiteral("B\r\n"));
    ASSERT_EQ(client.drawInfos.size(), 1u);
    const TEditorDrawInfo info = client.drawInfos.back();
    EXPECT_TRUE(info.NeedUpdate);
    EXPECT_EQ(info.Start, 1);
    EXPECT_EQ(info.Delete, 2); // the next line is re-wrapped with the change
    EXPECT_EQ(info.Insert, 2);
    EXPECT_FALSE(list().DrawInfo().NeedUpdate); // zeroed once the clients heard
}

TEST_F(RowList, ReplaceRowsThatChangeNothing)
{
    setText(QStringLiteral("a\r\nb"));
    list().ReplaceRows(1, 2, QStringLiteral("x"));
    list().ReplaceRows(0, 0, QString());
    list().ReplaceRows(-1, 0, QStringLiteral("x"));
    list().ReplaceRows(3, 0, QStringLiteral("x"));
    EXPECT_EQ(client.changes, 0);
    EXPECT_FALSE(list().UndoObj()->CanUndo());
    EXPECT_EQ(RowsOf(list()), (QStringList{"a|c", "b|e"}));
}

TEST_F(RowList, OneReplacementIsOneUndoStep)
{
    setText(numbered(100));
    QString replacement;
    for (int i = 0; i < 100; ++i)
        replacement += QStringLiteral("new%1").arg(i) + crlf;
    list().ReplaceRows(0, 100, replacement);
    EXPECT_EQ(list().UndoObj()->UndoList().Count(), 1);
    list().Undo();
    EXPECT_EQ(lines.GetTextStr(), numbered(100));
    EXPECT_FALSE(list().UndoObj()->CanUndo());
}

TEST_F(RowList, MarksStayWithTheirText)
{
    const TRowMarks m3 = RowMarkBit(rm3);
    const struct
    {
        const char *name;
        int col;
        QString text; // replaces row 1 ("bb")
        QStringList rows;
        int markedRow;
    } cases[] = {
        {"break at column 0 moves the mark down", 0, QStringLiteral("\r\nbb\r\n"), {"aa|c", "|c", "bb|c", "cc|e"}, 2},
        {"break inside the row leaves it up", 1, QStringLiteral("b\r\nb\r\n"), {"aa|c", "b|c", "b|c", "cc|e"}, 1},
        {"a replaced row keeps it", 2, QStringLiteral("BB\r\n"), {"aa|c", "BB|c", "cc|e"}, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        setText(QStringLiteral("aa\r\nbb\r\ncc"));
        list().SetRowMarks(1, m3);
        client.SetRow(1);
        client.SetCol(c.col);
        list().ReplaceRows(1, 1, c.text);
        EXPECT_EQ(RowsOf(list()), c.rows);
        for (int r = 0; r < list().Count(); ++r)
            EXPECT_EQ(list().GetRowMarks(r), r == c.markedRow ? m3 : 0) << r;
    }

    // joining two rows keeps the marks of both
    setText(QStringLiteral("aa\r\nbb"));
    list().SetRowMarks(0, RowMarkBit(rm1));
    list().SetRowMarks(1, RowMarkBit(rm12));
    list().ReplaceRows(0, 1, QStringLiteral("aa"));
    EXPECT_EQ(RowsOf(list()), QStringList{"aabb|e"});
    EXPECT_EQ(list().GetRowMarks(0), RowMarkBit(rm1) | RowMarkBit(rm12));
}

TEST_F(RowList, DeletedLinesLeaveTheirMarksBelow)
{
    setText(QStringLiteral("aa\r\nbb\r\ncc"));
    list().SetRowMarks(1, RowMarkBit(rm2));
    list().SetRowMarks(2, RowMarkBit(rm4));
    list().IncludeRowMarks(RowMarkBit(rm2) | RowMarkBit(rm4));
    list().ReplaceRows(1, 1, QString());
    EXPECT_EQ(RowsOf(list()), (QStringList{"aa|c", "cc|e"}));
    EXPECT_EQ(list().GetRowMarks(1), RowMarkBit(rm2) | RowMarkBit(rm4));
    list().Undo();
    EXPECT_EQ(RowsOf(list()), (QStringList{"aa|c", "bb|c", "cc|e"}));
    EXPECT_EQ(list().GetRowMarks(1), 0);
    EXPECT_EQ(list().GetRowMarks(2), RowMarkBit(rm2) | RowMarkBit(rm4));

    list().ReplaceRows(0, 3, QString());
    EXPECT_EQ(list().Count(), 0);
    EXPECT_EQ(list().ValidRowMarks(), 0);
}

TEST_F(RowList, ColouringStateIsComputedIncrementally)
{
    int calls = 0;
    client.parserFactory = [&calls] { return std::make_unique<BraceParser>(&calls); };
    setText(numbered(100));
    // a new text: two display heights (20 rows) past the top row
    EXPECT_EQ(list().GetBrackets(20), -1);
    EXPECT_EQ(list().GetBrackets(21), -2);

    list().ReplaceRows(5, 1, QStringLiteral("{") + crlf);
    // rows 5 .. 25 changed (the limit is 20 rows past the edit), the rest not computed
    EXPECT_EQ(client.drawInfos.back().Invalid, 21);
    EXPECT_EQ(client.invalidatedRows.front(), 5);
    EXPECT_EQ(client.invalidatedRows.back(), 25);
    EXPECT_EQ(list().GetBrackets(25), 0);
    EXPECT_EQ(list().GetBrackets(26), -2);

    // the painter meets a row not computed: computed from the nearest computed row above
    client.invalidatedRows.clear();
    EXPECT_EQ(list().UpdateBrackets(60, false), 0);
    EXPECT_TRUE(client.invalidatedRows.empty());
    EXPECT_EQ(list().GetBrackets(60), 0);
    EXPECT_EQ(list().GetBrackets(80), 0);

    // closing the bracket: recomputed until a stored state equals the new one
    client.initBracketsFull = true;
    setText(numbered(100));
    calls = 0;
    list().ReplaceRows(10, 1, QStringLiteral("plain") + crlf);
    EXPECT_EQ(list().GetBrackets(10), -1);
    EXPECT_EQ(client.drawInfos.back().Invalid, 2); // the two re-wrapped rows
    EXPECT_LE(calls, 4);
    EXPECT_EQ(list().GetBrackets(99), -1);
}

TEST_F(RowList, RecomputedStateNamesThePreviousRow)
{
    list().SetWordWrap(true);
    list().WrapOption()->SetWrapByte(20);
    client.initBracketsFull = true;
    setText(QString(30, QLatin1Char('x')) + crlf + QStringLiteral("y") + crlf + QStringLiteral("z"));
    ASSERT_EQ(RowsOf(list()),
              (QStringList{QString(20, QLatin1Char('x')) + "|w", QString(10, QLatin1Char('x')) + "|c", "y|c", "z|e"}));
    for (int r = 1; r < list().Count(); ++r)
        EXPECT_EQ(list().GetPrevRows(r), list().GetRows(r - 1)) << r;
    list().ResetRowData(2);
    list().ResetRowData(3);
    list().UpdateBrackets(2, false);
    EXPECT_EQ(list().GetPrevRows(2), raCrlf);
    EXPECT_EQ(list().GetPrevRows(3), raCrlf);
    EXPECT_EQ(list().GetPrevRows(1), raWrapped);
}

TEST_F(RowList, SwitchingWordWrap)
{
    const QString text =
        QString(50, QLatin1Char('a')) + crlf + QStringLiteral("b") + crlf + QString(25, QLatin1Char('c'));
    setText(text);
    list().ReplaceRows(1, 1, QStringLiteral("b") + crlf);
    ASSERT_TRUE(list().UndoObj()->CanUndo());
    const QStringList unwrapped = RowsOf(list());
    client.SetCol(7);
    client.selected = true;
    list().WrapOption()->SetWrapByte(20);
    EXPECT_TRUE(list().UndoObj()->CanUndo()) << "a wrap setting changes nothing while wrap is off";
    list().SetWordWrap(true);
    EXPECT_FALSE(list().UndoObj()->CanUndo());
    EXPECT_EQ(client.Col(), 0);
    EXPECT_EQ(client.selectionCleanings, 1);
    EXPECT_GE(client.refreshes, 1);
    EXPECT_EQ(RowsOf(list()).size(), 3 + 1 + 2);
    EXPECT_EQ(lines.GetTextStr(), text);
    list().SetRowMarks(1, RowMarkBit(rm5));
    list().SetRowMarks(2, RowMarkBit(rm11));
    list().ReplaceRows(3, 1, QStringLiteral("B") + crlf);
    list().WrapOption()->SetWrapByte(30);
    EXPECT_FALSE(list().UndoObj()->CanUndo());
    list().SetWordWrap(false);
    EXPECT_EQ(lines.GetTextStr(), QString(text).replace(QLatin1Char('b'), QLatin1Char('B')));
    EXPECT_EQ(list().GetRowMarks(0), RowMarkBit(rm5) | RowMarkBit(rm11));
    list().SetWordWrap(true);
    list().SetWordWrap(false);
    QStringList expected = unwrapped;
    expected[1] = "B|c";
    EXPECT_EQ(RowsOf(list()), expected);
}

TEST_F(RowList, WrapWaitsWhileTheEditorLoads)
{
    setText(QString(100, QLatin1Char('a')));
    client.loading = true;
    list().SetWordWrap(true);
    EXPECT_TRUE(list().WordWrap());
    EXPECT_EQ(list().Count(), 1);
    client.loading = false;
    list().WrapAllRows();
    list().InitBrackets();
    EXPECT_EQ(list().Count(), 2);
}

TEST_F(RowList, ClearResetsTheClients)
{
    setText(QStringLiteral("a\r\nb\r\nc"));
    list().ReplaceRows(0, 1, QStringLiteral("x\r\n"));
    client.SetRow(2);
    client.SetCol(3);
    client.selected = true;
    lines.Clear();
    EXPECT_EQ(client.Row(), 0);
    EXPECT_EQ(client.Col(), 0);
    EXPECT_FALSE(client.selected);
    EXPECT_FALSE(list().UndoObj()->CanUndo());
}

namespace {

class CountedList : public TEditorScreenStrings
{
public:
    explicit CountedList(int *freed)
        : m_freed(freed)
    {
    }
    ~CountedList() override { ++*m_freed; }

private:
    int *m_freed;
};

} // namespace

TEST(RowListClients, SharedByTwoEditors)
{
    int freed = 0;
    auto *shared = new CountedList(&freed);
    auto a = std::make_unique<FakeClient>(shared);
    auto b = std::make_unique<FakeClient>(shared);
    EXPECT_EQ(shared->ActiveClient(), a.get());
    b->focused = true;
    EXPECT_EQ(shared->ActiveClient(), b.get());
    TEditorStrings lines(a.get());
    lines.SetTextStr(QStringLiteral("one\r\ntwo"));
    shared->ReplaceRows(0, 1, QStringLiteral("ONE\r\n"));
    EXPECT_EQ(a->drawInfos.size(), b->drawInfos.size());
    EXPECT_TRUE(b->drawInfos.back().NeedUpdate);
    b->SetRow(1);
    shared->ReplaceRows(1, 1, QString()); // undo entries take the active editor's caret
    EXPECT_EQ(shared->UndoObj()->UndoList().Last()->Row, 1);
    a.reset();
    EXPECT_EQ(freed, 0);
    b.reset();
    EXPECT_EQ(freed, 1);
}

TEST(EditorScreen, RepaintsWhatTheChangeAsks)
{
    const struct
    {
        const char *name;
        int start, deleted, inserted, invalid;
        TEditorClient::TLeftbarNumbers bar;
        QStringList paints;
    } cases[] = {
        {"same row count", 3, 1, 1, 1, TEditorClient::lnNone, {"rows 3-3"}},
        {"colouring ran on", 3, 1, 1, 4, TEditorClient::lnNone, {"rows 3-6"}},
        {"rows went in", 3, 1, 3, 0, TEditorClient::lnNone, {"rows 3-5", "scroll 6 by 2"}},
        {"more than a screen", 0, 0, 30, 0, TEditorClient::lnNone, {"all"}},
        {"at the end", 8, 1, 1, 1, TEditorClient::lnNone, {"rows 8-10"}},
        {"line numbers", 3, 2, 1, 0, TEditorClient::lnLines, {"rows 3-3", "scroll 4 by -1", "bar 4-23"}},
        {"row numbers, rows below", 3, 2, 1, 0, TEditorClient::lnRows, {"rows 3-3", "scroll 4 by -1"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        FakeClient client;
        TEditorStrings lines(&client);
        lines.SetTextStr(QString(QStringLiteral("x\r\n")).repeated(9));
        client.visibleRows = 20;
        client.SetTopRow(0);
        client.leftbar = c.bar;
        if (c.bar == TEditorClient::lnRows)
            lines.SetTextStr(QString(QStringLiteral("x\r\n")).repeated(40));
        client.paints.clear();
        client.list().SetDrawInfo(c.start, c.deleted, c.inserted, c.invalid);
        TEditorScreen screen(&client);
        screen.UpdateScreen();
        EXPECT_EQ(client.paints, c.paints);
    }
}
