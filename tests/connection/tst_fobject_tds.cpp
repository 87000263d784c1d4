#include "testhelpers.h"

#include "connection/fobject.h"
#include "controls/zkcomctrls.h"
#include "core/zkoption.h"
#include "tds/tdsserver.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

// The tree and the object list through the real driver against the test
// server with the demo catalogue: three databases with tables, views and
// procedures beside the system ones.

namespace {

class ObjectListServerTest : public ShownMainWindowTest
{
protected:
    void SetUp() override
    {
        ShownMainWindowTest::SetUp();
        saved = zkOption;
        zkOption.TreeSort = 0;
        zkOption.ShowLevel0 = true;
        zkOption.ShowLevel1 = true;
        zkOption.TreeData = true;
        zkOption.Find = true;
        zkOption.FindAuto = true;
        QString error;
        ASSERT_TRUE(server.loadRules(ZK_FIXTURES_DIR "/demo.rules", &error)) << error.toStdString();
        ASSERT_TRUE(server.start(0, &error)) << error.toStdString();
        form = new TfrmObject(main.get(), QStringLiteral("SalesDB"), QStringLiteral("zkdemo"), QStringLiteral("demo"),
                              QStringLiteral("127.0.0.1,%1").arg(server.port()), 0xFFFFE0, false);
        form->lstTree->ChangeDelay = 0;
    }
    void TearDown() override
    {
        main.reset();
        zkOption = saved;
        ShownMainWindowTest::TearDown();
    }
    // Selects a node as a click does; its change event fills the list.
    void select(TzkTreeNode *node)
    {
        form->lstTree->ChangeDelay = 0;
        server.clearLog();
        if (form->lstTree->Selected() == node)
            form->ShowObject(false);
        else
            form->lstTree->SetSelected(node);
    }
    QStringList asked() const
    {
        QStringList databases;
        for (const QString &s : server.statements())
            if (s.startsWith(QLatin1String("use [")) && s.contains(QLatin1String("upper(")))
                databases << s.section(QStringLiteral("\r\n"), 0, 0).mid(4);
        return databases;
    }
    int indexOf(const QString &caption) const
    {
        for (int i = 0; i < form->lstObject->ItemCount(); ++i)
            if (form->lstObject->Item(i).Caption == caption)
                return i;
        return -1;
    }

    TdsServer server;
    TfrmObject *form = nullptr;
    TzkOption saved;
};

QStringList texts(const TzkTreeNode *node)
{
    QStringList out;
    for (int i = 0; i < node->Count(); ++i)
        out << node->Item(i)->Text();
    return out;
}

} // namespace

TEST_F(ObjectListServerTest, TheTreeAndTheListOfEveryDatabase)
{
    TzkTreeNode *root = form->lstTree->TopItem(0);
    EXPECT_TRUE(root->Text().endsWith("(15.0.2000.5)")) << root->Text().toStdString();
    EXPECT_EQ(texts(root), (QStringList{"InventoryDB", "master", "model", "msdb", "SalesDB", "tempdb", "人事DB"}));

    // The server: every database, one statement each, in server order.
    select(root);
    EXPECT_EQ(asked(),
              (QStringList{"[InventoryDB]", "[master]", "[model]", "[msdb]", "[SalesDB]", "[tempdb]", "[人事DB]"}));
    TzkListView *list = form->lstObject;
    EXPECT_EQ(list->ColumnCount(), 6);
    EXPECT_EQ(list->ItemCount(), 55);
    const int employees = indexOf(QStringLiteral("社員"));
    ASSERT_GE(employees, 0);
    const TzkListItem &item = list->Item(employees);
    EXPECT_EQ(item.ImageIndex, 45);
    EXPECT_EQ(item.SubItems.mid(0, 3), (QStringList{"人事DB", "dbo", "TABLE"}));
    EXPECT_EQ(item.SubItem(4), "社員マスタ");
    const int procedure = indexOf(QStringLiteral("usp_社員異動"));
    ASSERT_GE(procedure, 0);
    EXPECT_EQ(list->Item(procedure).ImageIndex, 51);
    EXPECT_EQ(list->Item(procedure).SubItem(2), "PROCEDURE");

    // Sorting by the database column: ascending, then the other way round.
    list->ClickColumn(1);
    EXPECT_EQ(list->Item(0).SubItem(0), "InventoryDB");
    EXPECT_EQ(list->Item(list->ItemCount() - 1).SubItem(0), "人事DB");
    list->ClickColumn(1);
    EXPECT_EQ(list->Item(0).SubItem(0), "人事DB");

    // The name search: a Japanese pattern goes as a national literal, and
    // only names holding the text are listed.
    form->cmbFind->setCurrentText(QStringLiteral("社員"));
    QTest::keyClick(form->cmbFind->lineEdit(), Qt::Key_Return);
    QStringList shown;
    for (int i = 0; i < list->ItemCount(); ++i)
        shown << list->Item(i).Caption;
    EXPECT_EQ(shown, (QStringList{"FK_社員_部署", "IX_社員_部署コード", "PK_社員", "PK_社員", "usp_社員異動",
                                  "v_社員一覧", "社員"}));
    EXPECT_TRUE(server.statements().filter(QStringLiteral("like N'%社員%'")).size() >= 7);

    // One kind of one database: its own view and columns.
    form->cmbFind->setCurrentText(QString());
    select(root->FindName(QStringLiteral("InventoryDB"), false)->FindName(QStringLiteral("TABLE"), false));
    EXPECT_EQ(asked(), QStringList{"[InventoryDB]"});
    EXPECT_EQ(list->ColumnCaption(7), "テンポラル");
    EXPECT_EQ(list->Item(indexOf(QStringLiteral("Stock"))).SubItem(6), "システムバージョン管理(StockHistory)");
}

TEST_F(ObjectListServerTest, EscapeStopsTheFillAndKeepsWhatWasListed)
{
    QString error;
    ASSERT_TRUE(server.loadRulesText("rule regex: ^\\s*select a\\.type, a\\.name, N'SalesDB',\n  delay: 20000\n"
                                     "  result: type char(2)\n",
                                     "inline", &error))
        << error.toStdString();
    QTimer::singleShot(400, form, [this] { QTest::keyClick(form, Qt::Key_Escape); });
    QElapsedTimer took;
    took.start();
    select(form->lstTree->TopItem(0));
    EXPECT_LT(took.elapsed(), 10000) << "the statement was cancelled";
    EXPECT_EQ(asked(), (QStringList{"[InventoryDB]", "[master]", "[model]", "[msdb]", "[SalesDB]"}));
    EXPECT_EQ(form->lstObject->ItemCount(), 12) << "InventoryDB's objects stay";
    EXPECT_TRUE(server.waitForLog([](const QList<TdsLogEntry> &log) {
        return std::any_of(log.begin(), log.end(),
                           [](const TdsLogEntry &e) { return e.kind == TdsLogEntry::Attention; });
    }));

    // The next fill runs in full again.
    select(form->lstTree->TopItem(0)->FindName(QStringLiteral("人事DB"), false));
    EXPECT_EQ(form->lstObject->ItemCount(), 10);
}

TEST_F(ObjectListServerTest, ARenameSendsQuotedArgumentsInTheObjectsDatabase)
{
    QString error;
    ASSERT_TRUE(server.loadRulesText("rule regex: ^\\s*exec sp_rename\n  rowcount: 0\n"
                                     "rule regex: ^\\s*select Count\\(\\*\\) cnt from sysobjects\n"
                                     "  result: cnt int\n  row: 0\n",
                                     "inline", &error))
        << error.toStdString();
    select(form->lstTree->TopItem(0)->FindName(QStringLiteral("人事DB"), false));
    TzkListView *list = form->lstObject;
    server.clearLog();
    QString name = QStringLiteral("従業員's");
    ASSERT_TRUE(list->OnEdited(indexOf(QStringLiteral("社員")), name));
    QString index = QStringLiteral("IX_社員_部署");
    ASSERT_TRUE(list->OnEdited(indexOf(QStringLiteral("IX_社員_部署コード")), index));
    EXPECT_EQ(
        server.statements(),
        (QStringList{"use [人事DB]\r\nexec sp_rename N'[dbo].[社員]',N'従業員''s',N'OBJECT'",
                     "use [人事DB]\r\nselect Count(*) cnt from sysobjects where name = N'IX_社員_部署コード'",
                     "use [人事DB]\r\nexec sp_rename N'[dbo].[社員].[IX_社員_部署コード]',N'IX_社員_部署',N'INDEX'"}));
}
