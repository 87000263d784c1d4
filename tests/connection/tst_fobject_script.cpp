#include "testhelpers.h"

#include "connection/fobject.h"
#include "connection/fobject_script.h"
#include "connection/fscriptoption.h"
#include "controls/printtest.h"
#include "controls/zkcomctrls.h"
#include "core/dsqlserver.h"
#include "core/modal.h"
#include "core/zksub.h"
#include "core/zksub_files.h"
#include "platform/encoding/textencoding.h"
#include "platform/rtl/exceptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>

#include <memory>

// Script output: the kind-to-generator dispatch, sinks, privilege scripts,
// name tables, the files of a run and the options dialog, on the scripted
// backend with the demo catalogue.

namespace {

QString u(const char *s)
{
    return QString::fromUtf8(s);
}

// Puts the global script options back as they were: the record holds a
// reference and cannot be assigned.
void restoreScriptOption(const TScriptOption &saved)
{
    std::destroy_at(&ScriptOption);
    std::construct_at(&ScriptOption, saved);
}

// Regular names stay bare in the expected texts, whatever the settings say.
struct BareNames
{
    BareNames() { zkOption.UseLowerName = false; }
    ~BareNames() { zkOption.UseLowerName = saved; }
    bool saved = zkOption.UseLowerName;
};

const QStringList kScriptClasses = {"TfrmTable", "TfrmIndex", "TfrmView", "TfrmUser"};

// Generators that write one line per pass, as "DROP|CREATE schema.name".
void registerLineGenerators()
{
    for (const QString &c : kScriptClasses)
        RegisterScriptGenerator(c, [](TfrmObject *, const TScriptRequest &r, const TScriptOption &o, TScriptSink &s) {
            s.Write(QStringLiteral("%1 %2.%3\r\n").arg(o.Drop ? u("DROP") : u("CREATE"), r.Schema, r.ObjectName));
        });
}

void unregisterGenerators()
{
    for (const QString &c : kScriptClasses)
        RegisterScriptGenerator(c, {});
}

// Closes the next message box, keeping its text.
std::function<void(QWidget *)> readMessage(QString &text)
{
    return [&text](QWidget *box) {
        if (auto *label = box->findChild<QLabel *>(QStringLiteral("Message")))
            text = label->text();
        box->close();
    };
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

class ScriptOutputTest : public ConnectionWindowTest
{
protected:
    void SetUp() override
    {
        ConnectionWindowTest::SetUp();
        QString error;
        ASSERT_TRUE(script->LoadFile(ZK_FIXTURES_DIR "/script.rules", &error)) << error.toStdString();
        savedNames = NameTableList;
        NameTableList.clear();
        form = logon();
        form->lstTree->OnChange = nullptr;
        registerLineGenerators();
        ScriptOption.OneScript = false;
        ScriptOption.Dir = false;
        ScriptOption.SameName = true;
        ScriptOption.Grant = false;
        ScriptOption.GrantMode = 0;
        ScriptOption.Drop = false;
        ScriptOption.Owner = 2;
        ScriptOption.Database = 3;
        zkOption.TreeSort = 0;
        zkOption.Encoding = 2;
        zkOption.UseLowerName = false;
        ASSERT_TRUE(dir.isValid());
        P = dir.path() + QLatin1Char('/');
    }
    void TearDown() override
    {
        unregisterGenerators();
        restoreScriptOption(saved);
        NameTableList = savedNames;
        ConnectionWindowTest::TearDown();
    }
    // Lists the items, all selected: name, kind, database, schema, type
    // word; an index's table in both columns the list may keep it in.
    void list(const QList<std::tuple<const char *, int, const char *, const char *, const char *>> &items)
    {
        TzkListView *l = form->lstObject;
        l->ClearItems();
        l->ClearColumns();
        for (const char *caption : {"オブジェクト名", "データベース名", "所有者", "タイプ", "テーブル名"})
            l->AddColumn(u(caption), 80);
        for (const auto &[name, kind, db, schema, type] : items) {
            const QString table = kind == 46 ? u("Orders") : QString();
            l->AddItem(u(name), kind, {u(db), u(schema), u(type), table, QString(), table});
        }
        for (int i = 0; i < l->ItemCount(); ++i)
            l->SetSelected(i, true);
    }
    void listDemo()
    {
        list({{"Orders", 45, "SalesDB", "dbo", "TABLE"},
              {"IX_Date", 46, "SalesDB", "dbo", "INDEX"},
              {"PK_Orders", 46, "SalesDB", "dbo", "INDEX"},
              {"Staff", 45, "SalesDB", "sales", "TABLE"}});
    }
    QString text(const QString &relative) const { return QString::fromUtf8(readAll(P + relative)); }

    TScriptOption saved{ScriptOption};
    QStringList savedNames;
    TfrmObject *form = nullptr;
    QTemporaryDir dir;
    QString P;
};

} // namespace

// --- Dispatch ---------------------------------------------------------------------------------

TEST(ScriptCall, EachKindHasItsGeneratorAndArguments)
{
    const QString db = u("SalesDB"), dbo = u("dbo"), n = u("x"), ns = u("s2"), nn = u("x2"), t = u("Orders");
    auto req = [](int type, QString d, QString s, QString name, QString ns2 = {}, QString nn2 = {}, QString table = {},
                  bool index = false) { return TScriptRequest{type, d, s, name, ns2, nn2, table, index}; };
    const struct
    {
        int code;
        const char *windowClass;
        TScriptRequest request;
    } cases[] = {
        {1, "Tfrmdb", req(1, db, dbo, n)},
        {2, "TfrmUser", req(2, db, {}, n)},
        {3, "TfrmUser", req(3, db, {}, n)},
        {4, "TfrmSchema", req(4, db, dbo, n)},
        {126, "TfrmSchema", req(126, db, dbo, n)},
        {45, "TfrmTable", req(45, db, dbo, n, ns, nn, {}, true)},
        {46, "TfrmIndex", req(46, db, dbo, n, {}, {}, t)},
        {47, "TfrmView", req(47, db, dbo, n, ns, nn)},
        {51, "TfrmSource", req(51, db, dbo, n, ns, nn)},
        {57, "TfrmTrigger", req(57, db, dbo, n, ns, nn)},
        {60, "TfrmSynonym", req(60, db, dbo, n)},
        {71, "TfrmTBS", req(71, db, {}, n)},
        {97, "TfrmJob", req(97, {}, {}, n)},
        {117, "Tfrmjobschedule", req(117, {}, {}, n)},
        {119, "TfrmLogin", req(119, {}, {}, n)},
        {120, "TfrmLogin", req(120, {}, {}, n)},
        {73, "", {}},
        {116, "", {}},
        {137, "", {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.code);
        const TScriptCall call = ScriptCall(c.code, db, dbo, n, ns, nn, t, true);
        EXPECT_EQ(call.WindowClass, u(c.windowClass));
        if (!call.WindowClass.isEmpty())
            EXPECT_TRUE(call.Request == c.request);
    }
}

TEST_F(ScriptOutputTest, DropThenCreateAndTheOptionsStayAsTheyWere)
{
    ScriptOption.Drop = true;
    TMemoryScriptSink both;
    EXPECT_TRUE(form->OutputScript(45, u("SalesDB"), u("dbo"), u("Orders"), both, {}, {}, true, {}));
    EXPECT_EQ(both.Text, u("DROP dbo.Orders\r\nCREATE dbo.Orders\r\n"));
    TMemoryScriptSink createOnly;
    EXPECT_TRUE(form->OutputScript(45, u("SalesDB"), u("dbo"), u("Orders"), createOnly, {}, {}, false, {}));
    EXPECT_EQ(createOnly.Text, u("CREATE dbo.Orders\r\n"));
    EXPECT_TRUE(ScriptOption.Drop);

    // A throwing generator is a failure with its text, and changes nothing.
    RegisterScriptGenerator(u("TfrmTable"),
                            [](TfrmObject *, const TScriptRequest &, const TScriptOption &o, TScriptSink &) {
                                ScriptOption.Index = !o.Drop; // would show if the record were the global one
                                throw Exception(u("オブジェクトがありません。"));
                            });
    const bool index = ScriptOption.Index;
    TMemoryScriptSink failed;
    QString error;
    EXPECT_FALSE(form->OutputScript(45, u("SalesDB"), u("dbo"), u("Gone"), failed, {}, {}, true, {}, &error));
    EXPECT_EQ(error, u("オブジェクトがありません。"));
    EXPECT_TRUE(ScriptOption.Drop);
    ScriptOption.Index = index;

    // A kind outside the table writes nothing and is no failure; a kind
    // whose editor has not registered its generator is one.
    TMemoryScriptSink none;
    EXPECT_TRUE(form->OutputScript(137, u("SalesDB"), {}, u("SalesDB"), none, {}, {}, false, {}));
    EXPECT_TRUE(none.Text.isEmpty());
    EXPECT_FALSE(form->OutputScript(58, u("SalesDB"), u("dbo"), u("seq"), none, {}, {}, false, {}, &error));
    EXPECT_EQ(error, u("TfrmSeq のスクリプトはまだ出力できません。"));
}

// Scripts appended one after the other to a file read back as one text in
// every encoding, without a byte-order mark.
TEST(FileScriptSink, AppendsInTheChosenEncodingWithoutMark)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u("a.sql"));
    const QString first = u("-- 社員表\r\n"), second = u("create table 漢字 (c int)\r\n");
    for (const TEncoding *e : {TEncoding::GetANSI(), TEncoding::GetUTF7(), TEncoding::GetUTF8(),
                               TEncoding::GetUnicode(), TEncoding::GetBigEndianUnicode()}) {
        SCOPED_TRACE(e->Name().toStdString());
        {
            TFileScriptSink(path, false, e).Write(first);
        }
        {
            TFileScriptSink(path, true, e).Write(second);
        }
        const QByteArray bytes = readAll(path);
        EXPECT_EQ(TEncoding::FromPreamble(bytes), nullptr);
        EXPECT_EQ(e->GetString(bytes), first + second);
    }
    EXPECT_THROW(TFileScriptSink(dir.filePath(u("no/such/folder/a.sql")), false), Exception);
}

// --- Privilege scripts ------------------------------------------------------------------------

TEST(GrantScript, StatementsAndUseLines)
{
    BareNames bare;
    const TGrantRow select{u("u"), u("SELECT "), u("YES"), u("t"), u("SL")};
    const TGrantRow deny{u("u]x"), u("INSERT"), u("DENY"), u("t"), u("IN")};
    const TGrantRow unknown{u("u"), QString(), u("NO"), u("t"), u("XY  ")};
    auto ctx = [](int db, int owner, const char *schema, const char *current) {
        TGrantContext c;
        c.DatabaseOption = db;
        c.OwnerOption = owner;
        c.Database = u("SalesDB");
        c.Schema = u(schema);
        c.CurrentDatabase = u(current);
        c.DefaultSchema = u("dbo");
        return c;
    };
    const struct
    {
        const char *label;
        TGrantContext context;
        QList<TGrantRow> rows;
        QStringList want;
    } cases[] = {
        {"owner 0 qualifies",
         ctx(3, 0, "dbo", "SalesDB"),
         {select},
         {u("GRANT SELECT ON [dbo].[t] TO [u] WITH GRANT OPTION"), u("go")}},
        {"owner 1 default schema",
         ctx(3, 1, "dbo", "SalesDB"),
         {select},
         {u("GRANT SELECT ON [t] TO [u] WITH GRANT OPTION"), u("go")}},
        {"owner 1 other schema",
         ctx(3, 1, "sales", "SalesDB"),
         {deny},
         {u("DENY INSERT ON [sales].[t] TO [u]]x]"), u("go")}},
        {"unknown code", ctx(3, 2, "dbo", "SalesDB"), {unknown}, {u("-- type XY")}},
        {"database 0 with rows",
         ctx(0, 2, "dbo", "SalesDB"),
         {select},
         {u("use [SalesDB]"), u("go"), u("GRANT SELECT ON [t] TO [u] WITH GRANT OPTION"), u("go")}},
        {"database 0 without rows", ctx(0, 2, "dbo", "master"), {}, {}},
        {"database 1 other database, no rows", ctx(1, 2, "dbo", "master"), {}, {u("use [SalesDB]"), u("go")}},
        {"database 1 same database", ctx(1, 2, "dbo", "SalesDB"), {}, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(GrantScript(c.context, c.rows), c.want);
    }
    TGrantContext azure = ctx(0, 2, "dbo", "master");
    azure.IsAzure = true;
    EXPECT_EQ(GrantScript(azure, {select}), (QStringList{u("GRANT SELECT ON [t] TO [u] WITH GRANT OPTION"), u("go")}));

    // Database privileges: only the database's own principals, no object.
    TGrantContext db = ctx(3, 2, "", "SalesDB");
    db.IsDB = true;
    db.Principals = {u("u")};
    const TGrantRow create{u("u"), u("CREATE TABLE"), u("NO"), u("SalesDB"), u("CRTB")};
    const TGrantRow other{u("##MS_x##"), u("CONNECT"), u("NO"), u("SalesDB"), u("CO")};
    EXPECT_EQ(GrantScript(db, {create, other}), (QStringList{u("GRANT CREATE TABLE TO [u]"), u("go")}));
}

TEST(GrantQuerySQL, DialectsAndParameters)
{
    const QString v9 = GrantQuerySQL(9, false);
    EXPECT_TRUE(v9.contains(u("object_id(quotename(:OWNER) + N'.' + quotename(:NAME))")));
    EXPECT_TRUE(v9.contains(u("when 'VWCT' then N'VIEW CHANGE TRACKING'")));
    EXPECT_TRUE(v9.contains(u("when 'RC' then N'RECEIVE'")));
    EXPECT_TRUE(v9.contains(u("when b.state_desc = N'DENY' then N'DENY'")));
    EXPECT_LT(v9.indexOf(u(":OWNER")), v9.indexOf(u(":NAME")));
    const QString v8 = GrantQuerySQL(8, false);
    EXPECT_TRUE(v8.contains(u("where user_name(c.uid) = :OWNER collate database_default")));
    EXPECT_FALSE(v8.contains(u(" like ")));
    EXPECT_TRUE(v8.contains(u("when b.protecttype = 206 then N'DENY'")));
    const QString db9 = GrantQuerySQL(9, true);
    EXPECT_TRUE(db9.contains(u("when 'VWDS' then N'VIEW DATABASE STATE'")));
    EXPECT_TRUE(db9.contains(u("when b.state_desc = N'DENY' then N'DENY'")));
    // Every database permission the catalogue documents by code.
    EXPECT_EQ(db9.count(u(" when '")), 64);
    EXPECT_TRUE(GrantQuerySQL(8, true).contains(u("where a.id = 0 order by 1, 2, 3")));
    for (const QString &sql : {v9, v8, db9, GrantQuerySQL(8, true)}) {
        EXPECT_TRUE(sql.endsWith(u(" order by 1, 2, 3")));
        EXPECT_FALSE(sql.contains(u("SYS.")));
    }
}

TEST_F(ScriptOutputTest, OutputGrantQueriesTheObjectAndWritesItsStatements)
{
    ScriptOption.Owner = 0;
    ScriptOption.Database = 1;
    TMemoryScriptSink sink;
    script->ClearLog();
    form->OutputGrant(u("SalesDB"), u("dbo"), u("Orders"), sink, false);
    EXPECT_EQ(sink.Text, u("GRANT SELECT ON [dbo].[Orders] TO [clerk] WITH GRANT OPTION\r\ngo\r\n"));
    ASSERT_FALSE(script->Log().isEmpty());
    const TScriptEntry last = script->Log().last();
    // The "use" line goes ahead of the parameterised query.
    EXPECT_TRUE(last.text.trimmed().startsWith(u("select d.name as GRANTEE"))) << last.text.toStdString();
    EXPECT_TRUE(script->Statements().contains(u("use [SalesDB]"))) << script->LogLines().join(u("\n")).toStdString();
    EXPECT_TRUE(last.params.contains(u("N'dbo'")) && last.params.contains(u("N'Orders'")));
}

// --- Name tables ------------------------------------------------------------------------------

TEST(NameTable, SplitAndQualify)
{
    BareNames bare;
    const struct
    {
        const char *line;
        const char *db, *schema, *table;
        bool known;
    } cases[] = {
        {"t", "cur", "def", "t", true},
        {"s.t", "cur", "s", "t", true},
        {"d.s.t", "d", "s", "t", true},
        {"a.b.c.d", "cur", "def", "d", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        const TNameTableParts p = SplitNameTable(u(c.line), u("cur"), u("def"));
        EXPECT_EQ(p.Database, u(c.db));
        EXPECT_EQ(p.Schema, u(c.schema));
        EXPECT_EQ(p.Table, u(c.table));
        EXPECT_EQ(p.SchemaKnown, c.known);
    }
    EXPECT_EQ(QualifiedNameTable(u("名前 表"), u("SalesDB"), u("dbo")), u("SalesDB.dbo.[名前 表]"));
    EXPECT_EQ(QualifiedNameTable(u("x.y]z"), u("SalesDB"), u("dbo")), u("SalesDB.x.[y]]z]"));
    EXPECT_EQ(QualifiedNameTable(u(" "), u("SalesDB"), u("dbo")), QString());
}

// --- The files of a run -----------------------------------------------------------------------

TEST_F(ScriptOutputTest, FileLayout)
{
    const struct
    {
        const char *label;
        bool oneScript, dir;
        int tree;
        bool grant;
        int grantMode;
        QStringList files;
    } cases[] = {
        {"flat", false, false, 0, false, 0, {"Orders.IX_Date.SQL", "Orders.SQL", "Staff.SQL"}},
        {"flat, privileges inside", false, false, 0, true, 0, {"Orders.IX_Date.SQL", "Orders.SQL", "Staff.SQL"}},
        {"databases first",
         false,
         true,
         0,
         false,
         0,
         {"SalesDB/dbo/INDEX/Orders.IX_Date.SQL", "SalesDB/dbo/TABLE/Orders.SQL", "SalesDB/sales/TABLE/Staff.SQL"}},
        {"kinds first",
         false,
         true,
         1,
         false,
         0,
         {"INDEX/SalesDB/dbo/Orders.IX_Date.SQL", "TABLE/SalesDB/dbo/Orders.SQL", "TABLE/SalesDB/sales/Staff.SQL"}},
        {"privilege folder, databases first",
         false,
         false,
         0,
         true,
         1,
         {"Orders.IX_Date.SQL", "Orders.SQL", "SalesDB/dbo/GRANT/Orders.IX_Date.SQL", "SalesDB/dbo/GRANT/Orders.SQL",
          "SalesDB/sales/GRANT/Staff.SQL", "Staff.SQL"}},
        {"privilege folder, kinds first",
         false,
         false,
         1,
         true,
         1,
         {"GRANT/SalesDB/dbo/Orders.IX_Date.SQL", "GRANT/SalesDB/dbo/Orders.SQL", "GRANT/SalesDB/sales/Staff.SQL",
          "Orders.IX_Date.SQL", "Orders.SQL", "Staff.SQL"}},
        {"privilege file", false, false, 0, true, 2, {"Orders.IX_Date.SQL", "Orders.SQL", "Staff.SQL", "_GRANT.SQL"}},
        {"privilege file per schema",
         false,
         true,
         0,
         true,
         2,
         {"SalesDB/dbo/INDEX/Orders.IX_Date.SQL", "SalesDB/dbo/TABLE/Orders.SQL", "SalesDB/dbo/_GRANT.SQL",
          "SalesDB/sales/TABLE/Staff.SQL", "SalesDB/sales/_GRANT.SQL"}},
        {"privilege file per kind",
         false,
         true,
         1,
         true,
         2,
         {"INDEX/SalesDB/dbo/Orders.IX_Date.SQL", "INDEX/_GRANT.SQL", "TABLE/SalesDB/dbo/Orders.SQL",
          "TABLE/SalesDB/sales/Staff.SQL", "TABLE/_GRANT.SQL"}},
        {"one file", true, false, 0, true, 2, {"all.sql"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        QTemporaryDir run;
        P = run.path() + QLatin1Char('/');
        ScriptOption.OneScript = c.oneScript;
        ScriptOption.Dir = c.dir;
        ScriptOption.Grant = c.grant;
        ScriptOption.GrantMode = c.grantMode;
        zkOption.TreeSort = c.tree;
        listDemo();
        const TScriptRunResult result = form->RunScriptOutput(c.oneScript ? P + u("all.sql") : P, {});
        EXPECT_TRUE(result.Failed.isEmpty()) << result.Failed.join(u("; ")).toStdString();
        EXPECT_EQ(result.Written, 3);
        EXPECT_EQ(FilesBelow(run.path()), c.files);
        EXPECT_EQ(form->lstObject->SelCount(), 0);
    }
}

TEST_F(ScriptOutputTest, ContentsAppendingAndSharedPrivilegeFile)
{
    ScriptOption.Grant = true;
    ScriptOption.GrantMode = 2;
    listDemo();
    form->RunScriptOutput(P, {});
    EXPECT_EQ(text(u("Orders.SQL")), u("CREATE dbo.Orders\r\n"));
    EXPECT_EQ(text(u("Orders.IX_Date.SQL")), u("CREATE dbo.IX_Date\r\n"));
    const QString grants = u("GRANT SELECT ON [Orders] TO [clerk] WITH GRANT OPTION\r\ngo\r\n"
                             "DENY INSERT ON [Staff] TO [clerk]\r\ngo\r\n");
    EXPECT_EQ(text(u("_GRANT.SQL")), grants);

    // SameName on: a second run starts every file anew.
    listDemo();
    form->RunScriptOutput(P, {});
    EXPECT_EQ(text(u("Orders.SQL")), u("CREATE dbo.Orders\r\n"));
    EXPECT_EQ(text(u("_GRANT.SQL")), grants);

    // SameName off: the first use of a file appends too.
    ScriptOption.SameName = false;
    listDemo();
    form->RunScriptOutput(P, {});
    EXPECT_EQ(text(u("Orders.SQL")), u("CREATE dbo.Orders\r\nCREATE dbo.Orders\r\n"));
    EXPECT_EQ(text(u("_GRANT.SQL")), grants + grants);

    // One file: SameName on starts it anew, and every object follows.
    ScriptOption.SameName = true;
    ScriptOption.OneScript = true;
    ScriptOption.Grant = false;
    ScriptOption.Drop = true;
    listDemo();
    form->RunScriptOutput(P + u("all.sql"), {});
    EXPECT_EQ(text(u("all.sql")), u("DROP dbo.Orders\r\nCREATE dbo.Orders\r\nDROP dbo.IX_Date\r\nCREATE dbo.IX_Date\r\n"
                                    "DROP sales.Staff\r\nCREATE sales.Staff\r\n"));
}

// Names that are no file names fail their object and nothing lands outside
// P; a name table's SCRIPT_NAME keeps its sub-folder; failed generators are
// listed.
TEST_F(ScriptOutputTest, HostileNamesNameTableAndFailures)
{
    list({{"a/b", 45, "SalesDB", "dbo", "TABLE"},
          {"..", 45, "SalesDB", "dbo", "TABLE"},
          {"Orders", 45, "SalesDB", "dbo", "TABLE"},
          {"Staff", 45, "SalesDB", "sales", "TABLE"},
          {"v", 47, "SalesDB", "..", "VIEW"}});
    ScriptOption.Dir = true;
    TScriptRunResult result = form->RunScriptOutput(P, u("SalesDB.dbo.scriptnames"));
    EXPECT_EQ(FilesBelow(dir.path()), (QStringList{u("SalesDB/dbo/TABLE/ab.SQL"), u("SalesDB/dbo/TABLE/sub/t.sql")}));
    ASSERT_EQ(result.Failed.size(), 3) << result.Failed.join(u("; ")).toStdString();
    EXPECT_TRUE(result.Failed.at(0).startsWith(u("SalesDB.dbo...: ")));
    EXPECT_TRUE(result.Failed.at(1).startsWith(u("SalesDB.sales.Staff: ")));
    EXPECT_TRUE(result.Failed.at(2).startsWith(u("SalesDB....v: ")));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());

    RegisterScriptGenerator(u("TfrmTable"), [](TfrmObject *, const TScriptRequest &, const TScriptOption &,
                                               TScriptSink &) { throw Exception(u("権限がありません。")); });
    ScriptOption.Dir = false;
    list({{"Orders", 45, "SalesDB", "dbo", "TABLE"}});
    result = form->RunScriptOutput(P, {});
    EXPECT_EQ(result.Failed, QStringList{u("SalesDB.dbo.Orders: 権限がありません。")});
    EXPECT_EQ(result.Written, 0);
}

TEST_F(ScriptOutputTest, CommandReportsFailedObjects)
{
    RegisterScriptGenerator(u("TfrmIndex"), [](TfrmObject *, const TScriptRequest &, const TScriptOption &,
                                               TScriptSink &) { throw Exception(u("索引が見つかりません。")); });
    ScriptOption.Path = P;
    listDemo();
    QString shown;
    WhenModal([&shown](QWidget *w) {
        // The completion message comes once the dialog is gone.
        WhenModal(readMessage(shown), w);
        w->findChild<QPushButton *>(u("btnOk"))->click();
    });
    form->actScriptExecute();
    EXPECT_TRUE(shown.contains(u("次のオブジェクトは出力できませんでした。"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(u("SalesDB.dbo.IX_Date: 索引が見つかりません。"))) << shown.toStdString();
    EXPECT_EQ(FilesBelow(dir.path()), (QStringList{u("Orders.IX_Date.SQL"), u("Orders.SQL"), u("Staff.SQL")}));
}

// --- Printing ---------------------------------------------------------------------------------

// The texts recorded on every page of the print job.
QStringList printedTexts()
{
    QStringList texts;
    for (int page = 0; page < PrintData().PageCount(); ++page)
        for (const TMetafileEx::TOp &op : PrintData().Pages(page).Ops())
            if (op.Kind == TMetafileEx::okText)
                texts << op.Text;
    return texts;
}

TEST_F(ScriptOutputTest, PrintObjectScriptsPrintsEachSelectedObjectUnderItsTitle)
{
    auto backend = std::make_unique<FakePrinterBackend>();
    zkPrinter.SetBackend(std::move(backend));
    zkPrinter.Refresh();
    struct Restore
    {
        ~Restore() { zkPrinter.SetBackend(nullptr); }
    } restore;

    // The primary key's index comes with its table and is not printed.
    listDemo();
    script->ClearLog();
    form->PrintObjectScripts();
    const QStringList texts = printedTexts();
    for (const char *want : {"SalesDB.dbo.Orders", "CREATE dbo.Orders", "SalesDB.dbo.IX_Date", "CREATE dbo.IX_Date",
                             "SalesDB.sales.Staff", "CREATE sales.Staff"})
        EXPECT_TRUE(texts.contains(u(want))) << want << " in " << texts.join(u("|")).toStdString();
    EXPECT_FALSE(texts.join(u("|")).contains(u("PK_Orders")));
    // Each object starts on a page of its own, numbered from 1.
    EXPECT_EQ(PrintData().PageCount(), 3);
    EXPECT_EQ(texts.count(u("1")), 3) << texts.join(u("|")).toStdString();
    EXPECT_EQ(form->lstObject->SelCount(), 0);
    // The constraint test names the index by database, schema and name.
    QStringList probed;
    for (const TScriptEntry &e : script->Log())
        if (e.text.contains(u("sysconstraints")))
            probed << e.params;
    EXPECT_EQ(probed.size(), 2);
    EXPECT_TRUE(probed.join(u("|")).contains(u("N'SalesDB.dbo.PK_Orders'"))) << probed.join(u("|")).toStdString();

    // A failing generator: the others are printed, the failure is named.
    RegisterScriptGenerator(u("TfrmIndex"), [](TfrmObject *, const TScriptRequest &, const TScriptOption &,
                                               TScriptSink &) { throw Exception(u("索引が見つかりません。")); });
    listDemo();
    QString shown;
    WhenModal(readMessage(shown));
    form->PrintObjectScripts();
    EXPECT_TRUE(shown.contains(u("次のオブジェクトは印刷できませんでした。"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(u("SalesDB.dbo.IX_Date: 索引が見つかりません。"))) << shown.toStdString();
    EXPECT_TRUE(printedTexts().contains(u("CREATE sales.Staff")));
    EXPECT_FALSE(printedTexts().contains(u("SalesDB.dbo.IX_Date")));
}

// --- The dialog -------------------------------------------------------------------------------

TEST_F(ScriptOutputTest, DialogEnablingAndStoredValues)
{
    ScriptOption.Path = dir.path();
    ScriptOption.Insert = false;
    ScriptOption.Grant = false;
    NameTableList = {u("srv1=SalesDB.dbo.scriptnames")};
    QString path, table;
    bool checked = false;
    WhenModal([&](QWidget *w) {
        auto *one = w->findChild<QCheckBox *>(u("chkOneScript"));
        auto *dirBox = w->findChild<QCheckBox *>(u("chkDir"));
        auto *names = w->findChild<QComboBox *>(u("cmbNameTable"));
        EXPECT_EQ(w->windowTitle(), u("スクリプト出力"));
        EXPECT_EQ(w->findChild<QPushButton *>(u("btnOk"))->text(), u("開始"));
        EXPECT_EQ(names->currentText(), u("SalesDB.dbo.scriptnames"));
        EXPECT_FALSE(w->findChild<QGroupBox *>(u("rdoInsert"))->isEnabled());
        EXPECT_FALSE(w->findChild<QGroupBox *>(u("rdoGrant"))->isEnabled());
        EXPECT_TRUE(w->findChild<QPushButton *>(u("btnNameTable"))->isEnabled());
        dirBox->setChecked(true);
        one->setChecked(true);
        EXPECT_FALSE(dirBox->isChecked());
        EXPECT_FALSE(dirBox->isEnabled());
        EXPECT_FALSE(names->isEnabled());
        one->setChecked(false);
        EXPECT_TRUE(dirBox->isEnabled() && names->isEnabled());
        w->findChild<QCheckBox *>(u("chkGrant"))->setChecked(true);
        EXPECT_TRUE(w->findChild<QGroupBox *>(u("rdoGrant"))->isEnabled());
        names->setEditText(QString());
        EXPECT_FALSE(w->findChild<QPushButton *>(u("btnNameTable"))->isEnabled());
        names->setEditText(u("scriptnames"));
        checked = true;
        // The probe of the name table succeeds: the dialog closes.
        w->findChild<QPushButton *>(u("btnOk"))->click();
        if (w->isVisible())
            w->findChild<QPushButton *>(u("btnCancel"))->click();
    });
    ASSERT_TRUE(TfrmScriptOption::ShowWindow(form, path, table));
    EXPECT_TRUE(checked);
    EXPECT_EQ(path, dir.path() + u("/"));
    EXPECT_EQ(ScriptOption.Path, path);
    EXPECT_EQ(table, u("scriptnames"));
    EXPECT_TRUE(ScriptOption.Grant);
    EXPECT_EQ(NameTableList, QStringList{u("srv1=scriptnames")});
    EXPECT_EQ(QualifiedNameTable(table, form->dmSQLServer->DataBase(), form->GetCurrentSchema()),
              u("SalesDB.dbo.scriptnames"));
}

TEST_F(ScriptOutputTest, BadNameTableKeepsTheDialogOpen)
{
    ScriptOption.Path = dir.path();
    NameTableList = {u("srv1=nosuch")};
    QString shown;
    bool stillOpen = false;
    WhenModal([&](QWidget *w) {
        WhenModal(readMessage(shown), w);
        w->findChild<QPushButton *>(u("btnOk"))->click();
        stillOpen = w->isVisible();
        w->findChild<QPushButton *>(u("btnCancel"))->click();
    });
    QString path = u("keep"), table = u("keep");
    EXPECT_FALSE(TfrmScriptOption::ShowWindow(form, path, table));
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(shown.startsWith(u("名前TBL名が無効です。"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(u("no rule matches"))) << shown.toStdString();
    EXPECT_EQ(path, u("keep"));
    EXPECT_EQ(table, u("keep"));
}

TEST_F(ScriptOutputTest, OptionsFormAndFileDialogs)
{
    ScriptOption.OneScript = true;
    ScriptOption.Path = dir.path() + u("/out");
    WhenModal([&](QWidget *w) {
        EXPECT_EQ(w->windowTitle(), u("スクリプト出力オプション"));
        EXPECT_EQ(w->findChild<QPushButton *>(u("btnOk"))->text(), u("OK"));
        EXPECT_FALSE(w->findChild<QComboBox *>(u("cmbNameTable"))->isEnabled());
        EXPECT_FALSE(w->findChild<QPushButton *>(u("btnNameTable"))->isEnabled());
        EXPECT_FALSE(w->findChild<QLabel *>(u("lblNameTable"))->isEnabled());
        // The save dialog of one-file mode: a bare name gets ".sql".
        WhenModal(
            [&](QWidget *d) {
                auto *fd = qobject_cast<QFileDialog *>(d);
                ASSERT_TRUE(fd);
                EXPECT_EQ(fd->windowTitle(), u("出力先の設定"));
                EXPECT_EQ(fd->nameFilters().last(), u("すべてのファイル(*)"));
                fd->selectFile(dir.path() + u("/bare"));
                static_cast<QDialog *>(fd)->accept();
            },
            w);
        w->findChild<QToolButton *>(u("btnDialog"))->click();
        EXPECT_EQ(w->findChild<QLineEdit *>(u("txtDir"))->text(), dir.path() + u("/bare.sql"));
        w->findChild<QPushButton *>(u("btnOk"))->click();
    });
    ASSERT_TRUE(TfrmScriptOption::ShowWindow());
    EXPECT_EQ(ScriptOption.Path, dir.path() + u("/bare.sql"));
    EXPECT_EQ(script->Statements().filter(u("SCRIPT_NAME")).size(), 0);

    // Folder mode: the picked folder ends in "/".
    ScriptOption.OneScript = false;
    QDir(dir.path()).mkdir(u("pick"));
    WhenModal([&](QWidget *w) {
        WhenModal(
            [&](QWidget *d) {
                auto *fd = qobject_cast<QFileDialog *>(d);
                ASSERT_TRUE(fd);
                EXPECT_EQ(fd->windowTitle(), u("出力先を選択して下さい。"));
                fd->selectFile(dir.path() + u("/pick"));
                static_cast<QDialog *>(fd)->accept();
            },
            w);
        w->findChild<QToolButton *>(u("btnDialog"))->click();
        w->findChild<QPushButton *>(u("btnOk"))->click();
    });
    ASSERT_TRUE(TfrmScriptOption::ShowWindow());
    EXPECT_EQ(ScriptOption.Path, dir.path() + u("/pick/"));
}
