#include "testhelpers.h"

#include "connection/fobject.h"
#include "connection/fobject_script.h"
#include "controls/zkcomctrls.h"
#include "core/zkoption.h"
#include "core/zksub_files.h"
#include "tds/tdsserver.h"

#include <QTemporaryDir>

#include <memory>

// Script output through the real driver against the test server with the
// demo catalogue: the object list filled from the server, the privileges
// read from it, the files written by a run.

namespace {

QString u(const char *s)
{
    return QString::fromUtf8(s);
}

class ScriptOutputServerTest : public ShownMainWindowTest
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
        zkOption.Encoding = 2;
        QString error;
        ASSERT_TRUE(server.loadRules(ZK_FIXTURES_DIR "/demo.rules", &error)) << error.toStdString();
        ASSERT_TRUE(server.loadRules(ZK_FIXTURES_DIR "/script.rules", &error)) << error.toStdString();
        ASSERT_TRUE(server.start(0, &error)) << error.toStdString();
        form = new TfrmObject(main.get(), u("SalesDB"), u("zkdemo"), u("demo"),
                              QStringLiteral("127.0.0.1,%1").arg(server.port()), 0xFFFFE0, false);
        form->lstTree->ChangeDelay = 0;
        // The tables' generators as the table editor will register them:
        // here a stub that writes one statement per pass.
        RegisterScriptGenerator(u("TfrmTable"),
                                [](TfrmObject *, const TScriptRequest &r, const TScriptOption &o, TScriptSink &s) {
                                    s.Write(QStringLiteral("%1 TABLE [%2].[%3]\r\ngo\r\n")
                                                .arg(o.Drop ? u("DROP") : u("CREATE"), r.Schema, r.ObjectName));
                                });
    }
    void TearDown() override
    {
        RegisterScriptGenerator(u("TfrmTable"), {});
        main.reset();
        std::destroy_at(&ScriptOption);
        std::construct_at(&ScriptOption, savedScript);
        zkOption = saved;
        ShownMainWindowTest::TearDown();
    }

    TdsServer server;
    TfrmObject *form = nullptr;
    TzkOption saved;
    TScriptOption savedScript{ScriptOption};
};

} // namespace

TEST_F(ScriptOutputServerTest, ThreeTablesGiveThreeFiles)
{
    TzkTreeNode *tables = form->lstTree->TopItem(0)->FindName(u("SalesDB"), false)->FindName(u("TABLE"), false);
    ASSERT_TRUE(tables);
    form->lstTree->SetSelected(tables);
    TzkListView *list = form->lstObject;
    for (int i = 0; i < list->ItemCount(); ++i) {
        const QString name = list->Item(i).Caption;
        list->SetSelected(i, name == u("Customers") || name == u("Orders") || name == u("Staff"));
    }
    ASSERT_EQ(list->SelCount(), 3);

    ScriptOption.OneScript = false;
    ScriptOption.Dir = true;
    ScriptOption.SameName = true;
    ScriptOption.Grant = true;
    ScriptOption.GrantMode = 0;
    ScriptOption.Drop = true;
    ScriptOption.Database = 3;
    ScriptOption.Owner = 0;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    server.clearLog();
    const TScriptRunResult result = form->RunScriptOutput(dir.path() + u("/"), QString());
    EXPECT_TRUE(result.Failed.isEmpty()) << result.Failed.join(u("; ")).toStdString();
    EXPECT_EQ(result.Written, 3);
    EXPECT_EQ(FilesBelow(dir.path()),
              (QStringList{u("SalesDB/dbo/TABLE/Customers.SQL"), u("SalesDB/dbo/TABLE/Orders.SQL"),
                           u("SalesDB/sales/TABLE/Staff.SQL")}));

    auto text = [&](const char *file) {
        QFile f(dir.path() + u("/") + u(file));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : u("<missing>");
    };
    EXPECT_EQ(text("SalesDB/dbo/TABLE/Customers.SQL"),
              u("DROP TABLE [dbo].[Customers]\r\ngo\r\nCREATE TABLE [dbo].[Customers]\r\ngo\r\n"));
    // The privileges the server reports follow each table's script.
    EXPECT_EQ(text("SalesDB/dbo/TABLE/Orders.SQL"),
              u("DROP TABLE [dbo].[Orders]\r\ngo\r\nCREATE TABLE [dbo].[Orders]\r\ngo\r\n"
                "GRANT SELECT ON [dbo].[Orders] TO [clerk] WITH GRANT OPTION\r\ngo\r\n"));
    EXPECT_EQ(text("SalesDB/sales/TABLE/Staff.SQL"),
              u("DROP TABLE [sales].[Staff]\r\ngo\r\nCREATE TABLE [sales].[Staff]\r\ngo\r\n"
                "DENY INSERT ON [sales].[Staff] TO [clerk]\r\ngo\r\n"));
    // One privilege query per table, each in the table's database.
    EXPECT_EQ(server.statements().filter(u("sys.database_permissions")).size(), 3);
    EXPECT_EQ(list->SelCount(), 0);
}
