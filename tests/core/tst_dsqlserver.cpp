#include "common/testenv.h"
#include "core/dsqlserver.h"
#include "core/zkreg.h"
#include "core/zksub.h"
#include "tds/tdsserver.h"

#include <gtest/gtest.h>

namespace {

class SessionModule : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(server.loadRules(ZK_FIXTURES_DIR "/dblayer.rules", &error)) << error.toStdString();
        ASSERT_TRUE(server.start(0, &error)) << error.toStdString();
        TFDConnectionParams &p = dm.Connection->Params();
        p.SetValue("Server", QStringLiteral("127.0.0.1,%1").arg(server.port()));
        p.SetValue("User_Name", "sa");
        p.SetValue("Password", "x");
        p.SetValue("Database", "master");
        ASSERT_NO_THROW(dm.Connection->Open());
    }

    void answerVersion(const QString &row)
    {
        ASSERT_TRUE(server.loadRulesText("rule exact: select SERVERPROPERTY('productversion')\n"
                                         "  result: v sql_variant\n  row: "
                                         + row + "\n"));
    }

    TdsServer server;
    TdmSQLServer dm;
};

TEST_F(SessionModule, VersionIsTheNumberBeforeTheFirstDot)
{
    EXPECT_EQ(dm.GetDBVersion(0), 15); // the server's own answer, 15.0.2000.5
    const struct
    {
        const char *row;
        int version;
    } cases[] = {{"'16.0.1000.6'", 16}, {"'8.00.2039'", 8}, {"''", 99}, {"'16'", 99}, {"'x.1'", 99}, {"NULL", 99}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.row);
        answerVersion(c.row);
        EXPECT_EQ(dm.GetDBVersion(0), c.version);
        EXPECT_FALSE(dm.qryGeneral->Active());
    }
    ASSERT_TRUE(server.loadRulesText("rule exact: select SERVERPROPERTY('productversion')\n"
                                     "  error: 208, 1, 16, 1, Invalid object name.\n"));
    EXPECT_EQ(dm.GetDBVersion(0), 99);
    dm.Connection->Close();
    EXPECT_EQ(dm.GetDBVersion(0), 99);
}

TEST_F(SessionModule, DefaultSchemaOfTheLoginUserQuotedInTheStatement)
{
    ASSERT_TRUE(server.loadRulesText(
        "rule exact: select User_Name()\n  result: u nvarchar(128)\n  row: N'o''brien'\n"
        "rule contains: FROM sys.database_principals\n  result: s nvarchar(128)\n  row: N'sales'\n"));
    EXPECT_EQ(dm.GetLoginUser(), "o'brien");
    EXPECT_EQ(dm.GetDefSchema(), "sales");
    EXPECT_EQ(server.statements().last(),
              "SELECT default_schema_name   FROM sys.database_principals  WHERE type in ('U', 'S', 'G', 'C', 'K')   "
              "AND name = N'o''brien'");
    EXPECT_FALSE(dm.qryGeneral->Active());

    // No principal row: an empty schema; a failing statement: "dbo".
    ASSERT_TRUE(server.loadRulesText("rule contains: FROM sys.database_principals\n  result: s nvarchar(128)\n"));
    EXPECT_EQ(dm.GetDefSchema(), "");
    ASSERT_TRUE(server.loadRulesText("rule contains: FROM sys.database_principals\n"
                                     "  error: 208, 1, 16, 1, Invalid object name 'sys.database_principals'.\n"));
    EXPECT_EQ(dm.GetDefSchema(), "dbo");
    ASSERT_TRUE(server.loadRulesText("rule exact: select User_Name()\n  error: 50000, 1, 16, 1, no\n"));
    EXPECT_EQ(dm.GetLoginUser(), "dbo");
}

TEST_F(SessionModule, OperationsCloseTheSharedQuery)
{
    dm.qryGeneral->Open("select id, name from people");
    ASSERT_TRUE(dm.qryGeneral->Active());
    dm.GetDBVersion(0);
    EXPECT_FALSE(dm.qryGeneral->Active());
}

TEST_F(SessionModule, ExecSQLSendsTheTrimmedTextAndRaises)
{
    ASSERT_TRUE(server.loadRulesText("rule exact: update t1 set a = 1\n  rowcount: 2\n"));
    dm.ExecSQL("\r\n \tupdate t1\r\nset a = 1\r\n\t ");
    EXPECT_EQ(server.statements().last(), "update t1\nset a = 1");
    try {
        dm.ExecSQL("update orders set customer = 9");
        FAIL() << "no error";
    } catch (const EDBError &e) {
        EXPECT_EQ(e.Number(), 547);
    }
    EXPECT_FALSE(dm.qryGeneral->Active());
}

TEST_F(SessionModule, ParametersAndDriverName)
{
    EXPECT_EQ(dm.Login(), "sa");
    EXPECT_EQ(dm.DataBase(), "master"); // stored as "Database"
    EXPECT_EQ(dm.Server(), QStringLiteral("127.0.0.1,%1").arg(server.port()));
    EXPECT_EQ(dm.Password(), "x");
    EXPECT_EQ(dm.Connection->Params().Value("DriverID"), "MSSQL");
    EXPECT_EQ(dm.GetSQLDriverName(), "FreeTDS");
    dm.Connection->Close();
    EXPECT_EQ(dm.GetSQLDriverName(), "");
    TdmSQLServer fresh;
    EXPECT_EQ(fresh.Login(), "");
    EXPECT_EQ(fresh.GetSQLDriverName(), "");
    EXPECT_EQ(fresh.GetDBVersion(0), 99);
}

TEST_F(SessionModule, TheDriverCanBeChosenInTheSettings)
{
    TestEnv::resetRegistry();
    {
        TzkRegistry reg;
        ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT, true));
        reg.WriteString("ODBCDriver", "No Such Driver");
    }
    TdmSQLServer other;
    other.Connection->Params().SetValue("Server", QStringLiteral("127.0.0.1,%1").arg(server.port()));
    try {
        other.Connection->Open();
        FAIL() << "connected through a missing driver";
    } catch (const EDBError &e) {
        EXPECT_TRUE(e.message().contains("No Such Driver")) << e.what();
    }
    TestEnv::resetRegistry();
    TdmSQLServer again;
    EXPECT_EQ(TFDConnection::DefaultODBCDriver(), "");
}

} // namespace
