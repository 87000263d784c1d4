// The list view and the tree view with 100,000 items: filling the list as
// the connection window does (items with seven sub-items, then the caption
// sort) and painting it, sorting by a text and by a number column, the
// sort with half the items selected, select-all and the copy of every
// caption, the tab-separated output and the workbook output of every item,
// scrolling to the end; filling a tree with 100,000 nodes under 100 parents
// in one update, and a rebuild that keeps its expanded nodes.
#include "controls/zkcomctrls.h"
#include "platform/fonts/fontmap.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QTreeView>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int Items = 100000;

struct Row
{
    QString caption;
    QStringList subItems;
};

// Object names in a shuffled order, as catalogues return them.
const std::vector<Row> &rows()
{
    static const std::vector<Row> data = [] {
        std::vector<Row> r;
        r.reserve(Items);
        for (int i = 0; i < Items; ++i) {
            const int n = int((qint64(i) * 7919) % Items);
            r.push_back({QStringLiteral("Object_%1_%2").arg(n % 977).arg(n),
                         {QStringLiteral("SalesDB"), QStringLiteral("dbo"), QStringLiteral("TABLE"),
                          QStringLiteral("2023-04-03 10:12:%1").arg(n % 60, 2, 10, QLatin1Char('0')),
                          QString::number(n % 1000 / 100.0),
                          QStringLiteral("%1,%2").arg(n / 1000).arg(n % 1000, 3, 10, QLatin1Char('0')),
                          QStringLiteral("受注明細 %1").arg(n)}});
        }
        return r;
    }();
    return data;
}

std::unique_ptr<TzkListView> newList()
{
    auto list = std::make_unique<TzkListView>();
    list->resize(1000, 700);
    list->SetRowSelect(true);
    const char *captions[] = {"オブジェクト名", "データベース名", "所有者",   "タイプ",
                              "作成日時",       "断片化割合",     "ページ数", "コメント"};
    for (int c = 0; c < 8; ++c)
        list->AddColumn(QString::fromUtf8(captions[c]), 120, c == 5 || c == 6 ? Qt::AlignRight : Qt::AlignLeft);
    list->show();
    QApplication::processEvents();
    return list;
}

double fillAndPaint(TzkListView *list)
{
    QElapsedTimer t;
    t.start();
    list->BeginUpdate();
    for (const Row &r : rows())
        list->AddItem(r.caption, 45, r.subItems);
    list->EndUpdate();
    list->AlphaSort();
    list->ReportView()->viewport()->repaint();
    return double(t.nsecsElapsed()) / 1e6;
}

template<typename F>
double timed(F &&f)
{
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e6;
}

TzkListView *g_list = nullptr;

void BM_FillAndPaint(benchmark::State &state)
{
    for (auto _ : state) {
        auto list = newList();
        state.SetIterationTime(fillAndPaint(list.get()) / 1000);
    }
}

void BM_SortTextColumn(benchmark::State &state)
{
    for (auto _ : state)
        state.SetIterationTime(timed([] {
                                   g_list->ClickColumn(7);
                                   g_list->ReportView()->viewport()->repaint();
                               })
                               / 1000);
}

void BM_SortNumberColumn(benchmark::State &state)
{
    for (auto _ : state)
        state.SetIterationTime(timed([] {
                                   g_list->ClickColumn(6);
                                   g_list->ReportView()->viewport()->repaint();
                               })
                               / 1000);
}

void BM_SortHalfSelected(benchmark::State &state)
{
    g_list->ClearSelection();
    for (int i = 0; i < Items; i += 2)
        g_list->SetSelected(i, true);
    for (auto _ : state)
        state.SetIterationTime(timed([] { g_list->ClickColumn(0); }) / 1000);
    g_list->ClearSelection();
}

void BM_SelectAllAndCopy(benchmark::State &state)
{
    for (auto _ : state)
        state.SetIterationTime(timed([] {
                                   g_list->SelectAll();
                                   g_list->CopySelection();
                               })
                               / 1000);
}

void BM_DelimitedOutput(benchmark::State &state)
{
    for (auto _ : state)
        state.SetIterationTime(
            timed([] { benchmark::DoNotOptimize(g_list->OutputText(true, QLatin1Char('\t'), false)); }) / 1000);
}

void BM_WorkbookOutput(benchmark::State &state)
{
    QTemporaryDir dir;
    for (auto _ : state)
        state.SetIterationTime(
            timed([&] { g_list->OutputToExcelFile(dir.filePath(QStringLiteral("list.xlsx")), true, false); }) / 1000);
}

void BM_ScrollToEnd(benchmark::State &state)
{
    for (auto _ : state) {
        g_list->ReportView()->scrollToTop();
        QApplication::processEvents();
        state.SetIterationTime(timed([] {
                                   g_list->MakeVisible(Items - 1);
                                   g_list->ReportView()->viewport()->repaint();
                               })
                               / 1000);
    }
}

void BM_TreeFill(benchmark::State &state)
{
    for (auto _ : state) {
        TzkTreeView tree;
        tree.resize(400, 700);
        tree.show();
        QApplication::processEvents();
        state.SetIterationTime(timed([&] {
                                   tree.BeginUpdate();
                                   for (int p = 0; p < 100; ++p) {
                                       TzkTreeNode *parent = tree.AddChild(nullptr, QStringLiteral("DB%1").arg(p), 1);
                                       for (int i = 0; i < Items / 100; ++i)
                                           tree.AddChild(parent, rows()[size_t(p * 1000 + i)].caption, 45);
                                       if (p % 2 == 0)
                                           parent->SetExpanded(true);
                                   }
                                   tree.EndUpdate();
                                   tree.SetSelected(tree.TopItem(50)->Item(500));
                                   tree.viewport()->repaint();
                               })
                               / 1000);
    }
}

void BM_TreeRebuildKeepsExpansion(benchmark::State &state)
{
    TzkTreeView tree;
    tree.resize(400, 700);
    tree.show();
    for (int p = 0; p < 100; ++p) {
        TzkTreeNode *parent = tree.AddChild(nullptr, QStringLiteral("DB%1").arg(p), 1);
        for (int i = 0; i < Items / 100; ++i)
            tree.AddChild(parent, rows()[size_t(p * 1000 + i)].caption, 45);
        parent->SetExpanded(true);
    }
    QApplication::processEvents();
    for (auto _ : state)
        state.SetIterationTime(timed([&] {
                                   tree.BeginUpdate();
                                   tree.AddChild(tree.TopItem(0), QStringLiteral("new"), 45);
                                   tree.EndUpdate();
                                   tree.viewport()->repaint();
                               })
                               / 1000);
}

BENCHMARK(BM_FillAndPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SortTextColumn)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(6);
BENCHMARK(BM_SortNumberColumn)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(6);
BENCHMARK(BM_SortHalfSelected)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(4);
BENCHMARK(BM_SelectAllAndCopy)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_DelimitedOutput)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_WorkbookOutput)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ScrollToEnd)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_TreeFill)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_TreeRebuildKeepsExpansion)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    FontMap::install();
    rows();
    auto list = newList();
    fillAndPaint(list.get());
    g_list = list.get();

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
