// The editor's text model: one edit in a long text, loading and wrapping a
// large text, wrapping one very long line (which must stay linear).

#include "editorcontrol/fakeclient.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

const QString crlf = QStringLiteral("\r\n");

// SQL lines of 20 to 150 characters, some with Japanese comments, so that a
// part of them wraps at 80 cells.
QString sqlLine(int i)
{
    switch (i % 5) {
    case 0:
        return QStringLiteral("SELECT col_%1, name, amount FROM dbo.orders_%2 WHERE id = %3")
            .arg(i)
            .arg(i % 97)
            .arg(i * 7);
    case 1:
        return QStringLiteral("    -- 受注明細の集計（%1件目）：税込金額と数量を部門ごとに合計し、前年同月と比較する")
            .arg(i);
    case 2:
        return QStringLiteral(
                   "  AND o.created_at >= '2024-01-01' AND o.status IN (N'出荷済み', N'請求済み', N'入金確認済み') -- %1")
            .arg(i);
    case 3: return QStringLiteral("GO");
    default: return QStringLiteral("UPDATE t SET v = v + %1 WHERE k = N'キー%2'").arg(i % 13).arg(i);
    }
}

QString textOfLines(int lines)
{
    QString text;
    for (int i = 0; i < lines; ++i)
        text += sqlLine(i) + crlf;
    return text;
}

QString textOfSize(qsizetype chars)
{
    QString text;
    text.reserve(chars + 200);
    for (int i = 0; text.size() < chars; ++i)
        text += sqlLine(i) + crlf;
    text.truncate(chars);
    return text;
}

// One line of Latin words, Japanese text, tabs and punctuation.
QString longLine(qsizetype chars)
{
    const QString piece = QStringLiteral("select name, value from 設定表 where 区分 = N'既定値'、\t(注記)。");
    QString line;
    line.reserve(chars + piece.size());
    while (line.size() < chars)
        line += piece;
    line.truncate(chars);
    return line;
}

struct Editor
{
    Editor()
    {
        client.options.TabSpaceCount = 4;
        client.displayHeight = 1080;
        client.rowHeight = 16;
        client.visibleRows = 40;
    }
    FakeClient client;
    TEditorStrings lines{&client};
    TEditorScreenStrings &list() { return client.list(); }
};

void editInTheMiddle(benchmark::State &state, bool wrap)
{
    Editor editor;
    if (wrap)
        editor.list().SetWordWrap(true);
    editor.lines.SetTextStr(textOfLines(100000));
    const int line = 50000;
    const int row = editor.lines.LinesToRow(line);
    // The rows around the caret are computed, as painting them leaves them.
    editor.client.SetTopRow(row - 20);
    editor.list().UpdateBrackets(row - 20, false);
    const QString original = editor.lines.Get(line);
    const QString variants[2] = {original.left(10) + QLatin1Char('x') + original.mid(10) + crlf, original + crlf};
    const int rows = editor.list().LastRowOfLine(row) - row + 1;
    int i = 0;
    for (auto _ : state) {
        editor.client.SetRow(row);
        editor.client.SetCol(10);
        editor.list().ReplaceRows(row, rows, variants[i & 1]);
        ++i;
    }
    state.counters["rows"] = editor.list().Count();
}

void BM_EditWrapOff(benchmark::State &state)
{
    editInTheMiddle(state, false);
}

void BM_EditWrapOn(benchmark::State &state)
{
    editInTheMiddle(state, true);
}

void BM_Load10MB(benchmark::State &state)
{
    const QString text = textOfSize(10 * 1024 * 1024);
    Editor editor;
    for (auto _ : state)
        editor.lines.SetTextStr(text);
    state.counters["rows"] = editor.list().Count();
}

// Times switching word wrap on (the text unwrapped again between rounds).
void measureWrap(benchmark::State &state, Editor &editor)
{
    for (auto _ : state) {
        state.PauseTiming();
        editor.list().SetWordWrap(false);
        state.ResumeTiming();
        editor.list().SetWordWrap(true);
    }
    state.counters["rows"] = editor.list().Count();
}

void BM_Wrap10MB(benchmark::State &state)
{
    Editor editor;
    editor.lines.SetTextStr(textOfSize(10 * 1024 * 1024));
    measureWrap(state, editor);
}

void wrapOneLine(benchmark::State &state, qsizetype chars)
{
    Editor editor;
    TEditorWrapOption *option = editor.list().WrapOption();
    option->SetWordBreak(true);
    option->SetLeading(true);
    option->SetFollowPunctuation(true);
    editor.lines.SetTextStr(longLine(chars));
    measureWrap(state, editor);
}

void BM_WrapLine1MB(benchmark::State &state)
{
    wrapOneLine(state, 1024 * 1024);
}

void BM_WrapLine2MB(benchmark::State &state)
{
    wrapOneLine(state, 2 * 1024 * 1024);
}

BENCHMARK(BM_EditWrapOff)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EditWrapOn)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Load10MB)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Wrap10MB)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_WrapLine1MB)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_WrapLine2MB)->Unit(benchmark::kMillisecond)->Iterations(10);

// Keeps each benchmark's time per iteration (seconds) for the summary line.
class SummaryReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &reports) override
    {
        for (const Run &run : reports) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                seconds[run.benchmark_name()] =
                    run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        }
        ConsoleReporter::ReportRuns(reports);
    }
    double get(const std::string &name) const
    {
        const auto it = seconds.find(name);
        return it == seconds.end() ? 0 : it->second;
    }
    std::map<std::string, double> seconds;
};

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const double edit = std::max(reporter.get("BM_EditWrapOff"), reporter.get("BM_EditWrapOn"));
    const double wrap1 = reporter.get("BM_WrapLine1MB/iterations:10");
    const double wrap2 = reporter.get("BM_WrapLine2MB/iterations:10");
    std::printf("editor-model: edit %.1f us, load 10MB %.0f ms, wrap 1MB %.0f ms, wrap 2MB/1MB ratio %.2f\n",
                edit * 1e6, reporter.get("BM_Load10MB/iterations:5") * 1e3, wrap1 * 1e3,
                wrap1 > 0 ? wrap2 / wrap1 : 0.0);
    return 0;
}
