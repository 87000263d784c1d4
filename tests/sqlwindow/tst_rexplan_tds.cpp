// The plan frame through unixODBC and the FreeTDS driver against the test
// server: what the session is sent, in which form.
#include "explanfixture.h"

#include "tds/tdsserver.h"

namespace {

const char *const JoinText =
    "select o.id, c.name from orders o join customers c on c.id = o.customer_id where o.id = 5 order by c.name";

class ExplanServerTest : public ExplanFrameTest
{
protected:
    void SetUp() override
    {
        ExplanFrameTest::SetUp();
        QString error;
        ASSERT_TRUE(server.loadRules(ZK_FIXTURES_DIR "/explan.rules", &error)) << error.toStdString();
        ASSERT_TRUE(server.start(0, &error)) << error.toStdString();
        con.Params().SetValue("Server", QStringLiteral("127.0.0.1,%1").arg(server.port()));
        con.Params().SetValue("User_Name", "sa");
        con.Params().SetValue("Password", "pw");
        con.Params().SetValue("Database", "Sales");
        con.Params().SetValue("Encrypt", "No");
        con.Params().SetValue("OSAuthent", "No");
        ASSERT_NO_THROW(con.Open());
        bind(&con);
        server.clearLog();
    }
    void plan(const QString &text)
    {
        frame->SetSQL(text);
        frame->ShowData();
    }
    // The requests since the log was cleared: "batch: text" or "rpc ...".
    QStringList requests() const
    {
        QStringList out;
        for (const TdsLogEntry &e : server.log()) {
            if (e.kind == TdsLogEntry::Batch)
                out << QStringLiteral("batch: ") + e.text;
            else if (e.kind == TdsLogEntry::Rpc)
                out << QStringLiteral("rpc %1: %2").arg(e.procedure, e.text);
        }
        return out;
    }

    TdsServer server;
    TFDConnection con;
};

TEST_F(ExplanServerTest, TheSwitchesAndTheTextGoAsPlainBatches)
{
    plan(QString::fromUtf8(JoinText));
    EXPECT_EQ(requests(), (QStringList{"batch: set showplan_all on", "batch: " + QString::fromUtf8(JoinText) + "\r\n",
                                       "batch: set showplan_all off"}));
    const QStringList tree = TreeLines(frame->lstPlan);
    ASSERT_EQ(tree.size(), 5);
    EXPECT_EQ(tree.first(), QStringLiteral("SELECT STATEMENT||1000000||0.123457|100%|1"));
    EXPECT_EQ(tree.at(3), QStringLiteral("    Table Scan|([Sales].[dbo].[customers] AS [c])|1000|21|0|0%|4"));
}

TEST_F(ExplanServerTest, FailuresStillSwitchTheModeOff)
{
    plan(QString::fromUtf8(JoinText));
    server.clearLog();
    EXPECT_THROW(plan(QStringLiteral("selec * from t1")), EDBError);
    EXPECT_EQ(frame->lstPlan->NodeCount(), 0);
    EXPECT_EQ(requests(),
              (QStringList{"batch: set showplan_all on", "batch: selec * from t1\r\n", "batch: set showplan_all off"}));

    ASSERT_TRUE(server.loadRulesText(
        QStringLiteral("rule exact: set showplan_all on\n"
                       "  error: 262, 1, 14, 1, SHOWPLAN permission denied in database 'Sales'.\n")));
    server.clearLog();
    QString warning;
    CaptureMessage(&warning);
    EXPECT_NO_THROW(plan(QString::fromUtf8(JoinText)));
    EXPECT_EQ(warning, QStringLiteral("実行計画を使用できません。"));
    EXPECT_EQ(frame->lstPlan->NodeCount(), 0);
    EXPECT_EQ(requests(), (QStringList{"batch: set showplan_all on", "batch: set showplan_all off"}));
}

} // namespace
