// The transposed data grid offscreen: layout, keys, mouse, wheel, copy.
#include "controls/zkdbgridh.h"
#include "core/zkforms.h"
#include "core/zkoption.h"
#include "platform/db/dbconnection.h"
#include "platform/db/fakebackend.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

class GridH : public ::testing::Test
{
public:
    void SetUp() override
    {
        auto b = std::make_unique<FakeBackend>();
        backend = b.get();
        con.SetBackend(std::move(b));
        con.Open();
        query.SetConnection(&con);
        source.SetDataSet(&query);
        grid = new TzkDBGridH;
        grid->resize(600, 300);
        grid->SetOptions(grid->Options() + dgMultiSelect);
        TzkDBGridH::SetWholeRecordSelectedH(false);
    }
    void TearDown() override
    {
        delete grid;
        TzkDBGridH::SetWholeRecordSelectedH(false);
    }
    // n records of (id int, name nvarchar(20), note nvarchar(20) null every
    // third record, amount decimal(10,2)).
    void Open(int n)
    {
        QList<QVariantList> rows;
        for (int i = 1; i <= n; ++i)
            rows << QVariantList{i, QStringLiteral("名前%1").arg(i),
                                 i % 3 == 0 ? QVariant() : QVariant(QStringLiteral("n%1").arg(i)),
                                 QString::number(i) + ".50"};
        const QList<TDBColumnDef> columns{DescribeColumn("id", "int"), DescribeColumn("name", "nvarchar", 20),
                                          DescribeColumn("note", "nvarchar", 20),
                                          DescribeColumn("amount", "decimal", 0, 10, 2)};
        backend->answer = [columns, rows](const TDBRequest &) {
            TDBBatch batch;
            batch.results.push_back(FakeBackend::table(columns, rows));
            return batch;
        };
        query.Open("select");
        grid->SetDataSource(&source);
    }
    void Show()
    {
        grid->show();
        QApplication::setActiveWindow(grid);
        grid->setFocus();
        QApplication::processEvents();
    }
    // Sizes the grid so that its record area is `width` wide.
    void SetRecordAreaWidth(int width)
    {
        grid->resize(grid->width() - grid->viewport()->width() + width, grid->height());
        QApplication::processEvents();
    }
    void Key(int key, Qt::KeyboardModifiers shift = Qt::NoModifier) { QTest::keyClick(grid, Qt::Key(key), shift); }
    int CurrentId() { return query.FieldByName("id")->AsInteger(); }
    QString CurrentField() { return grid->SelectedField() ? grid->SelectedField()->FieldName() : QString(); }
    QList<int> SelectedIds()
    {
        QList<int> ids;
        grid->SelectedCols()->ForEach([&](TRecordId r) { ids << query.Fields(0)->ValueAt(r).toInt(); });
        return ids;
    }
    void Wheel(int delta)
    {
        const QPoint p = grid->viewport()->rect().center();
        QWheelEvent e(p, grid->viewport()->mapToGlobal(p), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid->viewport(), &e);
    }

    FakeBackend *backend = nullptr;
    TFDConnection con;
    TFDQuery query;
    TDataSource source;
    TzkDBGridH *grid = nullptr;
};

TEST_F(GridH, RecordColumnsAreTheLinksWindowOfWhatFits)
{
    Open(20);
    Show();
    SetRecordAreaWidth(4 * 64 + 20);
    EXPECT_EQ(grid->DefaultColWidth(), 64);
    EXPECT_EQ(grid->VisibleColCount(), 4);
    EXPECT_EQ(grid->DataLink()->BufferCount(), 4);
    EXPECT_EQ(grid->ColCount(), 5);
    EXPECT_EQ(grid->RowCount(), 5);  // indicator row and four field rows
    EXPECT_GE(grid->GetColWidth(0), 64);
    EXPECT_EQ(grid->GetColWidth(1), 64);
    SetRecordAreaWidth(7 * 64 + 5);
    EXPECT_EQ(grid->VisibleColCount(), 7);
    EXPECT_EQ(grid->ColCount(), 8);
    // The scroll bar stands for the records, not for pixels.
    QScrollBar *bar = grid->horizontalScrollBar();
    EXPECT_EQ(bar->maximum(), 20);
    EXPECT_EQ(bar->pageStep(), 7);
    query.SetRecNo(12);
    EXPECT_EQ(bar->value(), 12);
    EXPECT_EQ(grid->Col(), grid->DataLink()->ActiveRecord() + 1);
}

TEST_F(GridH, TitleColumnFitsTheWidestCaption)
{
    Open(2);
    EXPECT_EQ(grid->verticalHeader()->width(), 64);
    query.Fields(1)->SetDisplayLabel(QStringLiteral("とても長い項目の見出しです。とても長い項目の見出しです"));
    QApplication::processEvents();
    const int wide = QFontMetrics(grid->TitleFont()).horizontalAdvance(grid->Rows()->Items(1)->Title()->Caption());
    EXPECT_EQ(grid->verticalHeader()->width(), wide + 4);
}

TEST_F(GridH, EmptyAndClosedResultsShowOneEmptyRecordColumn)
{
    Show();
    EXPECT_EQ(grid->ColCount(), 2);
    Open(0);
    EXPECT_EQ(grid->ColCount(), 2);
    EXPECT_EQ(grid->RowCount(), 5);
    EXPECT_FALSE(grid->horizontalScrollBar()->isVisible());
    query.Close();
    EXPECT_EQ(grid->ColCount(), 2);
    Key(Qt::Key_Right);  // nothing to move, nothing raised
}

TEST_F(GridH, KeysMoveFieldRowsDownAndRecordsAcross)
{
    Open(30);
    Show();
    SetRecordAreaWidth(4 * 64 + 20);
    Key(Qt::Key_Return);
    EXPECT_EQ(CurrentField(), "name");
    EXPECT_EQ(CurrentId(), 1);
    Key(Qt::Key_Down);
    EXPECT_EQ(CurrentField(), "note");
    Key(Qt::Key_Right);
    EXPECT_EQ(CurrentField(), "note");
    EXPECT_EQ(CurrentId(), 2);
    Key(Qt::Key_Up);
    EXPECT_EQ(CurrentField(), "name");
    Key(Qt::Key_Left);
    EXPECT_EQ(CurrentId(), 1);
    Key(Qt::Key_Left);  // the first record stays
    EXPECT_EQ(CurrentId(), 1);

    // Tab wraps to the next record's first field, Shift+Tab back.
    Key(Qt::Key_End);
    EXPECT_EQ(CurrentField(), "amount");
    Key(Qt::Key_Tab);
    EXPECT_EQ(CurrentId(), 2);
    EXPECT_EQ(CurrentField(), "id");
    Key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(CurrentId(), 1);
    EXPECT_EQ(CurrentField(), "amount");
    Key(Qt::Key_Home);
    EXPECT_EQ(CurrentField(), "id");

    // Pages are the records on screen; Ctrl+Page only clears the selection.
    Key(Qt::Key_PageDown);
    EXPECT_EQ(CurrentId(), 5);
    grid->SelectedCols()->SetCurrentRowSelected(true);
    Key(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(CurrentId(), 5);
    EXPECT_TRUE(SelectedIds().isEmpty());
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(CurrentId(), 30);
    Key(Qt::Key_Right);  // the last record: no editing, nothing appended
    EXPECT_EQ(CurrentId(), 30);
    EXPECT_EQ(query.RecordCount(), 30);
    Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(CurrentId(), 1);
}

TEST_F(GridH, CtrlAcrossKeepsTheSelectionCtrlDownClearsIt)
{
    Open(30);
    Show();
    SetRecordAreaWidth(4 * 64 + 20);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(SelectedIds(), (QList<int>{1, 2}));
    Key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(CurrentId(), 4);  // the last record on screen
    EXPECT_EQ(SelectedIds(), (QList<int>{1, 2}));
    Key(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(CurrentId(), 1);
    EXPECT_EQ(SelectedIds(), (QList<int>{1, 2}));
    Key(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(CurrentField(), "amount");
    EXPECT_TRUE(SelectedIds().isEmpty());
    Key(Qt::Key_Right, Qt::ShiftModifier);
    Key(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(CurrentField(), "id");
    EXPECT_TRUE(SelectedIds().isEmpty());
}

TEST_F(GridH, HiddenFieldRowsArePassedOver)
{
    Open(3);
    Show();
    grid->Rows()->Items(1)->SetVisible(false);
    EXPECT_EQ(grid->RowHeights(2), 0);
    Key(Qt::Key_Down);
    EXPECT_EQ(CurrentField(), "note");
    Key(Qt::Key_Up);
    EXPECT_EQ(CurrentField(), "id");
    grid->SetSelectedIndex(3);
    grid->Rows()->Items(3)->SetVisible(false);
    grid->Rows()->Items(0)->SetVisible(false);
    Key(Qt::Key_Home);
    EXPECT_EQ(CurrentField(), "note");
}

TEST_F(GridH, HomeAndEndWithOneFieldRowGoToTheEndRecords)
{
    backend->answer = [](const TDBRequest &) {
        TDBBatch batch;
        batch.results.push_back(FakeBackend::table({DescribeColumn("id", "int")}, {{1}, {2}, {3}}));
        return batch;
    };
    query.Open("select");
    grid->SetDataSource(&source);
    Show();
    Key(Qt::Key_End);
    EXPECT_EQ(CurrentId(), 3);
    Key(Qt::Key_Home);
    EXPECT_EQ(CurrentId(), 1);
}

TEST_F(GridH, TitleClickReportsItsRow)
{
    Open(3);
    Show();
    TRow *clicked = nullptr;
    grid->OnTitleClick = [&](TRow *row) { clicked = row; };
    QHeaderView *titles = grid->verticalHeader();
    const QPoint p(titles->width() / 2, titles->sectionViewportPosition(2) + 3);
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, Qt::NoModifier, p);
    ASSERT_NE(clicked, nullptr);
    EXPECT_EQ(clicked->FieldName(), "note");
    EXPECT_EQ(CurrentField(), "note");
}

TEST_F(GridH, PressOnACellMovesToItsRecordAndField)
{
    Open(5);
    Show();
    const QRect r = grid->GetCellRect(3, 2);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier,
                      grid->viewport()->mapFrom(grid, r.center()));
    EXPECT_EQ(CurrentId(), 3);
    EXPECT_EQ(CurrentField(), "name");
    // A press in the indicator row selects the whole record.
    const QRect i = grid->GetCellRect(2, 0);
    QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(i.center().x() - grid->viewport()->x(), i.height() / 2));
    EXPECT_EQ(CurrentId(), 2);
    EXPECT_EQ(SelectedIds(), QList<int>{2});
    EXPECT_TRUE(TzkDBGridH::WholeRecordSelectedH());
}

TEST_F(GridH, WideningOneRecordColumnWidensAll)
{
    Open(20);
    Show();
    SetRecordAreaWidth(6 * 64);
    ASSERT_EQ(grid->VisibleColCount(), 6);
    grid->horizontalHeader()->resizeSection(1, 100);
    EXPECT_EQ(grid->DefaultColWidth(), 100);
    EXPECT_EQ(grid->VisibleColCount(), 3);
    for (int c = 1; c < grid->ColCount(); ++c)
        EXPECT_EQ(grid->GetColWidth(c), 100) << c;
}

TEST_F(GridH, NullFieldEditsEmpty)
{
    Open(3);
    query.Last();
    const int col = grid->Col();
    EXPECT_TRUE(query.FieldByName("note")->IsNull());
    EXPECT_EQ(grid->GetEditText(col, 3), "");
    EXPECT_EQ(grid->GetEditText(col, 2), QStringLiteral("名前3"));
}

TEST_F(GridH, WheelMovesTheFieldRowWithoutRowEvents)
{
    Open(5);
    Show();
    int events = 0;
    grid->OnRowEnter = [&] { ++events; };
    grid->OnRowExit = [&] { ++events; };
    grid->SetRowStart(0);
    grid->SetRowEnd(0);
    Wheel(-120);
    Wheel(-120);
    EXPECT_EQ(CurrentField(), "note");
    Wheel(120);
    EXPECT_EQ(CurrentField(), "name");
    EXPECT_EQ(events, 0);
    EXPECT_EQ(CurrentId(), 1);
    EXPECT_EQ(grid->RowStart(), 0);
    EXPECT_EQ(grid->RowEnd(), 0);
    for (int i = 0; i < 6; ++i)
        Wheel(-120);
    EXPECT_EQ(CurrentField(), "amount");  // stays in the field rows
    // Over the scroll bar too: the bar stands for the records and stays.
    QScrollBar *bar = grid->horizontalScrollBar();
    const int value = bar->value();
    QWheelEvent e(QPointF(5, 5), bar->mapToGlobal(QPoint(5, 5)), QPoint(), QPoint(0, 120), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(bar, &e);
    EXPECT_EQ(CurrentField(), "note");
    EXPECT_EQ(bar->value(), value);
    EXPECT_EQ(CurrentId(), 1);
}

TEST_F(GridH, CopyOfSelectedRecordsGivesALineEach)
{
    Open(5);
    Show();
    Key(Qt::Key_Down);  // name
    Key(Qt::Key_Down, Qt::ShiftModifier);  // name..note
    Key(Qt::Key_Right, Qt::ShiftModifier);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(SelectedIds(), (QList<int>{1, 2, 3}));
    QString text;
    ASSERT_TRUE(grid->SelectionText(&text));
    EXPECT_EQ(text, QStringLiteral("名前1\tn1\r\n名前2\tn2\r\n名前3\t\r\n"));
    TzkDBGridH::SetWholeRecordSelectedH(true);
    grid->EditCopy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("1\t名前1\tn1\t1.50\r\n2\t名前2\tn2\t2.50\r\n3\t名前3\t\t3.50\r\n"));
    // Without selected records the current value as it is.
    Key(Qt::Key_Escape);
    Key(Qt::Key_Up);
    ASSERT_TRUE(grid->SelectionText(&text));
    EXPECT_EQ(text, QStringLiteral("名前3"));
    grid->EditSelectAll();
    EXPECT_EQ(grid->SelectedCols()->Count(), 5);
    EXPECT_EQ(CurrentId(), 5);
}

TEST_F(GridH, ScrollBarMovesRecords)
{
    Open(50);
    Show();
    SetRecordAreaWidth(4 * 64 + 20);
    grid->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(CurrentId(), 5);
    grid->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(CurrentId(), 50);
    EXPECT_EQ(grid->DataLink()->RecordCount(), 4);
    EXPECT_EQ(grid->ColCount(), 5);
}

TEST_F(GridH, ControlSettingsGiveTheResultFontAndColumnWidth)
{
    TzkForm::ApplyControlSettings(grid);
    EXPECT_TRUE(grid->font().fixedPitch());
    const QString letters(zkOption.DataColWidthH, QLatin1Char('A'));
    EXPECT_EQ(grid->DefaultColWidth(), QFontMetrics(grid->font()).horizontalAdvance(letters));
}

} // namespace
