// Keys, typing, the input method and the code-assist request of the editor
// control, driven by key events on a shown, focused editor.

#include "editorwidget.h"

#include <QInputMethodEvent>
#include <QScrollBar>
#include <QSignalSpy>

#include <functional>

namespace {

const QString crlf = QStringLiteral("\r\n");

void key(TEditor &e, Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier)
{
    QTest::keyClick(&e, k, m);
}

// Typed characters, as a keyboard (or an input method) sends them.
void typeText(TEditor &e, const QString &text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&e, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&e, &release);
    }
}

struct KeyCase
{
    const char *name;
    QString text;
    int row;
    int col;
    std::function<void(TEditor &)> setup;
    std::function<void(TEditor &)> keys;
    QString expected;
    int expectedRow;
    int expectedCol;
};

void softTabs(TEditor &e, int size)
{
    e.Caret()->SetTabSpaceCount(size);
    e.Caret()->SetSoftTab(true);
}

} // namespace

TEST(EditorKeys, EditingKeyTable)
{
    const KeyCase cases[] = {
        {"Tab to the next stop with soft tabs", QStringLiteral("abcde") + crlf, 0, 5, [](TEditor &e) { softTabs(e, 4); },
         [](TEditor &e) { key(e, Qt::Key_Tab); }, QStringLiteral("abcde   ") + crlf, 0, 8},
        {"Tab stops at the wrap width",
         QString(21, QLatin1Char('x')) + crlf, 0, 21,
         [](TEditor &e) {
             softTabs(e, 4);
             e.WrapOption()->SetWrapByte(22);
             e.SetWordWrap(true);
         },
         [](TEditor &e) { key(e, Qt::Key_Tab); }, QString(21, QLatin1Char('x')) + QStringLiteral(" ") + crlf, -1, -1},
        {"Tab character without soft tabs", QStringLiteral("ab") + crlf, 0, 2,
         [](TEditor &e) { e.Caret()->SetSoftTab(false); }, [](TEditor &e) { key(e, Qt::Key_Tab); },
         QStringLiteral("ab\t") + crlf, 0, 8},
        {"Tab in overwrite mode only moves", QStringLiteral("abcdefgh") + crlf, 0, 1,
         [](TEditor &e) {
             softTabs(e, 4);
             e.SetOverWrite(true);
         },
         [](TEditor &e) { key(e, Qt::Key_Tab); }, QStringLiteral("abcdefgh") + crlf, 0, 4},
        {"Return keeps the indentation", QStringLiteral("  abc") + crlf, 0, 3, nullptr,
         [](TEditor &e) { key(e, Qt::Key_Return); }, QStringLiteral("  a") + crlf + QStringLiteral("  bc") + crlf, 1, 2},
        {"Shift+Return opens an indented line above", QStringLiteral("  abc") + crlf, 0, 3, nullptr,
         [](TEditor &e) { key(e, Qt::Key_Return, Qt::ShiftModifier); },
         QStringLiteral("  ") + crlf + QStringLiteral("  abc") + crlf, 0, 2},
        {"Return without auto-indent", QStringLiteral("  abc") + crlf, 0, 3,
         [](TEditor &e) { e.Caret()->SetAutoIndent(false); }, [](TEditor &e) { key(e, Qt::Key_Return); },
         QStringLiteral("  a") + crlf + QStringLiteral("bc") + crlf, 1, 0},
        {"Return with tab indentation", QStringLiteral("      x") + crlf, 0, 7,
         [](TEditor &e) {
             e.Caret()->SetTabSpaceCount(4);
             e.Caret()->SetTabIndent(true);
         },
         [](TEditor &e) { key(e, Qt::Key_Return); }, QStringLiteral("      x") + crlf + QStringLiteral("\t  ") + crlf, 1, 6},
        {"Return on the end-of-text row", QStringLiteral("ab") + crlf, 1, 0, nullptr,
         [](TEditor &e) { key(e, Qt::Key_Return); }, QStringLiteral("ab") + crlf + crlf, 2, 0},
        {"Return in an empty editor", QString(), 0, 0, nullptr, [](TEditor &e) { key(e, Qt::Key_Return); }, crlf, 1, 0},
        {"Backspace back to the indentation above",
         QStringLiteral("    x") + crlf + QStringLiteral("        ") + crlf, 1, 8, nullptr,
         [](TEditor &e) { key(e, Qt::Key_Backspace); }, QStringLiteral("    x") + crlf + QStringLiteral("    ") + crlf, 1, 4},
        {"Backspace removes one character", QStringLiteral("abc") + crlf, 0, 2, nullptr,
         [](TEditor &e) { key(e, Qt::Key_Backspace); }, QStringLiteral("ac") + crlf, 0, 1},
        {"Backspace removes a wide character whole", QStringLiteral("aあb") + crlf, 0, 3, nullptr,
         [](TEditor &e) { key(e, Qt::Key_Backspace); }, QStringLiteral("ab") + crlf, 0, 1},
        {"Backspace joins the line above", QStringLiteral("ab") + crlf + QStringLiteral("cd") + crlf, 1, 0, nullptr,
         [](TEditor &e) { key(e, Qt::Key_Backspace); }, QStringLiteral("abcd") + crlf, 0, 2},
        {"Backspace on the end-of-text row removes the final break", QStringLiteral("ab") + crlf, 1, 0, nullptr,
         [](TEditor &e) { key(e, Qt::Key_Backspace); }, QStringLiteral("ab"), 0, 2},
        {"Backspace at the start of the text", QStringLiteral("ab") + crlf, 0, 0, nullptr,
         [](TEditor &e) { key(e, Qt::Key_Backspace); }, QStringLiteral("ab") + crlf, 0, 0},
        {"Backspace at the start of a continuation row",
         QString(25, QLatin1Char('x')) + QStringLiteral("y") + crlf, 1, 0,
         [](TEditor &e) {
             e.WrapOption()->SetWrapByte(20);
             e.SetWordWrap(true);
         },
         [](TEditor &e) { key(e, Qt::Key_Backspace); }, QString(24, QLatin1Char('x')) + QStringLiteral("y") + crlf,
         -1, -1},
        {"Delete removes the character at the caret", QStringLiteral("abc") + crlf, 0, 1, nullptr,
         [](TEditor &e) { key(e, Qt::Key_Delete); }, QStringLiteral("ac") + crlf, 0, 1},
        {"Delete removes the final line break", QStringLiteral("ab") + crlf, 0, 2, nullptr,
         [](TEditor &e) { key(e, Qt::Key_Delete); }, QStringLiteral("ab"), 0, 2},
        {"Delete joins the next line", QStringLiteral("ab") + crlf + QStringLiteral("cd") + crlf, 0, 2, nullptr,
         [](TEditor &e) { key(e, Qt::Key_Delete); }, QStringLiteral("abcd") + crlf, 0, 2},
        {"Delete past the end pads with blanks", QStringLiteral("ab") + crlf + QStringLiteral("cd") + crlf, 0, 5,
         [](TEditor &e) { e.Caret()->SetFreeCaret(true); }, [](TEditor &e) { key(e, Qt::Key_Delete); },
         QStringLiteral("ab   cd") + crlf, 0, 5},
        {"Delete at the end of a text without break", QStringLiteral("ab"), 0, 2, nullptr,
         [](TEditor &e) { key(e, Qt::Key_Delete); }, QStringLiteral("ab"), 0, 2},
        {"Typing inserts at the caret", QStringLiteral("ac") + crlf, 0, 1, nullptr,
         [](TEditor &e) { typeText(e, QStringLiteral("b")); }, QStringLiteral("abc") + crlf, 0, 2},
        {"Typing past the end fills with blanks", QStringLiteral("ab") + crlf, 0, 4,
         [](TEditor &e) { e.Caret()->SetFreeCaret(true); }, [](TEditor &e) { typeText(e, QStringLiteral("x")); },
         QStringLiteral("ab  x") + crlf, 0, 5},
        {"Overwrite over the first half of a wide character", QStringLiteral("あいう") + crlf, 0, 0,
         [](TEditor &e) { e.SetOverWrite(true); }, [](TEditor &e) { typeText(e, QStringLiteral("x")); },
         QStringLiteral("x いう") + crlf, 0, 1},
        {"Overwrite replaces a character", QStringLiteral("abc") + crlf, 0, 1, [](TEditor &e) { e.SetOverWrite(true); },
         [](TEditor &e) { typeText(e, QStringLiteral("X")); }, QStringLiteral("aXc") + crlf, 0, 2},
        {"Control characters are not typed", QStringLiteral("ab") + crlf, 0, 1, nullptr,
         [](TEditor &e) { typeText(e, QString(QChar(3)) + QChar(0x1B) + QChar(0)); }, QStringLiteral("ab") + crlf, 0, 1},
        {"Typing replaces a selection", QStringLiteral("abcd") + crlf, 0, 1, nullptr,
         [](TEditor &e) {
             key(e, Qt::Key_Right, Qt::ShiftModifier);
             key(e, Qt::Key_Right, Qt::ShiftModifier);
             typeText(e, QStringLiteral("X"));
         },
         QStringLiteral("aXd") + crlf, 0, 2},
        {"Backspace deletes a selection over rows", QStringLiteral("abc") + crlf + QStringLiteral("def") + crlf, 0, 1,
         nullptr,
         [](TEditor &e) {
             key(e, Qt::Key_Down, Qt::ShiftModifier);
             key(e, Qt::Key_Backspace);
         },
         QStringLiteral("aef") + crlf, 0, 1},
        {"Read-only ignores editing keys", QStringLiteral("abc") + crlf, 0, 1, [](TEditor &e) { e.SetReadOnly(true); },
         [](TEditor &e) {
             typeText(e, QStringLiteral("x"));
             key(e, Qt::Key_Backspace);
             key(e, Qt::Key_Delete);
             key(e, Qt::Key_Return);
             key(e, Qt::Key_Tab);
         },
         QStringLiteral("abc") + crlf, 0, 1},
    };
    for (const KeyCase &c : cases) {
        SCOPED_TRACE(c.name);
        EditorWindow w(640, 300);
        w->Caret()->SetFreeCaret(false);
        if (c.setup)
            c.setup(*w);
        w.setText(c.text, c.row, c.col);
        c.keys(*w);
        EXPECT_EQ(w.text(), c.expected);
        if (c.expectedRow >= 0) {
            EXPECT_EQ(w->Row(), c.expectedRow);
            EXPECT_EQ(w->Col(), c.expectedCol);
        }
    }
}

TEST(EditorKeys, EveryEditIsOneUndoStep)
{
    EditorWindow w;
    w.setText(QStringLiteral("  abc") + crlf, 0, 3);
    key(*w, Qt::Key_Return);
    typeText(*w, QStringLiteral("xy"));
    key(*w, Qt::Key_Backspace);
    EXPECT_EQ(w->EditorUndoObj()->UndoList().Count(), 4);
    for (int i = 0; i < 4; ++i)
        w->InternalList()->Undo();
    EXPECT_EQ(w.text(), QStringLiteral("  abc") + crlf);
}

TEST(EditorKeys, NavigationTable)
{
    struct NavCase
    {
        const char *name;
        QString text;
        int row;
        int col;
        std::function<void(TEditor &)> setup;
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        int expectedRow;
        int expectedCol;
    };
    const NavCase cases[] = {
        {"Right at a row's end stays without NextLine", QStringLiteral("ab") + crlf + QStringLiteral("cd"), 0, 2,
         nullptr, Qt::Key_Right, Qt::NoModifier, 0, 2},
        {"Right at a row's end goes on with NextLine", QStringLiteral("ab") + crlf + QStringLiteral("cd"), 0, 2,
         [](TEditor &e) { e.Caret()->SetNextLine(true); }, Qt::Key_Right, Qt::NoModifier, 1, 0},
        {"Right at the end of a wrapped row goes on", QString(25, QLatin1Char('x')), 0, 19,
         [](TEditor &e) {
             e.WrapOption()->SetWrapByte(20);
             e.SetWordWrap(true);
         },
         Qt::Key_Right, Qt::NoModifier, 1, 0},
        {"Left at column 0 stays without NextLine", QStringLiteral("ab") + crlf + QStringLiteral("cd"), 1, 0, nullptr,
         Qt::Key_Left, Qt::NoModifier, 1, 0},
        {"Left at column 0 goes up with NextLine", QStringLiteral("ab") + crlf + QStringLiteral("cd"), 1, 0,
         [](TEditor &e) { e.Caret()->SetNextLine(true); }, Qt::Key_Left, Qt::NoModifier, 0, 2},
        {"Left steps over a wide character", QStringLiteral("aあb"), 0, 3, nullptr, Qt::Key_Left, Qt::NoModifier, 0, 1},
        {"End goes to the row's width", QStringLiteral("aあ\tb"), 0, 0, nullptr, Qt::Key_End, Qt::NoModifier, 0, 9},
        {"Ctrl+End goes to the end of the text", QStringLiteral("ab") + crlf + QStringLiteral("cde"), 0, 1, nullptr,
         Qt::Key_End, Qt::ControlModifier, 1, 3},
        {"Ctrl+Home goes to the start", QStringLiteral("ab") + crlf + QStringLiteral("cde"), 1, 2, nullptr,
         Qt::Key_Home, Qt::ControlModifier, 0, 0},
        {"Down stops at the last row without break", QStringLiteral("ab") + crlf + QStringLiteral("cd"), 1, 1, nullptr,
         Qt::Key_Down, Qt::NoModifier, 1, 1},
        {"Down reaches the end-of-text row", QStringLiteral("ab") + crlf, 0, 1, nullptr, Qt::Key_Down, Qt::NoModifier,
         1, 0},
        {"Word jump right lands on the cell after a wide word", QStringLiteral("あいう abc def"), 0, 0, nullptr,
         Qt::Key_Right, Qt::ControlModifier, 0, 7},
        {"Word jump left lands on the word's cell", QStringLiteral("あいう abc def"), 0, 11, nullptr, Qt::Key_Left,
         Qt::ControlModifier, 0, 7},
        {"Word jump right over a character outside the basic plane", QStringLiteral("𠮷田 abc"), 0, 0, nullptr,
         Qt::Key_Right, Qt::ControlModifier, 0, 7},
        {"Word jump left over a character outside the basic plane", QStringLiteral("𠮷田 abc"), 0, 10, nullptr,
         Qt::Key_Left, Qt::ControlModifier, 0, 7},
        {"Word jump right at the end of the text stays", QStringLiteral("ab cd"), 0, 5, nullptr, Qt::Key_Right,
         Qt::ControlModifier, 0, 5},
        {"Word jump right from a row's end to the next row", QStringLiteral("ab") + crlf + QStringLiteral("  cd"), 0, 2,
         nullptr, Qt::Key_Right, Qt::ControlModifier, 1, 2},
        {"Word jump left from a row start stops at the end above", QStringLiteral("ab") + crlf + QStringLiteral("cd"),
         1, 0, nullptr, Qt::Key_Left, Qt::ControlModifier, 0, 2},
    };
    for (const NavCase &c : cases) {
        SCOPED_TRACE(c.name);
        EditorWindow w(640, 300);
        w->Caret()->SetFreeCaret(false);
        w->Caret()->SetNextLine(false);
        w->Caret()->SetTabSpaceCount(8);
        if (c.setup)
            c.setup(*w);
        w.setText(c.text, c.row, c.col);
        key(*w, c.key, c.mods);
        EXPECT_EQ(w->Row(), c.expectedRow);
        EXPECT_EQ(w->Col(), c.expectedCol);
    }
}

TEST(EditorKeys, PageDownKeepsTheScreenRow)
{
    EditorWindow w(400, 100);
    // 21 visible rows.
    const int height = 21 * w->RowHeight() + w->TopMargin() + 5;
    w->resize(400, height);
    ASSERT_EQ(w->RowCount(), 21);
    w->Speed()->SetPageVerticalRange(2);
    QString text;
    for (int i = 0; i < 100; ++i)
        text += QString::number(i) + crlf;
    w.setText(text, 3, 0);
    key(*w, Qt::Key_PageDown);
    EXPECT_EQ(w->TopRow(), 20);
    EXPECT_EQ(w->Row(), 23);
    key(*w, Qt::Key_PageUp);
    EXPECT_EQ(w->TopRow(), 0);
    EXPECT_EQ(w->Row(), 3);
    key(*w, Qt::Key_PageUp);
    EXPECT_EQ(w->Row(), 0) << "at the top the caret goes to the first row";
}

TEST(EditorKeys, ScrollBarsAndWheelMoveTheView)
{
    EditorWindow w(400, 200);
    w->SetScrollBars(ssBoth);
    QString text;
    for (int i = 0; i < 100; ++i)
        text += QString::number(i) + crlf;
    w.setText(text, 0, 0);
    w->verticalScrollBar()->setValue(30);
    EXPECT_EQ(w->TopRow(), 30);
    EXPECT_EQ(w->Row(), 0) << "the caret stays without LockScroll";
    QWheelEvent wheel(QPointF(50, 50), w->viewport()->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w->viewport(), &wheel);
    EXPECT_GT(w->TopRow(), 30);
    w->Caret()->SetLockScroll(true);
    const int row = w->Row();
    const int top = w->TopRow();
    w->verticalScrollBar()->setValue(top + 5);
    EXPECT_EQ(w->Row(), row + 5) << "LockScroll carries the caret along";
    w->SetTopRow(1000);
    EXPECT_EQ(w->TopRow(), 100) << "cut to the row count";
    EXPECT_EQ(w->verticalScrollBar()->value(), 100);
}

TEST(EditorKeys, ShiftArrowsSelect)
{
    EditorWindow w;
    w.setText(QStringLiteral("abc") + crlf + QStringLiteral("def") + crlf, 0, 1);
    key(*w, Qt::Key_Right, Qt::ShiftModifier);
    key(*w, Qt::Key_Down, Qt::ShiftModifier);
    ASSERT_TRUE(w->Selected());
    EXPECT_EQ(w->SelText(), QStringLiteral("bc") + crlf + QStringLiteral("de"));
    // The same range made backwards gives the same positions.
    const TSelectedPosition forward = w->SelStrPosition();
    const TSelectedPosition forwardDraw = w->SelDrawPosition();
    key(*w, Qt::Key_Left);
    EXPECT_FALSE(w->SelectedData());
    w->SetRowCol(1, 2);
    key(*w, Qt::Key_Up, Qt::ShiftModifier);
    key(*w, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(w->SelStrPosition(), forward);
    EXPECT_EQ(w->SelDrawPosition(), forwardDraw);
}

TEST(EditorKeys, InputMethodCommitIsInsertedOnce)
{
    EditorWindow w;
    w.setText(QStringLiteral("ab") + crlf, 0, 1);
    QInputMethodEvent preedit(QStringLiteral("にほんご"), {});
    QApplication::sendEvent(w.editor.get(), &preedit);
    EXPECT_EQ(w.text(), QStringLiteral("ab") + crlf) << "a composition is not text yet";
    EXPECT_FALSE(w->CaretShowing()) << "the caret hides while composing";
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("日本語"));
    QApplication::sendEvent(w.editor.get(), &commit);
    EXPECT_EQ(w.text(), QStringLiteral("a日本語b") + crlf);
    EXPECT_EQ(w->Col(), 7);
    // The keys typed next are the user's, not leftovers of the commit.
    typeText(*w, QStringLiteral("xyz"));
    EXPECT_EQ(w.text(), QStringLiteral("a日本語xyzb") + crlf);
    const QRect cursor = w->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    EXPECT_EQ(cursor.topLeft(), w->CaretPoint() + w->viewport()->pos());
    // The candidate window follows the composition's cursor, after a
    // character outside the basic plane (two wide cells per unit).
    QInputMethodEvent composing(QStringLiteral("𠮷あ"), {{QInputMethodEvent::Cursor, 2, 1, QVariant()}});
    QApplication::sendEvent(w.editor.get(), &composing);
    EXPECT_EQ(w->inputMethodQuery(Qt::ImCursorRectangle).toRect().left(), cursor.left() + 4 * w->ColWidth());
    // A composition left unfinished when the focus goes does not keep the
    // caret hidden when it comes back.
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(w.editor.get(), &out);
    QFocusEvent in(QEvent::FocusIn);
    QApplication::sendEvent(w.editor.get(), &in);
    EXPECT_TRUE(w->CaretShowing());
}

TEST(EditorKeys, CodeAssistRequests)
{
    EditorWindow w;
    QSignalSpy spy(w.editor.get(), &TEditor::CodeAssist);
    w->SetCodeAssistCallOfDot(true);
    w.setText(QStringLiteral("select t") + crlf, 0, 8);

    // A full stop without delay: inserted, and the request names the caret after it.
    typeText(*w, QStringLiteral("."));
    EXPECT_EQ(w.text(), QStringLiteral("select t.") + crlf);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.takeFirst().at(0).toPoint(), w->CaretPoint());

    // With a delay, a caret move before it runs out cancels the request.
    w->SetCodeAssistDelayShow(true);
    w->SetCodeAssistDelayTime(300);
    typeText(*w, QStringLiteral("."));
    key(*w, Qt::Key_Left);
    QTest::qWait(450);
    EXPECT_EQ(spy.count(), 0);
    // Left alone, it goes out once the delay has passed.
    key(*w, Qt::Key_End);
    typeText(*w, QStringLiteral("."));
    const QPoint point = w->CaretPoint();
    EXPECT_EQ(spy.count(), 0);
    EXPECT_TRUE(spy.wait(2000));
    EXPECT_EQ(spy.takeFirst().at(0).toPoint(), point);

    // Ctrl+Space asks and inserts nothing; so does F6.
    const QString before = w.text();
    key(*w, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(w.text(), before);
    key(*w, Qt::Key_F6);
    EXPECT_EQ(spy.count(), 2);

    // Read-only: only F6 asks.
    spy.clear();
    w->SetReadOnly(true);
    w->SetCodeAssistDelayShow(false);
    typeText(*w, QStringLiteral("."));
    key(*w, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(w.text(), before);
    key(*w, Qt::Key_F6);
    EXPECT_EQ(spy.count(), 1);
}

TEST(EditorKeys, PendingCodeAssistEndsWithTheEditor)
{
    auto w = std::make_unique<EditorWindow>();
    (*w)->SetCodeAssistCallOfDot(true);
    (*w)->SetCodeAssistDelayShow(true);
    (*w)->SetCodeAssistDelayTime(100);
    int requests = 0;
    QObject::connect(w->editor.get(), &TEditor::CodeAssist, [&requests] { ++requests; });
    typeText(**w, QStringLiteral("."));
    w.reset();
    QTest::qWait(200);
    EXPECT_EQ(requests, 0);
}

TEST(EditorKeys, MouseMovesTheCaretAndSelects)
{
    EditorWindow w;
    w.setText(QStringLiteral("abcdef") + crlf + QStringLiteral("ghijkl") + crlf);
    const int fw = w->ColWidth();
    const int y0 = w->TopMargin() + 2;
    const int y1 = y0 + w->RowHeight();
    QWidget *view = w->viewport();
    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, QPoint(w->LeftMargin() + 2 * fw + 1, y1));
    EXPECT_EQ(w->Row(), 1);
    EXPECT_EQ(w->Col(), 2);
    EXPECT_FALSE(w->Selected()) << "a click without movement selects nothing";
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, QPoint(w->LeftMargin() + 1 * fw + 1, y0));
    QMouseEvent move(QEvent::MouseMove, QPointF(w->LeftMargin() + 4 * fw + 1, y0), view->mapToGlobal(QPointF(0, 0)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &move);
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, QPoint(w->LeftMargin() + 4 * fw + 1, y0));
    ASSERT_TRUE(w->Selected());
    EXPECT_EQ(w->SelText(), QStringLiteral("bcd"));
}
