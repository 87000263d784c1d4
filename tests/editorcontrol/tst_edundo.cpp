#include "fakeclient.h"

#include <gtest/gtest.h>

namespace {

class Undo : public ::testing::Test
{
protected:
    TEditorScreenStrings &list() { return client.list(); }
    TEditorUndoObj &undo() { return *list().UndoObj(); }
    // Types one character at the end of row 0, as the editor's typing does.
    void type(QChar c)
    {
        const QString row = list().Count() ? list().RowText(0) : QString();
        const bool ends = list().Count() && list().RowAttr(0) == raCrlf;
        list().ReplaceRows(0, list().Count() ? 1 : 0, row + c + (ends ? QStringLiteral("\r\n") : QString()));
        client.SetCol(int(row.size()) + 1);
    }

    FakeClient client;
    TEditorStrings lines{&client};
};

} // namespace

TEST_F(Undo, TheListIsBounded)
{
    lines.SetTextStr(QStringLiteral("x"));
    for (int i = 0; i < 65; ++i)
        type(QLatin1Char('a'));
    int steps = 0;
    while (undo().CanUndo()) {
        list().Undo();
        ++steps;
    }
    EXPECT_EQ(steps, 64);
    EXPECT_EQ(list().RowText(0), QStringLiteral("xa"));

    undo().SetListMax(200);
    lines.SetTextStr(QStringLiteral("x"));
    for (int i = 0; i < 200; ++i)
        type(QLatin1Char('b'));
    steps = 0;
    while (undo().CanUndo()) {
        list().Undo();
        ++steps;
    }
    EXPECT_EQ(steps, 200);
    EXPECT_EQ(list().RowText(0), QStringLiteral("x"));

    undo().SetListMax(10);
    EXPECT_EQ(undo().ListMax(), 64);
}

TEST_F(Undo, EveryCharacterIsAStepAndANewEditDropsTheRedoList)
{
    lines.SetTextStr(QStringLiteral("x"));
    type(QLatin1Char('a'));
    type(QLatin1Char('b'));
    type(QLatin1Char('c'));
    EXPECT_EQ(undo().UndoList().Count(), 3);
    list().Undo();
    list().Undo();
    EXPECT_EQ(list().RowText(0), QStringLiteral("xa"));
    list().Redo();
    EXPECT_EQ(list().RowText(0), QStringLiteral("xab"));
    list().Undo();
    EXPECT_EQ(list().RowText(0), QStringLiteral("xa"));
    EXPECT_EQ(undo().RedoList().Count(), 2);
    type(QLatin1Char('z'));
    EXPECT_FALSE(undo().CanRedo());
    EXPECT_EQ(list().RowText(0), QStringLiteral("xaz"));
    list().Redo(); // nothing to redo
    list().Undo();
    list().Undo();
    list().Undo();
    list().Undo(); // nothing left
    EXPECT_EQ(list().RowText(0), QStringLiteral("x"));
}

TEST_F(Undo, AppendedLineOnAnEmptyEditor)
{
    lines.SetTextStr(QString());
    lines.Add(QStringLiteral("line"));
    client.changes = 0;
    client.drawInfos.clear();
    list().Undo();
    EXPECT_EQ(list().Count(), 0);
    ASSERT_EQ(client.drawInfos.size(), 1u);
    EXPECT_TRUE(client.drawInfos.back().NeedUpdate); // undo marks the editor modified
    list().Redo();
    EXPECT_EQ(RowsOf(list()), QStringList{"line|c"});
    EXPECT_EQ(lines.GetTextStr(), QStringLiteral("line\r\n"));
}

TEST_F(Undo, DeletedLinesComeBackWithTheirBreaks)
{
    lines.SetTextStr(QStringLiteral("a\r\nb\r\nc\r\nd"));
    list().ReplaceRows(1, 2, QString());
    EXPECT_EQ(lines.GetTextStr(), QStringLiteral("a\r\nd"));
    list().Undo();
    EXPECT_EQ(RowsOf(list()), (QStringList{"a|c", "b|c", "c|c", "d|e"}));
    list().Redo();
    EXPECT_EQ(lines.GetTextStr(), QStringLiteral("a\r\nd"));
}

TEST_F(Undo, TheCaretGoesBack)
{
    lines.SetTextStr(QStringLiteral("abc\r\ndef"));
    client.SetRow(1);
    client.SetCol(2);
    list().ReplaceRows(1, 1, QStringLiteral("deXf"));
    client.SetRow(0);
    client.SetCol(1);
    list().Undo();
    EXPECT_EQ(client.Row(), 1);
    EXPECT_EQ(client.Col(), 2);
    client.SetCol(0);
    list().Redo();
    EXPECT_EQ(client.Row(), 0); // where it stood when the undo was given
    EXPECT_EQ(client.Col(), 1);
    list().Undo();
    EXPECT_EQ(client.Row(), 1);
    EXPECT_EQ(client.Col(), 0); // where it stood when the redo was given
}

TEST_F(Undo, NewTextsAndWrapSwitchesEmptyTheHistory)
{
    lines.SetTextStr(QStringLiteral("abc"));
    type(QLatin1Char('d'));
    lines.SetTextStr(QStringLiteral("abc"));
    EXPECT_FALSE(undo().CanUndo());
    type(QLatin1Char('d'));
    list().SetWordWrap(true);
    EXPECT_FALSE(undo().CanUndo());
    type(QLatin1Char('e'));
    list().Undo();
    EXPECT_TRUE(undo().CanRedo());
    list().SetWordWrap(false);
    EXPECT_FALSE(undo().CanRedo());
}

TEST_F(Undo, WrappedLinesComeBackWrapped)
{
    list().SetWordWrap(true);
    list().WrapOption()->SetWrapByte(20);
    lines.SetTextStr(QString(30, QLatin1Char('a')) + QStringLiteral("\r\n") + QString(50, QLatin1Char('b')));
    const QStringList before = RowsOf(list());
    list().ReplaceRows(1, 1, QStringLiteral("X")); // inside the first line: the row above re-wraps too
    list().ReplaceRows(3, 1, QString());
    list().Undo();
    list().Undo();
    EXPECT_EQ(RowsOf(list()), before);
}
