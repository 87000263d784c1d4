// The data grid on a result of a million rows of eight typed columns: the
// time to bind the grid and paint its first screen, to jump to the last
// record and paint, to select every record, and to copy 100,000 records;
// and the memory the grid takes beyond the result, for a million rows and
// for a thousand.
#include "controls/zkdbgrid.h"
#include "gridresult.h"
#include "core/zkforms.h"
#include "platform/fonts/fontmap.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using namespace gridbench;

constexpr qint64 Rows = 1000000;
constexpr qint64 CopyRows = 100000;

OpenResult *g_big = nullptr;
OpenResult *g_copy = nullptr;

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

    { // fonts, glyphs and Qt's own caches
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
    std::printf("grid: first paint %.1f ms, jump to end %.1f ms, grid memory %.2f MB\n", median(paints), median(jumps),
                bigMemory);
    return 0;
}
