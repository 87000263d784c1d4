// The transposed data grid on a result of a million records of eight typed
// fields: the time to bind the grid and paint its first screen, to jump to
// the last record (Ctrl+End) and paint; and the memory the grid takes beyond
// the result, for a million records and for a thousand.
#include "controls/zkdbgridh.h"
#include "gridresult.h"
#include "core/zkforms.h"
#include "platform/fonts/fontmap.h"

#include <QApplication>
#include <QKeyEvent>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using namespace gridbench;

constexpr qint64 Rows = 1000000;

OpenResult *g_big = nullptr;

TzkDBGridH *newGrid()
{
    auto *grid = new TzkDBGridH;
    TzkForm::ApplyControlSettings(grid);
    grid->SetOptions(grid->Options() + dgMultiSelect);
    grid->resize(1200, 800);
    grid->show();
    QApplication::processEvents();
    return grid;
}

double firstPaint(TzkDBGridH *grid, OpenResult *result)
{
    result->query.First();
    QElapsedTimer t;
    t.start();
    grid->SetDataSource(&result->source);
    grid->grab();
    return ms(t);
}

double jumpToEnd(TzkDBGridH *grid, OpenResult *result)
{
    result->query.First();
    grid->grab();
    QElapsedTimer t;
    t.start();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
    QApplication::sendEvent(grid, &key);
    grid->grab();
    return ms(t);
}

void BM_FirstPaint(benchmark::State &state)
{
    for (auto _ : state) {
        TzkDBGridH *grid = newGrid();
        state.SetIterationTime(firstPaint(grid, g_big) / 1000);
        delete grid;
    }
}

void BM_JumpToEnd(benchmark::State &state)
{
    TzkDBGridH *grid = newGrid();
    firstPaint(grid, g_big);
    for (auto _ : state)
        state.SetIterationTime(jumpToEnd(grid, g_big) / 1000);
    delete grid;
}

BENCHMARK(BM_FirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_JumpToEnd)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Resident growth from binding a grid to the result, painting it and
// jumping to its end, after a first grid warmed the fonts and Qt's caches.
double gridMemory(OpenResult *result)
{
    const qint64 before = residentBytes();
    TzkDBGridH *grid = newGrid();
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
    OpenResult small(1000);
    g_big = &big;

    { // fonts, glyphs and Qt's own caches
        TzkDBGridH *grid = newGrid();
        firstPaint(grid, &small);
        jumpToEnd(grid, &small);
        delete grid;
    }

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::vector<double> paints, jumps;
    for (int round = 0; round < 5; ++round) {
        TzkDBGridH *grid = newGrid();
        paints.push_back(firstPaint(grid, &big));
        jumps.push_back(jumpToEnd(grid, &big));
        delete grid;
    }
    const double smallMemory = gridMemory(&small);
    const double bigMemory = gridMemory(&big);
    std::printf("grid memory beyond the result: %.2f MB for 1,000 records, %.2f MB for %lld records\n", smallMemory,
                bigMemory, Rows);
    std::printf("gridh: first paint %.1f ms, jump to end %.1f ms, grid memory %.2f MB\n", median(paints), median(jumps),
                bigMemory);
    return 0;
}
