// Script output: 1,000 selected tables written with their privileges by the
// script output run (one file, and a file per object in folders), on the
// scripted backend, against a plain loop that sends the same statements and
// writes the same texts to the same files. The ratio is what the run's
// bookkeeping costs: list visits, layout, sinks, progress.
#include "connection/fobject.h"
#include "connection/fobject_script.h"
#include "controls/zkcomctrls.h"
#include "core/dsqlserver.h"
#include "core/zkoption.h"
#include "core/zksub.h"
#include "core/zksub_files.h"
#include "mainwindow/fmain.h"
#include "platform/db/db.h"
#include "platform/encoding/textencoding.h"
#include "support/scripted/scriptedbackend.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>

namespace {

constexpr int Objects = 1000;

// Every table has one privilege.
const char *const Rules = R"(
rule contains: from sys.objects as a inner join sys.database_permissions as b
  result: GRANTEE nvarchar(128), PRIVILEGE nvarchar(60), GRANTABLE nvarchar(4), name nvarchar(128), CODE char(4)
  row: N'clerk', N'SELECT', N'YES', N'T', 'SL  '
)";

TfrmObject *g_owner = nullptr;
std::shared_ptr<TScript> g_rules;

QString tableName(int i)
{
    return QStringLiteral("受注明細_%1").arg(i, 4, 10, QLatin1Char('0'));
}

// The table generator the editors will register: a CREATE TABLE of a dozen
// columns, written in pieces as an editor writes its source lines.
void writeTable(TfrmObject *, const TScriptRequest &r, const TScriptOption &o, TScriptSink &s)
{
    if (o.Drop) {
        s.Write(QStringLiteral("drop table [%1].[%2]\r\ngo\r\n").arg(r.Schema, r.ObjectName));
        return;
    }
    s.Write(QStringLiteral("create table [%1].[%2] (\r\n").arg(r.Schema, r.ObjectName));
    for (int c = 0; c < 12; ++c)
        s.Write(QStringLiteral("    [列_%1] nvarchar(%2) null,\r\n").arg(c).arg(10 + c));
    s.Write(QStringLiteral("    constraint [PK_%1] primary key ([列_0])\r\n)\r\ngo\r\n").arg(r.ObjectName));
}

void selectAll()
{
    TzkListView *list = g_owner->lstObject;
    list->BeginUpdate();
    list->ClearItems();
    for (int i = 0; i < Objects; ++i)
        list->AddItem(tableName(i), 45,
                      {QStringLiteral("SalesDB"), QStringLiteral("dbo"), QStringLiteral("TABLE"), QString(), QString(),
                       QString()});
    list->EndUpdate();
    for (int i = 0; i < Objects; ++i)
        list->SetSelected(i, true);
}

void setMode(bool oneScript)
{
    ScriptOption.OneScript = oneScript;
    ScriptOption.Dir = true;
    ScriptOption.SameName = true;
    ScriptOption.Grant = true;
    ScriptOption.GrantMode = 0;
    ScriptOption.Drop = true;
    ScriptOption.Database = 3;
    ScriptOption.Owner = 0;
}

struct Figures
{
    double run = std::numeric_limits<double>::max();
    double plain = std::numeric_limits<double>::max();
    qsizetype runStatements = 0;
    qsizetype plainStatements = 0;
    QByteArray runBytes, plainBytes;
};
Figures g_figures[2];

QStringList filesBelow(const QString &folder)
{
    QStringList out;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(folder).relativeFilePath(it.next());
    out.sort();
    return out;
}

TScriptRequest tableRequest(const QString &name)
{
    TScriptRequest r;
    r.ObjectType = 45;
    r.Database = QStringLiteral("SalesDB");
    r.Schema = QStringLiteral("dbo");
    r.ObjectName = name;
    return r;
}

// Every file below `path`, concatenated in name order: both sides must leave
// the same bytes.
QByteArray contents(const QString &path)
{
    QByteArray all;
    const QFileInfo info(path);
    const QStringList files = info.isFile() ? QStringList{QString()} : filesBelow(path);
    for (const QString &f : files) {
        QFile file(f.isEmpty() ? path : path + QLatin1Char('/') + f);
        if (file.open(QIODevice::ReadOnly))
            all += f.toUtf8() + '\n' + file.readAll();
    }
    return all;
}

void BM_ScriptRun(benchmark::State &state)
{
    const bool oneScript = state.range(0) != 0;
    Figures &f = g_figures[oneScript];
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        const QString target = oneScript ? dir.filePath(QStringLiteral("all.sql")) : dir.path() + QLatin1Char('/');
        setMode(oneScript);
        selectAll();
        g_rules->ClearLog();
        state.ResumeTiming();
        QElapsedTimer t;
        t.start();
        const TScriptRunResult result = g_owner->RunScriptOutput(target, QString());
        const double took = double(t.nsecsElapsed()) / 1e9;
        state.SetIterationTime(took);
        f.run = std::min(f.run, took);
        f.runStatements = g_rules->Statements().size();
        if (result.Written != Objects || !result.Failed.isEmpty())
            std::fprintf(stderr, "script: %d written, %lld failed\n", result.Written,
                         static_cast<long long>(result.Failed.size()));
        f.runBytes = contents(oneScript ? target : dir.path());
    }
}
BENCHMARK(BM_ScriptRun)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("one_file")
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// The same statements and texts without the run: the generator called
// straight, the privilege query sent and its lines written, each object's
// file opened (one file: once) and written in the same encoding.
void BM_PlainLoop(benchmark::State &state)
{
    const bool oneScript = state.range(0) != 0;
    Figures &f = g_figures[oneScript];
    const TEncoding *encoding = GetFileEncoding();
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        setMode(oneScript);
        g_rules->ClearLog();
        state.ResumeTiming();
        QElapsedTimer t;
        t.start();
        QFile single(dir.filePath(QStringLiteral("all.sql")));
        if (oneScript)
            single.open(QIODevice::WriteOnly | QIODevice::Truncate);
        for (int i = 0; i < Objects; ++i) {
            const QString name = tableName(i);
            TMemoryScriptSink text;
            TScriptOption options(ScriptOption);
            options.Drop = true;
            writeTable(g_owner, tableRequest(name), options, text);
            options.Drop = false;
            writeTable(g_owner, tableRequest(name), options, text);
            TGrantContext c;
            c.DatabaseOption = ScriptOption.Database;
            c.OwnerOption = ScriptOption.Owner;
            c.Database = QStringLiteral("SalesDB");
            c.Schema = QStringLiteral("dbo");
            c.CurrentDatabase = g_owner->dmSQLServer->DataBase();
            c.DefaultSchema = g_owner->GetCurrentSchema();
            QList<TGrantRow> rows;
            TFDQuery *q =
                g_owner->OpenSQL(g_owner->Use(c.Database) + GrantQuerySQL(g_owner->DBVer, false), {c.Schema, name});
            for (; !q->Eof(); q->Next())
                rows << TGrantRow{q->Fields(0)->AsString(), q->Fields(1)->AsString(),
                                  q->Fields(2)->AsString().trimmed(), q->Fields(3)->AsString(),
                                  q->Fields(4)->AsString()};
            q->Close();
            const QStringList lines = GrantScript(c, rows);
            if (!lines.isEmpty())
                text.Write(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
            if (oneScript) {
                single.write(encoding->GetBytes(text.Text));
            } else {
                const QString folder = dir.path() + QStringLiteral("/SalesDB/dbo/TABLE/");
                QDir().mkpath(folder);
                QFile file(folder + name + QStringLiteral(".SQL"));
                file.open(QIODevice::WriteOnly | QIODevice::Truncate);
                file.write(encoding->GetBytes(text.Text));
            }
        }
        single.close();
        const double took = double(t.nsecsElapsed()) / 1e9;
        state.SetIterationTime(took);
        f.plain = std::min(f.plain, took);
        f.plainStatements = g_rules->Statements().size();
        f.plainBytes = contents(oneScript ? single.fileName() : dir.path());
    }
}
BENCHMARK(BM_PlainLoop)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("one_file")
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings of its own: the user's stay untouched.
    QTemporaryDir settings;
    qputenv("ZK_REGISTRY_ROOT", QFile::encodeName(settings.path()));
    QApplication app(argc, argv);
    InitializeCore();
    zkOption.Encoding = 2;
    zkOption.TreeSort = 0;
    g_rules = std::make_shared<TScript>();
    QString error;
    // The demo catalogue answers what the connection window asks at logon.
    if (!g_rules->LoadFile(QStringLiteral(ZK_SOURCE_DIR "/tests/fixtures/demo.rules"), &error)
        || !g_rules->LoadText(QString::fromUtf8(Rules), QStringLiteral("bench_script"), &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    TScriptedScope scope(g_rules);
    RegisterScriptGenerator(QStringLiteral("TfrmTable"), writeTable);
    int status = 0;
    {
        TfrmMain main;
        main.SetArguments({QStringLiteral("/U=bench")});
        main.show();
        try {
            g_owner = new TfrmObject(&main, QStringLiteral("SalesDB"), QStringLiteral("zkdemo"), QStringLiteral("pw"),
                                     QStringLiteral("srv1"), clBtnFace, false);
            g_owner->lstTree->OnChange = nullptr;
            benchmark::Initialize(&argc, argv);
            benchmark::RunSpecifiedBenchmarks();
            benchmark::Shutdown();
        } catch (const std::exception &e) {
            std::fprintf(stderr, "script: %s\n", e.what());
            status = 1;
        }
    }
    RegisterScriptGenerator(QStringLiteral("TfrmTable"), {});
    FinalizeCore();

    double run = 0, plain = 0;
    qsizetype statements = 0;
    for (int mode = 0; mode < 2; ++mode) {
        const Figures &f = g_figures[mode];
        const char *name = mode ? "one file" : "folders";
        if (f.runStatements != f.plainStatements)
            std::fprintf(stderr, "script (%s): the run sent %lld statements, the plain loop %lld\n", name,
                         static_cast<long long>(f.runStatements), static_cast<long long>(f.plainStatements));
        if (f.runBytes != f.plainBytes)
            std::fprintf(stderr, "script (%s): the files differ from the plain loop's\n", name);
        std::printf("script (%s): run %.1f ms, plain loop %.1f ms\n", name, f.run * 1e3, f.plain * 1e3);
        run += f.run;
        plain += f.plain;
        statements += f.runStatements;
    }
    std::printf("script: %.3f ms/object, %.1f statements/object, ratio %.2f\n", run * 1e3 / (2 * Objects),
                double(statements) / (2 * Objects), plain > 0 ? run / plain : 0.0);
    return status;
}
