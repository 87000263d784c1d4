// The operations of a standard edit control on the editor, and the main
// window's edit commands reaching it as the focused control.

#include "editorwidget.h"
#include "core/zkeditcommands.h"

#include <QClipboard>

namespace {

const QString crlf = QStringLiteral("\r\n");

} // namespace

TEST(EditorMessages, SelectionAndOffsets)
{
    EditorWindow w;
    w.setText(QStringLiteral("0123456789"));
    int start = 0;
    int end = 0;
    w->EMSetSel(7, 3);
    EXPECT_EQ(w->SelText(), QStringLiteral("3456"));
    w->EMGetSel(start, end);
    EXPECT_EQ(start, 3);
    EXPECT_EQ(end, 7);
    w->EMSetSel(0, -1);
    EXPECT_EQ(w->SelText(), QStringLiteral("0123456789"));

    // Start and end are full values, past 65535 too.
    w.setText(QStringLiteral("abcdef\r\n").repeated(10000));
    w->EMSetSel(70001, 70004);
    EXPECT_EQ(w->SelText(), QStringLiteral("bcd"));
    w->EMGetSel(start, end);
    EXPECT_EQ(start, 70001);
    EXPECT_EQ(end, 70004);
    EXPECT_EQ(w->EMLineIndex(8750), 70000);
    EXPECT_EQ(w->EMLineFromChar(70003), 8750);

    // Row starts: the caret row, rows past the list and the end-of-text row.
    w.setText(QStringLiteral("a") + crlf + QStringLiteral("bb") + crlf + QStringLiteral("c") + crlf, 2, 0);
    EXPECT_EQ(w->EMLineIndex(-1), 7);
    EXPECT_EQ(w->EMLineIndex(0), 0);
    EXPECT_EQ(w->EMLineIndex(3), -1) << "the empty row after the final break";
    EXPECT_EQ(w->EMLineIndex(9), -1);
    EXPECT_EQ(w->EMGetLineCount(), 3);
    EXPECT_EQ(w->EMLineFromChar(4), 1);
    EXPECT_EQ(w->EMLineFromChar(100), 3);
    EXPECT_EQ(w->EMLineLength(3), 2);
    EXPECT_EQ(w->EMLineLength(-1), 1);
    EXPECT_EQ(w->EMLineLength(100), 0);
    EXPECT_EQ(w->EMLineFromChar(-1), 2);

    w.setText(QStringLiteral("ab"));
    EXPECT_EQ(w->EMLineFromChar(2), 0) << "just after the last character of a row without a break";
    w.setText(QStringLiteral("abcdef"));
    EXPECT_EQ(w->EMGetLine(0, 3), QStringLiteral("abc"));
    EXPECT_EQ(w->EMGetLine(0), QStringLiteral("abcdef"));
    EXPECT_EQ(w->EMGetLine(1), QString());
    EXPECT_EQ(w->WMGetTextLength(), 6);
    EXPECT_EQ(w->WMGetText(), QStringLiteral("abcdef"));
}

TEST(EditorMessages, PointsAndCharacters)
{
    EditorWindow w;
    w.setText(QStringLiteral("aあb") + crlf + QStringLiteral("cd") + crlf);
    int row = -2;
    EXPECT_EQ(w->EMCharFromPos(CellPoint(*w, 1, 1), &row), 6);
    EXPECT_EQ(row, 1);
    // On the second half of a wide character: that character.
    EXPECT_EQ(w->EMCharFromPos(CellPoint(*w, 0, 2) - QPoint(1, 0)), 1);
    // Right of the text's end: the row's end.
    EXPECT_EQ(w->EMCharFromPos(CellPoint(*w, 1, 30)), 7);
    EXPECT_EQ(w->EMCharFromPos(QPoint(-5, 5), &row), -1);
    EXPECT_EQ(row, -1);
    EXPECT_EQ(w->EMPosFromChar(6), CellPoint(*w, 1, 1) - QPoint(1, 2));
    EXPECT_EQ(w->EMPosFromChar(2), CellPoint(*w, 0, 3) - QPoint(1, 2));
    EXPECT_EQ(w->Row(), 0) << "the caret does not move";

    QString many;
    for (int i = 0; i < 200; ++i)
        many += QStringLiteral("row") + crlf;
    w.setText(many);
    w->SetTopRow(0);
    w->SetRowCol(150, 2);
    w->SetTopRow(0);
    w->EMScrollCaret();
    EXPECT_EQ(w->TopRow(), 150 - w->RowCount() / 3);
}

TEST(EditorMessages, TextChangesRefusedWhileReadOnly)
{
    EditorWindow w;
    w.setText(QStringLiteral("abc"));
    w->EMSetSel(0, 1);
    w->EMReplaceSel(QStringLiteral("X"));
    EXPECT_EQ(w.text(), QStringLiteral("Xbc"));
    EXPECT_TRUE(w->EMGetModify());
    EXPECT_TRUE(w->EMCanUndo());

    w->EMSetReadOnly(true);
    EXPECT_TRUE(w->ReadOnly());
    EXPECT_FALSE(w->EMCanUndo());
    EXPECT_FALSE(w->EMUndo());
    w->WMSetText(QStringLiteral("new"));
    w->EMSetSel(0, 1);
    w->EMReplaceSel(QStringLiteral("Y"));
    w->EMSetModify(false);
    w->EMEmptyUndoBuffer();
    EXPECT_EQ(w.text(), QStringLiteral("Xbc"));
    EXPECT_TRUE(w->EMGetModify());
    EXPECT_TRUE(w->CanUndo());

    w->EMSetReadOnly(false);
    EXPECT_TRUE(w->EMUndo());
    EXPECT_EQ(w.text(), QStringLiteral("abc"));
    w->WMSetText(QStringLiteral("one") + QChar(0) + QStringLiteral("two"));
    EXPECT_EQ(w.text(), QStringLiteral("one"));
    w->EMSetModify(false);
    EXPECT_FALSE(w->EMGetModify());
    w->EMEmptyUndoBuffer();
    EXPECT_FALSE(w->CanUndo());
}

TEST(EditorMessages, MainWindowCommandsReachTheFocusedEditor)
{
    EditorWindow w;
    w.setText(QStringLiteral("abc def"));
    IzkEditCommands *commands = FocusedEditCommands();
    ASSERT_EQ(commands, static_cast<IzkEditCommands *>(w.editor.get()));

    commands->EditSelectAll();
    EXPECT_EQ(w->SelText(), QStringLiteral("abc def"));
    commands->EditCopy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("abc def"));
    w->EMSetSel(3, 7);
    commands->EditCut();
    EXPECT_EQ(w.text(), QStringLiteral("abc"));
    commands->EditPaste();
    commands->EditPaste();
    EXPECT_EQ(w.text(), QStringLiteral("abc def def"));
    w->EMSetSel(0, 4);
    commands->EditDelete();
    EXPECT_EQ(w.text(), QStringLiteral("def def"));
    commands->EditUndo();
    EXPECT_EQ(w.text(), QStringLiteral("abc def def"));
    commands->EditRedo();
    EXPECT_EQ(w.text(), QStringLiteral("def def"));

    w->SetReadOnly(true);
    commands->EditUndo();
    commands->EditPaste();
    w->EMSetSel(0, 3);
    commands->EditCut();
    commands->EditDelete();
    EXPECT_EQ(w.text(), QStringLiteral("def def"));
    commands->EditRedo();
    EXPECT_EQ(w.text(), QStringLiteral("def def"));
}
