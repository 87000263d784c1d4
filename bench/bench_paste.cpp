// Record paste and multi-record delete on an editable result: 10,000
// two-field records pasted into the middle of a result of a million
// records and of a thousand (their ratio shows whether a paste costs by the
// records pasted or by the result's size), then 10,000 selected records
// deleted. The server is the scripted backend answering the generated
// batches.
#include "controls/zkdbgrid.h"
#include "controls/zkdbgrid_edit.h"
#include "controls/zkdbgrid_inplace.h"
#include "support/scripted/scriptedbackend.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

constexpr int Pasted = 10000;

const char *const Rules = R"(
rule exact: select id, name from dbo.bench_big
  result: id int, name nvarchar(40)
  rows: 1000000 generated: seq, N'名前 {n}'

rule exact: select id, name from dbo.bench_small
  result: id int, name nvarchar(40)
  rows: 1000 generated: seq, N'名前 {n}'

rule contains: INSERT INTO [dbo].[bench]
  result: zk_rows int
  row: 1
  result: id int, name nvarchar(40)
  row: 1, N'x'

rule contains: DELETE FROM [dbo].[bench]
  result: zk_rows int
  row: 1
)";

struct Editable
{
    TFDConnection con;
    TFDQuery query;
    TDataSource source;
    TzkDBGridV grid;

    explicit Editable(const QString &sql)
    {
        con.Open();
        query.SetConnection(&con);
        query.Open(sql);
        auto table = std::make_shared<TDBEditTable>();
        table->name = QStringLiteral("[dbo].[bench]");
        for (int i = 0; i < 2; ++i) {
            TDBEditColumn c;
            c.name = query.Result()->Column(i).name;
            c.type = query.Result()->Column(i);
            c.field = i;
            table->columns << c;
        }
        table->where = {0};
        table->unique = true;
        InstallRecordWriter(query, table);
        source.SetDataSet(&query);
        grid.resize(600, 400);
        grid.SetOptions(grid.Options() + dgMultiSelect);
        grid.SetDataSource(&source);
    }
};

QString pasteText()
{
    QString text;
    for (int i = 0; i < Pasted; ++i)
        text += QStringLiteral("%1\t貼り付け %1\r\n").arg(i + 1);
    return text;
}

double pasteMs(const QString &sql)
{
    Editable e(sql);
    e.query.SetRecNo(e.query.RecordCount() / 2);
    QApplication::clipboard()->setText(pasteText());
    QElapsedTimer t;
    t.start();
    e.grid.EditPaste();
    const double ms = double(t.nsecsElapsed()) / 1e6;
    if (e.query.RecordCount() != (sql.contains("big") ? 1000000 : 1000) + Pasted + 1)
        std::fprintf(stderr, "paste: unexpected record count %lld\n", e.query.RecordCount());
    e.con.SetAutoCommit(true);
    return ms;
}

double deleteMs()
{
    Editable e(QStringLiteral("select id, name from dbo.bench_big"));
    e.query.SetRecNo(400000);
    for (int i = 0; i < Pasted; ++i) {
        e.grid.SelectedRows()->SetCurrentRowSelected(true);
        e.query.MoveBy(7);
    }
    QElapsedTimer t;
    t.start();
    e.grid.EditDelete();
    const double ms = double(t.nsecsElapsed()) / 1e6;
    if (e.query.RecordCount() != 1000000 - Pasted)
        std::fprintf(stderr, "delete: unexpected record count %lld\n", e.query.RecordCount());
    return ms;
}

double g_big = 0, g_small = 0, g_delete = 0;

void BM_PasteInto1M(benchmark::State &state)
{
    for (auto _ : state) {
        g_big = pasteMs(QStringLiteral("select id, name from dbo.bench_big"));
        state.SetIterationTime(g_big / 1000);
    }
}
BENCHMARK(BM_PasteInto1M)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_PasteInto1k(benchmark::State &state)
{
    for (auto _ : state) {
        g_small = pasteMs(QStringLiteral("select id, name from dbo.bench_small"));
        state.SetIterationTime(g_small / 1000);
    }
}
BENCHMARK(BM_PasteInto1k)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_Delete10k(benchmark::State &state)
{
    for (auto _ : state) {
        g_delete = deleteMs();
        state.SetIterationTime(g_delete / 1000);
    }
}
BENCHMARK(BM_Delete10k)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    auto script = std::make_shared<TScript>();
    QString error;
    if (!script->LoadText(QString::fromUtf8(Rules), QStringLiteral("bench_paste"), &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    TScriptedScope scope(script);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("paste: 10k into 1M %.0f ms, into 1k %.0f ms, ratio %.2f, delete 10k %.0f ms\n", g_big, g_small,
                g_small > 0 ? g_big / g_small : 0.0, g_delete);
    return 0;
}
