// The transposed data grid offscreen: layout, keys, mouse, wheel, copy,
// editing in place and its rows' looks.
#include "controls/zkdbgridh.h"
#include "controls/zkdbgrid_inplace.h"
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
    void Open(int n, bool bind = true)
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
        if (bind)
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
    EXPECT_EQ(grid->RowCount(), 5); // indicator row and four field rows
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
    Key(Qt::Key_Right); // nothing to move, nothing raised
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
    Key(Qt::Key_Left); // the first record stays
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
    Key(Qt::Key_Right); // the last record: no editing, nothing appended
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
    EXPECT_EQ(CurrentId(), 4); // the last record on screen
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
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, grid->viewport()->mapFrom(grid, r.center()));
    EXPECT_EQ(CurrentId(), 3);
    EXPECT_EQ(CurrentField(), "name");
    // A press in the indicator row selects the whole record.
    const QRect i = grid->GetCellRect(2, 0);
    QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(i.center().x() - grid->viewport()->x(), i.height() / 2));
    EXPECT_EQ(CurrentId(), 2);
    EXPECT_EQ(SelectedIds(), QList<int>{2});
    EXPECT_TRUE(TzkDBGridH::WholeRecordSelectedH());
    // A right press near the top keeps the selected records for the menu;
    // one further down is a press like any other.
    const QRect other = grid->GetCellRect(4, 0);
    QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::RightButton, Qt::NoModifier,
                      QPoint(other.center().x() - grid->viewport()->x(), other.height() / 2));
    EXPECT_EQ(SelectedIds(), QList<int>{2});
    EXPECT_EQ(CurrentId(), 2);
    QTest::mouseClick(grid->viewport(), Qt::RightButton, Qt::NoModifier,
                      grid->viewport()->mapFrom(grid, grid->GetCellRect(4, 3).center()));
    EXPECT_TRUE(SelectedIds().isEmpty());
    EXPECT_EQ(CurrentId(), 4);
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
    EXPECT_EQ(CurrentField(), "amount"); // stays in the field rows
    // Over the scroll bar too: the bar stands for the records and stays.
    QScrollBar *bar = grid->horizontalScrollBar();
    const int value = bar->value();
    QWheelEvent e(QPointF(5, 5), bar->mapToGlobal(QPoint(5, 5)), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(bar, &e);
    EXPECT_EQ(CurrentField(), "note");
    EXPECT_EQ(bar->value(), value);
    EXPECT_EQ(CurrentId(), 1);
}

TEST_F(GridH, CopyOfSelectedRecordsGivesALineEach)
{
    Open(5);
    Show();
    Key(Qt::Key_Down);                    // name
    Key(Qt::Key_Down, Qt::ShiftModifier); // name..note
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

// --- Editing in place, with the record grid's editor -----------------------------------

class GridHEdit : public GridH
{
public:
    QStringList posted;
    QList<int> deleted;

    void OpenEditable(int n)
    {
        Open(n, false);
        query.SetPostHandler([this](TFDQuery *q, const TFDQuery::TPostRequest &r) {
            QStringList values;
            for (int i = 0; i < q->FieldCount(); ++i)
                values << q->Fields(i)->TextAt(r.record);
            posted << (r.inserting ? "insert " : "update ") + values.join(',');
        });
        query.SetDeleteHandler([this](TFDQuery *q, TRecordId r) { deleted << q->Fields(0)->ValueAt(r).toInt(); });
        grid->SetDataSource(&source);
        Show();
    }
    TDBGridInplaceEdit *Editor() { return grid->InplaceEditor(); }
    void EditorKey(int key, Qt::KeyboardModifiers shift = Qt::NoModifier)
    {
        QTest::keyClick(Editor(), Qt::Key(key), shift);
    }
};

TEST_F(GridHEdit, TypingEditsEnterGoesDownRightPostsTheRecord)
{
    OpenEditable(3);
    ASSERT_TRUE(Editor());
    ASSERT_FALSE(Editor()->isHidden());
    grid->SetSelectedIndex(1);
    QTest::keyClicks(Editor(), "x");
    EXPECT_EQ(query.State(), dsEdit);
    EditorKey(Qt::Key_Return); // the next field of the same record
    EXPECT_EQ(CurrentField(), "note");
    EXPECT_EQ(CurrentId(), 1);
    EXPECT_TRUE(posted.isEmpty());
    EditorKey(Qt::Key_Right); // the same field of the next record: posted
    EXPECT_EQ(posted, QStringList{"update 1,x,n1,1.50"});
    EXPECT_EQ(CurrentId(), 2);
    EXPECT_EQ(CurrentField(), "note");
    EXPECT_EQ(Editor()->text(), "n2");
    EXPECT_EQ(Editor()->geometry().topLeft(), grid->visualRect(grid->currentIndex()).topLeft());
}

TEST_F(GridHEdit, RightAppendsAtTheEndInsertAndEscape)
{
    OpenEditable(2);
    query.Last();
    const struct
    {
        const char *name;
        int key;
        TDataSetState state;
        int records;
    } steps[] = {
        {"RightOnTheLastAppends", Qt::Key_Right, dsInsert, 3},
        {"RightOnTheUntouchedNewOneAddsNoMore", Qt::Key_Right, dsInsert, 3},
        {"LeftDropsIt", Qt::Key_Left, dsBrowse, 2},
        {"InsertInserts", Qt::Key_Insert, dsInsert, 3},
        {"EscapeCancels", Qt::Key_Escape, dsBrowse, 2},
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(step.name);
        EditorKey(step.key);
        EXPECT_EQ(query.State(), step.state);
        EXPECT_EQ(query.RecordCount(), step.records);
    }
    EXPECT_TRUE(posted.isEmpty());
    EXPECT_FALSE(Editor()->isHidden()); // dgAlwaysShowEditor: Escape keeps it
}

TEST_F(GridHEdit, F2ShowsTheEditorEscapeHidesIt)
{
    grid->SetOptions(grid->Options() - dgAlwaysShowEditor);
    OpenEditable(2);
    EXPECT_FALSE(grid->EditorMode());
    Key(Qt::Key_F2);
    ASSERT_TRUE(grid->EditorMode());
    EXPECT_FALSE(Editor()->isHidden());
    EditorKey(Qt::Key_Escape);
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_TRUE(Editor()->isHidden());
    EXPECT_TRUE(grid->hasFocus());
    // Typing on the grid starts editing the cell with that character.
    Key(Qt::Key_Down);
    QTest::keyClicks(grid, "z");
    EXPECT_EQ(Editor()->text(), "z");
    EXPECT_EQ(query.State(), dsEdit);
}

TEST_F(GridHEdit, NullFieldEditsEmptyAndStaysNull)
{
    OpenEditable(3);
    query.Last();
    grid->SetSelectedIndex(2);
    EXPECT_EQ(Editor()->text(), "");
    EditorKey(Qt::Key_Return);
    EditorKey(Qt::Key_Left);
    EXPECT_TRUE(posted.isEmpty());
    query.Last();
    EXPECT_TRUE(query.FieldByName("note")->IsNull());
}

TEST_F(GridHEdit, PasteAndCtrlDeleteGoThroughTheRecords)
{
    OpenEditable(4);
    grid->SetOptions(grid->Options() - dgConfirmDelete);
    QGuiApplication::clipboard()->setText(QStringLiteral("11\tabc\r\n"));
    grid->EditPaste();
    EXPECT_EQ(posted, QStringList{"insert 11,abc,,"});
    EditorKey(Qt::Key_Escape);
    query.First();
    EditorKey(Qt::Key_Right, Qt::ShiftModifier);
    EditorKey(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(deleted.size(), 2);
    EXPECT_TRUE(grid->SelectedCols()->IsEmpty());
    EXPECT_EQ(query.RecordCount(), 3);
}

TEST_F(GridHEdit, WideningTheRecordColumnsWidensTheEditor)
{
    OpenEditable(5);
    grid->horizontalHeader()->resizeSection(0, 120);
    EXPECT_EQ(grid->DefaultColWidth(), 120);
    EXPECT_FALSE(Editor()->isHidden());
    EXPECT_EQ(Editor()->width(), 119); // inside the grid line
}

// --- Rows: looks of their own, moves --------------------------------------------------

TEST_F(GridH, RowLooksAreAssignedOrTheGridsAndPainted)
{
    Open(3);
    Show();
    TRow *row = grid->Rows()->Items(1);
    EXPECT_EQ(row->Color(), grid->Color());
    EXPECT_EQ(row->Title()->Color(), grid->FixedColor());
    EXPECT_TRUE(row->AssignedValues().IsEmpty());
    row->SetColor(clYellow);
    row->Title()->SetColor(clLime);
    QFont bold = grid->font();
    bold.setBold(true);
    row->SetFont(bold);
    EXPECT_TRUE(row->AssignedValues().Has(cvColor));
    EXPECT_TRUE(row->Font().bold());
    EXPECT_FALSE(grid->Rows()->Items(0)->Font().bold());
    QApplication::processEvents();
    const QImage image = grid->grab().toImage();
    const QRect cell = grid->GetCellRect(2, 2); // record 2, field name: not current
    EXPECT_EQ(image.pixelColor(cell.right() - 3, cell.bottom() - 2), ColorToQColor(clYellow));
    const QRect title = grid->GetCellRect(0, 2);
    EXPECT_EQ(image.pixelColor(title.right() - 3, title.bottom() - 2), ColorToQColor(clLime));
    // Read-only and alignment of a row on an open result are its field's.
    row->SetReadOnly(true);
    EXPECT_TRUE(query.FieldByName("name")->ReadOnly());
    // A row built for a new field starts from the defaults again.
    query.Close();
    Open(3);
    EXPECT_TRUE(grid->Rows()->Items(1)->AssignedValues().IsEmpty());
    EXPECT_EQ(grid->Rows()->Items(1)->Color(), grid->Color());
}

TEST_F(GridH, AMovedRowReportsItsFieldIndexes)
{
    Open(2);
    Show();
    std::pair<int, int> moved{-1, -1};
    grid->OnRowMoved = [&](int from, int to) { moved = {from, to}; };
    EXPECT_FALSE(grid->verticalHeader()->sectionsMovable());
    grid->verticalHeader()->moveSection(0, 2);
    QApplication::processEvents();
    EXPECT_EQ(moved, (std::pair<int, int>{0, 2}));
    QStringList names;
    for (int i = 0; i < grid->Rows()->Count(); ++i)
        names << grid->Rows()->Items(i)->FieldName();
    EXPECT_EQ(names, (QStringList{"name", "note", "id", "amount"}));
    // The data set keeps the order: the record grid on it shows it too.
    EXPECT_EQ(query.Fields(2)->FieldName(), "id");
}

} // namespace
