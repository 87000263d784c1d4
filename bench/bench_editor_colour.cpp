// Colouring of a long SQL text: typing "/*" on its first line (must cost in
// proportion to the screen, not to the text) and computing the colouring
// state of the whole text.

#include "editorcontrol/EditorFountain.h"
#include "editorcontrol/fakeclient.h"
#include "editorcontrol/sqlscheme.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

const QString crlf = QStringLiteral("\r\n");
const int lineCount = 100000;

// A script of statements, strings and line comments, some Japanese. No
// block comment closes anywhere, so a "/*" on the first line changes the
// colouring state of every row below it: the worst case for an edit.
QString scriptLine(int i)
{
    switch (i % 6) {
    case 0: return QStringLiteral("select o.id, o.amount * 1.08 as total, N'注文%1' from dbo.orders o -- 税込").arg(i);
    case 1: return QStringLiteral("  where o.status in ('open', 'it''s held') and o.no > %1").arg(i * 3);
    case 2: return QStringLiteral("update t set v = v + 1, s = 'x' where k = 0x%1 -- 集計 %2").arg(i, 0, 16).arg(i);
    case 3: return QStringLiteral("\tinsert into log_%1 values (%2, getdate(), N'処理済み')").arg(i % 17).arg(i);
    case 4: return QStringLiteral("go");
    default: return QString();
    }
}

struct Editor
{
    Editor()
    {
        client.displayHeight = 1080;
        client.rowHeight = 16; // two display heights: 135 rows
        client.parserFactory = [this] { return fountain.CreateParser(); };
        configureForSql(fountain, {QStringLiteral("select"), QStringLiteral("from"), QStringLiteral("where"),
                                   QStringLiteral("update"), QStringLiteral("insert"), QStringLiteral("into")});
        QString text;
        for (int i = 0; i < lineCount; ++i)
            text += scriptLine(i) + crlf;
        client.initBracketsFull = true;
        lines.SetTextStr(text);
        client.initBracketsFull = false;
    }
    TEditorScreenStrings &list() { return client.list(); }

    TEditorFountain fountain;
    FakeClient client;
    TEditorStrings lines{&client};
};

void editAtTop(benchmark::State &state, bool wrap)
{
    Editor editor;
    if (wrap) {
        editor.list().WrapOption()->SetWrapByte(40);
        editor.list().SetWordWrap(true);
    }
    const QString line = editor.lines.Get(0);
    const QString variants[2] = {QStringLiteral("/*") + line + crlf, line + crlf};
    int i = 0;
    int recomputed = 0;
    for (auto _ : state) {
        editor.client.SetRow(0);
        editor.client.SetCol(0);
        editor.list().ReplaceRows(0, editor.list().LastRowOfLine(0) + 1, variants[i & 1]);
        ++i;
        // The fake editor records every repaint; keep that from growing.
        recomputed = int(editor.client.invalidatedRows.size());
        editor.client.invalidatedRows.clear();
        editor.client.drawInfos.clear();
    }
    state.counters["rows"] = editor.list().Count();
    state.counters["recomputed"] = recomputed;
}

void BM_EditAtTop(benchmark::State &state)
{
    editAtTop(state, false);
}

void BM_EditAtTopWrapped(benchmark::State &state)
{
    editAtTop(state, true);
}

void BM_FullFile(benchmark::State &state)
{
    Editor editor;
    editor.client.initBracketsFull = true;
    for (auto _ : state)
        editor.list().InitBrackets();
    state.counters["rows"] = editor.list().Count();
}

BENCHMARK(BM_EditAtTop)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EditAtTopWrapped)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullFile)->Unit(benchmark::kMillisecond)->Iterations(10);

// Remembers the real time per iteration of each run, in seconds.
class TimesReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            if (!run.error_occurred && run.run_type == Run::RT_Iteration) {
                const double perUnit = benchmark::GetTimeUnitMultiplier(run.time_unit);
                times[run.run_name.function_name] = run.GetAdjustedRealTime() / perUnit;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    TimesReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const double edit = std::max(reporter.times["BM_EditAtTop"], reporter.times["BM_EditAtTopWrapped"]);
    std::printf("editor-colour: edit at top %.1f us, full file %.1f ms\n", edit * 1e6,
                reporter.times["BM_FullFile"] * 1e3);
    return 0;
}
