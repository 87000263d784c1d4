// The editor control as a component: creation, caret positions and
// character offsets, two views of one text, and the settings holder
// assigned onto an editor.

#include "editorwidget.h"
#include "editorcontrol/edprops.h"

#include <QSignalSpy>

namespace {

// Counts what the editor is told: settings changes by sender class and the
// row list's requests to re-measure (one per re-wrap of the text).
class CountingEditor : public TEditor
{
public:
    void PropertyChanged(QObject *Sender) override
    {
        ++changes[QString::fromLatin1(Sender->metaObject()->className())];
        TEditor::PropertyChanged(Sender);
    }
    void RefreshMetrics() override
    {
        ++refreshes;
        TEditor::RefreshMetrics();
    }
    QMap<QString, int> changes;
    int refreshes = 0;
};

} // namespace

TEST(EditorControl, NewControlDefaults)
{
    TEditor editor;
    EXPECT_EQ(editor.size(), QSize(185, 89));
    EXPECT_EQ(editor.Color(), clWhite);
    EXPECT_EQ(editor.Font().family(), QStringLiteral("FixedSys"));
    EXPECT_EQ(editor.Font().Color(), clBlack);
    EXPECT_TRUE(editor.WantReturns());
    EXPECT_TRUE(editor.WantTabs());
    EXPECT_FALSE(editor.ReadOnly());
    EXPECT_EQ(editor.ScrollBars(), ssNone);
    EXPECT_EQ(editor.HitStyle(), hsSelect);
    EXPECT_EQ(editor.DefaultSelectMode(), smLine);
    EXPECT_EQ(editor.DefaultCaretFreeCaret(), editor.Caret()->FreeCaret());
    EXPECT_FALSE(editor.CodeAssistCallOfDot());
    EXPECT_EQ(editor.CodeAssistDelayTime(), 0);
    const TCharSet &d = editor.Delimiters();
    for (int c : {int('0'), int('9'), int('A'), int('Z'), int('a'), int('z'), int('_'), 0xA6, 0xC0, 0xFC, 0x81, 0x9F})
        EXPECT_FALSE(d.test(c)) << c;
    for (int c : {0, int(' '), int('.'), int('@'), int('['), int('`'), int('{'), 0x80, 0xA0, 0xA5, 0xFD, 0xFF})
        EXPECT_TRUE(d.test(c)) << c;
}

TEST(EditorControl, MetricsComeFromTheSubstitutedFont)
{
    EditorWindow w(600, 300, false);
    TFont font = w->Font();
    font.setFamily(QStringLiteral("ＭＳ ゴシック"));
    w->SetFont(font);
    // A monospaced face: "W", "M" and "i" alike, so the cell is one advance.
    const int cell = w->ColWidth();
    EXPECT_GT(cell, 4);
    w->Margin()->SetCharacter(1);
    EXPECT_EQ(w->ColWidth(), cell + 1);
    // Rows: (height - top margin - 5) div row height; columns likewise.
    EXPECT_EQ(w->RowCount(), (300 - w->TopMargin() - 5) / w->RowHeight());
    EXPECT_EQ(w->ColCount(), (600 - w->LeftMargin() - w->ColWidth() / 2) / w->ColWidth());
    const int rowsWithout = w->RowCount();
    w->SetScrollBars(ssBoth);
    EXPECT_LT(w->RowCount(), rowsWithout);
}

TEST(EditorControl, OffsetsOfATextWithoutFinalBreak)
{
    EditorWindow w(600, 300, false);
    w.setText(QStringLiteral("ab\r\nc"));
    ASSERT_EQ(w->ListCount(), 2);
    EXPECT_EQ(w->ListRow(1), raEof);
    w->SetRowCol(1, 0);
    EXPECT_EQ(w->SelStart(), 4);
    struct Case
    {
        int offset;
        int row;
        int col;
    };
    for (const Case &c : {Case{5, 1, 1}, Case{6, 1, 1}, Case{50, 1, 1}, Case{1, 0, 1}, Case{0, 0, 0}, Case{-3, 0, 0}}) {
        SCOPED_TRACE(c.offset);
        w->SetSelStart(c.offset);
        EXPECT_EQ(w->Row(), c.row);
        EXPECT_EQ(w->Col(), c.col);
    }
}

TEST(EditorControl, EndOfTextRowAndClampedRows)
{
    EditorWindow w(600, 300, false);
    w.setText(QStringLiteral("ab\r\n"));
    w->SetRow(5);
    EXPECT_EQ(w->Row(), 1);
    EXPECT_EQ(w->ListRow(1), raEof) << "outside the list";
    EXPECT_EQ(w->ListString(7), QString());
    EXPECT_EQ(w->ListRowMarks(-1), 0);
    w->SetListRowMarks(9, RowMarkBit(rm3));
    EXPECT_EQ(w->InternalList()->ValidRowMarks(), 0) << "no row there, nothing marked";
    w.setText(QStringLiteral("ab"));
    w->SetRow(5);
    EXPECT_EQ(w->Row(), 0) << "a last row without break has no row after it";
}

TEST(EditorControl, VerticalMovesKeepTheColumn)
{
    EditorWindow w(600, 300, false);
    w->Caret()->SetFreeCaret(false);
    w->Caret()->SetKeepCaret(true);
    w.setText(QStringLiteral("abcdefghijklmnopqrst\r\nabc\r\nabcdefghijklmnopqrst\r\n"), 0, 10);
    ASSERT_EQ(w->Col(), 10);
    w->SetRow(1);
    EXPECT_EQ(w->Col(), 3);
    w->SetRow(2);
    EXPECT_EQ(w->Col(), 10);
    // Without KeepCaret the column is lost on the short row.
    w->Caret()->SetKeepCaret(false);
    w->SetRowCol(0, 10);
    w->SetRow(1);
    w->SetRow(2);
    EXPECT_EQ(w->Col(), 3);
}

TEST(EditorControl, CaretStepsOffHalvesAndTabCells)
{
    EditorWindow w(600, 300, false);
    w->Caret()->SetTabSpaceCount(4);
    w.setText(QStringLiteral("aあ\tb\r\n"));
    // Cells: a=0, あ=1,2, tab=3 (one cell to the stop at 4), b=4.
    w->SetRowCol(0, 2);
    EXPECT_EQ(w->Col(), 1) << "second half of a wide character";
    w.setText(QStringLiteral("a\tb\r\n"));
    // tab at 1 reaches 4: cells 1 ('2'), 2 and 3 ('3').
    w->SetRowCol(0, 3);
    EXPECT_EQ(w->Col(), 1) << "inside a tab";
    w->Caret()->SetInTab(true);
    w->SetRowCol(0, 0);
    w->SetRowCol(0, 3);
    EXPECT_EQ(w->Col(), 3) << "InTab lets the caret stand there";
}

TEST(EditorControl, CaretNeverAfterTheLastCharacterOfAWrappedRow)
{
    EditorWindow w(600, 300, false);
    w->WrapOption()->SetWrapByte(20);
    w->SetWordWrap(true);
    w.setText(QString(30, QLatin1Char('x')) + QStringLiteral("\r\n"));
    ASSERT_EQ(w->ListRow(0), raWrapped);
    const int cells = w->RowCells(0);
    w->SetRowCol(0, cells + 5);
    EXPECT_EQ(w->Col(), cells - 1);
    w->SetRowCol(1, 0);
    w->SetRow(0);
    EXPECT_LT(w->Col(), cells);
}

TEST(EditorControl, UndoListMaxHasAFloor)
{
    TEditor editor;
    editor.SetUndoListMax(10);
    EXPECT_EQ(editor.UndoListMax(), 64);
    editor.SetUndoListMax(100);
    EXPECT_EQ(editor.UndoListMax(), 100);
}

TEST(EditorControl, SelLengthAndSelText)
{
    EditorWindow w(600, 300, false);
    w.setText(QStringLiteral("abc\r\ndef\r\nghi"), 0, 1);
    w->SetSelLength(6);
    EXPECT_TRUE(w->Selected());
    EXPECT_EQ(w->SelStart(), 1);
    EXPECT_EQ(w->SelLength(), 6);
    EXPECT_EQ(w->SelText(), QStringLiteral("bc\r\nde"));
    EXPECT_EQ(w->Row(), 1);
    EXPECT_EQ(w->Col(), 2);
    // Length 0 drops the selection and puts the caret at its start.
    w->SetSelLength(0);
    EXPECT_FALSE(w->SelectedData());
    EXPECT_EQ(w->Row(), 0);
    EXPECT_EQ(w->Col(), 1);
}

TEST(EditorControl, TwoEditorsShowOneText)
{
    auto first = std::make_unique<EditorWindow>(400, 200, false);
    auto second = std::make_unique<EditorWindow>(400, 200, false);
    first->setText(QStringLiteral("select 1\r\n"));
    (*second)->ExchangeList(first->editor.get());
    EXPECT_EQ((*second)->InternalList(), (*first)->InternalList());
    EXPECT_EQ(second->text(), QStringLiteral("select 1\r\n"));
    QSignalSpy changed(second->editor.get(), &TEditor::OnChange);
    (*first)->SetRowCol(0, 8);
    (*first)->PutStringToLine(QStringLiteral("0"));
    EXPECT_EQ(second->text(), QStringLiteral("select 10\r\n"));
    EXPECT_EQ(changed.count(), 1) << "the other view hears of the change";
    EXPECT_TRUE((*second)->Modified());
    // Each view keeps its own caret.
    EXPECT_EQ((*second)->Col(), 0);
    // Freeing both frees the list once (the second leaves, the first frees).
    second.reset();
    EXPECT_EQ(first->text(), QStringLiteral("select 10\r\n"));
    first.reset();
}

TEST(EditorControl, PointsLeftOfTheTextMapLeftOfTopCol)
{
    EditorWindow w(600, 300, false);
    w.setText(QString(200, QLatin1Char('x')) + QStringLiteral("\r\n"));
    const int y = w->TopMargin() + 1;
    int row = -1;
    int col = -1;
    w->SetTopCol(5);
    ASSERT_EQ(w->TopCol(), 5);
    w->PosToRowCol(w->LeftMargin() - 3, y, row, col, false);
    EXPECT_EQ(col, 4);
    EXPECT_EQ(row, 0);
    w->SetTopCol(0);
    w->PosToRowCol(w->LeftMargin() - 3, y, row, col, false);
    EXPECT_EQ(col, 0);
    // With Split the right half of a cell gives the next column.
    w->PosToRowCol(w->LeftMargin() + w->ColWidth() - 1, y, row, col, true);
    EXPECT_EQ(col, 1);
    w->PosToRowCol(w->LeftMargin() + 1, y, row, col, true);
    EXPECT_EQ(col, 0);
}

TEST(EditorControl, HolderAssignsSettingsAndWrapsOnce)
{
    CountingEditor editor;
    editor.resize(600, 300);
    QString text;
    for (int i = 0; i < 20; ++i)
        text += QString(70, QLatin1Char('a' + i % 26)) + QStringLiteral("\r\n");
    editor.Lines()->SetTextStr(text);
    TEditorProp prop;
    prop.Leftbar()->SetVisible(true);
    prop.Ruler()->SetVisible(true);
    prop.Marks()->Underline()->SetVisible(true);
    prop.Caret()->SetTabSpaceCount(4);
    prop.SetReserveWordList({QStringLiteral("SELECT")});
    prop.WrapOption()->SetWrapByte(30);
    prop.SetWordWrap(true);
    editor.changes.clear();
    editor.refreshes = 0;

    prop.AssignTo(&editor);

    EXPECT_TRUE(editor.WordWrap());
    EXPECT_EQ(editor.WrapOption()->WrapByte(), 30);
    EXPECT_EQ(editor.ListCount(), 60) << "each 70-letter line in three rows of 30";
    EXPECT_EQ(editor.refreshes, 1) << "the text is re-wrapped once";
    EXPECT_TRUE(editor.Leftbar()->Visible());
    EXPECT_TRUE(editor.Ruler()->Visible());
    EXPECT_EQ(editor.Caret()->TabSpaceCount(), 4);
    EXPECT_EQ(editor.ReserveWordList(), QStringList{QStringLiteral("SELECT")});
    EXPECT_EQ(editor.Margin()->Underline(), 1) << "the underline takes a pixel of every row";
    // Each settings object tells the editor once; the view twice, for the
    // word list and for its own values.
    for (const char *name :
         {"TEditorCaret", "TEditorImagebar", "TEditorLeftbar", "TEditorMargin", "TEditorMarks", "TEditorRuler"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(editor.changes.value(QLatin1String(name)), 1);
    }
    EXPECT_EQ(editor.changes.value(QStringLiteral("TEditorViewInfo")), 2);

    // Switching wrapping off joins the rows once again, and only once.
    prop.SetWordWrap(false);
    editor.refreshes = 0;
    prop.AssignTo(&editor);
    EXPECT_FALSE(editor.WordWrap());
    EXPECT_EQ(editor.ListCount(), 20);
    EXPECT_EQ(editor.refreshes, 1);
}

TEST(EditorControl, HolderTakesSettingsFromAnEditor)
{
    TEditor editor;
    editor.SetColor(0x123456);
    editor.Leftbar()->SetVisible(true);
    editor.SetWordWrap(true);
    TEditorProp prop;
    prop.Assign(&editor);
    EXPECT_EQ(prop.Color(), 0x123456);
    EXPECT_TRUE(prop.Leftbar()->Visible());
    EXPECT_TRUE(prop.WordWrap());
}

TEST(EditorControl, RowMarksKeepTheRecordOfMarksInUse)
{
    EditorWindow w(600, 300, false);
    w.setText(QStringLiteral("a\r\nb\r\nc\r\n"));
    w->SetListRowMarks(1, RowMarkBit(rm3) | RowMarkBit(rm12));
    EXPECT_EQ(w->ListRowMarks(1), RowMarkBit(rm3) | RowMarkBit(rm12));
    EXPECT_EQ(w->InternalList()->ValidRowMarks(), RowMarkBit(rm3) | RowMarkBit(rm12));
    w->SetListRowMarks(1, RowMarkBit(rm12));
    EXPECT_EQ(w->InternalList()->ValidRowMarks(), RowMarkBit(rm12));
}
