// The SQL editing control: word selection, jumping, row marks, case
// conversion, search and replace, and its handling of undo, wheel and focus.

#include "memohost.h"

#include "core/zkforms.h"
#include "core/zkoption.h"
#include "sqleditor/zksub_editor.h"
#include "editorcontrol/edwrap.h"

#include <QSignalSpy>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

const QString crlf = QStringLiteral("\r\n");
constexpr TSearchOptions Down = SearchOptionBit(sfrDown);

QString lines(int n)
{
    QString text;
    for (int i = 0; i < n; ++i)
        text += QStringLiteral("line%1").arg(i) + crlf;
    return text;
}

} // namespace

TEST(ZkMemo, DoubleClickSelectsTheWordBeforeTheCaret)
{
    struct Case
    {
        const char *name;
        const char *text;
        int col;          // caret column after the click
        const char *word; // selected text; empty: nothing selected
    } cases[] = {
        {"inside Orders of dbo.Orders", "dbo.Orders x", 7, "Orders"},
        {"= is no delimiter", "a=b", 1, "a=b"},
        {"caret at column 0", "select", 0, ""},
        {"after a delimiter", "(x)", 1, ""},
        {"Japanese word", "where 名前 = 1", 7, "名前"},
        {"end of the line", "from tbl", 8, "tbl"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        MemoHost host;
        host.setText(QString::fromUtf8(c.text), 0, 0);
        // The column counts cells: a wide character takes two.
        const QString s = QString::fromUtf8(c.text);
        int cells = 0;
        for (int i = 0; i < c.col; ++i)
            cells += s[i].unicode() > 0xFF ? 2 : 1;
        host->SetRowCol(0, cells);
        host->SelectWordFromCaret();
        EXPECT_EQ(host->Selected() ? host->SelText() : QString(), QString::fromUtf8(c.word));
    }
}

TEST(ZkMemo, MouseDoubleClickGoesThroughTheWordRule)
{
    MemoHost host;
    host.setText(QStringLiteral("select dbo.Orders"));
    host->SetRowCol(0, 13);
    const QPoint p = host->CaretPoint() + QPoint(1, 2);
    QTest::mouseDClick(host->viewport(), Qt::LeftButton, Qt::NoModifier, p);
    EXPECT_EQ(host->SelText(), QStringLiteral("Orders"));
}

TEST(ZkMemo, JumpGoesToTheLineTheBarNumbers)
{
    struct Case
    {
        const char *name;
        bool wrap;
        bool zeroBase;
        int line;
        int row; // expected caret row
    } cases[] = {
        {"first line", false, false, 1, 0},
        {"line 3 of ten: the visit of row -8 is skipped", false, false, 3, 2},
        {"beyond the last line", false, false, 500, 10},
        {"below 1", false, false, -4, 0},
        {"zero-based bar", false, true, 3, 3},
        {"wrapped lines: line 3 starts at its first row", true, false, 3, 4},
        {"wrapped lines: beyond the end", true, false, 99, 7},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        MemoHost host;
        host->Leftbar()->SetZeroBase(c.zeroBase);
        if (c.wrap) {
            host->WrapOption()->SetWrapByte(20);
            host->SetWordWrap(true);
            // Lines 1 and 2 take two rows each; the text ends with a break.
            const QString longLine = QString(30, QLatin1Char('x'));
            host.setText(longLine + crlf + longLine + crlf + QStringLiteral("three") + crlf + QStringLiteral("four")
                         + crlf + QStringLiteral("five") + crlf);
        } else {
            host.setText(lines(10));
        }
        host->Jump(c.line);
        EXPECT_EQ(host->Row(), c.row);
        EXPECT_EQ(host->Col(), 0);
    }
}

TEST(ZkMemo, RowMarksTakeTheLowestFreeNumber)
{
    MemoHost host;
    host.setText(lines(20));
    auto markAt = [&](int row) {
        host->SetRowCol(row, 0);
        host->SetRowMark();
    };
    markAt(1);
    markAt(2);
    EXPECT_EQ(host->ListRowMarks(1), RowMarkBit(rm0));
    EXPECT_EQ(host->ListRowMarks(2), RowMarkBit(rm1));
    markAt(5);
    EXPECT_EQ(host->ListRowMarks(5), RowMarkBit(rm2));
    markAt(2); // removes mark 1, which is free again
    EXPECT_EQ(host->ListRowMarks(2), 0);
    markAt(7);
    EXPECT_EQ(host->ListRowMarks(7), RowMarkBit(rm1));
    EXPECT_TRUE(host->UsingRowMark());

    host->SetRowCol(0, 3);
    host->NextRowMark();
    EXPECT_EQ(host->Row(), 1);
    host->NextRowMark();
    EXPECT_EQ(host->Row(), 5);
    host->SetRowCol(15, 0);
    host->NextRowMark();
    EXPECT_EQ(host->Row(), 15) << "no mark below: the caret stays";
    host->PrevRowMark();
    EXPECT_EQ(host->Row(), 7);

    // All ten in use: number 0 moves to the caret row.
    for (int r = 10; r < 17; ++r)
        markAt(r);
    markAt(18);
    EXPECT_EQ(host->ListRowMarks(18), RowMarkBit(rm0));
    EXPECT_EQ(host->ListRowMarks(1), 0);
}

TEST(ZkMemo, CaseConversionIsOneUndoStepAlsoWithWrap)
{
    for (bool wrap : {false, true}) {
        SCOPED_TRACE(wrap ? "wrapped" : "plain");
        MemoHost host;
        if (wrap) {
            host->WrapOption()->SetWrapByte(20);
            host->SetWordWrap(true);
        }
        const QString text =
            QStringLiteral("select straße, ") + QString(30, QLatin1Char('a')) + crlf + QStringLiteral("from tbl");
        host.setText(text);
        host->SetModified(false);
        QSignalSpy changed(host.memo, &TEditor::OnChange);
        host->EMSetSel(7, int(text.size()) - 4);
        const QString selected = host->SelText();
        host->SelUpperCase();
        EXPECT_EQ(host.text(),
                  QStringLiteral("select STRAßE, ") + QString(30, QLatin1Char('A')) + crlf + QStringLiteral("FROM tbl"))
            << "ß keeps its length";
        EXPECT_TRUE(host->Modified());
        EXPECT_GE(changed.count(), 1);
        EXPECT_EQ(host->SelText().size(), selected.size()) << "the converted text stays selected";
        host->WMUndo(0);
        EXPECT_EQ(host.text(), text) << "one step undoes the conversion";
        host->EMSetSel(0, 6);
        host->SetReadOnly(true);
        host->SelUpperCase();
        EXPECT_EQ(host.text(), text) << "read-only";
    }
}

TEST(ZkMemo, UndoMessageRespectsReadOnly)
{
    MemoHost host;
    host.setText(QString());
    host->PutStringToLine(QStringLiteral("abc"));
    host->WMUndo(0);
    EXPECT_EQ(host.text(), QString());
    host->SetReadOnly(true);
    host->WMUndo(1);
    EXPECT_EQ(host.text(), QString()) << "redo refused while read-only";
    host->SetReadOnly(false);
    host->WMUndo(1);
    EXPECT_EQ(host.text(), QStringLiteral("abc"));
}

TEST(ZkMemo, SearchCommands)
{
    MemoHost host;
    StubDialogs dialogs;
    host->SetDialogs(&dialogs);
    host.setText(QStringLiteral("select a from t") + crlf + QStringLiteral("select b from u") + crlf);

    // Before any dialog: no message, no wrap; an empty text finds nothing.
    EXPECT_EQ(host->NextSearch(), 7);
    EXPECT_TRUE(dialogs.notFound.isEmpty());

    // A text that does not occur: the message names it.
    dialogs.answers = {{true, QStringLiteral("zzz"), {}, Down}};
    host->ShowSearchDialog();
    ASSERT_EQ(dialogs.notFound.size(), 1);
    EXPECT_EQ(dialogs.notFound[0], QStringLiteral("検索文字列  「zzz」\r\nは見つかりませんでした。"));

    // Without match case and whole word every occurrence is highlighted.
    dialogs.answers = {{true, QStringLiteral("from"), {}, Down}};
    host->SetRowCol(0, 0);
    host->ShowSearchDialog();
    EXPECT_EQ(host->HitText(), QStringLiteral("from"));
    EXPECT_EQ(host->Row(), 0);
    EXPECT_EQ(host->NextSearch(), 6);
    EXPECT_EQ(host->Row(), 1);
    dialogs.notFound.clear();
    EXPECT_EQ(host->NextSearch(), 7);
    EXPECT_EQ(dialogs.notFound.size(), 1);

    // Match case leaves the highlighting empty.
    dialogs.answers = {{true, QStringLiteral("select"), {}, Down | SearchOptionBit(sfrMatchCase)}};
    host->SetRowCol(0, 0);
    host->ShowSearchDialog();
    EXPECT_EQ(host->HitText(), QString());

    // The selection that is also the previous text: the next occurrence.
    host->SetRowCol(0, 0);
    host->EMSetSel(0, 6);
    dialogs.answers = {{true, QString(), {}, Down}};
    host->ShowSearchDialog();
    EXPECT_EQ(host->Row(), 1);
    EXPECT_EQ(host->SelStart(), 17);

    // With research on, the search wraps to the top.
    dialogs.research = true;
    dialogs.answers = {{true, QStringLiteral("select"), {}, Down}};
    host->SetRowCol(2, 0);
    host->ShowSearchDialog();
    EXPECT_EQ(host->SelStart(), 0);
    EXPECT_EQ(host->PrevSearch(), 6) << "upwards from the first: wraps to the bottom";
    EXPECT_EQ(host->Row(), 1);

    // Cancel with nothing selected empties the search text.
    host->CleanSelection();
    dialogs.answers = {{false, QString(), {}, 0}};
    host->ShowSearchDialog();
    EXPECT_EQ(host->SearchValue(), QString());
    EXPECT_EQ(host->NextSearch(), 7);
}

TEST(ZkMemo, ReplaceCommands)
{
    const QString text = QStringLiteral("a x a") + crlf + QStringLiteral("b a") + crlf;
    {
        SCOPED_TRACE("replace all: every hit, highlighting cleared, one not-found for none");
        MemoHost host;
        StubDialogs dialogs;
        host->SetDialogs(&dialogs);
        host.setText(text, 1, 2);
        dialogs.answers = {{true, QStringLiteral("a"), QStringLiteral("aa"), Down | SearchOptionBit(sfrReplaceAll)}};
        host->ShowReplaceDialog();
        EXPECT_EQ(host.text(), QStringLiteral("aa x aa") + crlf + QStringLiteral("b aa") + crlf);
        EXPECT_EQ(host->HitText(), QString());
        EXPECT_TRUE(dialogs.notFound.isEmpty());
        dialogs.answers = {{true, QStringLiteral("zz"), QStringLiteral("y"), Down | SearchOptionBit(sfrReplaceAll)}};
        host->ShowReplaceDialog();
        EXPECT_EQ(dialogs.notFound.size(), 1);
        EXPECT_EQ(host.text(), QStringLiteral("aa x aa") + crlf + QStringLiteral("b aa") + crlf);
    }
    {
        SCOPED_TRACE("replace one by one, then cancel");
        MemoHost host;
        StubDialogs dialogs;
        host->SetDialogs(&dialogs);
        host.setText(text);
        const TSearchOptions one = Down | SearchOptionBit(sfrReplace);
        dialogs.answers = {{true, QStringLiteral("a"), QStringLiteral("Z"), one},
                           {true, QStringLiteral("a"), QStringLiteral("Z"), one},
                           {false, {}, {}, 0}};
        host->ShowReplaceDialog();
        EXPECT_EQ(host.text(), QStringLiteral("Z x Z") + crlf + QStringLiteral("b a") + crlf);
        EXPECT_EQ(dialogs.replaceCalls, 3);
        EXPECT_EQ(host->SelText(), QStringLiteral("a")) << "the next hit waits selected";
    }
    {
        SCOPED_TRACE("read-only: refused");
        MemoHost host;
        StubDialogs dialogs;
        host->SetDialogs(&dialogs);
        host.setText(text);
        host->SetReadOnly(true);
        dialogs.answers = {{true, QStringLiteral("a"), QStringLiteral("b"), Down | SearchOptionBit(sfrReplaceAll)}};
        host->ShowReplaceDialog();
        EXPECT_EQ(dialogs.replaceCalls, 0);
        EXPECT_EQ(host.text(), text);
    }
}

TEST(ZkMemo, WheelScrollsOneRowPerNotch)
{
    MemoHost host(400, 200);
    host.setText(lines(200));
    host->SetTopRow(10);
    auto wheel = [&](int delta) {
        const QPoint p(50, 50);
        QWheelEvent e(p, host->mapToGlobal(p), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(host->viewport(), &e);
    };
    wheel(-120);
    EXPECT_EQ(host->TopRow(), 11);
    wheel(240);
    EXPECT_EQ(host->TopRow(), 9);
    wheel(-60);
    EXPECT_EQ(host->TopRow(), 9) << "half a notch waits";
    wheel(-60);
    EXPECT_EQ(host->TopRow(), 10);
}

TEST(ZkMemo, FocusResetsTheSelectionModes)
{
    MemoHost host;
    auto *other = new QLineEdit(host.form.get());
    other->show();
    host->SetDefaultSelectMode(smLine);
    host->setFocus();
    host->SetSelectionMode(smBox);
    host->SetKeyDownAltKey(true);
    other->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(host->SelectionMode(), smLine);
    EXPECT_FALSE(host->KeyDownAltKey());
    host->setFocus();
    host->SetSelectionMode(smBox);
    other->setFocus();
    host->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(host->SelectionMode(), smLine);
}

TEST(ZkMemo, LineSinkAndErrorSelection)
{
    MemoHost host;
    host.setText(QStringLiteral("one") + crlf);
    IzkLineSink *sink = host.memo;
    sink->AddLine(QStringLiteral("two"));
    EXPECT_TRUE(host.text().contains(QStringLiteral("two")));
    EXPECT_EQ(host->Col(), 0);
    host.setText(lines(5));
    ISqlErrorSelection *errors = host.memo;
    errors->MultiLineSelect(1, 2);
    EXPECT_EQ(errors->SelText(), QStringLiteral("line1\r\nline2\r\n"));
}

TEST(ZkMemo, FormSetUpGivesTheSharedSettings)
{
    MemoHost host;
    TzkMemoProp holder;
    TFont font = holder.Font();
    font.setPointSize(17);
    holder.SetFont(font);
    holder.SetReserveWordList({QStringLiteral("SELECT")});
    holder.Caret()->SetFreeCaret(true);
    const TCodeAssistOption saved = CodeAssistOption;
    CodeAssistOption.CodeAssistCallOfDot = false;
    CodeAssistOption.CodeAssistDelayTime = 1234;
    prpEditor = &holder;
    host->SetKeyDownAltKey(true);
    TzkForm::ApplyControlSettings(host.memo);
    prpEditor = nullptr;
    CodeAssistOption = saved;
    EXPECT_EQ(host->Font().pointSize(), 17);
    EXPECT_EQ(host->ReserveWordList(), QStringList{QStringLiteral("SELECT")});
    EXPECT_TRUE(host->DefaultCaretFreeCaret());
    EXPECT_FALSE(host->CodeAssistCallOfDot());
    EXPECT_EQ(host->CodeAssistDelayTime(), 1234);
    EXPECT_FALSE(host->KeyDownAltKey());
}
