// The string grid: keyboard modes, check boxes, structure, snapshot and
// pick-list completion, offscreen.
#include "controls/zkgrid.h"
#include "core/zkforms.h"
#include "core/zksub_files.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

class StringGridTest : public ::testing::Test
{
public:
    void SetUp() override
    {
        window = std::make_unique<QWidget>();
        auto *layout = new QHBoxLayout(window.get());
        grid = new TzkStringGrid;
        other = new QLineEdit;
        other->setObjectName("other");
        layout->addWidget(grid);
        layout->addWidget(other);
        window->resize(700, 300);
        grid->SetColCount(4);
        grid->SetRowCount(4);
        grid->SetFixedCols(0);
        grid->SetHeader({"a", "b", "c", "d"});
        grid->SetCol(0);
    }
    void Show()
    {
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        grid->setFocus();
        QApplication::processEvents();
    }
    // The key goes where the user's key would: the focused widget.
    void Key(int key, Qt::KeyboardModifiers shift = Qt::NoModifier)
    {
        QWidget *target = QApplication::focusWidget();
        ASSERT_TRUE(target);
        QTest::keyClick(target, Qt::Key(key), shift);
    }
    void Type(const QString &text) { QTest::keyClicks(QApplication::focusWidget(), text); }
    QPoint Centre(int col, int row) { return grid->CellRect(col, row).center(); }
    void Press(int col, int row, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(grid->viewport(), button, Qt::NoModifier, Centre(col, row));
        QTest::mouseRelease(grid->viewport(), button, Qt::NoModifier, Centre(col, row));
    }
    void Fill()
    {
        for (int r = 1; r < grid->RowCount(); ++r)
            for (int c = 0; c < grid->ColCount(); ++c)
                grid->SetCells(c, r, QString("%1%2").arg(QChar('a' + c)).arg(r));
    }
    // (col, row) of the current cell.
    std::pair<int, int> At() const { return {grid->Col(), grid->Row()}; }

    std::unique_ptr<QWidget> window;
    TzkStringGrid *grid = nullptr;
    QLineEdit *other = nullptr;
};

// --- Keyboard modes --------------------------------------------------------------

TEST_F(StringGridTest, AccessEnterWalksRightAndStopsInTheLastColumn)
{
    grid->SetGridMode(geAccess);
    grid->SetOptions(grid->Options() | goEditing);
    QStringList set;
    grid->OnSetEditText = [&](TzkStringGrid *, int c, int r, const QString &v) {
        set << QString("%1,%2=%3").arg(c).arg(r).arg(v);
    };
    Show();
    ASSERT_TRUE(grid->EditorMode());
    EXPECT_EQ(QApplication::focusWidget(), grid->InplaceEditor());
    Type("x");
    Key(Qt::Key_Return);
    EXPECT_EQ(At(), std::make_pair(1, 1));
    EXPECT_EQ(set, QStringList{"0,1=x"});
    EXPECT_EQ(grid->Cells(0, 1), "x");
    Key(Qt::Key_Return);
    Key(Qt::Key_Return);
    EXPECT_EQ(At(), std::make_pair(3, 1));
    Key(Qt::Key_Return); // the last column: no move, never down
    EXPECT_EQ(At(), std::make_pair(3, 1));
    EXPECT_TRUE(grid->EditorMode());
}

TEST_F(StringGridTest, AccessLeftRightLeaveTheCellOnlyWhenItsTextIsWhollySelected)
{
    Fill();
    grid->SetGridMode(geAccess);
    grid->SetOptions(grid->Options() | goEditing);
    Show();
    grid->FocusCell(1, 1);
    TzkInplaceEditor *ed = grid->InplaceEditor();
    ASSERT_TRUE(ed->hasFocus());
    EXPECT_EQ(ed->selectedText(), "b1");
    Key(Qt::Key_Right); // whole text selected: next cell
    EXPECT_EQ(At(), std::make_pair(2, 1));
    Key(Qt::Key_Left);
    EXPECT_EQ(At(), std::make_pair(1, 1));
    // A partial selection stays in the cell and moves the caret.
    ed->setSelection(0, 1);
    Key(Qt::Key_Right);
    EXPECT_EQ(At(), std::make_pair(1, 1));
    ed->setCursorPosition(1);
    Key(Qt::Key_Left);
    EXPECT_EQ(At(), std::make_pair(1, 1));
    EXPECT_EQ(ed->cursorPosition(), 0);
    // At the start with nothing selected the grid's own step moves on.
    Key(Qt::Key_Left);
    EXPECT_EQ(At(), std::make_pair(0, 1));
}

TEST_F(StringGridTest, ExcelEnterWalksDownOnPlainColumnsOnly)
{
    Fill();
    grid->SetGridMode(geExcel);
    grid->SetOptions(grid->Options() | goEditing);
    grid->SetEditStyles(2, gePickList);
    Show();
    struct Case
    {
        const char *name;
        int col, row;
        Qt::KeyboardModifiers shift;
        int wantRow;
    } cases[] = {
        {"shift+enter on row 1 stays", 0, 1, Qt::ShiftModifier, 1},
        {"shift+enter on row 2 goes up", 0, 2, Qt::ShiftModifier, 1},
        {"enter on the last row stays", 0, 3, Qt::NoModifier, 3},
        {"enter goes down", 0, 1, Qt::NoModifier, 2},
        {"enter on a pick-list column stays", 2, 1, Qt::NoModifier, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        grid->SetEditorMode(false);
        grid->FocusCell(c.col, c.row);
        Key(Qt::Key_Return, c.shift);
        EXPECT_EQ(At(), std::make_pair(c.col, c.wantRow));
    }
    // On a plain column an open editor commits and closes.
    grid->FocusCell(0, 1);
    grid->SetEditorMode(true);
    Type("Z");
    Key(Qt::Key_Return);
    EXPECT_EQ(grid->Cells(0, 1), "a1Z");
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_EQ(At(), std::make_pair(0, 2));
    // On a pick-list column Enter opens and closes the editor instead.
    grid->FocusCell(2, 1);
    Key(Qt::Key_Return);
    EXPECT_TRUE(grid->EditorMode());
    Key(Qt::Key_Return);
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_EQ(At(), std::make_pair(2, 1));
}

TEST_F(StringGridTest, DownOnAPickListCellOpensTheListOnlyWithAltInAccessMode)
{
    grid->SetEditStyles(1, gePickList);
    grid->OnGetPickListitems = [](int, int, QStringList &items) {
        items << "one"
              << "two";
    };
    grid->SetOptions(grid->Options() | goEditing);
    for (TzkGridEditorMode mode : {geAccess, geExcel}) {
        SCOPED_TRACE(mode == geAccess ? "access" : "excel");
        grid->SetGridMode(mode);
        Show();
        grid->FocusCell(1, 1);
        grid->SetEditorMode(true);
        TzkInplaceEditor *ed = grid->InplaceEditor();
        Key(Qt::Key_Down);
        if (mode == geAccess) {
            EXPECT_FALSE(ed->ListVisible());
            EXPECT_EQ(At(), std::make_pair(1, 2));
            grid->FocusCell(1, 1);
            Key(Qt::Key_Down, Qt::AltModifier);
        }
        ASSERT_TRUE(ed->ListVisible());
        EXPECT_EQ(At(), std::make_pair(1, 1));
        EXPECT_EQ(ed->PickList()->count(), 2);
        ed->PickList()->setCurrentRow(1);
        QTest::keyClick(ed->PickList(), Qt::Key_Return);
        EXPECT_FALSE(ed->ListVisible());
        EXPECT_EQ(ed->text(), "two");
    }
}

TEST_F(StringGridTest, FocusEntryCallsSelectCellThenShowEditor)
{
    grid->SetGridMode(geAccess);
    grid->SetOptions(grid->Options() | goEditing);
    QStringList calls;
    grid->OnSelectCell = [&](TzkStringGrid *, int c, int r, bool &can) {
        calls << QString("select %1,%2").arg(c).arg(r);
        can = false; // ignored on entry
    };
    grid->OnShowEditor = [&](TzkStringGrid *, int c, int r, TzkInplaceEditor *) {
        calls << QString("show %1,%2").arg(c).arg(r);
    };
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    other->setFocus();
    calls.clear();
    grid->setFocus();
    ASSERT_GE(calls.size(), 2);
    EXPECT_EQ(calls.mid(calls.size() - 2), (QStringList{"select 0,1", "show 0,1"}));
    // A refused selection keeps the current cell.
    calls.clear();
    Key(Qt::Key_Return);
    EXPECT_EQ(At(), std::make_pair(0, 1));
}

TEST_F(StringGridTest, ReadOnlyCellsOfAnAccessGridGetNoEditor)
{
    grid->SetGridMode(geAccess);
    grid->SetOptions(grid->Options() | goEditing);
    // As the query designer does: column 2 is never edited.
    grid->OnSelectCell = [](TzkStringGrid *g, int c, int, bool &) {
        if (c == 2) {
            g->SetEditorMode(false);
            g->SetOptions(g->Options() & ~TGridOptions(goEditing));
        } else {
            g->SetOptions(g->Options() | goEditing);
        }
    };
    Show();
    grid->FocusCell(1, 1);
    EXPECT_TRUE(grid->EditorMode());
    Key(Qt::Key_Return);
    EXPECT_EQ(At(), std::make_pair(2, 1));
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_FALSE(grid->InplaceEditor()->isVisible());
    Key(Qt::Key_Right);
    EXPECT_EQ(At(), std::make_pair(3, 1));
    EXPECT_TRUE(grid->EditorMode());
}

TEST_F(StringGridTest, FocusLossAndExitActiveControlCommitTheOpenEditor)
{
    grid->SetOptions(grid->Options() | goEditing);
    QStringList set;
    grid->OnSetEditText = [&](TzkStringGrid *, int c, int r, const QString &v) {
        set << QString("%1,%2=%3").arg(c).arg(r).arg(v);
    };
    Show();
    grid->SetEditorMode(true);
    Type("typed");
    EXPECT_TRUE(set.isEmpty());
    ExitActiveControl();
    EXPECT_EQ(set, QStringList{"0,1=typed"});
    Type("!");
    other->setFocus();
    EXPECT_EQ(set.last(), "0,1=typed!");
    EXPECT_EQ(grid->Cells(0, 1), "typed!");
}

TEST_F(StringGridTest, TabLeavesTheGridAfterCommittingUnlessGoTabs)
{
    grid->SetGridMode(geAccess);
    grid->SetOptions(grid->Options() | goEditing);
    Show();
    ASSERT_EQ(QApplication::focusWidget(), grid->InplaceEditor());
    Type("t");
    Key(Qt::Key_Tab);
    EXPECT_EQ(grid->Cells(0, 1), "t");
    EXPECT_EQ(QApplication::focusWidget(), other);
    grid->SetOptions(grid->Options() | goTabs);
    grid->setFocus();
    Key(Qt::Key_Tab);
    EXPECT_EQ(At(), std::make_pair(1, 1));
    Key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(At(), std::make_pair(0, 1));
    EXPECT_EQ(QApplication::focusWidget(), grid->InplaceEditor());
}

// --- Check boxes --------------------------------------------------------------------

TEST_F(StringGridTest, CheckedNeedsExactlyOneInACheckBoxColumn)
{
    grid->SetEditStyles(1, geCheckBox);
    grid->SetEditStyles(2, geViewCheckBox);
    struct Case
    {
        int col;
        const char *text;
        bool checked;
    } cases[] = {{1, "1", true}, {1, "2", false}, {1, " 1", false}, {1, "", false},
                 {2, "1", true}, {0, "1", false}, {9, "1", false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(QString("%1 '%2'").arg(c.col).arg(c.text).toStdString());
        grid->SetCells(c.col, 1, c.text);
        EXPECT_EQ(grid->Checked(c.col, 1), c.checked);
    }
}

TEST_F(StringGridTest, PressesToggleTheCurrentCheckBoxCell)
{
    grid->SetEditStyles(1, geCheckBox);
    grid->SetEditStyles(2, geViewCheckBox);
    int sets = 0;
    grid->OnSetEditText = [&](TzkStringGrid *, int, int, const QString &) { ++sets; };
    Show();
    grid->SetCells(1, 1, "2");
    Press(1, 1); // a grayed cell becomes checked
    EXPECT_EQ(At(), std::make_pair(1, 1));
    EXPECT_EQ(grid->Cells(1, 1), "1");
    // A right press elsewhere does not move, but toggles the current cell.
    Press(1, 2, Qt::RightButton);
    EXPECT_EQ(At(), std::make_pair(1, 1));
    EXPECT_EQ(grid->Cells(1, 1), "");
    // So does a press on the header.
    QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(grid->Cells(1, 1), "1");
    // A typed blank toggles too.
    Key(Qt::Key_Space);
    EXPECT_EQ(grid->Cells(1, 1), "");
    // A double-click is two presses: press, release, double-click, release.
    sets = 0;
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                              QEvent::MouseButtonRelease}) {
        const QPointF p = Centre(1, 1);
        QMouseEvent event(type, p, grid->viewport()->mapToGlobal(p), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(grid->viewport(), &event);
    }
    EXPECT_EQ(sets, 2);
    EXPECT_EQ(grid->Cells(1, 1), "");
    // A view-only box never toggles.
    grid->SetCells(2, 1, "1");
    Press(2, 1);
    Key(Qt::Key_Space);
    EXPECT_EQ(At(), std::make_pair(2, 1));
    EXPECT_EQ(grid->Cells(2, 1), "1");
}

TEST_F(StringGridTest, SetCheckedGoesThroughTheSetEditTextStepWithTheNewText)
{
    grid->SetEditStyles(1, geCheckBox);
    QStringList calls;
    grid->OnBeforeSetEditText = [&](TzkStringGrid *g, int c, int r, const QString &v) {
        calls << "before " + v + " cell " + g->Cells(c, r);
    };
    grid->OnSetEditText = [&](TzkStringGrid *g, int c, int r, const QString &v) {
        calls << "set " + v + " cell " + g->Cells(c, r);
    };
    grid->SetChecked(1, 1, true);
    grid->SetChecked(0, 1, true); // not a check-box column: nothing
    EXPECT_EQ(calls, (QStringList{"before 1 cell 1", "set 1 cell 1"}));
    EXPECT_EQ(grid->Cells(0, 1), "");
}

TEST_F(StringGridTest, CheckBoxStatesLookDifferent)
{
    grid->SetEditStyles(1, geCheckBox);
    grid->SetCells(1, 1, "");
    grid->SetCells(1, 2, "1");
    grid->SetCells(1, 3, "2");
    grid->SetCol(0);
    window->show();
    QApplication::processEvents();
    const QImage image = grid->grab().toImage();
    auto cell = [&](int row) {
        const QRect r = grid->CellRect(1, row).translated(grid->viewport()->pos());
        return image.copy(r);
    };
    EXPECT_NE(cell(1), cell(2));
    EXPECT_NE(cell(2), cell(3)); // grayed is not checked
    EXPECT_NE(cell(1), cell(3));
}

TEST_F(StringGridTest, DrawCellHandlersPaintOnTheCanvasAfterTheGrid)
{
    grid->SetEditStyles(1, geCheckBox);
    grid->SetCells(1, 1, "1");
    QStringList seen;
    grid->OnDrawCell = [&](TzkStringGrid *g, int c, int r, const QRect &rect, TGridDrawState state) {
        ASSERT_TRUE(g->Canvas()->Painter);
        if (state & gdFixed)
            seen << QString("fixed %1,%2").arg(c).arg(r);
        else if (c == 1 && r == 1)
            g->DrawCheck(c, r, rect, false); // as the query designer draws its boxes
    };
    window->show();
    const QImage enabled = grid->grab().toImage();
    EXPECT_TRUE(seen.contains("fixed 1,0"));
    grid->OnDrawCell = nullptr;
    const QImage plain = grid->grab().toImage();
    const QRect r = grid->CellRect(1, 1).translated(grid->viewport()->pos());
    EXPECT_NE(enabled.copy(r), plain.copy(r)); // the disabled box drawn over the grid's
}

// --- Structure and snapshot -----------------------------------------------------------

TEST_F(StringGridTest, InsertColKeepsStylesWithPositions)
{
    Fill();
    grid->SetEditStyles(1, gePickList);
    grid->SetEditStyles(2, geCheckBox);
    grid->InsertCol(1);
    EXPECT_EQ(grid->ColCount(), 5);
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_EQ(grid->Cells(1, 1), "");
    EXPECT_EQ(grid->Cells(2, 1), "b1");
    EXPECT_EQ(grid->EditStyles(1), gePickList);
    EXPECT_EQ(grid->EditStyles(2), geCheckBox);
    EXPECT_EQ(grid->EditStyles(4), geSimple);
    EXPECT_EQ(grid->EditStyles(9), geSimple);
}

TEST_F(StringGridTest, RowAndColumnOperations)
{
    Fill();
    grid->SetRow(2);
    grid->InsertRow(1);
    EXPECT_EQ(grid->RowCount(), 5);
    EXPECT_EQ(grid->Rows(1), (QStringList{"", "", "", ""}));
    EXPECT_EQ(grid->Cells(0, 2), "a1");
    EXPECT_EQ(grid->Row(), 3); // the current row moved with its texts
    grid->MoveRow(4, 1);
    EXPECT_EQ(grid->Cols(0), (QStringList{"a", "a3", "", "a1", "a2"}));
    grid->DeleteRow(1);
    EXPECT_EQ(grid->Cols(0), (QStringList{"a", "", "a1", "a2"}));
    grid->RemoveColumn(0);
    EXPECT_EQ(grid->ColCount(), 3);
    EXPECT_EQ(grid->Rows(0), (QStringList{"b", "c", "d"}));
    grid->RemoveColumn(7);
    EXPECT_EQ(grid->ColCount(), 3);
    grid->Clear();
    EXPECT_EQ(grid->RowCount(), 2);
    EXPECT_EQ(grid->Rows(0), (QStringList{"b", "c", "d"}));
    EXPECT_EQ(grid->Rows(1), (QStringList{"", "", ""}));
    EXPECT_EQ(At(), std::make_pair(0, 1));
}

TEST_F(StringGridTest, RemoveColumnOfTheOnlyColumnEmptiesIt)
{
    grid->SetColCount(1);
    grid->SetCells(0, 1, "x");
    grid->RemoveColumn(0);
    EXPECT_EQ(grid->ColCount(), 1);
    EXPECT_EQ(grid->Cells(0, 1), "");
    EXPECT_EQ(grid->Cells(0, 0), "");
}

TEST_F(StringGridTest, SnapshotQuestions)
{
    struct Case
    {
        const char *name;
        std::function<void(TzkStringGrid *)> change;
        bool changed;
    } cases[] = {
        {"nothing", [](TzkStringGrid *) {}, false},
        {"a header", [](TzkStringGrid *g) { g->SetCells(1, 0, "B"); }, true},
        {"a cell", [](TzkStringGrid *g) { g->SetCells(1, 2, "x"); }, true},
        {"a row more", [](TzkStringGrid *g) { g->SetRowCount(5); }, true},
        {"a column more", [](TzkStringGrid *g) { g->InsertCol(3); }, true},
        {"set back",
         [](TzkStringGrid *g) {
             g->SetCells(1, 2, "x");
             g->SetCells(1, 2, "b2");
         },
         false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        grid->SetColCount(4);
        grid->SetRowCount(4);
        Fill();
        grid->Save();
        c.change(grid);
        EXPECT_EQ(grid->IsChanged(), c.changed);
    }
}

TEST_F(StringGridTest, InsertColAfterSave)
{
    Fill();
    grid->Save();
    grid->InsertCol(3);
    EXPECT_TRUE(grid->IsChangedCol(3));
    EXPECT_TRUE(grid->IsChangedCol(4));
    EXPECT_EQ(grid->SaveCells(3, 1), "d1");
    EXPECT_EQ(grid->Cells(3, 1), "");
    EXPECT_EQ(grid->SaveCells(4, 1), "");
    EXPECT_TRUE(grid->IsChangedCell(3, 1));
    EXPECT_TRUE(grid->IsChangedCell(4, 1));
    EXPECT_TRUE(grid->IsChangedRow(1));
    EXPECT_EQ(grid->SaveCols(3), (QStringList{"d", "d1", "d2", "d3"}));
    EXPECT_TRUE(grid->SaveCols(4).isEmpty());
    EXPECT_TRUE(grid->SaveRows(9).isEmpty());
    EXPECT_EQ(grid->SaveRows(0), (QStringList{"a", "b", "c", "d"}));
}

TEST_F(StringGridTest, AMovedLineBreakIsAChange)
{
    grid->SetCells(0, 1, "x\r\n");
    grid->SetCells(1, 1, "y");
    grid->Save();
    EXPECT_FALSE(grid->IsChanged());
    EXPECT_FALSE(grid->IsChangedRow(1));
    grid->SetCells(0, 1, "x");
    grid->SetCells(1, 1, "\r\ny");
    EXPECT_TRUE(grid->IsChanged());
    EXPECT_TRUE(grid->IsChangedRow(1));
    EXPECT_FALSE(grid->IsChangedRow(2));
    EXPECT_TRUE(grid->IsChangedCell(0, 1));
    EXPECT_TRUE(grid->IsChangedCell(1, 1));
    EXPECT_TRUE(grid->IsChangedCol(0));
    EXPECT_FALSE(grid->IsChangedCol(2));
    EXPECT_FALSE(grid->IsChangedRow(9)); // beyond both: two empty rows
    grid->SetRowCount(5);
    EXPECT_TRUE(grid->IsChangedRow(4)); // beyond the snapshot
}

TEST_F(StringGridTest, IsNullStripsControlCodesOnly)
{
    struct Case
    {
        QString text;
        bool null;
    } cases[] = {{"", true}, {" \t\r\n", true}, {QString(QChar(0x3000)), false}, {" x ", false}};
    for (const Case &c : cases) {
        grid->SetCells(0, 1, c.text);
        EXPECT_EQ(grid->IsNull(0, 1), c.null) << c.text.toStdString();
    }
}

// --- Pick lists -----------------------------------------------------------------------

TEST_F(StringGridTest, TypingCompletesFromThePickListInListOrder)
{
    grid->SetEditStyles(1, gePickList);
    grid->SetOptions(grid->Options() | goEditing);
    grid->OnGetPickListitems = [](int, int, QStringList &items) {
        items << "ABC"
              << "abd";
    };
    Show();
    grid->FocusCell(1, 1);
    Type("a");
    TzkInplaceEditor *ed = grid->InplaceEditor();
    ASSERT_TRUE(grid->EditorMode());
    EXPECT_EQ(ed->text(), "ABC");
    EXPECT_EQ(ed->selectedText(), "BC");
    Type("b");
    EXPECT_EQ(ed->text(), "ABC");
    EXPECT_EQ(ed->selectedText(), "C");
    Type("x"); // no item: the character is typed
    EXPECT_EQ(ed->text(), "ABx");
    // An input-method commit completes as its characters would.
    ed->clear();
    QInputMethodEvent commit;
    commit.setCommitString("ab");
    QApplication::sendEvent(ed, &commit);
    EXPECT_EQ(ed->text(), "ABC");
    EXPECT_EQ(ed->selectedText(), "C");
}

TEST_F(StringGridTest, DoubleClickStepsThroughListsOfTwoOrMore)
{
    grid->SetEditStyles(1, gePickList);
    grid->SetOptions(grid->Options() | goEditing);
    QStringList items{"only"};
    grid->OnGetPickListitems = [&](int, int, QStringList &out) { out = items; };
    Show();
    grid->FocusCell(1, 1);
    grid->SetEditorMode(true);
    TzkInplaceEditor *ed = grid->InplaceEditor();
    QTest::mouseDClick(ed, Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
    EXPECT_EQ(ed->text(), "");
    items = {"one", "two"};
    grid->FocusCell(1, 2); // the editor closes on a move and opens anew
    grid->SetEditorMode(true);
    QTest::mouseDClick(ed, Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
    EXPECT_EQ(ed->text(), "one");
    QTest::mouseDClick(ed, Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
    EXPECT_EQ(ed->text(), "two");
}

TEST_F(StringGridTest, DropListIsTypableAndKeepsNoLengthLimit)
{
    grid->SetEditStyles(1, geDropList);
    grid->SetOptions(grid->Options() | goEditing);
    grid->OnShowEditor = [](TzkStringGrid *, int, int, TzkInplaceEditor *ed) { ed->SetMaxLength(3); };
    Show();
    grid->FocusCell(1, 1);
    grid->SetEditorMode(true);
    EXPECT_EQ(grid->InplaceEditor()->MaxLength(), -1);
    Type("hello");
    EXPECT_EQ(grid->InplaceEditor()->text(), "hello");
    grid->FocusCell(0, 1);
    grid->SetEditorMode(true);
    EXPECT_EQ(grid->InplaceEditor()->MaxLength(), 3);
}

// --- Hooks and scrolling -----------------------------------------------------------------

TEST_F(StringGridTest, ControlSettingsCopyAndAutoSize)
{
    TzkForm::ApplyControlSettings(grid);
    EXPECT_EQ(grid->GridMode(), geAccess);
    EXPECT_TRUE(grid->Options().testFlag(goAlwaysShowEditor));
    grid->SetCells(0, 1, "x");
    grid->EditCopy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "x");
    AutoSizeGridColumn(grid, 0);
    EXPECT_EQ(grid->ColWidths(0), 100);
    grid->SetColWidths(2, 0);
    EXPECT_TRUE(grid->horizontalHeader()->isSectionHidden(2));
}

TEST_F(StringGridTest, PageStepsScrollHalfThePage)
{
    grid->SetRowCount(200);
    Show();
    const int visible = grid->VisibleRowCount();
    ASSERT_GT(visible, 2);
    QScrollBar *bar = grid->verticalScrollBar();
    EXPECT_EQ(bar->pageStep(), visible);
    EXPECT_EQ(grid->TopRow(), 1);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(grid->TopRow(), 1 + visible / 2);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(grid->TopRow(), visible / 2);
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(grid->TopRow(), 200 - visible);
}

} // namespace
