// The data grid's keys, mouse, wheel and scroll bar, offscreen.
#include "gridtest.h"

#include "core/zksub_dialogs.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

namespace {

class GridInput : public GridTest
{
public:
    void SetUp() override
    {
        GridTest::SetUp();
        grid->resize(900, 220);
        grid->SetOptions(grid->Options() + dgMultiSelect);
    }
    void Key(int key, Qt::KeyboardModifiers shift = Qt::NoModifier) { QTest::keyClick(grid, Qt::Key(key), shift); }
    QPoint CellCentre(int col, int row)
    {
        const QRect r = grid->CellRect(col, row);
        return r.center();
    }
    // A click on a data cell or (col 0) on the indicator.
    void Click(int col, int row, Qt::KeyboardModifiers shift = Qt::NoModifier, Qt::MouseButton button = Qt::LeftButton)
    {
        QWidget *target = col == 0 ? grid->verticalHeader()->viewport() : grid->viewport();
        const QPoint p = target->mapFrom(grid, CellCentre(col, row));
        QTest::mouseClick(target, button, shift, p);
    }
    QString Text()
    {
        QString text;
        grid->SelectionText(&text);
        return text;
    }
};

TEST_F(GridInput, UpAndDownMoveRecordsAndStopAtTheEnds)
{
    OpenNumbered(5);
    Show();
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    EXPECT_EQ(CurrentId(), 3);
    Key(Qt::Key_Up);
    EXPECT_EQ(CurrentId(), 2);
    query.Last();
    Key(Qt::Key_Down); // the last record: no editing, nothing appended
    EXPECT_EQ(CurrentId(), 5);
    EXPECT_EQ(query.RecordCount(), 5);
    Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(CurrentId(), 1);
    Key(Qt::Key_Up);
    EXPECT_EQ(CurrentId(), 1);
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(CurrentId(), 5);
}

TEST_F(GridInput, PagesAndTheVisibleEnds)
{
    OpenNumbered(100);
    Show();
    const int page = grid->VisibleRowCount();
    ASSERT_GT(page, 3);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(CurrentId(), 1 + page);
    EXPECT_EQ(grid->DataLink()->ActiveRecord(), page - 1); // at the bottom of the window
    Key(Qt::Key_PageDown);
    EXPECT_EQ(CurrentId(), 1 + 2 * page);
    Key(Qt::Key_Up, Qt::ControlModifier); // first record on screen
    EXPECT_EQ(CurrentId(), 2 + page);
    Key(Qt::Key_Down, Qt::ControlModifier); // last record on screen
    EXPECT_EQ(CurrentId(), 1 + 2 * page);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(CurrentId(), 1 + page);
    query.Last();
    Key(Qt::Key_PageDown);
    EXPECT_EQ(CurrentId(), 100);
}

TEST_F(GridInput, TabWrapsAcrossRecordsOverColumnsWithTabStops)
{
    OpenNumbered(3);
    Show();
    Key(Qt::Key_End); // last column
    EXPECT_EQ(grid->SelectedIndex(), 3);
    Key(Qt::Key_Tab);
    EXPECT_EQ(CurrentId(), 2);
    EXPECT_EQ(grid->SelectedIndex(), 0);
    Key(Qt::Key_Backtab);
    EXPECT_EQ(CurrentId(), 1);
    EXPECT_EQ(grid->SelectedIndex(), 3);
    // A read-only column has no tab stop.
    query.Fields(1)->SetReadOnly(true);
    grid->SetSelectedIndex(0);
    Key(Qt::Key_Tab);
    EXPECT_EQ(grid->SelectedIndex(), 2);
    // No tab stop at all: one full cycle, ending where it started.
    for (int i = 0; i < 4; ++i)
        query.Fields(i)->SetReadOnly(true);
    query.First();
    grid->SetSelectedIndex(2);
    Key(Qt::Key_Tab);
    EXPECT_EQ(grid->SelectedIndex(), 2);
    EXPECT_EQ(CurrentId(), 2);
    // Without dgTabs, Tab is no key of the grid.
    grid->SetOptions(grid->Options() - dgTabs);
    EXPECT_FALSE(grid->tabKeyNavigation());
}

TEST_F(GridInput, ColumnMovesSetTheFieldRangeAndSelectTheRecord)
{
    OpenNumbered(3);
    Show();
    grid->SetSelectedIndex(1);
    grid->SelectedRows()->Clear();
    Key(Qt::Key_Right, Qt::ShiftModifier);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(grid->ColStart(), 1);
    EXPECT_EQ(grid->ColEnd(), 3);
    Key(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(grid->ColEnd(), 2);
    Key(Qt::Key_Backtab);
    EXPECT_EQ(grid->ColStart(), 1);
    EXPECT_EQ(grid->ColEnd(), 1);
    // After a plain step the record is selected: the copy quotes.
    Key(Qt::Key_Right);
    EXPECT_EQ(grid->SelectedRows()->Count(), 1);
    EXPECT_FALSE(TzkDBGridV::WholeRecordSelectedV());
    query.Fields(2)->SetDisplayLabel("note");
    EXPECT_EQ(Text(), "n1");
    // Ctrl takes it out and marks whole records.
    Key(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(grid->SelectedIndex(), 0);
    EXPECT_EQ(grid->SelectedRows()->Count(), 0);
    EXPECT_TRUE(TzkDBGridV::WholeRecordSelectedV());
    // Enter moves as Right.
    Key(Qt::Key_Return);
    EXPECT_EQ(grid->SelectedIndex(), 1);
}

TEST_F(GridInput, ShiftUpAndDownExtendAndShrinkTheRecordRange)
{
    OpenNumbered(6);
    Show();
    query.SetRecNo(3);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(SelectedIds(), (QList<int>{3, 4, 5}));
    Key(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(SelectedIds(), (QList<int>{3, 4}));
    EXPECT_EQ(CurrentId(), 4);
    Key(Qt::Key_Down); // without Shift: the selection goes
    EXPECT_TRUE(grid->SelectedRows()->IsEmpty());
    EXPECT_EQ(CurrentId(), 5);
}

TEST_F(GridInput, MousePressesSelectCellsRecordsAndRectangles)
{
    OpenNumbered(6);
    Show();
    // A plain press on a data cell: that cell only, copied as it is.
    Click(3, 2);
    EXPECT_EQ(CurrentId(), 2);
    EXPECT_EQ(grid->SelectedIndex(), 2);
    EXPECT_TRUE(grid->SelectedRows()->IsEmpty());
    EXPECT_EQ(grid->ColStart(), 2);
    EXPECT_EQ(Text(), "n2");
    // Shift: a rectangle from the anchor cell.
    Click(2, 4, Qt::ShiftModifier);
    EXPECT_EQ(SelectedIds(), (QList<int>{2, 3, 4}));
    EXPECT_EQ(grid->ColStart(), 2);
    EXPECT_EQ(grid->ColEnd(), 1);
    EXPECT_FALSE(TzkDBGridV::WholeRecordSelectedV());
    EXPECT_EQ(Text(), "名前2\tn2\r\n名前3\tn3\r\n名前4\tn4\r\n");
    // Ctrl on a data cell adds its record and marks whole records.
    Click(1, 6, Qt::ControlModifier);
    EXPECT_EQ(SelectedIds(), (QList<int>{2, 3, 4, 6}));
    EXPECT_TRUE(TzkDBGridV::WholeRecordSelectedV());
    // Ctrl on the indicator toggles, leaving the flag.
    Click(0, 3, Qt::ControlModifier);
    EXPECT_EQ(SelectedIds(), (QList<int>{2, 4, 6}));
    EXPECT_TRUE(TzkDBGridV::WholeRecordSelectedV());
    // A plain press on the indicator: that whole record.
    Click(0, 5);
    EXPECT_EQ(SelectedIds(), (QList<int>{5}));
    EXPECT_TRUE(TzkDBGridV::WholeRecordSelectedV());
    EXPECT_EQ(Text(), "5\t名前5\tn5\t5.50");
    // Shift on the indicator: whole records from the current one.
    Click(0, 2, Qt::ShiftModifier);
    EXPECT_EQ(SelectedIds(), (QList<int>{2, 3, 4, 5}));
    EXPECT_EQ(CurrentId(), 2);
    // A right press near the left edge leaves a selection alone.
    Click(0, 6, Qt::NoModifier, Qt::RightButton);
    EXPECT_EQ(SelectedIds(), (QList<int>{2, 3, 4, 5}));
}

TEST_F(GridInput, ClicksRaiseCellAndTitleEvents)
{
    OpenNumbered(3);
    Show();
    QStringList events;
    grid->OnCellClick = [&](TColumn *c) { events << "cell " + c->FieldName(); };
    grid->OnTitleClick = [&](TColumn *c) { events << "title " + c->FieldName(); };
    Click(2, 3);
    QWidget *titles = grid->horizontalHeader()->viewport();
    const QPoint title = titles->mapFrom(grid, CellCentre(3, 0));
    QTest::mouseClick(titles, Qt::LeftButton, Qt::NoModifier, title);
    // Releases below the last record are over no cell.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(grid->viewport()->mapFrom(grid, CellCentre(2, 3)).x(), grid->viewport()->height() - 2));
    EXPECT_EQ(events, (QStringList{"cell name", "title note"}));
    EXPECT_EQ(CurrentId(), 3); // the title press moved nothing
    EXPECT_EQ(grid->SelectedIndex(), 1);
    // Without column resizing a title press moves to its column.
    grid->SetOptions(grid->Options() - dgColumnResize);
    QTest::mouseClick(titles, Qt::LeftButton, Qt::NoModifier, title);
    EXPECT_EQ(grid->SelectedIndex(), 2);
    EXPECT_EQ(events.size(), 3);
}

TEST_F(GridInput, TheWheelMovesOneRecordPerNotchAndClearsTheSelection)
{
    OpenNumbered(50);
    Show();
    grid->SelectAllRecords();
    query.SetRecNo(10);
    const QPointF at = grid->viewport()->rect().center();
    QWheelEvent down(at, grid->viewport()->mapToGlobal(at), QPoint(), QPoint(0, -240), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid->viewport(), &down);
    EXPECT_EQ(CurrentId(), 12);
    EXPECT_TRUE(grid->SelectedRows()->IsEmpty());
    QWheelEvent up(at, grid->viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid->viewport(), &up);
    EXPECT_EQ(CurrentId(), 11);
}

TEST_F(GridInput, TheScrollBarMovesTheCurrentRecord)
{
    OpenNumbered(100);
    Show();
    QScrollBar *bar = grid->verticalScrollBar();
    const int page = grid->VisibleRowCount();
    ASSERT_TRUE(bar->isVisible());
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd); // the record after the last on screen
    EXPECT_EQ(CurrentId(), page + 1);
    EXPECT_EQ(grid->DataLink()->FirstPosition(), 1);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub); // the record before the first
    EXPECT_EQ(CurrentId(), 1);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(CurrentId(), 1 + page);
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(CurrentId(), 100);
    EXPECT_EQ(bar->value(), 100);
    bar->setSliderDown(true);
    bar->setSliderPosition(40);
    bar->setSliderDown(false); // released
    EXPECT_EQ(CurrentId(), 40);
    EXPECT_EQ(bar->value(), 40);
}

TEST_F(GridInput, CtrlDeleteAsksAndDeletesTheSelectedOrTheCurrentRecord)
{
    OpenNumbered(6);
    QList<int> deleted;
    query.SetDeleteHandler([&](TFDQuery *q, TRecordId r) { deleted << q->Fields(0)->ValueAt(r).toInt(); });
    Show();
    Click(0, 2);
    Click(0, 4, Qt::ControlModifier);
    Click(0, 5, Qt::ControlModifier);
    QString asked;
    AnswerMessage(IDCANCEL, &asked);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(asked, "選択されたレコードをすべて削除してよいですか？");
    EXPECT_TRUE(deleted.isEmpty());
    AnswerMessage(IDOK, &asked);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(deleted, (QList<int>{5, 4, 2}));
    EXPECT_TRUE(grid->SelectedRows()->IsEmpty());
    EXPECT_EQ(query.RecordCount(), 3);
    query.First();
    AnswerMessage(IDOK, &asked);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(asked, "レコードを削除しますか？");
    EXPECT_EQ(deleted.last(), 1);
    // A read-only grid deletes nothing and asks nothing.
    grid->SetReadOnly(true);
    asked.clear();
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(query.RecordCount(), 2);
}

TEST_F(GridInput, KeysDoNothingWhileTheResultIsClosed)
{
    grid->SetDataSource(&source);
    Show();
    Key(Qt::Key_Down);
    Key(Qt::Key_Tab);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_TRUE(grid->hasFocus());
    EXPECT_EQ(grid->ColStart(), 0);
}

} // namespace
