// Code completion against the scripted backend: the catalogue statements a
// name sends on each kind of server (golden files), and the candidates the
// popup is given.

#include "memohost.h"

#include "core/zkoption.h"
#include "platform/db/dbconnection.h"
#include "platform/db/dbquery.h"
#include "sqleditor/zksub_codeassist.h"
#include "sqleditor/zksub_reserve.h"
#include "support/scripted/scriptedbackend.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

const QString dataDir = QStringLiteral(ZK_SOURCE_DIR "/tests/sqleditor/data/");

enum Server { V8, V9, Azure };

struct Completion
{
    explicit Completion(Server server = V9)
    {
        script = std::make_shared<TScript>();
        QString error;
        EXPECT_TRUE(script->LoadFile(dataDir + QStringLiteral("completion.rules"), &error)) << error.toStdString();
        if (server == Azure) {
            EXPECT_TRUE(script->LoadText(QStringLiteral("rule exact: select serverproperty('Edition')\n"
                                                        "  result: e sql_variant\n  row: N'SQL Azure'\n")));
        }
        scope = std::make_unique<TScriptedScope>(script);
        con.Params().SetValue("User_Name", "sa");
        con.Params().SetValue("Database", "Sales");
        con.Open();
        query.SetConnection(&con);
        dbVer = server == V8 ? 8 : 15;
        host.memo->SetReserveWordList(
            QStringList{QStringLiteral("SELECT"), QStringLiteral("FROM"), QStringLiteral("WHERE")});
        // The host's handler of the editor's request.
        QObject::connect(host.memo, &TEditor::CodeAssist, host.memo, [this](const QPoint &p) {
            CodeAssistCandidates(host.memo, host.form.get(), &query, QStringLiteral("Sales"), QStringLiteral("dbo"),
                                 dbVer, p.x(), p.y());
        });
        script->ClearLog();
    }

    // Puts the text with the caret at "|" and asks for completion.
    void request(const QString &textWithCaret)
    {
        const int at = int(textWithCaret.indexOf(u'|'));
        QString text = textWithCaret;
        text.remove(at, 1);
        host.setText(text, 0, 0);
        host->SetSelIndex(0, at);
        const QPoint p = host->CaretPoint();
        CodeAssistCandidates(host.memo, host.form.get(), &query, QStringLiteral("Sales"), QStringLiteral("dbo"), dbVer,
                             p.x(), p.y());
    }

    // What the server received, one entry per line.
    QString received() const
    {
        QStringList lines;
        for (const TScriptEntry &e : script->Log()) {
            if (e.kind == TScriptEntry::Batch || e.kind == TScriptEntry::Rpc)
                lines << e.line();
        }
        return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    }

    TzkCodeAssist *popup() const { return host->CodeAssist; }
    QStringList rows(int column = 0) const
    {
        QStringList list;
        for (int i = 0; popup() && i < popup()->RowCount(); ++i)
            list << popup()->topLevelItem(i)->text(column);
        return list;
    }

    std::shared_ptr<TScript> script;
    std::unique_ptr<TScriptedScope> scope;
    TFDConnection con;
    TFDQuery query;
    int dbVer = 15;
    MemoHost host;
};

QString readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

} // namespace

// Each name on each server against the statements kept in data/: the use
// prefix heads its statement (the layer sends it as a batch of its own
// before a statement with parameters), the routine lookup relies on it.
TEST(CodeAssist, StatementsSentPerServer)
{
    struct Case
    {
        const char *name;
        const char *text;
    } cases[] = {
        {"blank", "select * from |"},
        {"schema", "select * from dbo.|"},
        {"table", "select * from Orders.|"},
        {"alias", "select o.| from Orders o"},
        {"database_schema_prefix", "select * from Sales.dbo.Or|"},
        {"routine", "exec usp_orders.|"},
    };
    const bool update = qEnvironmentVariableIsSet("ZK_UPDATE_GOLDEN");
    for (Server server : {V8, V9, Azure}) {
        for (const Case &c : cases) {
            const QString file = dataDir
                                 + QStringLiteral("%1_%2.txt")
                                       .arg(QLatin1String(c.name))
                                       .arg(server == V8   ? "v8"
                                            : server == V9 ? "v9"
                                                           : "azure");
            SCOPED_TRACE(file.toStdString());
            Completion t(server);
            t.request(QString::fromUtf8(c.text));
            if (update) {
                QFile f(file);
                ASSERT_TRUE(f.open(QIODevice::WriteOnly));
                f.write(t.received().toUtf8());
                continue;
            }
            EXPECT_EQ(t.received(), readFile(file));
        }
    }
}

TEST(CodeAssist, CtrlSpaceAfterABlankListsDatabasesSchemasObjectsAndWords)
{
    Completion t;
    t.host.setText(QStringLiteral("select * from "), 0, 14);
    QTest::keyClick(t.host.memo, Qt::Key_Space, Qt::ControlModifier);
    ASSERT_NE(t.popup(), nullptr);
    EXPECT_TRUE(t.popup()->isVisible());
    EXPECT_EQ(t.rows(),
              (QStringList{"master", "Sales", "dbo", "sales", "Customers", "Orders", "vOrders", "IX_Orders_Date",
                           "PK_Orders", "usp_orders", "fn_total", "SynOrd", "FROM", "SELECT", "WHERE"}));
    EXPECT_EQ(t.rows(1).mid(0, 5), (QStringList{"DATABASE", "DATABASE", "SCHEMA", "SCHEMA", "TABLE"}));
    EXPECT_EQ(t.popup()->ImageList[1], 116) << "the current database";
    EXPECT_EQ(t.popup()->ImageList[2], 3) << "the current schema";
    EXPECT_EQ(t.popup()->currentItem(), t.popup()->topLevelItem(0));
    EXPECT_TRUE(t.host->hasFocus()) << "the editor keeps the focus";
}

TEST(CodeAssist, BlankShowsTheFirstHundred)
{
    Completion t;
    QStringList words;
    LoadReserveWords(words);
    t.host->SetReserveWordList(words);
    t.request(QStringLiteral("select * from |"));
    ASSERT_NE(t.popup(), nullptr);
    EXPECT_GT(t.popup()->CaptionListW.size(), 100);
    EXPECT_EQ(t.popup()->RowCount(), 100);
}

TEST(CodeAssist, SchemaListsItsObjectsWithTypeWords)
{
    Completion t;
    t.request(QStringLiteral("select * from dbo.|"));
    ASSERT_NE(t.popup(), nullptr);
    EXPECT_EQ(t.rows(), (QStringList{"Customers", "Orders", "vOrders", "IX_Orders_Date", "PK_Orders", "usp_orders",
                                     "fn_total", "SynOrd"}));
    EXPECT_EQ(t.rows(1),
              (QStringList{"TABLE", "TABLE", "VIEW", "INDEX", "CONSTRAINT", "PROCEDURE", "FUNCTION", "SYNONYM"}));
    EXPECT_EQ(t.popup()->headerItem()->text(0), QStringLiteral("オブジェクト名"));
}

TEST(CodeAssist, ColumnsOfTablesAliasesAndSynonyms)
{
    const QStringList columns{"*", "OrderID", "Customer", "Note", "Amount", "Code", "Ratio"};
    for (const char *text : {"select * from Orders.|", "select o.| from Orders o", "select * from SynOrd.|",
                             "select * from dbo.SynShort.|"}) {
        SCOPED_TRACE(text);
        Completion t;
        t.request(QString::fromUtf8(text));
        ASSERT_NE(t.popup(), nullptr);
        EXPECT_EQ(t.rows(), columns);
        EXPECT_EQ(t.rows(1),
                  (QStringList{"", "int", "nvarchar(50)", "varchar(max)", "decimal(10,2)", "char(3)", "float(53)"}));
        EXPECT_EQ(t.popup()->ImageList, (std::vector<int>{-1, 46, -1, -1, -1, -1, -1}));
        EXPECT_EQ(t.popup()->headerItem()->text(0), QStringLiteral("列名"));
    }
}

TEST(CodeAssist, OldServerShowsTheRawLength)
{
    Completion t(V8);
    t.request(QStringLiteral("select * from Orders.|"));
    ASSERT_NE(t.popup(), nullptr);
    EXPECT_EQ(t.rows(1)[3], QStringLiteral("varchar(-1)"));
}

TEST(CodeAssist, SinglePartialMatchIsInsertedUnshown)
{
    const bool saved = zkOption.UseLowerName;
    zkOption.UseLowerName = true;
    Completion t;
    t.request(QStringLiteral("select * from dbo.Cust|"));
    EXPECT_EQ(t.popup(), nullptr);
    EXPECT_EQ(t.host.text(), QStringLiteral("select * from dbo.[Customers]"));
    t.host->Undo();
    EXPECT_EQ(t.host.text(), QStringLiteral("select * from dbo."));
    zkOption.UseLowerName = saved;
}

TEST(CodeAssist, PartialWithoutMatchShowsAnEmptyPopup)
{
    Completion t;
    t.request(QStringLiteral("select * from dbo.zz|"));
    ASSERT_NE(t.popup(), nullptr);
    EXPECT_TRUE(t.popup()->isVisible());
    EXPECT_EQ(t.popup()->RowCount(), 0);
}

TEST(CodeAssist, NamesThatListNothing)
{
    for (const char *text :
         {"select * from a.b.c.d.e.|", "exec usp_orders.|", "select * from Sales.Or|", "select * from nowhere.|"}) {
        SCOPED_TRACE(text);
        Completion t;
        t.request(QString::fromUtf8(text));
        EXPECT_EQ(t.popup(), nullptr);
    }
}

TEST(CodeAssist, DatabaseListsItsSchemas)
{
    Completion t;
    t.request(QStringLiteral("select * from Sales.|"));
    ASSERT_NE(t.popup(), nullptr);
    EXPECT_EQ(t.rows(), (QStringList{"dbo", "sales"}));
    EXPECT_EQ(t.popup()->headerItem()->text(0), QStringLiteral("スキーマ名"));
}

TEST(CodeAssist, SwitchedOffSendsNothing)
{
    const bool saved = zkOption.CodeAssist;
    zkOption.CodeAssist = false;
    Completion t;
    t.request(QStringLiteral("select * from dbo.|"));
    EXPECT_EQ(t.popup(), nullptr);
    EXPECT_TRUE(t.script->Statements().isEmpty());
    zkOption.CodeAssist = saved;
}

TEST(CodeAssist, RequestWhileOpenDoesNothing)
{
    Completion t;
    t.request(QStringLiteral("select * from dbo.|"));
    ASSERT_NE(t.popup(), nullptr);
    t.script->ClearLog();
    const QPoint p = t.host->CaretPoint();
    CodeAssistCandidates(t.host.memo, t.host.form.get(), &t.query, "Sales", "dbo", 15, p.x(), p.y());
    EXPECT_TRUE(t.script->Statements().isEmpty());
}

TEST(CodeAssistToken, NameBeforeTheCaret)
{
    struct Case
    {
        const char *text;
        const char *token;
    } cases[] = {
        {"select dbo.Orders.|", "dbo.Orders."},
        {"select [my db].x|", "db].x"},
        {"select [x].|", "[x]."},
        {"select .|", "."},
        {"select a|(", "a"},
        {"select (|", ""},
        {"|", ""},
        {"from 'a.csv'.|", "."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        MemoHost host;
        const QString withCaret = QString::fromUtf8(c.text);
        const int at = int(withCaret.indexOf(u'|'));
        QString text = withCaret;
        text.remove(at, 1);
        host.setText(text);
        host->SetSelIndex(0, at);
        EXPECT_EQ(host->GetCodeAssistToken(), QString::fromUtf8(c.token));
    }
}
