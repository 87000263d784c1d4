// Editor commands on large texts: selecting all of a 100,000-line text and
// copying it to the clipboard, searching it for a word it does not hold
// forwards from its start and backwards from its end, and commenting out a
// selection of 10,000 rows.

#include "editorcontrol/edcontrol.h"
#include "editorcontrol/programsettings.h"

#include <QApplication>
#include <QClipboard>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>

namespace {

using Clock = std::chrono::steady_clock;

// Mean time of the measured work per iteration, in milliseconds, by benchmark.
double g_copyMs = 0;
double g_searchMs = 0;
double g_commentMs = 0;

// Times one run of Work for the benchmark (manual time) and adds it to Total.
template<class F>
void timed(benchmark::State &State, double &TotalMs, F Work)
{
    const Clock::time_point start = Clock::now();
    Work();
    const std::chrono::duration<double> elapsed = Clock::now() - start;
    State.SetIterationTime(elapsed.count());
    TotalMs += elapsed.count() * 1e3;
}

const QString crlf = QStringLiteral("\r\n");

// Lines of a Japanese SQL script, 2 to 90 characters long.
QString textOfLines(int Lines)
{
    static const QString patterns[] = {
        QStringLiteral("SELECT 受注番号, 顧客名, 金額 * 1.08 AS 税込 FROM dbo.受注_%1 WHERE 番号 > %2"),
        QStringLiteral("  -- 月次集計（%1 回目）: 部門ごとに数量を合計する %2"),
        QStringLiteral("   AND 状態 IN (N'出荷済み', N'請求済み') AND 更新日 >= '2024-04-01' -- %1 %2"),
        QStringLiteral("GO"),
        QStringLiteral("\tUPDATE 在庫 SET 数量 = 数量 - %1 WHERE 品番 = N'P%2'"),
    };
    QString text;
    text.reserve(qsizetype(Lines) * 60);
    for (int i = 0; i < Lines; ++i) {
        const QString &pattern = patterns[i % 5];
        text += (pattern.contains(QLatin1String("%1")) ? pattern.arg(i % 113).arg(i) : pattern) + crlf;
    }
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
    double total = 0;
    for (auto _ : state) {
        timed(state, total, [&] {
            editor->SelectAll();
            editor->CopyToClipboard();
        });
        if (QGuiApplication::clipboard()->text().size() != editor->GetTextLen())
            state.SkipWithError("the clipboard does not hold the text");
        editor->CleanSelection();
        QApplication::processEvents();
    }
    g_copyMs = total / double(state.iterations());
}

void BM_SearchAbsentWord(benchmark::State &state)
{
    const std::unique_ptr<TEditor> editor = makeEditor(textOfLines(100000));
    const QString word = QStringLiteral("nowhere_to_be_found");
    double total = 0;
    for (auto _ : state) {
        bool found = false;
        timed(state, total, [&] {
            editor->SetRowCol(0, 0);
            found = editor->Search(word, SearchOptionBit(sfrDown));
            editor->SetRowCol(editor->ListCount(), 0);
            found = editor->Search(word, 0) || found;
        });
        if (found)
            state.SkipWithError("the word was found");
    }
    g_searchMs = total / double(state.iterations());
}

void BM_CommentOut10000Rows(benchmark::State &state)
{
    const QString text = textOfLines(20000);
    const std::unique_ptr<TEditor> editor = makeEditor(text);
    double total = 0;
    for (auto _ : state) {
        editor->CleanSelection();
        editor->Lines()->SetTextStr(text);
        editor->SetRowCol(5000, 0);
        editor->StartSelection();
        editor->SetRowCol(15000, 0);
        editor->ExtendSelection();
        QApplication::processEvents();
        timed(state, total, [&] { editor->SelCommentOut(); });
        if (!editor->ListString(5003).startsWith(QStringLiteral("--")))
            state.SkipWithError("the rows were not commented out");
        QApplication::processEvents();
    }
    g_commentMs = total / double(state.iterations());
}

BENCHMARK(BM_SelectAllAndCopy)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);
BENCHMARK(BM_SearchAbsentWord)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);
BENCHMARK(BM_CommentOut10000Rows)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("editor-commands: copy %.0f ms, search %.0f ms, comment %.0f ms\n", g_copyMs, g_searchMs, g_commentMs);
    return 0;
}
