// The column model: defaults from the field and the grid, widths, the
// write-through of default columns to their fields, and the two states.
#include "gridtest.h"

#include <QFontMetrics>
#include <QHeaderView>

namespace {

using Columns = GridTest;

int zeroWidth(const QFont &font)
{
    return QFontMetrics(font).horizontalAdvance(QLatin1Char('0'));
}

TEST_F(Columns, DefaultWidths)
{
    // Without a grid, and without a field.
    TDBGridColumns loose(nullptr);
    EXPECT_EQ(loose.Add()->Width(), 64);
    EXPECT_EQ(grid->Columns()->Count(), 1);
    EXPECT_EQ(grid->Columns()->Items(0)->Width(), grid->DefaultColWidth());
    grid->SetDefaultColWidth(80);
    EXPECT_EQ(grid->Columns()->Items(0)->Width(), 80);

    Open({DescribeColumn("n", "nvarchar", 10), DescribeColumn("a much longer title than the data", "bit"),
          DescribeColumn("i", "int")},
         {{"x", true, 1}});
    const int zero = zeroWidth(grid->font());
    TDBGridColumns *columns = grid->Columns();
    const QString longTitle = columns->Items(1)->Title()->Caption();
    struct Case
    {
        const char *name;
        int column;
        int width;
    };
    const Case cases[] = {
        {"display width 10", 0, 10 * zero + 4},
        {"the title is wider", 1, QFontMetrics(grid->TitleFont()).horizontalAdvance(longTitle) + 4},
        {"display width 11", 2, 11 * zero + 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(columns->Items(c.column)->Width(), c.width);
        EXPECT_EQ(grid->ColWidths(c.column + 1), c.width);
    }
    grid->SetOptions(grid->Options() - dgTitles);
    EXPECT_EQ(columns->Items(1)->Width(), 5 * zero + 4);
}

TEST_F(Columns, DefaultColumnsWriteThroughToTheirFields)
{
    OpenNumbered(2);
    TColumn *name = grid->Columns()->Items(1);
    name->Title()->SetCaption("氏名");
    EXPECT_EQ(query.Fields(1)->DisplayLabel(), "氏名");
    EXPECT_EQ(grid->Columns()->Items(1)->Title()->Caption(), "氏名");
    EXPECT_FALSE(name->AssignedValues().Has(cvTitleCaption));
    name->SetAlignment(taCenter);
    EXPECT_EQ(query.Fields(1)->Alignment(), taCenter);
    name->SetReadOnly(true);
    EXPECT_TRUE(query.Fields(1)->ReadOnly());
    EXPECT_TRUE(grid->Columns()->Items(1)->ReadOnly());
    EXPECT_FALSE(grid->TabStops(2));
    EXPECT_TRUE(grid->TabStops(3));

    // The width goes to the field's display width and stays with the column.
    const int average = QFontMetrics(grid->font()).horizontalAdvance(QLatin1Char('x'));
    grid->Columns()->Items(2)->SetWidth(150);
    EXPECT_EQ(query.Fields(2)->DisplayWidth(), (150 + average / 2 - 3) / average);
    EXPECT_EQ(grid->Columns()->Items(2)->Width(), 150);
    EXPECT_EQ(grid->ColWidths(3), 150);
}

TEST_F(Columns, WritesWithoutAnActiveLink)
{
    TColumn *column = grid->Columns()->Items(0);
    column->SetReadOnly(true); // stored as assigned
    EXPECT_TRUE(column->AssignedValues().Has(cvReadOnly));
    EXPECT_TRUE(column->ReadOnly());
    column->SetAlignment(taRightJustify); // nothing
    EXPECT_FALSE(column->AssignedValues().Has(cvAlignment));
    EXPECT_EQ(column->Alignment(), taLeftJustify);
    column->Title()->SetCaption("x"); // nothing
    EXPECT_FALSE(column->AssignedValues().Has(cvTitleCaption));
    // Width: the default stores nothing, -1 never stores.
    column->SetWidth(column->DefaultWidth());
    EXPECT_FALSE(column->AssignedValues().Has(cvWidth));
    column->SetWidth(-1);
    EXPECT_FALSE(column->AssignedValues().Has(cvWidth));
    column->SetWidth(33);
    EXPECT_EQ(column->Width(), 33);
    EXPECT_EQ(grid->ColWidths(1), 33);
}

TEST_F(Columns, ANewFieldClearsWhatWasAssigned)
{
    OpenNumbered(1);
    TColumn *column = grid->Columns()->Items(0);
    column->SetColor(clYellow);
    column->SetWidth(200);
    EXPECT_EQ(column->Color(), clYellow);
    column->SetField(query.Fields(3));
    EXPECT_FALSE(column->AssignedValues().Has(cvColor));
    EXPECT_EQ(column->Color(), grid->Color());
    EXPECT_NE(column->Width(), 200);
}

TEST_F(Columns, HiddenColumnsHaveNoWidth)
{
    OpenNumbered(1);
    TColumn *column = grid->Columns()->Items(1);
    column->SetVisible(false);
    EXPECT_EQ(column->Width(), -1);
    EXPECT_EQ(grid->ColWidths(2), 0);
    column->SetExpanded(false); // no child fields: the flag is only kept
    EXPECT_FALSE(column->Expanded());
    EXPECT_EQ(column->Width(), -1);
}

TEST_F(Columns, TheCustomisedStateKeepsGivenColumns)
{
    OpenNumbered(1);
    TDBGridColumns *columns = grid->Columns();
    EXPECT_EQ(columns->State(), csDefault);
    columns->SetState(csCustomized);
    EXPECT_EQ(columns->State(), csCustomized);
    ASSERT_EQ(columns->Count(), 4);
    EXPECT_TRUE(columns->Items(0)->IsStored());
    // A given column keeps its values through a new layout and finds its
    // field again by name; one whose field is missing keeps its name.
    columns->Items(1)->SetColor(clYellow);
    columns->Items(3)->SetFieldName("missing");
    Open({DescribeColumn("id", "int"), DescribeColumn("name", "nvarchar", 5)}, {{1, "a"}});
    EXPECT_EQ(columns->Count(), 4);
    EXPECT_EQ(columns->Items(1)->Color(), clYellow);
    EXPECT_EQ(columns->Items(1)->Field(), query.Fields(1));
    EXPECT_EQ(columns->Items(3)->Field(), nullptr);
    EXPECT_EQ(columns->Items(3)->Title()->Caption(), "missing");
    EXPECT_FALSE(grid->DataLink()->DefaultFields());
    columns->SetState(csDefault);
    EXPECT_EQ(columns->State(), csDefault);
    EXPECT_EQ(columns->Count(), 2);
}

TEST_F(Columns, MovingADefaultColumnMovesItsField)
{
    OpenNumbered(1);
    std::vector<int> moved;
    grid->OnColumnMoved = [&](int from, int to) { moved = {from, to}; };
    grid->Columns()->Items(0)->SetIndex(2);
    QStringList names;
    for (int i = 0; i < query.FieldCount(); ++i)
        names << query.Fields(i)->FieldName();
    EXPECT_EQ(names, (QStringList{"name", "note", "id", "amount"}));
    QStringList columns;
    for (int i = 0; i < grid->Columns()->Count(); ++i)
        columns << grid->Columns()->Items(i)->Title()->Caption();
    EXPECT_EQ(columns, names);
    // A column dragged in the title row is moved the same way.
    grid->horizontalHeader()->moveSection(3, 0);
    QApplication::processEvents();
    EXPECT_EQ(query.Fields(0)->FieldName(), "amount");
    EXPECT_EQ(moved, (std::vector<int>{3, 0}));
    EXPECT_EQ(grid->horizontalHeader()->visualIndex(0), 0);
}

} // namespace
