// DDL execution: a script of 10,000 batches run through the log window on
// the scripted backend, the log shown (offscreen), against the same batches
// sent one by one through the connection window with no window: the ratio
// is what the log costs per batch.
#include "connection/fddlexec.h"
#include "connection/fobject.h"
#include "core/zkoption.h"
#include "core/zksub.h"
#include "mainwindow/fmain.h"
#include "platform/rtl/exceptions.h"
#include "support/scripted/scriptedbackend.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

constexpr int Batches = 10000;

const char *const Rules = R"(
rule regex: ^\s*create table bench_\d+
  rowcount: 0
)";

TfrmObject *g_owner = nullptr;
double g_window = 0, g_alone = 0;

QStringList script()
{
    QStringList lines;
    lines.reserve(Batches * 2);
    for (int i = 0; i < Batches; ++i) {
        lines << QStringLiteral("create table bench_%1 (a int, b nvarchar(10))").arg(i);
        lines << QStringLiteral("go");
    }
    return lines;
}

void BM_DDLWindow(benchmark::State &state)
{
    const QStringList lines = script();
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        TfrmDDLExec::ShowWindow(g_owner, lines);
        g_window = double(t.nsecsElapsed()) / 1e9;
        state.SetIterationTime(g_window);
        if (TfrmDDLExec::Current() && TfrmDDLExec::Current()->LogLines().size() != Batches * 3 + 2)
            std::fprintf(stderr, "ddl: unexpected log of %lld lines\n",
                         static_cast<long long>(TfrmDDLExec::Current()->LogLines().size()));
        if (TfrmDDLExec::ErrorCount() != 0)
            std::fprintf(stderr, "ddl: %d failed batches\n", TfrmDDLExec::ErrorCount());
        if (TfrmDDLExec::Current())
            TfrmDDLExec::Current()->close();
        TfrmDDLExec::WaitProc();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}
BENCHMARK(BM_DDLWindow)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_BackendAlone(benchmark::State &state)
{
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < Batches; ++i)
            g_owner->ExecuteSQL(QStringLiteral("create table bench_%1 (a int, b nvarchar(10))\r\n").arg(i));
        g_alone = double(t.nsecsElapsed()) / 1e9;
        state.SetIterationTime(g_alone);
    }
}
BENCHMARK(BM_BackendAlone)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings of its own: the user's stay untouched.
    QTemporaryDir settings;
    qputenv("ZK_REGISTRY_ROOT", QFile::encodeName(settings.path()));
    QApplication app(argc, argv);
    InitializeCore();
    zkOption.CloseDDL = false;
    zkOption.AutoTran = false;
    auto rules = std::make_shared<TScript>();
    QString error;
    // The demo catalogue answers what the connection window asks at logon.
    if (!rules->LoadFile(QStringLiteral(ZK_SOURCE_DIR "/tests/fixtures/demo.rules"), &error)
        || !rules->LoadText(QString::fromUtf8(Rules), QStringLiteral("bench_ddl"), &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    TScriptedScope scope(rules);
    int status = 0;
    {
        TfrmMain main;
        main.SetArguments({QStringLiteral("/U=bench")});
        main.show();
        try {
            g_owner = new TfrmObject(&main, QStringLiteral("SalesDB"), QStringLiteral("zkdemo"), QStringLiteral("pw"),
                                     QStringLiteral("srv1"), clBtnFace, false);
            benchmark::Initialize(&argc, argv);
            benchmark::RunSpecifiedBenchmarks();
            benchmark::Shutdown();
        } catch (const std::exception &e) {
            std::fprintf(stderr, "ddl: %s\n", e.what());
            status = 1;
        }
    }
    FinalizeCore();
    std::printf("ddl: %d batches %.3f s, backend alone %.3f s, ratio %.2f\n", Batches, g_window, g_alone,
                g_alone > 0 ? g_window / g_alone : 0.0);
    return status;
}
