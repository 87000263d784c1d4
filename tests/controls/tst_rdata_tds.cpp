// The result frame end to end: through unixODBC and the FreeTDS driver
// against the TDS test server.
#include "gridtest.h"

#include "controls/rdata.h"
#include "core/zkoption.h"
#include "core/zksub_dialogs.h"
#include "tds/tdsserver.h"

#include <gtest/gtest.h>

namespace {

class FrameTds : public ::testing::Test
{
protected:
    void SetUp() override
    {
        saved = zkOption;
        zkOption.AutoTran = false;
        zkOption.UpdateMode = true;
        QString error;
        ASSERT_TRUE(server.loadRules(ZK_FIXTURES_DIR "/editing.rules", &error)) << error.toStdString();
        ASSERT_TRUE(server.loadRules(ZK_FIXTURES_DIR "/rdata.rules", &error)) << error.toStdString();
        ASSERT_TRUE(server.start(0, &error)) << error.toStdString();
        con.Params().SetValue("Server", QStringLiteral("127.0.0.1,%1").arg(server.port()));
        con.Params().SetValue("User_Name", "sa");
        con.Params().SetValue("Password", "x");
        con.Params().SetValue("Database", "master");
        con.Params().SetValue("OSAuthent", "No");
        ASSERT_NO_THROW(con.Open());
        frame = std::make_unique<TfraData>(nullptr);
        frame->qryData->SetConnection(&con);
    }
    void TearDown() override
    {
        frame.reset();
        zkOption = saved;
    }
    void OpenFrame(const QString &sql)
    {
        frame->SetSQL(sql);
        frame->Prepare();
        frame->Open();
    }
    int TranCount()
    {
        TFDQuery q;
        q.SetConnection(&con);
        q.Open("select @@trancount");
        return q.Fields(0)->AsInteger();
    }

    TzkOption saved;
    TdsServer server;
    TFDConnection con;
    std::unique_ptr<TfraData> frame;
};

TEST_F(FrameTds, TitleClickSendsTheOrderByLine)
{
    OpenFrame("select * from dbo.people");
    EXPECT_TRUE(frame->ResultWritable());
    frame->grdData1TitleClick(frame->grdData1->Columns()->Items(1));
    EXPECT_TRUE(server.statements().contains("select * from dbo.people\n ORDER BY 2"))
        << server.statements().join("\n").toStdString();
    EXPECT_EQ(frame->qryData->Fields(0)->AsInteger(), 2);
}

TEST_F(FrameTds, BindValuesSurviveTheSort)
{
    const QString sql = "select * from dbo.people where id > :ID";
    frame->SetSQL(sql);
    frame->qryData->SetSQL(sql);
    frame->qryData->ParamByName("ID").SetAsInteger(3);
    frame->Open();
    EXPECT_EQ(frame->qryData->Fields(1)->AsString(), "四郎");
    frame->SortByColumn("2", true);
    EXPECT_EQ(frame->qryData->Fields(1)->AsString(), "五郎");
    const QList<TdsLogEntry> log = server.log();
    ASSERT_FALSE(log.isEmpty());
    bool sent = false;
    for (const TdsLogEntry &e : log) {
        if (e.kind == TdsLogEntry::Rpc && e.text.contains("ORDER BY 2 DESC"))
            sent = e.params.contains("= 3");
    }
    EXPECT_TRUE(sent);
}

TEST_F(FrameTds, RefusedSortsComeBackUnsorted)
{
    for (const QString &sql : {QStringLiteral("select * from dbo.notes"), QStringLiteral("exec dbo.list_people")}) {
        SCOPED_TRACE(sql.toStdString());
        OpenFrame(sql);
        QString text;
        AnswerMessage(IDOK, &text);
        frame->grdData1TitleClick(frame->grdData1->Columns()->Items(frame->qryData->FieldCount() - 1));
        EXPECT_EQ(text,
                  "ntext、text、image、geography、geometry、および xml 型の列は、ORDER BY 句では使用できません。");
        EXPECT_TRUE(frame->Sort().isEmpty());
        EXPECT_TRUE(frame->qryData->Active());
        const QStringList sent = server.statements();
        const qsizetype sorted = sent.lastIndexOf(sql + "\n ORDER BY " + QString::number(frame->qryData->FieldCount()));
        ASSERT_GE(sorted, 0);
        EXPECT_TRUE(sent.mid(sorted + 1).contains(sql)) << "reopened unsorted";
    }
}

TEST_F(FrameTds, AUsersOwnTransactionStaysOpenWithoutAutoTran)
{
    // As an SQL window runs "begin tran", "update ...", go, "select ...".
    con.ExecSQL("begin tran");
    con.ExecSQL("update dbo.people set name = N'変更' where id = 1");
    OpenFrame("select * from dbo.people");
    for (const TdsLogEntry &e : server.log())
        EXPECT_FALSE(e.text.contains("commit", Qt::CaseInsensitive)) << e.line().toStdString();
    EXPECT_EQ(TranCount(), 1);
    con.ExecSQL("rollback");
}

} // namespace
