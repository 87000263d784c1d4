// The data grid on a result of a million rows of eight typed columns: the
// time to bind the grid and paint its first screen, to jump to the last
// record and paint, to select every record, and to copy 100,000 records;
// and the memory the grid takes beyond the result, for a million rows and
// for a thousand.
#include "controls/zkdbgrid.h"
#include "core/zkforms.h"
#include "platform/db/dbbackend.h"
#include "platform/db/dbconnection.h"
#include "platform/db/dbtext.h"
#include "platform/fonts/fontmap.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <vector>

namespace {

constexpr qint64 Rows = 1000000;
constexpr qint64 CopyRows = 100000;

std::shared_ptr<TDBResultSet> makeResult(qint64 rows)
{
    auto r = std::make_shared<TDBResultSet>(QList<TDBColumnDef>{
        DescribeColumn("id", "int"), DescribeColumn("big", "bigint"), DescribeColumn("amount", "decimal", 0, 18, 4),
        DescribeColumn("ratio", "float"), DescribeColumn("name", "nvarchar", 40), DescribeColumn("code", "varchar", 20),
        DescribeColumn("stamp", "datetime2", 0, 0, 7), DescribeColumn("flag", "bit")});
    const qint64 base = qint64(dbtext::DaysFromCivil(2024, 1, 1)) * dbtext::TicksPerDay;
    for (qint64 i = 0; i < rows; ++i) {
        r->AppendInt(0, i + 1);
        r->AppendInt(1, 1000000000000 + 7 * i);
        r->AppendScaled(2, 1 + 12345 * i);
        if (i % 7 == 3)
            r->AppendNull(3);
        else
            r->AppendDouble(3, 0.5 + 0.25 * double(i));
        r->AppendText(4, QStringLiteral("名前 %1").arg(i));
        const QByteArray code = "C" + QByteArray::number(i);
        r->AppendLatin1(5, code.constData(), code.size());
        r->AppendTicks(6, base + i * 10000);
        r->AppendBool(7, i % 2);
        r->EndRow();
    }
    return r;
}

class ResultBackend : public TDBBackend
{
public:
    std::shared_ptr<TDBResultSet> result;
    void Connect(const TFDConnectionParams &) override {}
    void Disconnect() override {}
    TDBBatch Execute(const TDBRequest &) override
    {
        TDBBatch b;
        b.results.push_back(result);
        return b;
    }
    void Cancel() override {}
    void SetAutoCommit(bool) override {}
    QString DriverName() const override { return QStringLiteral("bench"); }
    QStringList InfoReport() const override { return {}; }
};

// A query open on a result made in memory.
struct OpenResult
{
    explicit OpenResult(qint64 rows)
    {
        auto b = std::make_unique<ResultBackend>();
        b->result = makeResult(rows);
        con.SetBackend(std::move(b));
        con.Open();
        query.SetConnection(&con);
        query.SetSilent(true);
        query.Open(QStringLiteral("select"));
        source.SetDataSet(&query);
    }
    TFDConnection con;
    TFDQuery query;
    TDataSource source;
};

OpenResult *g_big = nullptr;
OpenResult *g_copy = nullptr;

qint64 residentBytes()
{
    malloc_trim(0);
    std::ifstream statm("/proc/self/statm");
    qint64 size = 0, resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

double ms(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

TzkDBGridV *newGrid()
{
    auto *grid = new TzkDBGridV;
    TzkForm::ApplyControlSettings(grid);
    grid->SetOptions(grid->Options() + dgMultiSelect);
    grid->resize(1200, 800);
    grid->show();
    QApplication::processEvents();
    return grid;
}

// Binding the grid to the open result until its first screen is painted.
double firstPaint(TzkDBGridV *grid, OpenResult *result)
{
    result->query.First();
    QElapsedTimer t;
    t.start();
    grid->SetDataSource(&result->source);
    grid->grab();
    return ms(t);
}

double jumpToEnd(TzkDBGridV *grid, OpenResult *result)
{
    result->query.First();
    grid->grab();
    QElapsedTimer t;
    t.start();
    result->query.Last();
    grid->grab();
    return ms(t);
}

double selectAll(TzkDBGridV *grid)
{
    grid->SelectedRows()->Clear();
    QElapsedTimer t;
    t.start();
    grid->SelectAllRecords();
    return ms(t);
}

double copyAll(TzkDBGridV *grid)
{
    grid->SelectAllRecords();
    QElapsedTimer t;
    t.start();
    grid->CopySelection();
    return ms(t);
}

void BM_FirstPaint(benchmark::State &state)
{
    for (auto _ : state) {
        TzkDBGridV *grid = newGrid();
        state.SetIterationTime(firstPaint(grid, g_big) / 1000);
        delete grid;
    }
}

void BM_JumpToEnd(benchmark::State &state)
{
    TzkDBGridV *grid = newGrid();
    firstPaint(grid, g_big);
    for (auto _ : state)
        state.SetIterationTime(jumpToEnd(grid, g_big) / 1000);
    delete grid;
}

void BM_SelectAllMillion(benchmark::State &state)
{
    TzkDBGridV *grid = newGrid();
    firstPaint(grid, g_big);
    for (auto _ : state)
        state.SetIterationTime(selectAll(grid) / 1000);
    delete grid;
}

void BM_Copy100k(benchmark::State &state)
{
    TzkDBGridV *grid = newGrid();
    firstPaint(grid, g_copy);
    for (auto _ : state)
        state.SetIterationTime(copyAll(grid) / 1000);
    delete grid;
}

BENCHMARK(BM_FirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_JumpToEnd)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_SelectAllMillion)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_Copy100k)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Resident growth from binding a grid to the result, painting it and
// jumping to its end; the grid is measured after a first grid warmed the
// fonts and Qt's caches.
double gridMemory(OpenResult *result)
{
    const qint64 before = residentBytes();
    TzkDBGridV *grid = newGrid();
    firstPaint(grid, result);
    jumpToEnd(grid, result);
    const qint64 after = residentBytes();
    delete grid;
    return double(after - before) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    FontMap::install();
    OpenResult big(Rows);
    OpenResult copy(CopyRows);
    OpenResult small(1000);
    g_big = &big;
    g_copy = &copy;

    {  // fonts, glyphs and Qt's own caches
        TzkDBGridV *grid = newGrid();
        firstPaint(grid, &small);
        jumpToEnd(grid, &small);
        delete grid;
    }

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::vector<double> paints, jumps, selects, copies;
    for (int round = 0; round < 5; ++round) {
        TzkDBGridV *grid = newGrid();
        paints.push_back(firstPaint(grid, &big));
        jumps.push_back(jumpToEnd(grid, &big));
        selects.push_back(selectAll(grid));
        delete grid;
        grid = newGrid();
        firstPaint(grid, &copy);
        copies.push_back(copyAll(grid));
        delete grid;
    }
    const double smallMemory = gridMemory(&small);
    const double bigMemory = gridMemory(&big);
    const qsizetype copied = QGuiApplication::clipboard()->text().size();
    std::printf("select-all of %lld records %.3f ms; copy of %lld records %.1f ms (%lld characters)\n", Rows,
                median(selects), CopyRows, median(copies), qint64(copied));
    std::printf("grid memory beyond the result: %.2f MB for 1,000 rows, %.2f MB for %lld rows\n", smallMemory,
                bigMemory, Rows);
    std::printf("grid: first paint %.1f ms, jump to end %.1f ms, grid memory %.2f MB\n", median(paints),
                median(jumps), bigMemory);
    return 0;
}
