#include "dummyeditor.h"

#include "connection/testhelpers.h"
#include "core/zkreg.h"
#include "core/zksub.h"
#include "core/zksub_dialogs.h"
#include "platform/encoding/textencoding.h"

#include <QFile>
#include <QMdiSubWindow>
#include <QTemporaryDir>

namespace {

class ObjectEditorTest : public ConnectionWindowTest
{
protected:
    void SetUp() override
    {
        ConnectionWindowTest::SetUp();
        form = logon();
        ASSERT_TRUE(form);
        TfrmDummy::Catalogue = {QStringLiteral("SalesDB.dbo.d1"), QStringLiteral("Other.dbo.d2")};
        TfrmDummy::CompileScript.clear();
        TfrmDummy::Log = &log;
        saved = EditorServices();
        auto &s = EditorServices();
        s.Message = [this](const QString &text, int) {
            messages << text;
            log << QStringLiteral("message");
            return answers.isEmpty() ? IDOK : answers.takeFirst();
        };
        s.Preview = [this](QStringList &, const QString &, const QString &, const QString &) {
            log << QStringLiteral("preview");
            return previewOK;
        };
        s.Execute = [this](TfrmObject *, const QStringList &sql) {
            log << QStringLiteral("execute");
            executed = sql;
            if (stopRun)
                throw EAbort();
        };
        s.SaveBefore = [this](TfrmObject *, const QString &, const QString &, const QString &, int) {
            log << QStringLiteral("before");
        };
        s.SaveAfter = [this](TfrmObject *, const QString &, const QString &, const QString &, int) {
            log << QStringLiteral("after");
        };
    }
    void TearDown() override
    {
        EditorServices() = saved;
        TfrmDummy::Log = nullptr;
        ConnectionWindowTest::TearDown();
    }
    QList<TfrmDummy *> editors() const { return main->findChildren<TfrmDummy *>(); }

    TfrmObject *form = nullptr;
    TEditorServices saved;
    QStringList log;
    QStringList messages;
    QList<int> answers;
    QStringList executed;
    bool previewOK = true;
    bool stopRun = false;
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
        log.clear();
        messages.clear();
        TfrmDummy::CompileScript = c.script;
        previewOK = c.previewOK;
        stopRun = c.stopRun;
        w->SetModified(true);
        if (c.raises)
            EXPECT_THROW(w->Compile(), EAbort);
        else
            w->Compile();
        EXPECT_EQ(log, c.calls);
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
    EXPECT_EQ(log, (QStringList{"preview", "execute", "after", "load"}));
    EXPECT_FALSE(w->IsNew());
    EXPECT_FALSE(w->edtName->isEnabled());
}

TEST_F(ObjectEditorTest, EmptyNameIsRefusedWithTheFieldFocused)
{
    TfrmDummy *w = TfrmObjectEditor::Open<TfrmDummy>(form, "SalesDB", "dbo", "");
    TfrmDummy::CompileScript = {QStringLiteral("CREATE DUMMY x")};
    log.clear();
    EXPECT_THROW(w->Compile(), EAbort);
    EXPECT_EQ(messages, QStringList{QStringLiteral("名前を入力して下さい。")});
    EXPECT_EQ(log, QStringList{"message"});
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

} // namespace
