#include "dummyeditor.h"

#include "editortest.h"
#include "golden.h"
#include "core/zkCommonData.h"
#include "core/zkactions.h"
#include "core/zkreg.h"
#include "core/zksub.h"
#include "core/zksub_dialogs.h"
#include "platform/encoding/textencoding.h"
#include "platform/graphics/colors.h"

#include <QFile>
#include <QPointer>
#include <QToolButton>
#include <QMdiSubWindow>
#include <QTemporaryDir>

namespace {

class ObjectEditorTest : public EditorCatalogueTest
{
protected:
    void SetUp() override
    {
        EditorCatalogueTest::SetUp();
        form = logon();
        ASSERT_TRUE(form);
        TfrmDummy::Catalogue = {QStringLiteral("SalesDB.dbo.d1"), QStringLiteral("Other.dbo.d2")};
        TfrmDummy::CompileScript.clear();
        TfrmDummy::ReadCatalogue = false;
        TfrmDummy::Log = &calls;
    }
    void TearDown() override
    {
        TfrmDummy::Log = nullptr;
        TfrmDummy::ReadCatalogue = false;
        EditorCatalogueTest::TearDown();
    }
    QList<TfrmDummy *> editors() const { return main->findChildren<TfrmDummy *>(); }
    QStringList sentTrimmed() const
    {
        QStringList sent = sentByTheWindow();
        for (QString &s : sent)
            s = s.trimmed();
        return sent;
    }

    TfrmObject *form = nullptr;
};

TEST_F(ObjectEditorTest, OpenTwiceBringsTheFirstForward)
{
    TfrmDummy *first = TfrmObjectEditor::Open<TfrmDummy>(form, "SalesDB", "dbo", "d1");
    processEvents();
    EXPECT_EQ(first->windowTitle(), QStringLiteral("ダミー - SalesDB.") + form->GetConnectInfo("dbo", "d1", true));
    EXPECT_FALSE(first->edtName->isEnabled());
    EXPECT_FALSE(first->Modified());
    const int tabs = first->TaskTabIndex();
    EXPECT_THROW(TfrmObjectEditor::Open<TfrmDummy>(form, "SalesDB", "dbo", "d1"), EAbort);
    processEvents();
    EXPECT_EQ(editors().size(), 1);
    EXPECT_EQ(first->TaskTabIndex(), tabs);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ObjectEditorTest, NewObjectCaptionAndNameField)
{
    TfrmDummy *w = TfrmObjectEditor::Open<TfrmDummy>(form, "SalesDB", "dbo", "");
    EXPECT_EQ(w->windowTitle(), QStringLiteral("ダミー - 新規"));
    EXPECT_EQ(w->GetTaskCaption(), QStringLiteral("新規"));
    EXPECT_TRUE(w->edtName->isEnabled());
    EXPECT_EQ(w->Loads, 0);
}

TEST_F(ObjectEditorTest, MissingObjectShowsTheMessageOnceAndNoWindow)
{
    EXPECT_THROW(TfrmObjectEditor::Open<TfrmDummy>(form, "SalesDB", "dbo", "gone"), EAbort);
    processEvents();
    EXPECT_EQ(messages, QStringList{QStringLiteral("オブジェクトが見つからないか、参照できませんでした。")});
    EXPECT_TRUE(editors().isEmpty());
}

// The compile road with the preview and execution windows stubbed: which
// steps run, in which order.
TEST_F(ObjectEditorTest, CompileRoad)
{
    struct Case
    {
        const char *name;
        QStringList script;
        bool previewOK;
        bool stopRun;
        QStringList calls; // after the opening load
        bool raises;
    };
    const QStringList script{QStringLiteral("ALTER DUMMY x"), QStringLiteral("go")};
    const QList<Case> cases{
        {"empty list", {}, true, false, {"message", "load"}, false},
        {"preview cancelled", script, false, false, {"preview"}, false},
        {"stopped run", script, true, true, {"preview", "before", "execute"}, true},
        {"clean run", script, true, false, {"preview", "before", "execute", "after", "load"}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TfrmDummy *w = TfrmObjectEditor::Open<TfrmDummy>(form, "SalesDB", "dbo", "d1");
        calls.clear();
        messages.clear();
        TfrmDummy::CompileScript = c.script;
        previewOK = c.previewOK;
        stopRun = c.stopRun;
        w->SetModified(true);
        if (c.raises)
            EXPECT_THROW(w->Compile(), EAbort);
        else
            w->Compile();
        EXPECT_EQ(calls, c.calls);
        if (c.script.isEmpty()) {
            EXPECT_EQ(messages, QStringList{QStringLiteral("変更箇所が見つかりませんでした。")});
        }
        delete w;
    }
}

TEST_F(ObjectEditorTest, NewObjectCompileSkipsSaveBeforeAndBecomesExisting)
{
    TfrmDummy *w = TfrmObjectEditor::Open<TfrmDummy>(form, "SalesDB", "dbo", "");
    w->edtName->setText("d1");
    TfrmDummy::CompileScript = {QStringLiteral("CREATE DUMMY x"), QStringLiteral("go")};
    // The new object's name is the editor's to take over; the dummy loads
    // the object it was opened on, so give the catalogue that one.
    TfrmDummy::Catalogue << QStringLiteral("SalesDB.dbo.");
    w->Compile();
    EXPECT_EQ(calls, (QStringList{"preview", "execute", "after", "load"}));
    EXPECT_FALSE(w->IsNew());
    EXPECT_FALSE(w->edtName->isEnabled());
}

TEST_F(ObjectEditorTest, EmptyNameIsRefusedWithTheFieldFocused)
{
    TfrmDummy *w = TfrmObjectEditor::Open<TfrmDummy>(form, "SalesDB", "dbo", "");
    TfrmDummy::CompileScript = {QStringLiteral("CREATE DUMMY x")};
    calls.clear();
    EXPECT_THROW(w->Compile(), EAbort);
    EXPECT_EQ(messages, QStringList{QStringLiteral("名前を入力して下さい。")});
    EXPECT_EQ(calls, QStringList{"message"});
}

TEST_F(ObjectEditorTest, ReloadAsksWhileModified)
{
    TfrmDummy *w = TfrmObjectEditor::Open<TfrmDummy>(form, "SalesDB", "dbo", "d1");
    w->SetModified(true);
    answers = {IDNO};
    const int loads = w->Loads;
    w->Reload();
    EXPECT_EQ(w->Loads, loads);
    EXPECT_TRUE(w->Modified());
    answers = {IDYES};
    w->Reload();
    EXPECT_EQ(w->Loads, loads + 1);
    EXPECT_FALSE(w->Modified());
    EXPECT_EQ(messages, QStringList(2, QStringLiteral("全ての変更を取り消しますか？")));
}

// The question on a change of page while Modified: Cancel keeps the page,
// No drops the changes and reloads, Yes with a failing compile stays.
TEST_F(ObjectEditorTest, TabChangeWhileModified)
{
    struct Case
    {
        const char *name;
        int answer;
        bool changes;
        bool modifiedAfter;
    };
    TfrmDummy::CompileScript = {QStringLiteral("ALTER DUMMY x"), QStringLiteral("go")};
    stopRun = true;
    for (const Case &c : {Case{"cancel", IDCANCEL, false, true}, Case{"no", IDNO, true, false},
                          Case{"yes, compile fails", IDYES, false, true}}) {
        SCOPED_TRACE(c.name);
        TfrmDummy *w = TfrmObjectEditor::Open<TfrmDummy>(form, "SalesDB", "dbo", "d1");
        w->SetModified(true);
        messages.clear();
        answers = {c.answer};
        const int loads = w->Loads;
        EXPECT_EQ(w->TabChanging(1), c.changes);
        EXPECT_EQ(w->Modified(), c.modifiedAfter);
        EXPECT_EQ(messages.value(0), QStringLiteral("情報が変更されています。コンパイルしますか？"));
        if (c.changes) {
            w->pages->setCurrentIndex(1);
            EXPECT_EQ(w->Loads, loads + 1);
            EXPECT_TRUE(w->updatesEnabled());
        }
        delete w;
    }
}

TEST_F(ObjectEditorTest, LayoutIsSavedOnlyInTheNormalState)
{
    TfrmDummy *w = TfrmObjectEditor::Open<TfrmDummy>(form, "SalesDB", "dbo", "d1");
    w->resize(420, 310);
    w->SaveWindowLayout();
    auto *frame = qobject_cast<QMdiSubWindow *>(w->parentWidget());
    ASSERT_TRUE(frame);
    frame->showMaximized();
    processEvents();
    w->resize(900, 700);
    w->SaveWindowLayout();
    TzkRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly(ZK_REG_ROOT + QStringLiteral("\\GUI\\DUMMY")));
    EXPECT_EQ(reg.GetInteger("Width", 0), 420);
    EXPECT_EQ(reg.GetInteger("Height", 0), 310);
}

// shown or script, the option Database, Azure, the object's database the
// logon one or another.
TEST(DatabaseLineTest, Cases)
{
    const QStringList use{QStringLiteral("use [db]\r\ngo")};
    struct Case
    {
        bool script;
        int option;
        bool azure;
        bool sameDb;
        bool written;
    };
    QList<Case> cases;
    for (int option = 0; option <= 3; ++option)
        for (bool azure : {false, true})
            for (bool same : {false, true}) {
                cases.append({false, option, azure, same, true});
                cases.append({true, option, azure, same, !azure && (option == 0 || (option == 1 && !same))});
            }
    for (const Case &c : cases) {
        SCOPED_TRACE(QStringLiteral("script=%1 option=%2 azure=%3 same=%4")
                         .arg(c.script)
                         .arg(c.option)
                         .arg(c.azure)
                         .arg(c.sameDb)
                         .toStdString());
        const QString logon = c.sameDb ? QStringLiteral("DB") : QStringLiteral("other");
        EXPECT_EQ(DatabaseLine("db", "db", logon, c.script, c.option, c.azure), c.written ? use : QStringList());
    }
    // Written one database, compared another (the constraint editor).
    EXPECT_EQ(DatabaseLine("db", "logon", "logon", true, 1, false), QStringList());
    EXPECT_EQ(DatabaseLine("a]b", "x", "logon", true, 1, false), QStringList{"use [a]]b]\r\ngo"});
}

class ScriptConstructorTest : public ObjectEditorTest
{
protected:
    static TScriptRequest request(const QString &name)
    {
        TScriptRequest r;
        r.Database = QStringLiteral("Other");
        r.Schema = QStringLiteral("dbo");
        r.ObjectName = name;
        return r;
    }
    QString write(const QString &name, const TScriptOption &options)
    {
        TMemoryScriptSink sink;
        TfrmObjectEditor::WriteScript<TfrmDummy>(form, request(name), options, sink);
        return sink.Text;
    }
};

TEST_F(ScriptConstructorTest, CreateDropAndMissing)
{
    TScriptOption options;
    options.Database = 1;
    options.NullLine = false;
    EXPECT_EQ(write("d2", options), QStringLiteral("use [Other]\r\ngo\r\n\r\nCREATE DUMMY [dbo].[d2]\r\n\r\ngo\r\n"));
    options.NullLine = true;
    options.Drop = true;
    options.Database = 3;
    EXPECT_EQ(write("d2", options), QStringLiteral("DROP DUMMY [dbo].[d2]\r\ngo\r\n"));
    EXPECT_EQ(write("gone", options), QString());
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(editors().isEmpty());
    // The global options are not the call's.
    ScriptOption.Drop = true;
    options.Drop = false;
    EXPECT_TRUE(write("d2", options).contains("CREATE DUMMY"));
    ScriptOption.Drop = false;
}

TEST_F(ScriptConstructorTest, FilesWithoutByteOrderMark)
{
    QTemporaryDir dir;
    TScriptOption options;
    options.Database = 3;
    options.NullLine = true;
    const QString expected = QStringLiteral("CREATE DUMMY [dbo].[d2]\r\ngo\r\n");
    for (const TEncoding *enc : {TEncoding::GetUTF8(), TEncoding::GetANSI(), TEncoding::GetUnicode()}) {
        SCOPED_TRACE(enc->Name().toStdString());
        const QString file = dir.filePath(enc->Name() + ".sql");
        {
            TFileScriptSink sink(file, false, enc);
            TfrmObjectEditor::WriteScript<TfrmDummy>(form, request("d2"), options, sink);
        }
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), enc->GetBytes(expected));
    }
}

TEST_F(ScriptConstructorTest, RegistersAsAGenerator)
{
    RegisterScriptGenerator("TfrmDummy", &TfrmObjectEditor::WriteScript<TfrmDummy>);
    TMemoryScriptSink sink;
    TScriptOption options;
    options.Database = 3;
    options.NullLine = true;
    FindScriptGenerator("TfrmDummy")(form, request("d2"), options, sink);
    RegisterScriptGenerator("TfrmDummy", {});
    EXPECT_EQ(sink.Text, QStringLiteral("CREATE DUMMY [dbo].[d2]\r\ngo\r\n"));
}

// The object's database: the load's use line goes as a batch of its own, so
// the unprefixed query after it runs there; a query outside a load puts the
// session back first.
TEST_F(ObjectEditorTest, CatalogueQueriesRunInTheObjectsDatabase)
{
    TfrmDummy::ReadCatalogue = true;
    auto sessionDatabase = [this] { return form->OpenSQL("select db_name()")->Fields(0)->AsString(); };
    ASSERT_EQ(sessionDatabase(), QStringLiteral("SalesDB"));
    script->ClearLog();
    TfrmDummy *w = TfrmObjectEditor::Open<TfrmDummy>(form, "InventoryDB", "dbo", "base_item");
    EXPECT_EQ(w->FileGroupNames, (QStringList{"PRIMARY", "FG_ARCHIVE"}));
    EXPECT_EQ(sentTrimmed(),
              (QStringList{"use [InventoryDB]",
                           "select o.name from sys.objects as o where o.name = @P1 and schema_name(o.schema_id) = @P2",
                           TfrmDummy::kFileGroups}));
    EXPECT_EQ(sessionDatabase(), QStringLiteral("InventoryDB"));

    // Another window moved the session.
    form->ExecuteSQL(QStringLiteral("use [SalesDB]"));
    script->ClearLog();
    EXPECT_EQ(w->FileGroupsNow(), (QStringList{"PRIMARY", "FG_ARCHIVE"}));
    EXPECT_EQ(sentTrimmed(), (QStringList{"use [InventoryDB]", TfrmDummy::kFileGroups}));
    EXPECT_EQ(sessionDatabase(), QStringLiteral("InventoryDB"));

    EXPECT_THROW(TfrmObjectEditor::Open<TfrmDummy>(form, "InventoryDB", "dbo", "gone"), EAbort);
    EXPECT_EQ(messages, QStringList{QStringLiteral("オブジェクトが見つからないか、参照できませんでした。")});
}

TEST_F(ObjectEditorTest, DeleteAsksThenDropsInTheObjectsDatabaseAndCloses)
{
    rules("rule regex: ^\\s*DROP DUMMY \\[dbo\\]\\.\\[d1\\]\\s*$\n  rowcount: 0\n");
    TfrmDummy *w = TfrmObjectEditor::Open<TfrmDummy>(form, "SalesDB", "dbo", "d1");
    QPointer<TfrmDummy> alive(w);
    script->ClearLog();
    answers = {IDNO};
    w->Delete();
    EXPECT_TRUE(sentByTheWindow().isEmpty());
    EXPECT_EQ(messages, QStringList{QStringLiteral("オブジェクトを削除しますか？")});

    messages.clear();
    answers = {IDYES};
    w->SetModified(true);
    w->Delete();
    processEvents();
    // The use line and the drop, each its own batch ("go" splits them).
    EXPECT_EQ(sentByTheWindow(), (QStringList{"use [SalesDB]\r\n", "DROP DUMMY [dbo].[d1]\r\n"}));
    EXPECT_EQ(messages, (QStringList{"オブジェクトを削除しますか？", "オブジェクトが削除されました。"}));
    EXPECT_TRUE(alive.isNull());

    // A new object has nothing to delete.
    TfrmDummy *fresh = TfrmObjectEditor::Open<TfrmDummy>(form, "SalesDB", "dbo", "");
    messages.clear();
    fresh->Delete();
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ObjectEditorTest, DeleteThatFailsKeepsTheWindow)
{
    rules("rule regex: ^\\s*DROP DUMMY\n  error: 3701, 1, 11, 1, Cannot drop the dummy 'd1'.\n");
    TfrmDummy *w = TfrmObjectEditor::Open<TfrmDummy>(form, "SalesDB", "dbo", "d1");
    QPointer<TfrmDummy> alive(w);
    answers = {IDYES};
    EXPECT_ANY_THROW(w->Delete());
    processEvents();
    EXPECT_FALSE(alive.isNull());
    EXPECT_EQ(messages, QStringList{QStringLiteral("オブジェクトを削除しますか？")});
}

// The four commands: enabled by the idle-time pass, run from the bar.
TEST_F(ObjectEditorTest, CommandsAndTheirBar)
{
    TfrmDummy *w = TfrmObjectEditor::Open<TfrmDummy>(form, "SalesDB", "dbo", "d1");
    processEvents();
    const QStringList names{"btnCompile", "btnDelete", "btnRollback", "btnExit"};
    for (const QString &name : names) {
        auto *button = w->findChild<QToolButton *>(name);
        ASSERT_TRUE(button) << name.toStdString();
        EXPECT_EQ(button->width(), 78);
    }
    EXPECT_EQ(w->actCompile->text(), QStringLiteral("作成(&C)"));
    EXPECT_EQ(w->actDelete->text(), QStringLiteral("削除(&D)"));
    EXPECT_EQ(w->actRefresh->text(), QStringLiteral("戻す(&R)"));
    EXPECT_EQ(w->actExit->text(), QStringLiteral("終了(&X)"));

    struct Case
    {
        const char *name;
        bool modified;
        int page;
        bool compile;
    };
    for (const Case &c :
         {Case{"unchanged", false, 0, false}, Case{"modified", true, 0, true}, Case{"source page", false, 1, true}}) {
        SCOPED_TRACE(c.name);
        w->SetModified(c.modified);
        w->SourcePage = c.page == 1;
        w->actlst->UpdateActions();
        EXPECT_EQ(w->actCompile->isEnabled(), c.compile);
        EXPECT_TRUE(w->actDelete->isEnabled());
        EXPECT_TRUE(w->actRefresh->isEnabled());
    }
    w->SetModified(false);

    // A narrow window puts the buttons on further rows.
    QWidget *bar = w->tolCmd;
    const int oneRow = bar->heightForWidth(4 * 78);
    EXPECT_GT(oneRow, 0);
    EXPECT_EQ(bar->heightForWidth(2 * 78), 2 * oneRow);
    EXPECT_EQ(bar->heightForWidth(78), 4 * oneRow);

    // Compile runs the road; exit closes.
    TfrmDummy::CompileScript = {QStringLiteral("ALTER DUMMY x"), QStringLiteral("go")};
    w->SetModified(true);
    calls.clear();
    w->btnCompile->click();
    EXPECT_EQ(calls, (QStringList{"preview", "before", "execute", "after", "load"}));
    QPointer<TfrmDummy> alive(w);
    w->btnExit->click();
    processEvents();
    EXPECT_TRUE(alive.isNull());

    TfrmDummy *fresh = TfrmObjectEditor::Open<TfrmDummy>(form, "SalesDB", "dbo", "");
    fresh->actlst->UpdateActions();
    EXPECT_FALSE(fresh->actDelete->isEnabled());
}

TEST_F(ObjectEditorTest, ColourStripInTheConnectionsColour)
{
    TfrmDummy *w = TfrmObjectEditor::Open<TfrmDummy>(form, "SalesDB", "dbo", "d1");
    ASSERT_TRUE(w->pnlPersonalColor);
    EXPECT_EQ(w->pnlPersonalColor->width(), 12);
    EXPECT_EQ(w->pnlPersonalColor->palette().color(QPalette::Window),
              ColorToQColor(ConnectionManager->GetBackgroundColor(form->MYSID)));
}

// A completion request of the source editor is answered by the window, in
// the connection's logon database, whatever database the object is in.
TEST_F(ObjectEditorTest, CodeAssistFromTheSourceEditor)
{
    TfrmDummy *w = TfrmObjectEditor::Open<TfrmDummy>(form, "Other", "dbo", "d2");
    w->txtSQL->Lines()->SetTextStr(QStringLiteral("select * from dbo."));
    w->txtSQL->SetRowCol(0, 18);
    script->ClearLog();
    try {
        emit static_cast<TEditor *>(w->txtSQL)->CodeAssist(QPoint(4, 4));
    } catch (const std::exception &) {
        // The sample catalogue does not answer completion; what was asked is the point.
    }
    const QStringList sent = sentByTheWindow();
    EXPECT_TRUE(sent.contains(QStringLiteral("use [SalesDB]"))) << sent.join(" | ").toStdString();
    EXPECT_FALSE(sent.join(QLatin1Char('\n')).contains(QStringLiteral("Other")));
}

// Each profile logs on as its server, and the builders' context carries it.
class ProfileTest
    : public EditorCatalogueTest
    , public ::testing::WithParamInterface<TEditorProfile>
{
};

TEST_P(ProfileTest, LogsOnAsItsServer)
{
    const TEditorProfile &p = GetParam();
    TfrmObject *form = logonAs(p);
    ASSERT_TRUE(form);
    TfrmDummy::Catalogue = {QStringLiteral("SalesDB.dbo.d1")};
    TfrmDummy *w = TfrmObjectEditor::Open<TfrmDummy>(form, "SalesDB", "dbo", "d1");
    const TDDLContext c = w->DDLContext();
    EXPECT_EQ(c.Dialect.DBVer, p.dbVer);
    EXPECT_EQ(c.Dialect.IsAzure, p.azure);
    // The server's own version: 12 for both Azure profiles.
    EXPECT_EQ(c.Dialect.ServerVersion(), p.azure ? 12 : p.dbVer);
    EXPECT_EQ(c.CommentOwnerType(), p.dbVer >= 9 ? QStringLiteral("schema") : QStringLiteral("user"));
    EXPECT_FALSE(c.ScriptMode);
    EXPECT_EQ(c.LogonDatabase, QStringLiteral("SalesDB"));
}

INSTANTIATE_TEST_SUITE_P(Profiles, ProfileTest, ::testing::ValuesIn(kEditorProfiles),
                         [](const ::testing::TestParamInfo<TEditorProfile> &info) { return info.param.name; });

// A builder as the editors write theirs: a function of the definition and
// the context, checked as whole statements per profile against a golden file.
struct TDummyDef
{
    QString Database;
    QString Schema;
    QString Name;
    QString Comment;
};

QString DummyCreateScript(const TDummyDef &d, const TDDLContext &c)
{
    QStringList s = c.DatabaseLine(d.Database);
    s << QStringLiteral("CREATE DUMMY ") + c.SchemaPrefix(d.Schema) + BracketCatalogName(d.Name)
             + QStringLiteral(" ON ") + c.VerStr(9, QStringLiteral("sys.objects"), QStringLiteral("dbo.sysobjects"))
             + QStringLiteral("\r\ngo");
    if (!d.Comment.isEmpty())
        s << QStringLiteral("EXEC sp_addextendedproperty N'MS_Description', N") + QuoteSQLStr(d.Comment)
                 + QStringLiteral(", N'") + c.CommentOwnerType() + QStringLiteral("', N") + QuoteSQLStr(d.Schema)
                 + QStringLiteral(", N'TABLE', N") + QuoteSQLStr(d.Name) + QStringLiteral("\r\ngo");
    return s.join(QStringLiteral("\r\n"));
}

class GoldenDDLTest
    : public EditorCatalogueTest
    , public ::testing::WithParamInterface<TEditorProfile>
{
};

TEST_P(GoldenDDLTest, WholeStatementsPerProfile)
{
    static TGoldenFile golden(QStringLiteral(ZK_SOURCE_DIR "/tests/editors/data/dummy_ddl.txt"));
    const TEditorProfile &p = GetParam();
    TfrmObject *form = logonAs(p);
    ASSERT_TRUE(form);
    TfrmDummy::Catalogue = {QStringLiteral("InventoryDB.sales.d'1")};
    TfrmDummy *w = TfrmObjectEditor::Open<TfrmDummy>(form, "InventoryDB", "sales", "d'1");
    const TDummyDef def{"InventoryDB", "sales", "d'1", "O'Neil の品目"};
    TDDLContext c = w->DDLContext();
    EXPECT_TRUE(golden.Matches(QLatin1String(p.name) + QStringLiteral("_shown"), DummyCreateScript(def, c)));
    TScriptOption options;
    options.Database = 1;
    options.Owner = 1;
    c.ScriptMode = true;
    c.Options = &options;
    EXPECT_TRUE(golden.Matches(QLatin1String(p.name) + QStringLiteral("_script"), DummyCreateScript(def, c)));
}

INSTANTIATE_TEST_SUITE_P(Profiles, GoldenDDLTest, ::testing::ValuesIn(kEditorProfiles),
                         [](const ::testing::TestParamInfo<TEditorProfile> &info) { return info.param.name; });

// Prefixes and database line of the builders' context: shown window or
// script, by the options Owner and Database.
TEST(DDLContextTest, PrefixesByModeAndOptions)
{
    TScriptOption options;
    TDDLContext c;
    c.Dialect.DBVer = 13;
    c.Options = &options;
    c.LogonDatabase = QStringLiteral("SalesDB");
    c.CurrentSchema = QStringLiteral("dbo");
    const struct
    {
        bool script;
        int option;
        bool azure;
        const char *schema; // SchemaPrefix("sales", owner "dbo")
        const char *db;     // DatabasePrefix("Other", owner "Other")
    } cases[] = {
        {false, 3, false, "[sales].", "[Other]."}, {false, 3, true, "[sales].", "[Other]."},
        {true, 0, false, "[sales].", "[Other]."},  {true, 1, false, "[sales].", "[Other]."},
        {true, 2, false, "[sales].", ""},          {true, 3, false, "", ""},
        {true, 0, true, "[sales].", ""},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(
            QStringLiteral("script=%1 option=%2 azure=%3").arg(k.script).arg(k.option).arg(k.azure).toStdString());
        c.ScriptMode = k.script;
        c.Dialect.IsAzure = k.azure;
        options.Owner = k.option;
        options.Database = k.option;
        EXPECT_EQ(c.SchemaPrefix("sales", "dbo"), QString::fromUtf8(k.schema));
        EXPECT_EQ(c.DatabasePrefix("Other", "Other"), QString::fromUtf8(k.db));
    }
    // Owner 1: the login user's schema goes without a prefix.
    c.ScriptMode = true;
    options.Owner = 1;
    EXPECT_EQ(c.SchemaPrefix("dbo"), QString());
    // The database line follows the same options; a catalogue name is
    // never taken as bracketed already.
    options.Database = 1;
    c.Dialect.IsAzure = false;
    EXPECT_EQ(c.DatabaseLine("[x]"), QStringList{"use [[x]]]\r\ngo"});
    EXPECT_EQ(c.DatabaseLine("SalesDB"), QStringList());
}

TEST(GoldenFileTest, DiffNamesTheChangedLines)
{
    EXPECT_EQ(TGoldenFile::Diff("a\r\nb\r\nc", "a\r\nB\r\nc\r\nd"), QStringLiteral("  a\n- b\n+ B\n  c\n+ d\n"));
    TGoldenFile none(QStringLiteral("/nonexistent/golden.txt"));
    if (!TGoldenFile::Updating())
        EXPECT_FALSE(none.Matches("x", "text"));
}

} // namespace
