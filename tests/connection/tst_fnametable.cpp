#include "testhelpers.h"

#include "connection/fnametable.h"
#include "connection/fobject_script.h"
#include "controls/rdata.h"
#include "controls/zkstdctl.h"
#include "core/modal.h"
#include "core/zksub.h"

#include <QLabel>
#include <QPushButton>

// The script name table window over the demo catalogue: which table a
// server's stored line opens, registration and creation, the initial data.

namespace {

QString u(const char *s)
{
    return QString::fromUtf8(s);
}

// Answers the next message boxes in turn and records their texts. The next
// answer waits for a box shown after this one is answered (and hidden): a
// new box may take the old one's address.
void answers(QStringList buttons, std::shared_ptr<QStringList> texts)
{
    if (buttons.isEmpty())
        return;
    WhenModal([buttons, texts](QWidget *box) mutable {
        if (auto *label = box->findChild<QLabel *>(QStringLiteral("Message")))
            *texts << label->text();
        const QString name = buttons.takeFirst();
        if (QPushButton *b = box->findChild<QPushButton *>(name))
            b->click();
        else
            box->close();
        answers(buttons, texts);
    });
}

const char *kRules = R"(
rule contains: FROM [SalesDB].[dbo].[scriptnames]
  result: DATABASE_NAME nvarchar(128), OWNER nvarchar(128), OBJECT_NAME nvarchar(128), OBJECT_TYPE nvarchar(30), SCRIPT_NAME nvarchar(128)
  row: N'SalesDB', N'dbo', N'Orders', N'TABLE', N'Orders.sql'
  row: N'SalesDB', N'dbo', N'Staff', N'TABLE', N'社員.sql'
rule contains: FROM [SalesDB].[dbo].[wrongcols]
  error: 207, 1, 16, 1, Invalid column name 'SCRIPT_NAME'.
rule contains: FROM [SalesDB].[dbo].[newnames]
  result: DATABASE_NAME nvarchar(128), OWNER nvarchar(128), OBJECT_NAME nvarchar(128), OBJECT_TYPE nvarchar(30), SCRIPT_NAME nvarchar(128)
rule contains: FROM [SalesDB].[dbo].[denied]
  error: 208, 1, 16, 1, Invalid object name 'dbo.denied'.
rule contains: select count(object_id(
  params: @P1 = N'\[dbo\]\.\[scriptnames\]'
  result: n int
  row: 1
rule contains: select count(object_id(
  params: @P1 = N'\[dbo\]\.\[wrongcols\]'
  result: n int
  row: 1
rule contains: select count(object_id(
  result: n int
  row: 0
rule contains: create table [dbo].[denied]
  error: 262, 1, 14, 1, CREATE TABLE permission denied in database 'SalesDB'.
rule contains: create table
  rowcount: 0
rule contains: create clustered index
  rowcount: 0
)";

class NameTableTest : public ConnectionWindowTest
{
protected:
    void SetUp() override
    {
        ConnectionWindowTest::SetUp();
        rules(kRules);
        savedNames = NameTableList;
        NameTableList.clear();
        form = logon();
    }
    void TearDown() override
    {
        delete window;
        NameTableList = savedNames;
        ConnectionWindowTest::TearDown();
    }
    TfrmNameTable *open(const QString &line)
    {
        SetNameTableLine(form->g_Server, line);
        window = new TfrmNameTable(main->Window());
        window->Start();
        return window;
    }
    QStringList savedNames;
    TfrmObject *form = nullptr;
    TfrmNameTable *window = nullptr;
};

} // namespace

TEST_F(NameTableTest, StoredLineChoosesDatabaseSchemaAndTable)
{
    struct Case
    {
        const char *line, *database, *schema, *table;
    } cases[] = {
        {"t", "SalesDB", "dbo", "t"},           {"sales.t", "SalesDB", "sales", "t"},
        {"master.dbo.t", "master", "dbo", "t"}, {"a.b.c.d", "SalesDB", "", "d"}, // the schema combo stays as it was
        {"nodb.noschema.t", "", "", "t"},                                        // names missing from the lists
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        open(u(c.line));
        EXPECT_EQ(window->cmbDatabase->currentText(), u(c.database));
        EXPECT_EQ(window->cmbSchema->currentText(), u(c.schema));
        EXPECT_EQ(window->cmbName->currentText(), u(c.table));
        delete window;
        window = nullptr;
    }
}

TEST_F(NameTableTest, CaptionRowsAndClosingTheConnection)
{
    open(u("SalesDB.dbo.scriptnames"));
    EXPECT_EQ(window->windowTitle(), u("スクリプト名テーブル編集 - SalesDB.dbo.scriptnames @ srv1"));
    EXPECT_TRUE(TfrmNameTable::LayoutOK);
    ASSERT_TRUE(window->fraData->qryData->Active());
    EXPECT_EQ(window->fraData->qryData->RecordCount(), 2);
    EXPECT_EQ(window->fraData->TableName(), u("[dbo].[scriptnames]"));
    EXPECT_TRUE(sentByTheWindow().contains(
        u("SELECT [DATABASE_NAME], [OWNER], [OBJECT_NAME], [OBJECT_TYPE], [SCRIPT_NAME] FROM "
          "[SalesDB].[dbo].[scriptnames]")));

    window->show();
    form->Form()->close();
    processEvents();
    window->DBChange();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(NameTableTest, Registration)
{
    auto texts = std::make_shared<QStringList>();

    // An existing table with the five columns: stored silently.
    open(u("SalesDB.dbo.scriptnames"));
    window->btnCommitClick();
    EXPECT_EQ(NameTableLine(u("srv1")), u("SalesDB.dbo.scriptnames"));

    // Wrong columns: told, stored anyway.
    window->cmbName->setEditText(u("wrongcols"));
    EXPECT_FALSE(TfrmNameTable::LayoutOK);
    answers({u("OK")}, texts);
    window->btnCommitClick();
    EXPECT_EQ(*texts, QStringList{u("テーブルレイアウトが一致しません。")});
    EXPECT_EQ(NameTableLine(u("srv1")), u("SalesDB.dbo.wrongcols"));

    // A missing table: asked, created (with its index on Azure); the
    // initial data is offered only when the table could be read.
    texts->clear();
    window->cmbName->setEditText(u("newnames"));
    form->IsAzure = true;
    script->ClearLog();
    answers({u("Yes"), u("No")}, texts);
    window->btnCommitClick();
    EXPECT_EQ(*texts,
              (QStringList{u("テーブルが見つかりません。新規作成しますか？"), u("初期データを登録しますか？")}));
    const QStringList sent = sentByTheWindow().filter(u("create "));
    EXPECT_EQ(sent, NameTableCreateSQL(form->Use(u("SalesDB")), u("dbo"), u("newnames"), true));
    EXPECT_EQ(NameTableLine(u("srv1")), u("SalesDB.dbo.newnames"));

    // Creation refused: the server's message is shown, the line stored.
    texts->clear();
    window->cmbName->setEditText(u("denied"));
    answers({u("Yes"), u("OK")}, texts);
    window->btnCommitClick();
    ASSERT_EQ(texts->size(), 2);
    EXPECT_TRUE(texts->at(1).contains(u("permission denied"))) << texts->at(1).toStdString();
    EXPECT_EQ(NameTableLine(u("srv1")), u("SalesDB.dbo.denied"));

    // Missing names: warned, nothing stored.
    texts->clear();
    window->cmbName->setEditText(QString());
    answers({u("OK")}, texts);
    window->btnCommitClick();
    EXPECT_EQ(*texts, QStringList{u("名前を入力して下さい。")});
    EXPECT_EQ(NameTableLine(u("srv1")), u("SalesDB.dbo.denied"));
}

TEST(NameTableSQL, CreateStatements)
{
    const QString use = u("use [SalesDB]\r\n");
    EXPECT_EQ(NameTableCreateSQL(use, u("s]x"), u("a.b"), false),
              QStringList{use
                          + u("create table [s]]x].[a.b](  DATABASE_NAME    nvarchar(128),  OWNER            "
                              "nvarchar(128),  OBJECT_NAME      nvarchar(128),  OBJECT_TYPE      nvarchar(30),  "
                              "SCRIPT_NAME      nvarchar(128))")});
    EXPECT_EQ(NameTableCreateSQL(use, u("dbo"), u("a b"), true).value(1),
              use + u("create clustered index [IX_a b] on [dbo].[a b] ([DATABASE_NAME])"));
}

TEST(NameTableSQL, InitialDataBatch)
{
    const QString use = u("use [販売]\r\n");
    const QString all = NameTableInitialDataSQL(use, u("販売"), u("営業"), u("names"), true, true).join(u("\n"));
    const QString own = NameTableInitialDataSQL(use, u("販売"), u("営業"), u("names"), false, false).join(u("\n"));
    const QString head = u("use [販売]\ndeclare @OWNER nvarchar(128)\ndeclare @OBJECT_NAME nvarchar(128)\n"
                           "declare @OBJECT_TYPE nvarchar(30)\ndeclare CDATA cursor\nfor\n");
    const QString query = u("        case\n"
                            "            when a.xtype in ('U', 'S') then 'TABLE'\n"
                            "            when a.xtype = 'V' then 'VIEW'\n"
                            "            when a.xtype in ('P', 'RF', 'X') then 'PROCEDURE'\n"
                            "            when a.xtype in ('FN', 'IF', 'TF') then 'FUNCTION'\n"
                            "            when a.xtype = 'TR' then 'TRIGGER'\n"
                            "            when a.xtype = 'SN' then 'SYNONYM'\n"
                            "            else 'Unknown'\n"
                            "        end as OBJECT_TYPE\n"
                            "    from dbo.sysobjects a\n");
    const QString tail =
        u("open CDATA\nfetch next from CDATA\ninto @OWNER, @OBJECT_NAME, @OBJECT_TYPE\n"
          "while @@FETCH_STATUS = 0\n    begin\n        if not(@OBJECT_TYPE = N'Unknown')\n"
          "            begin\n                insert into [営業].[names]\n"
          "                values (N'販売', @OWNER, @OBJECT_NAME, @OBJECT_TYPE, @OBJECT_NAME + '.sql')\n"
          "            end\n        fetch next from CDATA\n        into @OWNER, @OBJECT_NAME, @OBJECT_TYPE\n"
          "    end\nclose CDATA\ndeallocate CDATA");
    EXPECT_EQ(all, head + u("    select schema_name(a.uid) as OWNER, a.name as OBJECT_NAME,\n") + query + tail);
    EXPECT_EQ(own, head + u("    select user_name(a.uid) as OWNER, a.name as OBJECT_NAME,\n") + query
                       + u("    where user_name(a.uid) = N'営業' collate database_default\n") + tail);
}
