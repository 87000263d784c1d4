// Adding tables from the catalogue on the scripted backend, and the
// designer writing and reading its statement.
#include "designerfixture.h"

#include "controls/zkgrid.h"
#include "core/zkoption.h"
#include "platform/db/dbquery.h"
#include "support/scripted/scriptedbackend.h"
#include "sqleditor/zkmemo.h"
#include "sqlwindow/zksqlbld_text.h"

namespace {

const char *const Catalogue =
    "rule exact: select SERVERPROPERTY('productversion')\n"
    "  result: v nvarchar(128)\n"
    "  row: N'15.0.2000.5'\n"
    "rule exact: select default_schema_name from sys.database_principals where name = user_name()\n"
    "  result: s nvarchar(128)\n"
    "  row: N'dbo'\n"
    "rule regex: ^\\s*select base_object_name from sys\\.synonyms\n"
    "  params: @P1 = N'dbo', @P2 = N'syn'\n"
    "  result: base_object_name nvarchar(1035)\n"
    "  row: N'[Sales].[Order.Details]'\n"
    "rule regex: ^\\s*select base_object_name from sys\\.synonyms\n"
    "  result: base_object_name nvarchar(1035)\n"
    "rule regex: ^\\s*select b\\.COLUMN_NAME\n"
    "  params: @P1 = N'Sales', @P2 = N'Order.Details'\n"
    "  result: COLUMN_NAME nvarchar(128)\n"
    "  row: N'orderid'\n"
    "rule regex: ^\\s*select b\\.COLUMN_NAME\n"
    "  params: @P1 = N'dbo', @P2 = N'Orders'\n"
    "  result: COLUMN_NAME nvarchar(128)\n"
    "  row: N'OrderID'\n"
    "rule regex: ^\\s*select b\\.COLUMN_NAME\n"
    "  result: COLUMN_NAME nvarchar(128)\n"
    "rule regex: ^\\s*select name from syscolumns\n"
    "  params: @P1 = N'dbo', @P2 = N'Orders'\n"
    "  result: name nvarchar(128)\n"
    "  row: N'OrderID'\n"
    "  row: N'CustomerID'\n"
    "  row: N'Freight'\n"
    "rule regex: ^\\s*select name from syscolumns\n"
    "  params: @P1 = N'dbo', @P2 = N'Customers'\n"
    "  result: name nvarchar(128)\n"
    "  row: N'CustomerID'\n"
    "  row: N'CompanyName'\n"
    "rule regex: ^\\s*select name from syscolumns\n"
    "  params: @P1 = N'Sales', @P2 = N'Order.Details'\n"
    "  result: name nvarchar(128)\n"
    "  row: N'OrderID'\n"
    "  row: N'Quantity'\n"
    "rule regex: ^\\s*select name from syscolumns\n"
    "  result: name nvarchar(128)\n"
    "  row: N'c1'\n"
    "rule regex: ^\\s*select top 0 \\* from \\(select\n"
    "  result: p int, q nvarchar(10)\n"
    "rule regex: ^\\s*select top 0 \\* from \\(bad\n"
    "  error: 8155, 1, 16, 1, No column name was specified.\n";

class CatalogueTest : public DesignerTest
{
protected:
    void SetUp() override
    {
        DesignerTest::SetUp();
        script = std::make_shared<TScript>();
        QString error;
        ASSERT_TRUE(script->LoadText(Catalogue, QStringLiteral("inline"), &error)) << error.toStdString();
        scope = std::make_unique<TScriptedScope>(script);
        conn = std::make_unique<TFDConnection>();
        conn->Params().SetValue("User_Name", "u");
        conn->Params().SetValue("Database", "Shop");
        conn->Open();
        designer->SetConnection(conn.get());
        script->ClearLog();
    }
    void TearDown() override
    {
        DesignerTest::TearDown();
        conn.reset();
        scope.reset();
    }
    static QStringList Columns(TzkSQLBuildTable *b)
    {
        QStringList out;
        for (int i = 0; i < b->ItemList()->count(); ++i)
            out << b->ItemList()->item(i)->text() + (b->ItemList()->IsKeyColumn(i) ? "*" : "");
        return out;
    }
    std::shared_ptr<TScript> script;
    std::unique_ptr<TScriptedScope> scope;
    std::unique_ptr<TFDConnection> conn;
};

TEST_F(CatalogueTest, NamesSplitIntoDatabaseSchemaAndTable)
{
    struct Case
    {
        QString name;
        QString database, schema, table;
    };
    const Case cases[] = {
        {" [Sales].[Order Details]\r\n", "Shop", "Sales", "Order Details"},
        {"Other.dbo.t", "Other", "dbo", "t"},
        {"a.b.c.d", "Shop", "dbo", "a"},
        {"[Sales].[Order.Details]", "Shop", "Sales", "Order.Details"},
        {"t", "Shop", "dbo", "t"},
    };
    for (const Case &c : cases) {
        TzkSQLBuildTable *b = designer->AddTable(c.name);
        EXPECT_EQ(b->TableDatabase(), c.database) << c.name.toStdString();
        EXPECT_EQ(b->TableSchema(), c.schema) << c.name.toStdString();
        EXPECT_EQ(b->TableName(), c.table) << c.name.toStdString();
    }
    // SELECT designs get aliases a, b, ... and "*" first.
    EXPECT_EQ(designer->Tables()[0]->Alias(), "a");
    EXPECT_EQ(designer->Tables()[4]->Alias(), "e");
    EXPECT_EQ(Columns(designer->Tables()[3]), QStringList({"*", "OrderID*", "Quantity"}));
    // Boxes never overlap.
    for (int i = 0; i < 5; ++i)
        for (int j = i + 1; j < 5; ++j)
            EXPECT_FALSE(designer->Tables()[i]->geometry().intersects(designer->Tables()[j]->geometry()));
}

TEST_F(CatalogueTest, SynonymListsItsTargetsColumnsAndKeepsItsName)
{
    TzkSQLBuildTable *b = designer->AddTable("syn", "s");
    EXPECT_EQ(b->TableName(), "syn");
    EXPECT_EQ(Columns(b), QStringList({"*", "OrderID*", "Quantity"}));
    // Each catalogue query follows its own "use" batch.
    const QStringList log = script->Statements();
    const QStringList catalogue = {
        "select base_object_name from sys.synonyms where object_id = object_id(quotename(@P1) + N'.' + quotename(@P2))",
        KeyColumnsSQL("Shop", false).mid(11).replace(":OWNER", "@P1").replace(":TABLE", "@P2").trimmed(),
        "select name from syscolumns where id = object_id(quotename(@P1) + N'.' + quotename(@P2)) ORDER BY colid"};
    QStringList seen;
    for (int i = 1; i < log.size(); ++i)
        if (log[i].trimmed().startsWith("select b") || log[i].trimmed().startsWith("select name")) {
            EXPECT_EQ(log[i - 1], "Use [Shop]");
            seen << log[i].trimmed();
        }
    EXPECT_EQ(seen, catalogue) << log.join("\n").toStdString();
}

TEST_F(CatalogueTest, DerivedTableOpensOnlyItsColumns)
{
    TzkSQLBuildTable *b = designer->AddTable("(select p, q from t --x)", "d");
    EXPECT_EQ(b->TableName(), "(select p, q from t --x)");
    EXPECT_EQ(Columns(b), QStringList({"*", "p", "q"}));
    EXPECT_EQ(script->Statements(), QStringList({"select top 0 * from (select p, q from t --x\n) as x"}));
    // A refused derived table leaves its box without columns, silently.
    TzkSQLBuildTable *bad = designer->AddTable("(bad)");
    EXPECT_EQ(Columns(bad), QStringList({"*"}));
}

TEST_F(CatalogueTest, WritesTheStatementAndReadsItBack)
{
    const bool lower = zkOption.UseLowerName;
    zkOption.UseLowerName = false;
    auto *memo = new TzkMemo(host.get());
    designer->SetSQLText(memo);
    auto *g = new TzkStringGrid(host.get());
    g->SetColCount(7);
    g->SetRowCount(4);
    g->SetFixedRows(1);
    g->SetEditStyles(2, geCheckBox);
    designer->SetGrid(g);
    TzkSQLBuildTable *a = designer->AddTable("Orders");
    TzkSQLBuildTable *b = designer->AddTable("Customers");
    EXPECT_EQ(Columns(a), QStringList({"*", "OrderID*", "CustomerID", "Freight"}));
    new TzkSQLBuildConnect(designer, a, b, "CustomerID", "CustomerID");
    g->SetRows(1, {"a.OrderID", "", "", "", "", "", ""});
    g->SetRows(2, {"b.CompanyName", "Name", "", "", "", "", ""});
    g->SetRows(3, {"a.Freight", "", "", "降順", "", "", "> 10"});
    for (int r = 1; r <= 3; ++r)
        g->SetChecked(2, r, true);
    designer->DesignToSQL();
    const QString text = memo->WMGetText();
    EXPECT_TRUE(text.contains("a.CustomerID = b.CustomerID", Qt::CaseInsensitive)) << text.toStdString();
    EXPECT_TRUE(memo->Modified());
    EXPECT_EQ(designer->SaveSQL(), text);
    EXPECT_EQ(g->Cells(3, 3), "降順");
    EXPECT_EQ(g->Cells(4, 3), "1");
    EXPECT_FALSE(designer->SQLDesign());

    // The same text again: nothing happens.
    designer->SQLToDesign();
    EXPECT_EQ(designer->Tables().size(), 2);

    memo->WMSetText("select a.OrderID, b.CompanyName Name\r\nfrom Orders a, Customers b\r\n"
                    "where a.CustomerID = b.CustomerID(+) and a.Freight > 10\r\norder by a.Freight desc");
    designer->SQLToDesign();
    ASSERT_EQ(designer->Tables().size(), 2);
    EXPECT_EQ(designer->Tables()[0]->TableName(), "Orders");
    EXPECT_EQ(designer->Tables()[1]->Alias(), "b");
    ASSERT_EQ(designer->Connects().size(), 1);
    const TzkSQLBuildConnect *j = designer->Connects()[0];
    EXPECT_EQ(j->FromTable(), designer->Tables()[0]);
    EXPECT_EQ(j->ToColumn(), "CustomerID");
    EXPECT_EQ(j->JoinType(), jtLeftOuter);
    ASSERT_EQ(g->RowCount(), 5);
    EXPECT_EQ(g->Rows(3).mid(0, 7), QStringList({"a.Freight", "", "", "降順", "1", "", "> 10"}));
    EXPECT_EQ(g->Rows(4).join(""), "");
    EXPECT_EQ(designer->SaveSQL(), memo->WMGetText());
    zkOption.UseLowerName = lower;
}

TEST(CatalogueSQL, UsePrefixAndVariants)
{
    EXPECT_EQ(CatalogUsePrefix("a]b"), "Use [a]]b] ");
    EXPECT_TRUE(KeyColumnsSQL("x", true).contains("inner join sys.indexes c "));
    EXPECT_TRUE(KeyColumnsSQL("x", false).contains("inner join sysindexes c "));
    EXPECT_TRUE(KeyColumnsSQL("x", false).startsWith("Use [x] select b.COLUMN_NAME  from sysobjects a "));
}

} // namespace
