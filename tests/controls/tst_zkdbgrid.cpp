// The record grid: its shape over closed, empty and open results, options,
// the window of records on screen, painting, and the copy text.
#include "gridtest.h"

#include "controls/zkdbgrid_p.h"
#include "core/zkforms.h"
#include "core/zkoption.h"
#include "core/zksub_datetime.h"
#include "platform/fonts/fontmap.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTest>

namespace {

using Grid = GridTest;

TEST_F(Grid, ClosedAbsentAndEmptyResultsShowATitleRowOneEmptyRowAndOneColumn)
{
    struct Case
    {
        const char *name;
        std::function<void(Grid *)> setUp;
        int columns;
    };
    const Case cases[] = {
        {"no data source", [](Grid *) {}, 1},
        {"closed query", [](Grid *t) { t->grid->SetDataSource(&t->source); }, 1},
        {"opened then closed",
         [](Grid *t) {
             t->OpenNumbered(3);
             t->query.Close();
         },
         1},
        {"empty result", [](Grid *t) { t->OpenNumbered(0); }, 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        delete grid;
        grid = new TzkDBGridV;
        grid->resize(400, 300);
        query.Close();
        c.setUp(this);
        EXPECT_EQ(grid->RowCount(), 2);
        EXPECT_EQ(grid->ColCount(), 1 + c.columns);
        EXPECT_EQ(grid->Columns()->Count(), c.columns);
        EXPECT_EQ(grid->model()->rowCount(), 1);
    }
}

TEST_F(Grid, DefaultColumnsFollowTheFields)
{
    OpenNumbered(3);
    ASSERT_EQ(grid->Columns()->Count(), 4);
    EXPECT_EQ(grid->Columns()->State(), csDefault);
    EXPECT_EQ(grid->Columns()->Items(1)->Title()->Caption(), "name");
    EXPECT_EQ(grid->Columns()->Items(0)->Alignment(), taRightJustify);
    EXPECT_EQ(grid->Columns()->Items(1)->Alignment(), taLeftJustify);
    EXPECT_EQ(grid->model()->data(grid->model()->index(1, 1)).toString(), "名前2");
    EXPECT_EQ(grid->model()->headerData(3, Qt::Horizontal).toString(), "amount");
    // A hidden field has no column; a new result new columns.
    query.Fields(2)->SetVisible(false);
    EXPECT_EQ(grid->Columns()->Count(), 3);
    EXPECT_EQ(grid->Columns()->Items(2)->FieldName(), "amount");
    Open({DescribeColumn("x", "int")}, {{1}});
    ASSERT_EQ(grid->Columns()->Count(), 1);
    EXPECT_EQ(grid->Columns()->Items(0)->Field(), query.Fields(0));
}

TEST_F(Grid, TheCurrentColumnMovesThroughItsEvents)
{
    OpenNumbered(2);
    QStringList events;
    grid->OnColExit = [&] { events << QString("exit %1").arg(grid->SelectedIndex()); };
    grid->OnColEnter = [&] { events << QString("enter %1").arg(grid->SelectedIndex()); };
    grid->SetSelectedIndex(2);
    grid->SetSelectedField(query.Fields(3));
    EXPECT_EQ(events, (QStringList{"exit 0", "enter 2", "exit 2", "enter 3"}));
    EXPECT_EQ(grid->SelectedField(), query.Fields(3));
    // A column exit that moves the column itself abandons the move.
    grid->OnColExit = [&] { grid->SetSelectedIndex(1); };
    grid->OnColEnter = nullptr;
    grid->SetSelectedIndex(0);
    EXPECT_EQ(grid->SelectedIndex(), 1);
    // Without an open result the move ends in the closed-data-set error.
    query.Close();
    grid->OnColExit = nullptr;
    EXPECT_THROW(grid->SetSelectedIndex(0), EInvalidGridOperation);
}

TEST_F(Grid, ANewOrDestroyedDataSourceTakesTheGridWithIt)
{
    auto other = std::make_unique<TDataSource>();
    OpenNumbered(3);
    grid->SelectedRows()->SetCurrentRowSelected(true);
    grid->SetDataSource(other.get());
    EXPECT_TRUE(grid->SelectedRows()->IsEmpty());
    EXPECT_EQ(grid->Columns()->Count(), 1);
    other->SetDataSet(&query);
    EXPECT_EQ(grid->Columns()->Count(), 4);
    other.reset();
    EXPECT_FALSE(grid->DataLink()->Active());
    EXPECT_EQ(grid->Columns()->Count(), 1);
}

TEST_F(Grid, TheFormSetUpGivesTheResultFont)
{
    const TzkOption saved = zkOption;
    zkOption.DataFontName = QStringLiteral("ＭＳ ゴシック");
    zkOption.DataFontSize = 12;
    TzkForm::ApplyControlSettings(grid);
    EXPECT_EQ(grid->font().family(), FontMap::substitute(QStringLiteral("ＭＳ ゴシック")));
    EXPECT_EQ(grid->font().pointSize(), 12);
    EXPECT_TRUE(grid->font().fixedPitch());
    EXPECT_EQ(grid->Columns()->Items(0)->Font(), grid->font());
    EXPECT_EQ(grid->TitleFont(), grid->font());
    zkOption = saved;
}

TEST_F(Grid, OptionsAreNormalised)
{
    const TDBGridOptions start = grid->Options();
    EXPECT_TRUE(start == TDBGridOptions::Default() + dgAlwaysShowEditor);
    grid->SetOptions({dgRowSelect, dgEditing, dgAlwaysShowEditor, dgTitles});
    EXPECT_TRUE(grid->Options() == (TDBGridOptions{dgRowSelect, dgTitles}));

    OpenNumbered(5);
    grid->SetOptions(start + dgMultiSelect);
    query.SetRecNo(2);
    grid->SelectedRows()->SetCurrentRowSelected(true);
    grid->SetOptions(grid->Options() + dgAlwaysShowSelection); // adding keeps them
    EXPECT_EQ(grid->SelectedRows()->Count(), 1);
    grid->SetOptions(grid->Options() - dgMultiSelect); // removing clears them
    EXPECT_EQ(grid->SelectedRows()->Count(), 0);

    grid->SetOptions(grid->Options() - dgIndicator - dgTitles);
    EXPECT_EQ(grid->IndicatorOffset(), 0);
    EXPECT_EQ(grid->TitleOffset(), 0);
    EXPECT_EQ(grid->ColCount(), 4);
    EXPECT_EQ(grid->RawToDataColumn(0), 0);
    EXPECT_FALSE(grid->horizontalHeader()->isVisible() && grid->isVisible());
}

TEST_F(Grid, TheWindowOfRecordsHoldsTheCurrentRecordAndFillsTheScreen)
{
    grid->resize(400, 200);
    OpenNumbered(100);
    Show();
    const int visible = grid->VisibleRowCount();
    ASSERT_GT(visible, 2);
    ASSERT_LT(visible, 20);
    EXPECT_EQ(grid->RowCount(), visible + 1);
    TGridDataLink *link = grid->DataLink();
    query.Last();
    EXPECT_EQ(link->FirstPosition(), 100 - visible);
    EXPECT_EQ(link->ActiveRecord(), visible - 1);
    EXPECT_EQ(grid->model()->data(grid->model()->index(visible - 1, 0)).toString(), "100");
    query.MoveBy(-visible); // one above the window: it becomes the top row
    EXPECT_EQ(link->ActiveRecord(), 0);
    EXPECT_EQ(link->FirstPosition(), 99 - visible);
    query.First();
    EXPECT_EQ(link->FirstPosition(), 0);
    // The scroll bar stands for the records.
    EXPECT_EQ(grid->verticalScrollBar()->minimum(), 1);
    EXPECT_EQ(grid->verticalScrollBar()->maximum(), 100);
    EXPECT_EQ(grid->verticalScrollBar()->pageStep(), visible);
    query.SetRecNo(40);
    EXPECT_EQ(grid->verticalScrollBar()->value(), 40);
    // Fewer records than rows: all of them, and the rest of the screen empty.
    OpenNumbered(2);
    EXPECT_EQ(grid->RowCount(), 3);
    EXPECT_EQ(link->RecordCount(), 2);
}

TEST_F(Grid, DateTimeFieldsLeftAtWidth18TakeTheFormatsLength)
{
    const TzkFormatSettings saved = FormatSettings;
    FormatSettings.ShortDateFormat = "yyyy/MM/dd";
    FormatSettings.ShortTimeFormat = "H:mm";
    Open({DescribeColumn("d", "datetime"), DescribeColumn("e", "datetime2"), DescribeColumn("n", "nvarchar", 18)},
         {{QVariant(), QVariant(), "x"}});
    query.Fields(0)->SetDisplayWidth(18);
    EXPECT_EQ(query.Fields(0)->DisplayWidth(), 15);
    EXPECT_EQ(query.Fields(1)->DisplayWidth(), DefaultDisplayWidth(query.Fields(1)->Def()));
    query.Fields(2)->SetDisplayWidth(18);
    EXPECT_EQ(query.Fields(2)->DisplayWidth(), 18); // not a date
    FormatSettings = saved;
}

// --- Copy ------------------------------------------------------------------------

class GridCopy : public GridTest
{
protected:
    void OpenValues(const QList<QVariantList> &rows)
    {
        Open({DescribeColumn("a", "nvarchar", 20), DescribeColumn("b", "nvarchar", 20),
              DescribeColumn("c", "nvarchar", 20)},
             rows);
    }
    void Select(const QList<int> &recNos)
    {
        for (int r : recNos) {
            query.SetRecNo(r);
            grid->SelectedRows()->SetCurrentRowSelected(true);
        }
    }
    QString Text()
    {
        QString text;
        grid->SelectionText(&text);
        return text;
    }
};

TEST_F(GridCopy, SelectedRecordsAcrossTheFieldRange)
{
    OpenValues({{"a1", "b1", "c1"}, {"a2", "b2", "c2"}, {"a3", "b3", "c3"}});
    struct Case
    {
        const char *name;
        QList<int> records;
        int start, end;
        bool whole;
        QString text;
    };
    const Case cases[] = {
        {"two records, fields 1 to 2", {3, 1}, 1, 2, false, "b1\tc1\r\nb3\tc3\r\n"},
        {"reversed range", {1, 2}, 2, 0, false, "a1\tb1\tc1\r\na2\tb2\tc2\r\n"},
        {"one field", {2, 3}, 1, 1, false, "b2\r\nb3\r\n"},
        {"one record has no line end", {2}, 0, 1, false, "a2\tb2"},
        {"whole records", {1, 3}, 2, 2, true, "a1\tb1\tc1\r\na3\tb3\tc3\r\n"},
        {"a range past the last field", {1}, 1, 9, false, "b1\tc1"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        grid->SelectedRows()->Clear();
        Select(c.records);
        grid->SetColStart(c.start);
        grid->SetColEnd(c.end);
        TzkDBGridV::SetWholeRecordSelectedV(c.whole);
        EXPECT_EQ(Text(), c.text);
    }
}

TEST_F(GridCopy, ValuesWithTabsLineBreaksAndQuotesAreQuoted)
{
    OpenValues({{"x\ty", "1\r\n2", "\""}, {"a\rb", "p\nq", "say \"hi\""}, {QVariant(), "", "plain"}});
    Select({1, 2, 3});
    grid->SetColStart(0);
    grid->SetColEnd(2);
    EXPECT_EQ(Text(), "\"x\ty\"\t\"1\n2\"\t\"\"\"\"\r\n"
                      "\"a\nb\"\t\"p\nq\"\t\"say \"\"hi\"\"\"\r\n"
                      "\t\tplain\r\n");
}

TEST_F(GridCopy, WithoutSelectedRecordsTheCurrentCellIsCopiedAsItIs)
{
    OpenValues({{"a1", "two\tparts\r\nand lines", "c1"}});
    grid->SetSelectedIndex(1);     // a column move selects the record ...
    grid->SelectedRows()->Clear(); // ... as a plain click would not
    EXPECT_EQ(Text(), "two\tparts\r\nand lines");
    grid->CopySelection();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "two\tparts\r\nand lines");
}

TEST_F(GridCopy, SelectAllTakesEveryRecordAndColumnAndEndsOnTheLast)
{
    OpenValues({{"a1", "b1", "c1"}, {"a2", "b2", "c2"}});
    grid->SelectAllRecords();
    EXPECT_EQ(grid->SelectedRows()->Count(), 2);
    EXPECT_EQ(grid->ColStart(), 0);
    EXPECT_EQ(grid->ColEnd(), 3);
    EXPECT_EQ(query.RecNo(), 2);
    EXPECT_EQ(Text(), "a1\tb1\tc1\r\na2\tb2\tc2\r\n");
    query.First();
    grid->SelectedRows()->SetCurrentRowSelected(false);
    EXPECT_EQ(Text(), "a2\tb2\tc2");
    grid->SelectedRows()->Clear();
    EXPECT_EQ(grid->SelectedRows()->Count(), 0);
}

TEST_F(GridCopy, TheMainWindowsCopyAndSelectAllReachTheFocusedGrid)
{
    OpenValues({{"a1", "b1", "c1"}, {"a2", "b\t2", "c2"}});
    IzkEditCommands *commands = EditCommandsOf(grid);
    ASSERT_NE(commands, nullptr);
    commands->EditSelectAll();
    EXPECT_EQ(grid->SelectedRows()->Count(), 2);
    EXPECT_EQ(grid->ColEnd(), 3);
    commands->EditCopy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "a1\tb1\tc1\r\na2\t\"b\t2\"\tc2\r\n");
    // Editing commands change nothing while the grid only browses.
    commands->EditDelete();
    commands->EditPaste();
    EXPECT_EQ(query.RecordCount(), 2);
}

// --- Painting --------------------------------------------------------------------

class GridPaint : public GridTest
{
protected:
    QColor CellColour(int col, int row)
    {
        const QImage image = grid->grab().toImage();
        const QRect r = grid->CellRect(col, row);
        return image.pixelColor(r.left() + r.width() - 4, r.top() + 2);
    }
};

TEST_F(GridPaint, SelectedRecordsAreHighlightedAcrossTheFieldRangeOrWhole)
{
    grid->SetOptions(grid->Options() + dgMultiSelect + dgAlwaysShowSelection);
    grid->resize(1000, 300);
    OpenNumbered(5);
    Show();
    const QColor highlight = ColorToQColor(clHighlight);
    query.SetRecNo(3);
    grid->SelectedRows()->SetCurrentRowSelected(true);
    query.SetRecNo(1);
    grid->SetColStart(1);
    grid->SetColEnd(2);
    EXPECT_EQ(CellColour(2, 3), highlight); // record 3, data column 1
    EXPECT_NE(CellColour(1, 3), highlight); // data column 0: outside the range
    EXPECT_NE(CellColour(2, 2), highlight); // record 2 is not selected
    TzkDBGridV::SetWholeRecordSelectedV(true);
    EXPECT_EQ(CellColour(1, 3), highlight);
    EXPECT_EQ(CellColour(3, 3), highlight);
}

TEST_F(GridPaint, DrawingHandlersPaintWithTheCanvasAndReadTheRecordBeingPainted)
{
    Open({DescribeColumn("v", "nvarchar", 10)}, {{"a"}, {QVariant()}, {"c"}});
    Show();
    QList<int> recNos;
    QList<bool> nulls;
    grid->OnDrawColumnCell = [&](const QRect &rect, int, TColumn *column, TGridDrawState) {
        recNos << int(query.RecNo());
        nulls << column->Field()->IsNull();
        if (column->Field()->IsNull()) {
            grid->Canvas()->BrushColor = clYellow;
            grid->Canvas()->FillRect(rect);
        }
    };
    const QImage image = grid->grab().toImage();
    EXPECT_EQ(recNos, (QList<int>{1, 2, 3}));
    EXPECT_EQ(nulls, (QList<bool>{false, true, false}));
    EXPECT_EQ(query.RecNo(), 1); // nothing moved
    const QRect r = grid->CellRect(1, 2);
    EXPECT_EQ(image.pixelColor(r.center()), QColor(Qt::yellow));
}

TEST_F(GridPaint, DrawingHandlersPaintInsideTheirCell)
{
    // A long text in the last column would otherwise run on into the empty
    // space beside it.
    Open({DescribeColumn("a", "int"), DescribeColumn("b", "bit")}, {{1, QVariant()}});
    grid->resize(600, 120);
    Show();
    grid->OnDrawColumnCell = [&](const QRect &rect, int, TColumn *, TGridDrawState) {
        TzkGridCanvas *canvas = grid->Canvas();
        canvas->FontColor = clBlack;
        canvas->TextOut(rect.left() + 2, rect.top() + 2, QString(40, QChar(0x2588)));
    };
    const QImage image = grid->grab().toImage();
    const QRect last = grid->CellRect(2, 1);
    EXPECT_EQ(image.pixelColor(last.left() + 4, last.center().y()), QColor(Qt::black));
    int inked = 0;
    for (int x = last.right() + 2; x < last.right() + 60; ++x)
        inked += qGray(image.pixel(x, last.center().y())) < 60;
    EXPECT_EQ(inked, 0);
}

TEST_F(GridPaint, TheIndicatorShowsTheCurrentAndTheSelectedRecords)
{
    grid->SetOptions(grid->Options() + dgMultiSelect);
    OpenNumbered(4);
    Show();
    query.SetRecNo(3);
    grid->SelectedRows()->SetCurrentRowSelected(true);
    query.SetRecNo(2);
    const QImage image = grid->grab().toImage();
    const auto inked = [&](int row) {
        const QRect r = grid->CellRect(0, row);
        int dark = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                dark += qGray(image.pixel(x, y)) < 60;
        return dark;
    };
    EXPECT_EQ(inked(1), 0);
    EXPECT_GT(inked(2), 4); // arrow
    EXPECT_GT(inked(3), 4); // dot
    EXPECT_EQ(inked(4), 0);
}

// What a result looks like: Japanese text, NULLs (marked by a drawing
// handler as the result frame marks them), dates and numbers. Written as a
// picture when ZK_SCREENSHOT_DIR is set.
TEST_F(GridPaint, AResultWithJapaneseTextNullsDatesAndNumbers)
{
    grid->SetOptions(grid->Options() + dgMultiSelect);
    QFont font(QStringLiteral("Noto Sans Mono CJK JP"), 10);
    grid->setFont(font);
    Open({DescribeColumn("社員番号", "int"), DescribeColumn("氏名", "nvarchar", 12), DescribeColumn("入社日", "date"),
          DescribeColumn("更新日時", "datetime2", 0, 0, 3), DescribeColumn("給与", "decimal", 0, 12, 2),
          DescribeColumn("備考", "nvarchar", 20)},
         {{1001, "山田 太郎", QDate(2015, 4, 1), QDateTime(QDate(2024, 3, 15), QTime(9, 30, 15, 250), Qt::UTC),
           "350000.00", "東京本社"},
          {1002, "佐藤 花子", QDate(2018, 10, 1), QVariant(), "412500.50", QVariant()},
          {1003, "John Smith", QVariant(), QDateTime(QDate(2023, 12, 31), QTime(23, 59, 59), Qt::UTC), "-1200.75",
           "タブ\t改行\nを含む"},
          {1004, "鈴木 一郎", QDate(2020, 1, 6), QDateTime(QDate(2024, 1, 6), QTime(8, 0), Qt::UTC), QVariant(),
           "ｶﾀｶﾅ・ひらがな・漢字"},
          {1005, "高橋 美咲", QDate(2021, 7, 15), QDateTime(QDate(2024, 2, 29), QTime(12, 0), Qt::UTC), "298000.00",
           ""}});
    grid->OnDrawColumnCell = [&](const QRect &rect, int, TColumn *column, TGridDrawState state) {
        if (column->Field()->IsNull() && !(state & gdSelected)) {
            TzkGridCanvas *canvas = grid->Canvas();
            canvas->FillRect(rect);
            canvas->FontColor = clBlue;
            canvas->TextOut(rect.left() + 2, rect.top() + 2, QStringLiteral("(NULL)"));
        }
    };
    grid->resize(760, 200);
    Show();
    query.SetRecNo(2);
    grid->SelectedRows()->SetCurrentRowSelected(true);
    query.SetRecNo(3);
    grid->SelectedRows()->SetCurrentRowSelected(true);
    grid->SetColStart(1);
    grid->SetColEnd(3);
    query.SetRecNo(4);
    const QImage image = grid->grab().toImage();
    const QString dir = qEnvironmentVariable("ZK_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        image.save(dir + QStringLiteral("/grid.png"));
    EXPECT_EQ(grid->model()->data(grid->model()->index(0, 3)).toString(), "2024/03/15 09:30:15");
    EXPECT_EQ(grid->model()->data(grid->model()->index(3, 4)).toString(), "");

    // Many records, at their end, a range of them selected.
    OpenNumbered(10000);
    grid->resize(560, 240);
    query.Last();
    query.MoveBy(-2);
    grid->SetSelectedIndex(1);
    grid->SelectedRows()->Clear();
    QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(SelectedIds(), (QList<int>{9998, 9999, 10000}));
    if (!dir.isEmpty()) {
        grid->grab().toImage().save(dir + QStringLiteral("/grid_many.png"));
        QImage strip(5 * 40, 60, QImage::Format_RGB32);
        strip.fill(Qt::white);
        QPainter p(&strip);
        for (int i = 0; i < 5; ++i)
            p.drawPixmap(QRect(i * 40 + 8, 4, 24, 44), TzkDBGridV::IndicatorImages().at(i));
        p.end();
        strip.save(dir + QStringLiteral("/grid_indicators.png"));
    }
}

} // namespace
