// The string grid with 100,000 rows of 8 columns: filling it and painting it
// once, against the same in a QTableWidget; then taking the snapshot and
// asking whether anything changed.
#include "controls/zkgrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTableWidget>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Rows = 100000;
constexpr int Cols = 8;

QString cellText(int col, int row)
{
    return QStringLiteral("行%1 列%2").arg(row).arg(col);
}

double ms(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

double fillAndPaintGrid(TzkStringGrid **out = nullptr)
{
    QElapsedTimer t;
    t.start();
    auto *grid = new TzkStringGrid;
    grid->resize(1200, 800);
    grid->SetColCount(Cols + 1);
    grid->SetRowCount(Rows + 1);
    for (int c = 1; c <= Cols; ++c)
        grid->SetCells(c, 0, QStringLiteral("列%1").arg(c));
    for (int r = 1; r <= Rows; ++r) {
        for (int c = 1; c <= Cols; ++c)
            grid->SetCells(c, r, cellText(c, r));
    }
    grid->show();
    grid->grab();
    const double elapsed = ms(t);
    if (out)
        *out = grid;
    else
        delete grid;
    return elapsed;
}

double fillAndPaintTable()
{
    QElapsedTimer t;
    t.start();
    auto *table = new QTableWidget;
    table->resize(1200, 800);
    table->setColumnCount(Cols);
    table->setRowCount(Rows);
    QStringList headers;
    for (int c = 1; c <= Cols; ++c)
        headers << QStringLiteral("列%1").arg(c);
    table->setHorizontalHeaderLabels(headers);
    for (int r = 1; r <= Rows; ++r) {
        for (int c = 1; c <= Cols; ++c)
            table->setItem(r - 1, c - 1, new QTableWidgetItem(cellText(c, r)));
    }
    table->show();
    table->grab();
    const double elapsed = ms(t);
    delete table;
    return elapsed;
}

double saveAndAsk(TzkStringGrid *grid)
{
    QElapsedTimer t;
    t.start();
    grid->Save();
    const bool changed = grid->IsChanged();
    const double elapsed = ms(t);
    if (changed)
        std::fprintf(stderr, "stringgrid: an unchanged grid reads changed\n");
    return elapsed;
}

void BM_FillAndPaint(benchmark::State &state)
{
    for (auto _ : state)
        state.SetIterationTime(fillAndPaintGrid() / 1000);
}

void BM_FillAndPaintQTableWidget(benchmark::State &state)
{
    for (auto _ : state)
        state.SetIterationTime(fillAndPaintTable() / 1000);
}

void BM_SaveAndIsChanged(benchmark::State &state)
{
    TzkStringGrid *grid = nullptr;
    fillAndPaintGrid(&grid);
    for (auto _ : state)
        state.SetIterationTime(saveAndAsk(grid) / 1000);
    delete grid;
}

BENCHMARK(BM_FillAndPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FillAndPaintQTableWidget)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SaveAndIsChanged)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    { // fonts, glyphs and Qt's own caches
        auto *grid = new TzkStringGrid;
        grid->show();
        grid->grab();
        delete grid;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::vector<double> ours, theirs, saves;
    for (int round = 0; round < 3; ++round) {
        TzkStringGrid *grid = nullptr;
        ours.push_back(fillAndPaintGrid(&grid));
        saves.push_back(saveAndAsk(grid));
        delete grid;
        theirs.push_back(fillAndPaintTable());
    }
    const double fill = median(ours);
    std::printf("stringgrid: fill+paint %.1f ms (QTableWidget ratio %.2f), save+ischanged %.1f ms\n", fill,
                fill / median(theirs), median(saves));
    return 0;
}
