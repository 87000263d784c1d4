// Editor commands on large texts: selecting all of a 100,000-line text and
// copying it to the clipboard, searching it for a word it does not hold
// forwards from its start and backwards from its end, and commenting out a
// selection of 10,000 rows.

#include "editorcontrol/edcontrol.h"
#include "editorcontrol/programsettings.h"

#include <QApplication>
#include <QClipboard>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

const QString crlf = QStringLiteral("\r\n");

QString sqlLine(int i)
{
    switch (i % 5) {
    case 0:
        return QStringLiteral("SELECT col_%1, name, amount FROM dbo.orders_%2 WHERE id = %3").arg(i).arg(i % 97).arg(i * 7);
    case 1:
        return QStringLiteral("    -- 受注明細の集計（%1件目）：税込金額と数量を部門ごとに合計する").arg(i);
    case 2:
        return QStringLiteral("  AND o.created_at >= '2024-01-01' AND o.status IN (N'出荷済み', N'請求済み') -- %1").arg(i);
    case 3:
        return QStringLiteral("GO");
    default:
        return QStringLiteral("UPDATE t SET v = v + %1 WHERE k = N'キー%2'").arg(i % 13).arg(i);
    }
}

QString textOfLines(int lines)
{
    QString text;
    for (int i = 0; i < lines; ++i)
        text += sqlLine(i) + crlf;
    return text;
}

// An editor with the program's settings, shown and focused.
std::unique_ptr<TEditor> makeEditor(const QString &Text)
{
    auto editor = std::make_unique<TEditor>();
    TEditorProp prop;
    ProgramEditorSettings(prop);
    prop.AssignTo(editor.get());
    editor->resize(1000, 700);
    editor->show();
    QApplication::setActiveWindow(editor.get());
    editor->setFocus();
    editor->Lines()->SetTextStr(Text);
    QApplication::processEvents();
    return editor;
}

void BM_SelectAllAndCopy(benchmark::State &state)
{
    const std::unique_ptr<TEditor> editor = makeEditor(textOfLines(100000));
    for (auto _ : state) {
        editor->SelectAll();
        editor->CopyToClipboard();
        state.PauseTiming();
        if (QGuiApplication::clipboard()->text().size() != editor->GetTextLen())
            state.SkipWithError("the clipboard does not hold the text");
        editor->CleanSelection();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

void BM_SearchAbsentWord(benchmark::State &state)
{
    const std::unique_ptr<TEditor> editor = makeEditor(textOfLines(100000));
    const QString word = QStringLiteral("nowhere_to_be_found");
    for (auto _ : state) {
        editor->SetRowCol(0, 0);
        const bool down = editor->Search(word, SearchOptionBit(sfrDown));
        editor->SetRowCol(editor->ListCount(), 0);
        const bool up = editor->Search(word, 0);
        if (down || up)
            state.SkipWithError("the word was found");
    }
}

void BM_CommentOut10000Rows(benchmark::State &state)
{
    const QString text = textOfLines(20000);
    const std::unique_ptr<TEditor> editor = makeEditor(text);
    for (auto _ : state) {
        state.PauseTiming();
        editor->CleanSelection();
        editor->Lines()->SetTextStr(text);
        editor->SetRowCol(5000, 0);
        editor->StartSelection();
        editor->SetRowCol(15000, 0);
        editor->ExtendSelection();
        QApplication::processEvents();
        state.ResumeTiming();
        editor->SelCommentOut();
        state.PauseTiming();
        if (!editor->ListString(5003).startsWith(QStringLiteral("--")))
            state.SkipWithError("the rows were not commented out");
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_SelectAllAndCopy)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_SearchAbsentWord)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_CommentOut10000Rows)->Unit(benchmark::kMillisecond)->Iterations(10);

// Keeps each benchmark's time per iteration (seconds) for the summary line.
class SummaryReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &reports) override
    {
        for (const Run &run : reports) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                seconds[run.benchmark_name()] = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
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
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf("editor-commands: copy %.0f ms, search %.0f ms, comment %.0f ms\n",
                reporter.get("BM_SelectAllAndCopy/iterations:10") * 1e3,
                reporter.get("BM_SearchAbsentWord/iterations:10") * 1e3,
                reporter.get("BM_CommentOut10000Rows/iterations:10") * 1e3);
    return 0;
}
