// Edit commands of the editor control: indenting and unindenting, the line
// comment toggle, row deletion, row marks, and the text as a whole.

#include "editorwidget.h"

#include <QFile>
#include <QTemporaryDir>

#include <functional>

namespace {

const QString crlf = QStringLiteral("\r\n");

void tabs(TEditor &e, int size, bool soft)
{
    e.Caret()->SetTabSpaceCount(size);
    e.Caret()->SetSoftTab(soft);
}

} // namespace

TEST(EditorCommands, IndentTable)
{
    struct Case
    {
        const char *name;
        QString text;
        std::function<void(TEditor &)> setup; // settings and selection
        std::function<void(TEditor &)> command;
        QString expected;
        QString selected; // the selected text afterwards; null: no selection
    };
    const auto tabIndent = [](TEditor &e) { e.SelTabIndent(); };
    const auto tabUnIndent = [](TEditor &e) { e.SelTabUnIndent(); };
    const Case cases[] = {
        {"tab indent leaves the row where the selection ends at column 0", TextOfLines({"abcdef", "gh", "ij", "kl"}),
         [](TEditor &e) {
             tabs(e, 4, false);
             SelectCells(e, 0, 2, 3, 0);
         },
         tabIndent, TextOfLines({"\tabcdef", "\tgh", "\tij", "kl"}), QStringLiteral("cdef\r\n\tgh\r\n\tij\r\n")},
        {"tab indent without a selection indents the caret row", TextOfLines({"abc", "def"}),
         [](TEditor &e) {
             tabs(e, 4, true);
             e.SetRowCol(1, 1);
         },
         tabIndent, TextOfLines({"abc", "    def"}), QString()},
        {"tab indent in box mode puts the step at the caret's column", TextOfLines({"abc", "def"}),
         [](TEditor &e) {
             tabs(e, 4, true);
             e.SetDefaultSelectMode(smBox);
             e.SetRowCol(1, 1);
         },
         tabIndent, TextOfLines({"abc", "d    ef"}), QString()},
        {"soft unindent only from rows with a whole step", TextOfLines({"      a", "  b", "    c"}),
         [](TEditor &e) {
             tabs(e, 4, true);
             SelectCells(e, 0, 0, 2, 5);
         },
         tabUnIndent, TextOfLines({"  a", "  b", "c"}), QStringLiteral("a\r\n  b\r\nc")},
        {"tab unindent of tab-indented rows", TextOfLines({"\t\tx", "y"}),
         [](TEditor &e) {
             tabs(e, 4, false);
             SelectCells(e, 0, 0, 1, 1);
         },
         tabUnIndent, TextOfLines({"\tx", "y"}), QStringLiteral("x\r\ny")},
        {"blank indent rewrites a tab as blanks", TextOfLines({"\tx", "y"}),
         [](TEditor &e) {
             tabs(e, 4, false);
             SelectCells(e, 0, 5, 1, 1);
         },
         [](TEditor &e) { e.SelIndent(); }, TextOfLines({"     x", " y"}), QStringLiteral("\r\n y")},
        {"blank unindent", TextOfLines({"  x", "y", " z"}), [](TEditor &e) { SelectCells(e, 0, 0, 2, 2); },
         [](TEditor &e) { e.SelUnIndent(); }, TextOfLines({" x", "y", "z"}), QStringLiteral("x\r\ny\r\nz")},
        {"blank indent needs a selection", TextOfLines({"x"}), [](TEditor &e) { e.SetRowCol(0, 0); },
         [](TEditor &e) { e.SelIndent(); }, TextOfLines({"x"}), QString()},
        {"box indent at the box's column, short rows untouched", TextOfLines({"abcd", "a", "abcd"}),
         [](TEditor &e) {
             tabs(e, 2, true);
             e.SetDefaultSelectMode(smBox);
             SelectCells(e, 0, 2, 2, 3);
         },
         tabIndent, TextOfLines({"ab  cd", "a", "ab  cd"}), QStringLiteral(" \r\n\r\n \r\n")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EditorWindow w;
        w.setText(c.text);
        c.setup(*w);
        c.command(*w);
        EXPECT_EQ(w.text(), c.expected);
        if (c.selected.isNull())
            EXPECT_FALSE(w->Selected());
        else
            EXPECT_EQ(w->SelText(), c.selected);
    }
}

TEST(EditorCommands, TabIndentMovesTheSelectionWithItsText)
{
    // Rows 10 to 13; the selection runs from column 2 of row 10 to column 0 of row 13.
    EditorWindow w;
    QString text;
    for (int i = 0; i < 15; ++i)
        text += QStringLiteral("row%1").arg(i, 2, 10, QLatin1Char('0')) + crlf;
    w.setText(text);
    tabs(*w, 4, false);
    SelectCells(*w, 10, 2, 13, 0);
    w->SelTabIndent();
    EXPECT_EQ(w->ListString(10), QStringLiteral("\trow10"));
    EXPECT_EQ(w->ListString(12), QStringLiteral("\trow12"));
    EXPECT_EQ(w->ListString(13), QStringLiteral("row13"));
    EXPECT_EQ(w->SelDrawPosition().Sc, 6);
    EXPECT_TRUE(w->Selected());
    // Repeated on the same rows, and back.
    w->SelTabIndent();
    EXPECT_EQ(w->ListString(11), QStringLiteral("\t\trow11"));
    w->SelTabUnIndent();
    w->SelTabUnIndent();
    EXPECT_EQ(w.text(), text);
    EXPECT_EQ(w->SelText(), QStringLiteral("w10\r\nrow11\r\nrow12\r\n"));
}

TEST(EditorCommands, CommentToggle)
{
    struct Case
    {
        const char *name;
        QString text;
        int r0, c0, r1, c1; // the selection; r0 < 0: the caret row (r1, c1)
        bool box;
        QString expected;
    };
    const Case cases[] = {
        {"all commented: the marks go, the indentation stays", TextOfLines({"--a", "  -- b", "\t--c"}), 0, 0, 3, 0,
         false, TextOfLines({"a", "   b", "\tc"})},
        {"one row without: every row gets one", TextOfLines({"--a", "b"}), 0, 0, 2, 0, false,
         TextOfLines({"----a", "--b"})},
        {"the caret row alone", TextOfLines({"a", "b"}), -1, 0, 1, 0, false, TextOfLines({"a", "--b"})},
        {"a box: at its left column of the rows that reach it", TextOfLines({"ab cd", "x", "ef gh"}), 0, 3, 2, 4, true,
         TextOfLines({"ab --cd", "x", "ef --gh"})},
        {"a box: taken out again", TextOfLines({"ab --cd", "x", "ef --gh"}), 0, 3, 2, 4, true,
         TextOfLines({"ab cd", "x", "ef gh"})},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EditorWindow w;
        if (c.box) {
            w->SetDefaultSelectMode(smBox);
            w->SetDefaultCaretFreeCaret(true);
        }
        w.setText(c.text);
        if (c.r0 < 0)
            w->SetRowCol(c.r1, c.c1);
        else
            SelectCells(*w, c.r0, c.c0, c.r1, c.c1);
        w->SelCommentOut();
        EXPECT_EQ(w.text(), c.expected);
    }

    // The selection stays over the same characters, and a second toggle
    // brings the text back.
    EditorWindow w;
    const QString text = TextOfLines({"select a", "  from b"});
    w.setText(text);
    SelectCells(*w, 0, 2, 1, 4);
    w->SelCommentOut();
    EXPECT_EQ(w.text(), TextOfLines({"--select a", "--  from b"}));
    EXPECT_TRUE(w->Selected());
    EXPECT_EQ(w->SelText(), QStringLiteral("lect a\r\n--  fr"));
    EXPECT_EQ(w->Col(), 6);
    w->SelCommentOut();
    EXPECT_EQ(w.text(), text);
    EXPECT_EQ(w->SelText(), QStringLiteral("lect a\r\n  fr"));
}

TEST(EditorCommands, WrappedLinesAreNeitherIndentedNorCommented)
{
    EditorWindow w;
    w->WrapOption()->SetWrapByte(20);
    w->SetWordWrap(true);
    tabs(*w, 4, true);
    const QString longLine = QString(30, QLatin1Char('x'));
    w.setText(TextOfLines({"a"}) + longLine + crlf + TextOfLines({"b"}));
    ASSERT_EQ(w->ListCount(), 4);
    SelectCells(*w, 0, 0, 3, 1);
    w->SelTabIndent();
    EXPECT_EQ(w.text(), TextOfLines({"    a"}) + longLine + crlf + TextOfLines({"    b"}));
    w->SelCommentOut();
    EXPECT_EQ(w.text(), TextOfLines({"--    a"}) + longLine + crlf + TextOfLines({"--    b"}));
    // The wrapped line never takes the mark, so the toggle takes it out again.
    w->SelCommentOut();
    EXPECT_EQ(w.text(), TextOfLines({"    a"}) + longLine + crlf + TextOfLines({"    b"}));
}

TEST(EditorCommands, RowMarks)
{
    EditorWindow w(640, 200);
    QString text;
    for (int i = 0; i < 60; ++i)
        text += QStringLiteral("row %1").arg(i) + crlf;
    w.setText(text);
    w->PutRowMark(2, rm3);
    w->PutRowMark(2, rm12);
    w->PutRowMark(8, rm3);
    w->PutRowMark(8, rm12);
    EXPECT_EQ(w->ListRowMarks(2), RowMarkBit(rm12)) << "rm3 moved, rm12 stays";
    EXPECT_EQ(w->ListRowMarks(8), RowMarkBit(rm3) | RowMarkBit(rm12));
    w->DeleteRowMark(8, rm12);
    EXPECT_EQ(w->ListRowMarks(8), RowMarkBit(rm3));
    w->PutRowMark(99, rm4);
    w->DeleteRowMark(-1, rm3);
    EXPECT_EQ(w->ListRowMarks(8), RowMarkBit(rm3));

    // A mark above the visible rows: its row comes to the middle.
    w->PutRowMark(30, rm5);
    w->SetTopRow(45);
    w->GotoRowMark(rm5);
    EXPECT_EQ(w->Row(), 30);
    EXPECT_EQ(w->TopRow(), 30 - w->RowCount() / 2);
    // A visible one only moves the caret.
    w->GotoRowMark(rm3);
    EXPECT_EQ(w->Row(), 8);
    w->GotoRowMark(rm9);
    EXPECT_EQ(w->Row(), 8);
}

TEST(EditorCommands, RowsAndTheWholeText)
{
    EditorWindow w;
    EXPECT_EQ(w->GetLineNumberCount(), 1);
    w.setText(QStringLiteral("ab"));
    EXPECT_EQ(w->GetLineNumberCount(), 1);
    w.setText(QStringLiteral("ab") + crlf);
    EXPECT_EQ(w->GetLineNumberCount(), 2);

    w.setText(TextOfLines({"one", "two"}) + QStringLiteral("three"));
    EXPECT_EQ(w->GetTextLen(), int(w.text().size()));
    w->DeleteRow(2);
    EXPECT_EQ(w.text(), TextOfLines({"one", "two"}));
    w->DeleteRow(5);
    w->DeleteRow(-1);
    EXPECT_EQ(w.text(), TextOfLines({"one", "two"}));
    w->DeleteRow(0);
    EXPECT_EQ(w.text(), TextOfLines({"two"}));
    EXPECT_EQ(w->Row(), 0);
    EXPECT_EQ(w->Col(), 0);
    w.setText(TextOfLines({"one"}) + QStringLiteral("two"));
    w->DeleteRow(0);
    EXPECT_EQ(w->Row(), 0);
    w.setText(QStringLiteral("one") + crlf + QStringLiteral("two"));
    w->SetRowCol(1, 1);
    w->DeleteRow(1);
    EXPECT_EQ(w.text(), TextOfLines({"one"}));

    // GetSelTextBuf: a buffer of 5 takes 4 characters and a zero.
    w.setText(QStringLiteral("0123456789"));
    SelectCells(*w, 0, 0, 0, 10);
    QChar buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), QLatin1Char('#'));
    EXPECT_EQ(w->GetSelTextBuf(buffer, 5), 4);
    EXPECT_EQ(QString(buffer, 4), QStringLiteral("0123"));
    EXPECT_EQ(buffer[4], QChar(0));
    EXPECT_EQ(buffer[5], QLatin1Char('#'));
    EXPECT_EQ(w->GetSelTextBuf(buffer, 0), 0);

    // Undo and redo end the selection first.
    w->SelTabIndent();
    ASSERT_TRUE(w->CanUndo());
    SelectCells(*w, 0, 1, 0, 3);
    w->Undo();
    EXPECT_FALSE(w->SelectedData());
    EXPECT_EQ(w.text(), QStringLiteral("0123456789"));
    EXPECT_TRUE(w->CanRedo());
    w->Redo();
    EXPECT_EQ(w.text(), QStringLiteral("\t0123456789"));
    w->Clear();
    EXPECT_EQ(w->ListCount(), 0);
    EXPECT_FALSE(w->CanUndo());
}

TEST(EditorCommands, ListToFileWritesScreenRows)
{
    EditorWindow w;
    w->WrapOption()->SetWrapByte(20);
    w->SetWordWrap(true);
    w.setText(QString(30, QLatin1Char('x')) + crlf + QStringLiteral("y"));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("rows.txt"));
    w->ListToFile(file);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray bytes = f.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    const QStringList rows = QString::fromUtf8(bytes).split(crlf);
    ASSERT_GE(rows.size(), 3);
    EXPECT_EQ(rows[0].size() + rows[1].size(), 30);
    EXPECT_GT(rows[1].size(), 0);
    EXPECT_EQ(rows[2], QStringLiteral("y"));
}
