// The query designer surface: join geometry, boxes, moving, joins made by
// dropping columns, aliases, removal and the enabling of boxes.
#include "designerfixture.h"

#include "core/zkoption.h"
#include "controls/zkgrid.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

namespace {

// --- Geometry without widgets --------------------------------------------------

TEST(DesignerGeometry, ApproxDistanceIsNeverBelowTheLength)
{
    const struct
    {
        int dx, dy, expected;
    } cases[] = {{0, 0, 0}, {3, 4, 5}, {4, 3, 5}, {-10, 2, 11}, {7, -7, 10}, {0, -9, 9}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy);
        EXPECT_EQ(ApproxDistance(c.dx, c.dy), c.expected);
        EXPECT_GE(ApproxDistance(c.dx, c.dy) * ApproxDistance(c.dx, c.dy), c.dx * c.dx + c.dy * c.dy);
    }
}

TEST(DesignerGeometry, ARowScrolledOutClampsToTheListsEdge)
{
    const struct
    {
        const char *name;
        int top, height, expected;
    } cases[] = {{"in view", 20, 20, 30},
                 {"above", -40, 20, 0},
                 {"below", 120, 20, 100},
                 {"half below", 90, 20, 95},
                 {"half above", -10, 20, 5}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ClampedRowMiddle(c.top, c.height, 100), c.expected);
    }
}

TEST(DesignerGeometry, LinesLeaveTheFacingEdges)
{
    const QRect left(16, 16, 120, 100);
    const QRect right(300, 40, 120, 100);
    // From-box left of the to-box: its right edge to the other's left edge.
    TzkConnectLines lines = ConnectLines(left, 50, right, 80);
    EXPECT_EQ(lines, (TzkConnectLines{QPoint(136, 50), QPoint(152, 50), QPoint(284, 80), QPoint(300, 80)}));
    // Swapped places: both ends move to the other edges.
    lines = ConnectLines(right, 80, left, 50);
    EXPECT_EQ(lines, (TzkConnectLines{QPoint(300, 80), QPoint(284, 80), QPoint(152, 50), QPoint(136, 50)}));
    // Equal lefts count as the normal direction.
    lines = ConnectLines(QRect(16, 16, 120, 100), 30, QRect(16, 200, 120, 100), 230);
    EXPECT_EQ(lines[0], QPoint(136, 30));
    EXPECT_EQ(lines[3], QPoint(16, 230));
}

TEST(DesignerGeometry, HitTestMeasuresToTheLineThroughEachSegment)
{
    const TzkConnectLines lines = ConnectLines(QRect(16, 16, 120, 100), 50, QRect(300, 16, 120, 100), 80);
    const struct
    {
        const char *name;
        QPoint p;
        bool hit;
    } cases[] = {
        {"first stub", {140, 50}, true},
        {"middle segment", {218, 65}, true},
        {"last stub", {292, 80}, true},
        {"first stub's row far beside it", {700, 50}, true},
        {"three pixels below the first stub", {140, 53}, false},
        {"between the boxes, off the line", {218, 40}, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(HitConnectLines(lines, c.p), c.hit);
    }
    // Boxes overlapping so that every segment has zero length.
    const TzkConnectLines point{QPoint(10, 10), QPoint(10, 10), QPoint(10, 10), QPoint(10, 10)};
    EXPECT_FALSE(HitConnectLines(point, QPoint(10, 10)));
}

TEST(DesignerGeometry, LabelsMirrorAndMarkTheOptionalSide)
{
    const struct
    {
        TzkSQLBuildConnectType type;
        TzkSQLBuildJoinType join;
        bool mirrored;
        const char *label;
    } cases[] = {
        {ctEQ, jtInner, false, " = "},       {ctGT, jtInner, false, " > "},        {ctGE, jtInner, false, " >= "},
        {ctLT, jtInner, false, " < "},       {ctLE, jtInner, false, " <= "},       {ctNE, jtInner, false, " != "},
        {ctEQ, jtInner, true, " = "},        {ctGT, jtInner, true, " < "},         {ctGE, jtInner, true, " <= "},
        {ctLT, jtInner, true, " > "},        {ctLE, jtInner, true, " >= "},        {ctNE, jtInner, true, " != "},
        {ctEQ, jtLeftOuter, false, " =(+)"}, {ctEQ, jtRightOuter, false, "(+)= "}, {ctGT, jtLeftOuter, true, "(+)< "},
        {ctGT, jtRightOuter, true, " <(+)"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(ConnectLabel(c.type, c.join, c.mirrored), QString::fromLatin1(c.label));
    }
}

// --- The designer -----------------------------------------------------------------

// The design grid as the SQL window shapes it: header and rows.
TzkStringGrid *grid(TzkSQLDesigner *designer, const QList<QStringList> &rows)
{
    auto *g = new TzkStringGrid(designer->parentWidget());
    g->SetColCount(7);
    g->SetFixedCols(0);
    g->SetRowCount(int(rows.size()) + 1);
    g->SetFixedRows(1);
    for (int r = 0; r < rows.size(); ++r)
        g->SetRows(r + 1, rows[r]);
    designer->SetGrid(g);
    return g;
}

// The texts of one grid column, data rows only.
QStringList column(TzkStringGrid *g, int col)
{
    QStringList out;
    for (int r = 1; r < g->RowCount(); ++r)
        out << g->Cells(col, r);
    return out;
}

int listTop(TzkSQLDesigner *d, TzkSQLBuildTable *b)
{
    return b->ItemList()->viewport()->mapTo(d->widget(), QPoint(0, 0)).y();
}

TEST_F(DesignerTest, SurfaceScrollsAFixedAreaByThirtyTwo)
{
    EXPECT_EQ(designer->widget(), designer->BackGround());
    EXPECT_EQ(designer->BackGround()->size(), QSize(1024, 1024));
    EXPECT_EQ(designer->horizontalScrollBar()->singleStep(), 32);
    EXPECT_EQ(designer->verticalScrollBar()->singleStep(), 32);
    host->resize(1400, 1200);
    QApplication::processEvents();
    EXPECT_EQ(designer->BackGround()->size(), designer->viewport()->size());
    EXPECT_EQ(designer->PickSortType(), (QStringList{"", "昇順", "降順"}));
    EXPECT_EQ(designer->PickGroupType(),
              (QStringList{"", "GROUP BY", "HAVING", "AVG", "COUNT", "MAX", "MEDIAN", "MIN", "STDDEV", "STDDEV_POP",
                           "STDDEV_SAMP", "SUM", "VAR_POP", "VAR_SAMP", "VARIANCE"}));
    EXPECT_EQ(designer->SQLType(), sqltSelect);
}

TEST_F(DesignerTest, ANewBoxIs120WideAt16AndFiveRowsHigh)
{
    TzkSQLBuildTable *b = designer->AddTable("Orders", QString());
    EXPECT_EQ(b->geometry().topLeft(), QPoint(16, 16));
    EXPECT_EQ(b->width(), 120);
    EXPECT_EQ(b->ItemList()->viewport()->height(), 5 * b->ItemList()->ItemHeight());
    EXPECT_EQ(designer->Tables(), TzkSQLBuildTableList{b});
    EXPECT_EQ(b->Alias(), "Orders"); // no alias typed

    const struct
    {
        const char *db, *schema, *caption;
    } cases[] = {{"Sales", "dbo", "Sales.dbo.Orders"}, {"", "dbo", "dbo.Orders"}, {"Sales", "", "Orders"}};
    for (const auto &c : cases) {
        b->SetTableDatabase(c.db);
        b->SetTableSchema(c.schema);
        EXPECT_EQ(b->HeaderPanel()->text(), c.caption);
    }
}

TEST_F(DesignerTest, KeyColumnsAreBold)
{
    TzkSQLBuildTable *b = box("Orders", "a", {"OrderID", "Freight"}, {"OrderID"});
    EXPECT_TRUE(b->ItemList()->IsKeyColumn(1));
    EXPECT_FALSE(b->ItemList()->IsKeyColumn(2));
    // A bold row holds more ink than the same text in regular weight.
    b->ItemList()->AddColumn("OrderID");
    QApplication::processEvents();
    const QImage image = b->ItemList()->viewport()->grab().toImage();
    const int h = b->ItemList()->ItemHeight();
    const auto ink = [&](int row) {
        int dark = 0;
        for (int y = row * h; y < (row + 1) * h; ++y)
            for (int x = 0; x < image.width(); ++x)
                dark += qGray(image.pixel(x, y)) < 128;
        return dark;
    };
    EXPECT_GT(ink(1), ink(3));
}

TEST_F(DesignerTest, JoinEndsFollowTheirRowsAndEdges)
{
    TzkSQLBuildTable *a = box("Orders", "a", {"OrderID", "CustomerID"}, {}, QPoint(16, 16));
    TzkSQLBuildTable *b = box("Customers", "b", {"CustomerID", "Name"}, {}, QPoint(300, 60));
    auto *join = new TzkSQLBuildConnect(designer, a, b, "CustomerID", "customerid");
    EXPECT_EQ(join->ConnectType(), ctEQ);
    EXPECT_EQ(join->JoinType(), jtInner);
    join->CalcLines();
    const int h = a->ItemList()->ItemHeight();
    EXPECT_EQ(join->Lines()[0], QPoint(136, listTop(designer, a) + 2 * h + h / 2));
    EXPECT_EQ(join->Lines()[3], QPoint(300, listTop(designer, b) + 1 * h + h / 2)); // case ignored

    // Dragged left of the from-box: the ends move to the other edges.
    b->move(0, 200);
    join->CalcLines();
    EXPECT_EQ(join->Lines()[0].x(), 16);
    EXPECT_EQ(join->Lines()[3].x(), 120);

    // The designer's scroll position does not move content coordinates.
    designer->horizontalScrollBar()->setValue(64);
    designer->verticalScrollBar()->setValue(32);
    join->CalcLines();
    EXPECT_EQ(join->Lines()[0].x(), 16);
    // ... but the hit test reads client coordinates.
    const QPoint onStub = join->Lines()[0] + QPoint(-4, 0);
    EXPECT_TRUE(join->HitTest(onStub - QPoint(64, 32)));
    EXPECT_FALSE(join->HitTest(onStub));

    // A column not in the list keeps the previous end.
    const int before = join->Lines()[3].y();
    join->SetToColumn("Gone");
    join->CalcLines();
    EXPECT_EQ(join->Lines()[3].y(), before);
    // A new join's end starts at 0.
    auto *fresh = new TzkSQLBuildConnect(designer, a, b, "Nothing", "Name");
    fresh->CalcLines();
    EXPECT_EQ(fresh->Lines()[0].y(), 0);
}

TEST_F(DesignerTest, AJoinColumnScrolledOutClampsToTheListsEdge)
{
    QStringList columns;
    for (int i = 1; i <= 12; ++i)
        columns << QStringLiteral("c%1").arg(i);
    TzkSQLBuildTable *a = box("T1", "a", columns);
    TzkSQLBuildTable *b = box("T2", "b", {"x"}, {}, QPoint(300, 16));
    auto *low = new TzkSQLBuildConnect(designer, a, b, "c12", "x");
    auto *high = new TzkSQLBuildConnect(designer, a, b, "c1", "x");
    const int top = listTop(designer, a);
    const int bottom = top + a->ItemList()->viewport()->height();
    low->CalcLines();
    EXPECT_EQ(low->Lines()[0].y(), bottom);
    a->ItemList()->scrollToBottom();
    QApplication::processEvents();
    high->CalcLines();
    EXPECT_EQ(high->Lines()[0].y(), top);
}

TEST_F(DesignerTest, APressOnTheHeaderSelectsAndMovesTheBox)
{
    TzkSQLBuildTable *a = box("Orders", "a", {"OrderID"});
    TzkSQLBuildTable *b = box("Customers", "b", {"CustomerID"}, {}, QPoint(300, 16));
    const QColor face = designer->palette().color(QPalette::Button);
    const QColor highlight = designer->palette().color(QPalette::Highlight);

    QTest::mousePress(a, Qt::LeftButton, {}, QPoint(60, 8)); // on the header
    EXPECT_EQ(designer->Selected(), a);
    EXPECT_EQ(designer->State(), dsMoving);
    EXPECT_EQ(a->HeaderPanel()->palette().color(QPalette::Window), highlight);
    EXPECT_EQ(b->HeaderPanel()->palette().color(QPalette::Window), face);
    designer->MouseMove(QPoint(16 + 60 + 40, 16 + 8 + 30));
    EXPECT_EQ(a->pos(), QPoint(56, 46));
    QTest::mouseRelease(a, Qt::LeftButton, {}, QPoint(60, 8));
    EXPECT_EQ(designer->State(), dsNormal);

    // A press in the column list selects too, without moving.
    QTest::mouseClick(b->ItemList()->viewport(), Qt::LeftButton, {}, QPoint(10, 5));
    EXPECT_EQ(designer->Selected(), b);
    EXPECT_EQ(designer->State(), dsNormal);
    EXPECT_EQ(a->HeaderPanel()->palette().color(QPalette::Window), face);
}

TEST_F(DesignerTest, ABoxNeverMovesAboveOrLeftOfTheVisibleOrigin)
{
    TzkSQLBuildTable *a = box("Orders", "a", {"OrderID"}, {}, QPoint(200, 200));
    designer->horizontalScrollBar()->setValue(64);
    designer->verticalScrollBar()->setValue(96);
    a->MouseDown(QPoint(10, 10)); // client (146, 114)
    designer->MouseMove(QPoint(146 - 500, 114 - 20));
    EXPECT_EQ(a->pos(), QPoint(64, 180)); // left clamped to the viewport's left
    designer->MouseMove(QPoint(146 - 500 + 30, 114 - 500));
    EXPECT_EQ(a->pos(), QPoint(94, 96));
    designer->MouseUp(QPoint());
}

TEST_F(DesignerTest, TheBorderResizesTheBox)
{
    TzkSQLBuildTable *a = box("Orders", "a", {"OrderID"});
    const QSize before = a->size();
    const auto send = [&](QEvent::Type type, QPoint pos, Qt::MouseButtons buttons) {
        QMouseEvent e(type, pos, a->mapToGlobal(pos), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(a, &e);
    };
    const QPoint edge(a->width() - 2, a->height() / 2);
    send(QEvent::MouseButtonPress, edge, Qt::LeftButton);
    EXPECT_EQ(designer->State(), dsNormal);
    send(QEvent::MouseMove, edge + QPoint(50, 0), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, edge + QPoint(50, 0), Qt::NoButton);
    EXPECT_EQ(a->size(), before + QSize(50, 0));
    EXPECT_EQ(a->pos(), QPoint(16, 16));
}

TEST_F(DesignerTest, TheHandShowsOverAJoinAndADoubleClickReportsIt)
{
    TzkSQLBuildTable *a = box("Orders", "a", {"CustomerID"});
    TzkSQLBuildTable *b = box("Customers", "b", {"CustomerID"}, {}, QPoint(300, 16));
    auto *first = new TzkSQLBuildConnect(designer, a, b, "CustomerID", "CustomerID");
    new TzkSQLBuildConnect(designer, a, b, "CustomerID", "CustomerID"); // the same line again
    designer->BackGround()->repaint();                                  // a paint computes the lines
    const QPoint onLine = first->Lines()[1] + QPoint(40, 0);
    const QPoint off = onLine + QPoint(0, 40);

    designer->MouseMove(onLine);
    EXPECT_EQ(designer->BackGround()->cursor().shape(), Qt::PointingHandCursor);
    designer->MouseMove(off);
    EXPECT_EQ(designer->BackGround()->cursor().shape(), Qt::ArrowCursor);

    QList<TzkSQLBuildConnect *> reported;
    designer->OnConnectDblClick = [&](TzkSQLDesigner *sender, TzkSQLBuildConnect *c) {
        EXPECT_EQ(sender, designer);
        reported << c;
    };
    designer->DblClick(off);
    EXPECT_TRUE(reported.isEmpty());
    // Through the surface's own event: the first join in list order.
    QTest::mouseDClick(designer->BackGround(), Qt::LeftButton, {}, onLine);
    EXPECT_EQ(reported, QList<TzkSQLBuildConnect *>{first});
}

TEST_F(DesignerTest, DroppingAColumnOnAnotherBoxMakesAJoin)
{
    TzkSQLBuildTable *a = box("Orders", "a", {"CustomerID"});
    TzkSQLBuildTable *b = box("Customers", "b", {"CustomerID"}, {}, QPoint(300, 16));
    const struct
    {
        const char *name;
        TzkSQLBuildTable *source;
        const char *sourceColumn;
        TzkSQLBuildTable *target;
        const char *targetColumn;
        qsizetype joins;
        int statements;
    } cases[] = {
        {"star dragged", a, "*", b, "CustomerID", 0, 1},
        {"dropped on star", a, "CustomerID", b, "*", 0, 2},
        {"within one box", a, "CustomerID", a, "CustomerID", 0, 2},
        {"columns of two boxes", a, "CustomerID", b, "CustomerID", 1, 3},
        {"the same columns again", a, "CustomerID", b, "CustomerID", 2, 4},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        designer->ColumnDragDrop(c.source, c.sourceColumn, c.target, c.targetColumn);
        EXPECT_EQ(designer->Connects().size(), c.joins);
        EXPECT_EQ(designer->designToSQL, c.statements);
    }
    TzkSQLBuildConnect *join = designer->Connects().first();
    EXPECT_EQ(join->FromTable(), a);
    EXPECT_EQ(join->ToTable(), b);
}

TEST_F(DesignerTest, RenamingAnAliasRewritesExpressionsAndCriteria)
{
    TzkSQLBuildTable *a = box("Orders", "a", {"OrderID"});
    TzkStringGrid *g = grid(designer, {{"a.[OrderID]", "a.x", "1", "", "", "", "= ba.y"},
                                       {"A.Freight", "", "1", "", "", "", "> a.z AND a.w < 1"},
                                       {"b.Other", "", "", "", "", "", ""},
                                       {}});
    // The user enters the edit and types the new alias.
    QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(a->AliasEdit(), &in);
    a->AliasEdit()->setText("b");
    EXPECT_EQ(column(g, 0), (QStringList{"b.[OrderID]", "b.Freight", "b.Other", ""}));
    EXPECT_EQ(column(g, 1), (QStringList{"a.x", "", "", ""})); // alias column untouched
    // Every occurrence, as text: "ba." holds "a." too.
    EXPECT_EQ(column(g, 6), (QStringList{"= bb.y", "> b.z AND b.w < 1", "", ""}));
    EXPECT_EQ(designer->designToSQL, 1);

    // The designer's own changes leave the grid alone.
    designer->SetSQLDesign(true);
    a->SetAlias("c");
    designer->SetSQLDesign(false);
    EXPECT_EQ(g->Cells(0, 1), "b.[OrderID]");
    EXPECT_EQ(designer->designToSQL, 1);
    // An alias given before the edit was entered changes nothing either.
    TzkSQLBuildTable *other = box("Customers", "", {"CustomerID"});
    other->SetAlias("z");
    EXPECT_EQ(g->Cells(0, 3), "b.Other");
}

TEST_F(DesignerTest, RemovingABoxRemovesItsJoinsAndGridRows)
{
    TzkSQLBuildTable *a = box("Orders", "a", {"OrderID", "CustomerID"});
    TzkSQLBuildTable *b = box("Customers", "b", {"CustomerID"}, {}, QPoint(300, 16));
    TzkSQLBuildTable *c = box("Details", "c", {"OrderID"}, {}, QPoint(16, 200));
    new TzkSQLBuildConnect(designer, a, b, "CustomerID", "CustomerID");
    auto *kept = new TzkSQLBuildConnect(designer, c, b, "OrderID", "CustomerID");
    new TzkSQLBuildConnect(designer, c, a, "OrderID", "OrderID");
    TzkStringGrid *g = grid(designer, {{"a.[OrderID]"}, {"b.[CustomerID]"}, {"  A.x"}, {"c.a.y"}, {}});
    designer->SetSelected(a);

    delete a;
    EXPECT_EQ(designer->Selected(), nullptr);
    EXPECT_EQ(designer->Tables(), (TzkSQLBuildTableList{b, c}));
    EXPECT_EQ(designer->Connects(), TzkSQLBuildConnectList{kept});
    EXPECT_EQ(column(g, 0), (QStringList{"b.[CustomerID]", "c.a.y", ""}));
    EXPECT_EQ(designer->designToSQL, 1);

    designer->Clear();
    EXPECT_TRUE(designer->Tables().isEmpty());
    EXPECT_TRUE(designer->Connects().isEmpty());
}

TEST_F(DesignerTest, AnUnownedGridIsForgottenWhenFreed)
{
    delete grid(designer, {{}});
    EXPECT_EQ(designer->Grid(), nullptr);
}

TEST_F(DesignerTest, NamePrefixesOfGeneratedText)
{
    TFDConnection con;
    con.Params().SetValue("Database", "Sales");
    designer->SetConnection(&con);
    TzkSQLBuildTable *b = designer->AddTable("Orders", QString());
    const bool lower = zkOption.UseLowerName;
    zkOption.UseLowerName = true;
    const struct
    {
        const char *db, *schema, *database, *prefix;
    } cases[] = {
        {"Sales", "dbo", "", ""},
        {"SALES", "DBO", "", ""},
        {"", "", "", ""},
        {"Sales", "hr", "", "[hr]."},
        {"Other", "dbo", "[Other].", "[dbo]."},
        {" ", "hr", "", "[hr]."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.db << "/" << c.schema);
        b->SetTableDatabase(c.db);
        b->SetTableSchema(c.schema);
        EXPECT_EQ(b->GetDatabase(), c.database);
        EXPECT_EQ(b->GetSchema(), c.prefix);
    }
    zkOption.UseLowerName = lower;

    EXPECT_EQ(b->GetRefName(), "Orders."); // SELECT: the table name stands in
    designer->SetSQLType(sqltUpdate);
    EXPECT_EQ(b->GetRefName(), "");
    b->SetAlias("o");
    EXPECT_EQ(b->GetRefName(), "o.");

    // Freed elsewhere, the connection is forgotten.
    designer->SetConnection(nullptr);
    auto *owned = new TFDConnection;
    designer->SetConnection(owned);
    delete owned;
    EXPECT_EQ(designer->Connection(), nullptr);
}

TEST_F(DesignerTest, EnteringTheSurfaceReadsTheStatement)
{
    auto *outside = new QLineEdit(host.get());
    host->layout()->addWidget(outside);
    TzkSQLBuildTable *a = box("Orders", "a", {"OrderID"});
    host->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(host.get()));
    outside->setFocus();
    QApplication::processEvents();
    const int before = designer->sqlToDesign;
    QTest::mouseClick(designer->BackGround(), Qt::LeftButton, {}, QPoint(500, 300));
    EXPECT_EQ(QApplication::focusWidget(), designer);
    EXPECT_EQ(designer->sqlToDesign, before + 1);
    // Moving inside the designer is no new entry.
    QTest::mouseClick(a->ItemList()->viewport(), Qt::LeftButton, {}, QPoint(10, 5));
    EXPECT_EQ(designer->sqlToDesign, before + 1);
}

// Three boxes, key columns bold, labelled joins, one of them mirrored.
// Written as a picture when ZK_SCREENSHOT_DIR is set.
TEST_F(DesignerTest, ThreeBoxesWithLabelledJoins)
{
    TzkSQLBuildTable *customers =
        box("Customers", "b", {"CustomerID", "CompanyName", "City"}, {"CustomerID"}, QPoint(16, 16));
    customers->SetTableSchema("dbo");
    TzkSQLBuildTable *orders = box("Orders", "a", {"OrderID", "CustomerID", "EmployeeID", "OrderDate", "Freight"},
                                   {"OrderID"}, QPoint(230, 130));
    orders->SetTableSchema("dbo");
    TzkSQLBuildTable *details =
        box("受注明細", "c", {"OrderID", "ProductID", "数量", "単価"}, {"OrderID", "ProductID"}, QPoint(440, 16));
    auto *j1 = new TzkSQLBuildConnect(designer, orders, customers, "CustomerID", "CustomerID"); // right to left
    j1->SetConnectType(ctGT);                                                                   // drawn as "<"
    auto *j2 = new TzkSQLBuildConnect(designer, orders, details, "OrderID", "OrderID");
    j2->SetConnectType(ctGE);
    j2->SetJoinType(jtLeftOuter);
    designer->SetSelected(customers);
    QApplication::processEvents();
    const QImage image = designer->grab().toImage();
    if (qEnvironmentVariableIsSet("ZK_SCREENSHOT_DIR"))
        image.save(QDir(qEnvironmentVariable("ZK_SCREENSHOT_DIR")).filePath("designer.png"));

    // The stubs are drawn in black.
    const QPoint origin = designer->viewport()->mapTo(designer, QPoint(0, 0));
    for (const TzkSQLBuildConnect *j : {j1, j2}) {
        const QPoint stub = (j->Lines()[0] + j->Lines()[1]) / 2 + origin;
        EXPECT_EQ(image.pixelColor(stub), QColor(Qt::black));
    }
}

} // namespace
