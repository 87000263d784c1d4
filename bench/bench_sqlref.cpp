// The reference window's search rebuild on a generated reference of 3,000
// entries with three references each, against a plain contains() over every
// entry's text with its whole reference closure concatenated.

#include "mainwindow/ftmplate.h"

#include <QCoreApplication>
#include <QStringList>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>

namespace {

constexpr int kEntries = 3000;
constexpr int kGroup = 10; // references stay inside a group of ten entries
const QString kWord = QStringLiteral("NEEDLE");

QStringList g_lines;
TTplIndex g_index;
double g_rebuildMs = 0;
double g_baselineMs = 0;
int g_kept = 0;
int g_baselineKept = 0;

void generate()
{
    for (int i = 0; i < kEntries; ++i) {
        if (i % 100 == 0)
            g_lines.append(QStringLiteral("%%%カテゴリ %1").arg(i / 100));
        g_lines.append(QStringLiteral("【 ENTRY %1 】構文").arg(i));
        g_lines.append(QStringLiteral("SELECT column_%1, other_column FROM dbo.table_%1").arg(i));
        g_lines.append(QStringLiteral("WHERE id = %1 AND name LIKE N'abc%'").arg(i));
        const int base = i - i % kGroup;
        QString refs = QStringLiteral("参照:");
        for (int r = 1; r <= 3; ++r)
            refs += QStringLiteral(" <entry %1>").arg(base + (i + r) % kGroup);
        g_lines.append(refs);
        if (i % kGroup == kGroup - 1 && i % 100 == 99)
            g_lines.append(QStringLiteral("-- ") + kWord);
    }
}

using Clock = std::chrono::steady_clock;

void BM_SearchRebuild(benchmark::State &state)
{
    double total = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        const QVector<TTplNode> tree = BuildTplTree(g_lines, g_index, kWord);
        const std::chrono::duration<double> elapsed = Clock::now() - start;
        g_kept = 0;
        for (const TTplNode &n : tree)
            g_kept += int(n.Entries.size());
        benchmark::DoNotOptimize(tree);
        total += elapsed.count() * 1000;
        state.SetIterationTime(elapsed.count());
    }
    g_rebuildMs = total / double(state.iterations());
}

void BM_Baseline(benchmark::State &state)
{
    double total = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        int kept = 0;
        for (int item = 0; item < g_index.Count(); ++item) {
            QString text;
            for (int entry : CollectTplEntries(g_lines, g_index, item)) {
                int i = g_index.Line(entry);
                text += g_lines[i] + QStringLiteral("\r\n");
                for (++i; i < g_lines.size() && !IsTplHeader(g_lines[i]) && !IsTplCategory(g_lines[i]); ++i)
                    text += g_lines[i] + QStringLiteral("\r\n");
            }
            kept += text.contains(kWord) ? 1 : 0;
        }
        const std::chrono::duration<double> elapsed = Clock::now() - start;
        g_baselineKept = kept;
        total += elapsed.count() * 1000;
        state.SetIterationTime(elapsed.count());
    }
    g_baselineMs = total / double(state.iterations());
}

BENCHMARK(BM_SearchRebuild)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);
BENCHMARK(BM_Baseline)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    generate();
    g_index.Build(g_lines);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g_kept != g_baselineKept)
        std::fprintf(stderr, "sqlref: the rebuild kept %d entries, the baseline %d\n", g_kept, g_baselineKept);
    std::printf("sqlref: rebuild %.1f ms, baseline %.1f ms, ratio %.2f\n", g_rebuildMs, g_baselineMs,
                g_baselineMs > 0 ? g_rebuildMs / g_baselineMs : 0.0);
    return 0;
}
