// The query designer through unixODBC and the FreeTDS driver against the
// test server: tables added from the catalogue and the statement written.
#include "designerfixture.h"

#include "controls/zkgrid.h"
#include "core/zkoption.h"
#include "sqleditor/zkmemo.h"
#include "tds/tdsserver.h"

namespace {

const char *const Catalogue = R"(rule exact: select SERVERPROPERTY('productversion')
  result: v nvarchar(128)
  row: N'16.0.1000.6'
rule exact: select default_schema_name from sys.database_principals where name = user_name()
  result: s nvarchar(128)
  row: N'dbo'
rule regex: ^\s*select base_object_name from sys\.synonyms
  result: base_object_name nvarchar(1035)
rule regex: ^\s*select b\.COLUMN_NAME
  params: @P1 = N'dbo', @P2 = N'Orders'
  result: COLUMN_NAME nvarchar(128)
  row: N'OrderID'
rule regex: ^\s*select b\.COLUMN_NAME
  params: @P1 = N'dbo', @P2 = N'Customers'
  result: COLUMN_NAME nvarchar(128)
  row: N'CustomerID'
rule regex: ^\s*select name from syscolumns
  params: @P1 = N'dbo', @P2 = N'Orders'
  result: name nvarchar(128)
  row: N'OrderID'
  row: N'CustomerID'
  row: N'Freight'
rule regex: ^\s*select name from syscolumns
  params: @P1 = N'dbo', @P2 = N'Customers'
  result: name nvarchar(128)
  row: N'CustomerID'
  row: N'CompanyName'
)";

class DesignerServerTest : public DesignerTest
{
protected:
    void SetUp() override
    {
        DesignerTest::SetUp();
        lower = zkOption.UseLowerName;
        zkOption.UseLowerName = false;
        QString error;
        ASSERT_TRUE(server.loadRulesText(QString::fromUtf8(Catalogue), QStringLiteral("designer"), &error))
            << error.toStdString();
        ASSERT_TRUE(server.start(0, &error)) << error.toStdString();
        con.Params().SetValue("Server", QStringLiteral("127.0.0.1,%1").arg(server.port()));
        con.Params().SetValue("User_Name", "sa");
        con.Params().SetValue("Password", "pw");
        con.Params().SetValue("Database", "Shop");
        con.Params().SetValue("Encrypt", "No");
        con.Params().SetValue("OSAuthent", "No");
        ASSERT_NO_THROW(con.Open());
        designer->SetConnection(&con);
        memo = new TzkMemo(host.get());
        designer->SetSQLText(memo);
        grid = new TzkStringGrid(host.get());
        grid->SetColCount(7);
        grid->SetRowCount(3);
        grid->SetFixedRows(1);
        grid->SetEditStyles(2, geCheckBox);
        designer->SetGrid(grid);
        server.clearLog();
    }
    void TearDown() override
    {
        DesignerTest::TearDown();
        zkOption.UseLowerName = lower;
    }

    TdsServer server;
    TFDConnection con;
    TzkMemo *memo = nullptr;
    TzkStringGrid *grid = nullptr;
    bool lower = false;
};

TEST_F(DesignerServerTest, TwoTablesAddedWithKeysAndTheStatementWritten)
{
    TzkSQLBuildTable *a = designer->AddTable("Orders");
    TzkSQLBuildTable *b = designer->AddTable("Customers");
    const auto columns = [](TzkSQLBuildTable *box) {
        QStringList out;
        for (int i = 0; i < box->ItemList()->count(); ++i)
            out << box->ItemList()->item(i)->text() + (box->ItemList()->IsKeyColumn(i) ? "*" : "");
        return out;
    };
    EXPECT_EQ(columns(a), (QStringList{"*", "OrderID*", "CustomerID", "Freight"}));
    EXPECT_EQ(columns(b), (QStringList{"*", "CustomerID*", "CompanyName"}));

    // Every parameterised catalogue query follows a "use" batch of its own.
    const QList<TdsLogEntry> log = server.log();
    int rpcs = 0;
    for (qsizetype i = 0; i < log.size(); ++i) {
        if (log[i].kind != TdsLogEntry::Rpc)
            continue;
        ++rpcs;
        ASSERT_GT(i, 0);
        EXPECT_EQ(log[i - 1].kind, TdsLogEntry::Batch);
        EXPECT_EQ(log[i - 1].text.trimmed(), "Use [Shop]") << log[i].text.toStdString();
    }
    EXPECT_EQ(rpcs, 6) << "synonym, keys and columns for each table";

    new TzkSQLBuildConnect(designer, a, b, "CustomerID", "CustomerID");
    grid->SetRows(1, {"a.OrderID", "", "", "", "", "", ""});
    grid->SetRows(2, {"b.CompanyName", "Name", "", "", "", "", ""});
    grid->SetChecked(2, 1, true);
    grid->SetChecked(2, 2, true);
    designer->DesignToSQL();
    const QString text = memo->WMGetText();
    for (const char *part :
         {"a.OrderID", "b.CompanyName Name", "Orders a", "Customers b", "a.CustomerID = b.CustomerID"})
        EXPECT_TRUE(text.contains(QLatin1String(part), Qt::CaseInsensitive)) << part << "\n" << text.toStdString();
}

} // namespace
