// Selections of the editor control: box and line copies on the clipboard and
// their pasting, replacing a selection, dragging a selection with the mouse,
// row selection from the line-number bar, and one undo step per change.

#include "editorwidget.h"
#include "editorcontrol/edutils.h"

#include <QClipboard>
#include <QMimeData>

#include <functional>

namespace {

const QString crlf = QStringLiteral("\r\n");

void boxMode(TEditor &e)
{
    e.SetDefaultSelectMode(smBox);
    e.SetDefaultCaretFreeCaret(true);
}

QClipboard *clipboard()
{
    return QGuiApplication::clipboard();
}

void setClipboardText(const QString &text)
{
    clipboard()->setText(text);
}

void moveTo(TEditor &e, QPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QWidget *view = e.viewport();
    QMouseEvent move(QEvent::MouseMove, QPointF(p), view->mapToGlobal(QPointF(p)), Qt::NoButton, Qt::LeftButton, mods);
    QApplication::sendEvent(view, &move);
}

// Presses inside the selection, drags to the cell and releases there.
void dragTo(TEditor &e, QPoint from, QPoint to, Qt::KeyboardModifiers releaseMods = Qt::NoModifier)
{
    QTest::mousePress(e.viewport(), Qt::LeftButton, Qt::NoModifier, from);
    moveTo(e, to);
    moveTo(e, to);
    QTest::mouseRelease(e.viewport(), Qt::LeftButton, releaseMods, to);
}

int undoSteps(const TEditor &e)
{
    return e.EditorUndoObj()->UndoList().Count();
}

} // namespace

TEST(EditorSelection, BoxCopyAndPasteBack)
{
    EditorWindow w;
    boxMode(*w);
    w.setText(TextOfLines({"abcdef", "ghijkl", "mnopqr", "", "", "0123456789xyz", "short"}));
    SelectCells(*w, 0, 1, 2, 3);
    ASSERT_TRUE(w->Selected());
    w->CopyToClipboard();
    const QMimeData *data = clipboard()->mimeData();
    ASSERT_TRUE(data);
    EXPECT_EQ(data->text(), QStringLiteral("bc\r\nhi\r\nno\r\n"));
    ASSERT_TRUE(data->hasFormat(BoxClipboardMimeType));
    const QByteArray mark = data->data(BoxClipboardMimeType);
    EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t *>(mark.constData()), mark.size() / 2),
              QStringLiteral("bc\r\nhi\r\nno\r\n") + QChar(0));

    // Pasted with the caret on row 5, column 10: the three lines go to column
    // 10 of rows 5, 6 and 7; a short row is padded, a missing one added.
    w->SetDefaultSelectMode(smLine);
    w->CleanSelection();
    w->SetRowCol(5, 10);
    const QString before = w.text();
    const int steps = undoSteps(*w);
    w->PasteFromClipboard();
    EXPECT_EQ(w.text(),
              TextOfLines({"abcdef", "ghijkl", "mnopqr", "", "", "0123456789bcxyz", "short     hi", "          no"}));
    EXPECT_EQ(w->Row(), 7);
    EXPECT_EQ(w->Col(), 12);
    EXPECT_EQ(undoSteps(*w), steps + 1);
    w->Undo();
    EXPECT_EQ(w.text(), before);
}

TEST(EditorSelection, OneRowBoxCopiesWithoutBreak)
{
    EditorWindow w;
    boxMode(*w);
    w.setText(TextOfLines({"abcdef"}));
    SelectCells(*w, 0, 1, 0, 4);
    w->CopyToClipboard();
    EXPECT_EQ(clipboard()->text(), QStringLiteral("bcd"));
    EXPECT_TRUE(clipboard()->mimeData()->hasFormat(BoxClipboardMimeType));
}

TEST(EditorSelection, PastingStreamsAndBoxesOverSelections)
{
    struct Case
    {
        const char *name;
        QString text;
        bool box;           // the selection's shape
        int r0, c0, r1, c1; // the selection
        QString clip;
        bool clipIsBox;
        QString expected;
        int row, col; // the caret afterwards
    };
    const Case cases[] = {
        {"a line copy goes in as a stream where the box began", TextOfLines({"abcdef", "ghijkl"}), true, 0, 1, 1, 3,
         QStringLiteral("XY"), false, TextOfLines({"aXYdef", "gjkl"}), 0, 3},
        {"a stream with breaks over a line selection", TextOfLines({"abcdef", "ghijkl"}), false, 0, 2, 1, 1,
         QStringLiteral("1\r\n2"), false, TextOfLines({"ab1", "2hijkl"}), 1, 1},
        {"a box over a multi-row line selection: the following lines go after its last row",
         TextOfLines({"abcdef", "ghijkl", "mnop", "qrst"}), false, 0, 2, 1, 3, QStringLiteral("1\r\n2\r\n3\r\n"), true,
         TextOfLines({"ab1jkl", "mn2op", "qr3st"}), 2, 3},
        {"a box over a box", TextOfLines({"abcdef", "gh", "mnopqr"}), true, 0, 3, 2, 5,
         QStringLiteral("1\r\n2\r\n3\r\n"), true, TextOfLines({"abc1f", "gh 2", "mno3r"}), 2, 4},
        {"a box past the end of the text adds rows", TextOfLines({"ab"}), false, 0, 1, 0, 2,
         QStringLiteral("1\r\n2\r\n"), true, TextOfLines({"a1", " 2"}), 1, 2},
        {"a stream cut at a NUL", TextOfLines({"abc"}), false, 0, 0, 0, 1,
         QStringLiteral("X") + QChar(0) + QStringLiteral("Y"), false, TextOfLines({"Xbc"}), 0, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EditorWindow w;
        if (c.box)
            boxMode(*w);
        w.setText(c.text);
        SelectCells(*w, c.r0, c.c0, c.r1, c.c1);
        ASSERT_TRUE(w->Selected());
        const int steps = undoSteps(*w);
        if (c.clipIsBox)
            w->SetSelTextBox(c.clip);
        else
            w->SetSelTextBuf(c.clip);
        EXPECT_EQ(w.text(), c.expected);
        EXPECT_FALSE(w->SelectedData());
        EXPECT_EQ(w->Row(), c.row);
        EXPECT_EQ(w->Col(), c.col);
        EXPECT_EQ(undoSteps(*w), steps + 1);
        w->Undo();
        EXPECT_EQ(w.text(), c.text);
    }
}

TEST(EditorSelection, TypingOverABoxAndDeletingOne)
{
    EditorWindow w;
    boxMode(*w);
    const QString text = TextOfLines({"abcdef", "ghijkl", "mnopqr"});
    w.setText(text);
    SelectCells(*w, 0, 1, 2, 3);
    w->PutStringToLine(QStringLiteral("Z"));
    EXPECT_EQ(w.text(), TextOfLines({"aZdef", "gjkl", "mpqr"}));
    EXPECT_EQ(w->Row(), 0);
    EXPECT_EQ(w->Col(), 2);
    w->Undo();
    EXPECT_EQ(w.text(), text);

    // A box whose left column lies past its first row's end: the caret stays
    // on that row, at its end.
    w.setText(TextOfLines({"ab", "ghijkl", "mnopqr"}));
    SelectCells(*w, 0, 4, 2, 5);
    w->DeleteSelection();
    EXPECT_EQ(w.text(), TextOfLines({"ab", "ghijl", "mnopr"}));
    EXPECT_EQ(w->Row(), 0);
    EXPECT_EQ(w->Col(), 2);
}

TEST(EditorSelection, ClipboardCommandsAndReadOnly)
{
    EditorWindow w;
    w.setText(TextOfLines({"abcdef"}));
    setClipboardText(QStringLiteral("kept"));
    // Nothing selected: copy and cut leave what the clipboard holds.
    w->WMCopy();
    w->WMCut();
    EXPECT_EQ(clipboard()->text(), QStringLiteral("kept"));

    SelectCells(*w, 0, 1, 0, 3);
    w->SetReadOnly(true);
    w->WMCut();
    EXPECT_EQ(clipboard()->text(), QStringLiteral("kept"));
    EXPECT_EQ(w.text(), TextOfLines({"abcdef"}));
    w->WMCopy();
    EXPECT_EQ(clipboard()->text(), QStringLiteral("bc"));
    EXPECT_FALSE(clipboard()->mimeData()->hasFormat(BoxClipboardMimeType));
    w->WMPaste();
    w->WMClear();
    EXPECT_EQ(w.text(), TextOfLines({"abcdef"}));

    w->SetReadOnly(false);
    w->WMCut();
    EXPECT_EQ(w.text(), TextOfLines({"adef"}));
    w->SetRowCol(0, 4);
    w->WMPaste();
    EXPECT_EQ(w.text(), TextOfLines({"adefbc"}));

    // A search hit held as a selection is neither copied nor deleted.
    w->SetHitStyle(hsDraw);
    w->SetRowCol(0, 0);
    w->SetHitSelLength(2);
    ASSERT_TRUE(w->HitSelected());
    setClipboardText(QStringLiteral("kept"));
    w->WMCopy();
    w->WMCut();
    w->WMClear();
    EXPECT_EQ(clipboard()->text(), QStringLiteral("kept"));
    EXPECT_EQ(w.text(), TextOfLines({"adefbc"}));
}

TEST(EditorSelection, MoveAndCopyOfALineSelection)
{
    struct Case
    {
        const char *name;
        int r0, c0, r1, c1; // the selection
        int row, col;       // the drop cell
        bool copy;
        QString expected;
        int caretRow, caretCol;
    };
    const QString text = TextOfLines({"abcdef", "ghijkl", "mnopqr", "stuvwx"});
    const Case cases[] = {
        {"to a row above", 2, 1, 2, 3, 0, 2, false, TextOfLines({"abnocdef", "ghijkl", "mpqr", "stuvwx"}), 0, 4},
        {"to its own row, before it", 1, 3, 2, 1, 1, 1, false,
         TextOfLines({"gjkl", "mhinopqr", "stuvwx"}).prepend(QStringLiteral("abcdef\r\n")), 2, 1},
        {"to a row below", 0, 1, 1, 2, 3, 2, false, TextOfLines({"aijkl", "mnopqr", "stbcdef", "ghuvwx"}), 3, 2},
        {"to its own row, after it", 0, 1, 0, 3, 0, 5, false, TextOfLines({"adebcf", "ghijkl", "mnopqr", "stuvwx"}), 0,
         5},
        {"past the end of a row below pads it", 0, 0, 0, 2, 1, 9, false,
         TextOfLines({"cdef", "ghijkl   ab", "mnopqr", "stuvwx"}), 1, 11},
        {"a copy leaves the selection's text", 0, 1, 0, 3, 3, 0, true,
         TextOfLines({"abcdef", "ghijkl", "mnopqr", "bcstuvwx"}), 3, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EditorWindow w;
        w.setText(text);
        SelectCells(*w, c.r0, c.c0, c.r1, c.c1);
        ASSERT_TRUE(w->CanSelDrag());
        const int steps = undoSteps(*w);
        if (c.copy)
            w->CopySelection(c.row, c.col);
        else
            w->MoveSelection(c.row, c.col);
        EXPECT_EQ(w.text(), c.expected);
        EXPECT_FALSE(w->SelectedData());
        EXPECT_EQ(w->Row(), c.caretRow);
        EXPECT_EQ(w->Col(), c.caretCol);
        // One undo restores both the source and the destination.
        EXPECT_EQ(undoSteps(*w), steps + 1);
        w->Undo();
        EXPECT_EQ(w.text(), text);
    }
}

TEST(EditorSelection, DraggingWithTheMouse)
{
    const QString text = TextOfLines({"abcdef", "ghijkl"});
    EditorWindow w;
    w.setText(text);

    // Pressed inside and released without moving: the selection ends and the
    // caret stays on the pressed cell.
    SelectCells(*w, 0, 1, 0, 4);
    QTest::mouseClick(w->viewport(), Qt::LeftButton, Qt::NoModifier, CellPoint(*w, 0, 2));
    EXPECT_FALSE(w->SelectedData());
    EXPECT_EQ(w->Col(), 2);
    EXPECT_EQ(w->SelDragState(), sdNone);

    // Dropped inside itself, or outside the control: nothing changes.
    SelectCells(*w, 0, 1, 0, 4);
    dragTo(*w, CellPoint(*w, 0, 2), CellPoint(*w, 0, 3));
    EXPECT_EQ(w.text(), text);
    EXPECT_FALSE(w->SelectedData());
    SelectCells(*w, 0, 1, 0, 4);
    dragTo(*w, CellPoint(*w, 0, 2), QPoint(-20, -20));
    EXPECT_EQ(w.text(), text);

    // A plain drop moves; with Ctrl held at the release it copies.
    SelectCells(*w, 0, 1, 0, 4);
    dragTo(*w, CellPoint(*w, 0, 2), CellPoint(*w, 1, 1));
    EXPECT_EQ(w.text(), TextOfLines({"aef", "gbcdhijkl"}));
    w->Undo();
    EXPECT_EQ(w.text(), text);
    SelectCells(*w, 0, 1, 0, 4);
    dragTo(*w, CellPoint(*w, 0, 2), CellPoint(*w, 1, 1), Qt::ControlModifier);
    EXPECT_EQ(w.text(), TextOfLines({"abcdef", "gbcdhijkl"}));
    w->Undo();

    // During a drag keys are swallowed; Esc ends the drag and the selection.
    SelectCells(*w, 0, 1, 0, 4);
    QTest::mousePress(w->viewport(), Qt::LeftButton, Qt::NoModifier, CellPoint(*w, 0, 2));
    EXPECT_EQ(w->SelDragState(), sdInit);
    QTest::keyClick(w.editor.get(), Qt::Key_X);
    moveTo(*w, CellPoint(*w, 1, 3));
    EXPECT_EQ(w->SelDragState(), sdDragging);
    QTest::keyPress(w.editor.get(), Qt::Key_Control);
    EXPECT_EQ(w->CursorState(), mcDraggingCopy);
    QTest::keyRelease(w.editor.get(), Qt::Key_Control);
    EXPECT_EQ(w->CursorState(), mcDragging);
    QTest::keyClick(w.editor.get(), Qt::Key_Delete);
    QTest::keyClick(w.editor.get(), Qt::Key_Escape);
    EXPECT_EQ(w->SelDragState(), sdNone);
    EXPECT_FALSE(w->SelectedData());
    QTest::mouseRelease(w->viewport(), Qt::LeftButton, Qt::NoModifier, CellPoint(*w, 1, 3));
    EXPECT_EQ(w.text(), text);

    // A box or a read-only control does not drag.
    SelectCells(*w, 0, 1, 0, 4);
    w->SetReadOnly(true);
    EXPECT_FALSE(w->CanSelDrag());
    w->SetReadOnly(false);
    boxMode(*w);
    SelectCells(*w, 0, 1, 1, 4);
    EXPECT_FALSE(w->CanSelDrag());
}

TEST(EditorSelection, RowSelectionFromTheLineNumberBar)
{
    EditorWindow w;
    w->Leftbar()->SetVisible(true);
    w.setText(TextOfLines({"r0", "r1", "r2", "r3", "r4"}) + QStringLiteral("end"));
    ASSERT_GT(w->LeftMargin(), 2);
    auto barPoint = [&](int row) { return QPoint(1, CellPoint(*w, row, 0).y()); };
    QWidget *view = w->viewport();
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, barPoint(2));
    EXPECT_TRUE(w->RowSelecting());
    EXPECT_EQ(w->SelText(), QStringLiteral("r2\r\n"));
    moveTo(*w, barPoint(0));
    EXPECT_EQ(w->SelText(), QStringLiteral("r0\r\nr1\r\nr2\r\n")) << "the pressed row stays selected";
    moveTo(*w, barPoint(4));
    EXPECT_EQ(w->SelText(), QStringLiteral("r2\r\nr3\r\nr4\r\n"));
    moveTo(*w, barPoint(5));
    EXPECT_EQ(w->SelText(), QStringLiteral("r2\r\nr3\r\nr4\r\nend")) << "the last row to its end";
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, barPoint(5));
    EXPECT_FALSE(w->RowSelecting());

    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, barPoint(5));
    EXPECT_EQ(w->SelText(), QStringLiteral("end"));
}

TEST(EditorSelection, SelectAllAndHits)
{
    EditorWindow w;
    boxMode(*w);
    w.setText(TextOfLines({"ab", "cd"}) + QStringLiteral("e"));
    w->SelectAll();
    EXPECT_EQ(w->SelectionMode(), smLine);
    EXPECT_EQ(w->SelText(), w.text());
    EXPECT_EQ(w->SelLength(), w->GetTextLen());

    // A hit shown as a caret becomes a selection with the caret at its end.
    w->SetDefaultSelectMode(smLine);
    w->SetHitStyle(hsCaret);
    w->SetRowCol(0, 0);
    w->SetHitSelLength(2);
    ASSERT_TRUE(w->HitSelected());
    EXPECT_EQ(w->Col(), 0);
    w->HitToSelected();
    EXPECT_TRUE(w->Selected());
    EXPECT_EQ(w->SelText(), QStringLiteral("ab"));
    EXPECT_EQ(w->Col(), 2);
}

TEST(EditorSelection, EveryChangeIsOneUndoStep)
{
    const QString text = TextOfLines({"    select a", "  from b", "where c"});
    const std::pair<const char *, std::function<void(TEditor &)>> commands[] = {
        {"typing over a selection", [](TEditor &e) { e.PutStringToLine(QStringLiteral("x")); }},
        {"stream replacement", [](TEditor &e) { e.SetSelTextBuf(QStringLiteral("1\r\n2")); }},
        {"box replacement", [](TEditor &e) { e.SetSelTextBox(QStringLiteral("1\r\n2\r\n3")); }},
        {"delete", [](TEditor &e) { e.ClearSelection(); }},
        {"cut", [](TEditor &e) { e.CutToClipboard(); }},
        {"move", [](TEditor &e) { e.MoveSelection(2, 3); }},
        {"copy by drag", [](TEditor &e) { e.CopySelection(2, 3); }},
        {"indent", [](TEditor &e) { e.SelIndent(); }},
        {"unindent", [](TEditor &e) { e.SelUnIndent(); }},
        {"tab indent", [](TEditor &e) { e.SelTabIndent(); }},
        {"tab unindent", [](TEditor &e) { e.SelTabUnIndent(); }},
        {"comment", [](TEditor &e) { e.SelCommentOut(); }},
        {"row deletion", [](TEditor &e) { e.DeleteRow(1); }},
    };
    for (const auto &[name, command] : commands) {
        SCOPED_TRACE(name);
        EditorWindow w;
        w->Caret()->SetSoftTab(true);
        w->Caret()->SetTabSpaceCount(2);
        w.setText(text);
        SelectCells(*w, 0, 5, 1, 4);
        const int steps = undoSteps(*w);
        command(*w);
        EXPECT_NE(w.text(), text);
        EXPECT_EQ(undoSteps(*w), steps + 1);
        w->Undo();
        EXPECT_EQ(w.text(), text);
        EXPECT_FALSE(w->SelectedData());
    }
}
