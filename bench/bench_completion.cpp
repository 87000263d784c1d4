// Completion and replacing: filtering a popup of 5,000 candidates at each
// typed key, and replacing all of 10,000 and of 20,000 occurrences in a text
// of 100,000 lines (the second shows whether the work grows with the hits
// alone).

#include "sqleditor/zkmemo.h"

#include <QApplication>
#include <QVBoxLayout>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>

namespace {

using Clock = std::chrono::steady_clock;

double g_filterMs = 0;
double g_replace10kMs = 0;
double g_replace20kMs = 0;

template<class F>
void timed(benchmark::State &State, double &TotalMs, F Work)
{
    const Clock::time_point start = Clock::now();
    Work();
    const std::chrono::duration<double> elapsed = Clock::now() - start;
    State.SetIterationTime(elapsed.count());
    TotalMs += elapsed.count() * 1e3;
}

struct Host
{
    Host()
    {
        form = std::make_unique<QWidget>();
        form->resize(1000, 700);
        auto *layout = new QVBoxLayout(form.get());
        memo = new TzkMemo(form.get());
        layout->addWidget(memo);
        form->show();
        QApplication::setActiveWindow(form.get());
        memo->setFocus();
        QApplication::processEvents();
    }
    std::unique_ptr<QWidget> form;
    TzkMemo *memo = nullptr;
};

// Answers the replace dialog once, with replace all.
struct ReplaceAllOnce : IzkSearchDialogs
{
    QString search, replace;
    bool asked = false;
    bool ExecuteSearch(QString &, TSearchOptions &, bool &, bool &) override { return false; }
    bool ExecuteReplace(QString &S, QString &R, TSearchOptions &O, bool &, bool &) override
    {
        if (asked)
            return false;
        asked = true;
        S = search;
        R = replace;
        O = SearchOptionBit(sfrDown) | SearchOptionBit(sfrReplaceAll) | SearchOptionBit(sfrMatchCase);
        return true;
    }
    void ShowNotFound(const QString &) override {}
};

void BM_FilterPerKey(benchmark::State &state)
{
    Host host;
    host.memo->Lines()->SetTextStr(QStringLiteral("select "));
    host.memo->SetRowCol(0, 7);
    auto *popup = new TzkCodeAssist(host.memo, host.form.get(), 10, 10);
    host.memo->CodeAssist = popup;
    for (int i = 0; i < 5000; ++i) {
        // Names spread over the alphabet, as a large schema's are.
        popup->CaptionList
            << QStringLiteral("%1%2_Table%3").arg(QChar(u'A' + i % 26)).arg(QChar(u'a' + i / 26 % 26)).arg(i);
        popup->SubItemList << QStringLiteral("TABLE");
        popup->ImageList.push_back(45);
    }
    popup->ShowItems();
    popup->show();
    const QString typed = QStringLiteral("Ab_T");
    double total = 0;
    int keys = 0;
    for (auto _ : state) {
        popup->SetBuffer(QString());
        popup->ShowItems();
        for (QChar c : typed) {
            timed(state, total, [&] {
                popup->SetBuffer(popup->Buffer() + c);
                popup->ShowItems();
            });
            ++keys;
        }
        if (popup->RowCount() == 0)
            state.SkipWithError("the filter left nothing");
    }
    g_filterMs = total / keys;
}

QString textWithHits(int Hits)
{
    QString text;
    text.reserve(100000 * 40);
    const int every = 100000 / Hits;
    for (int i = 0; i < 100000; ++i) {
        if (i % every == 0)
            text += QStringLiteral("select col_%1 from tbl_old where id = %1\r\n").arg(i);
        else
            text += QStringLiteral("select col_%1 from other where id = %1\r\n").arg(i);
    }
    return text;
}

void replaceAll(benchmark::State &state, int Hits, double &Result)
{
    Host host;
    const QString text = textWithHits(Hits);
    double total = 0;
    for (auto _ : state) {
        host.memo->Lines()->SetTextStr(text);
        QApplication::processEvents();
        ReplaceAllOnce dialogs;
        dialogs.search = QStringLiteral("tbl_old");
        dialogs.replace = QStringLiteral("tbl_new");
        host.memo->SetDialogs(&dialogs);
        timed(state, total, [&] { host.memo->ShowReplaceDialog(); });
        if (host.memo->Lines()->GetTextStr().count(QStringLiteral("tbl_new")) != Hits)
            state.SkipWithError("not every occurrence was replaced");
        host.memo->SetDialogs(nullptr);
    }
    Result = total / double(state.iterations());
}

void BM_ReplaceAll10k(benchmark::State &state)
{
    replaceAll(state, 10000, g_replace10kMs);
}

void BM_ReplaceAll20k(benchmark::State &state)
{
    replaceAll(state, 20000, g_replace20kMs);
}

BENCHMARK(BM_FilterPerKey)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);
BENCHMARK(BM_ReplaceAll10k)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_ReplaceAll20k)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("completion: filter per key %.2f ms, replace-all 10k %.0f ms, 20k/10k ratio %.2f\n", g_filterMs,
                g_replace10kMs, g_replace10kMs > 0 ? g_replace20kMs / g_replace10kMs : 0.0);
    return 0;
}
