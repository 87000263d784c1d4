// Expanding an object-tree category of 10,000 tables served by the TDS test
// server, against the database layer's own fetch of the same rows on the
// same connection in the same run.

#include "connection/fobject.h"
#include "controls/zkcomctrls.h"
#include "core/dsqlserver.h"
#include "core/zkapp.h"
#include "core/zkforms.h"
#include "core/zksub.h"
#include "mainwindow/fmain.h"
#include "platform/db/db.h"
#include "sqlwindow/rMemo.h"
#include "tds/tdsserver.h"

#include <QDir>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int Objects = 10000;
const char *const Rules = "rule contains: from sys.objects where type in('U')\n"
                          "  result: name nvarchar(128), schema_name nvarchar(128)\n"
                          "  rows: 10000 generated: N'Table_{n}', N'dbo'\n";

TdsServer *g_server = nullptr;
TfrmMain *g_main = nullptr;
TfrmObject *g_form = nullptr;
TfraMemo *g_memo = nullptr;
double g_expandMs = 0;
double g_fetchMs = 0;

class Host : public TzkForm
{
public:
    explicit Host(QObject *owner)
        : TzkForm(owner)
    {
        auto *layout = new QVBoxLayout(this);
        memo = new TfraMemo(this);
        layout->addWidget(memo);
        resize(1000, 700);
    }
    TfraMemo *memo;
};

TzkTreeNode *tableCategory()
{
    return g_memo->trvObject->TopItem(0)->Item(0)->FindName(QStringLiteral("TABLE"), false);
}

void BM_ExpandCategory(benchmark::State &state)
{
    double total = 0;
    for (auto _ : state) {
        g_memo->BuildObjectTree();
        TzkTreeNode *tables = tableCategory();
        const Clock::time_point start = Clock::now();
        tables->Expand();
        QCoreApplication::processEvents();
        const std::chrono::duration<double> elapsed = Clock::now() - start;
        if (tables->Count() != Objects)
            state.SkipWithError("the category did not load every object");
        state.SetIterationTime(elapsed.count());
        total += elapsed.count() * 1e3;
    }
    g_expandMs = total / double(state.iterations());
}

void BM_FetchRows(benchmark::State &state)
{
    double total = 0;
    TFDQuery query;
    query.SetConnection(g_form->dmSQLServer->Connection);
    const QString sql = ObjTreeObjectListSQL(g_form->DBVer, QStringLiteral("'U'"));
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        g_form->ExecuteSQL(QStringLiteral("use SalesDB"));
        query.Open(sql);
        qint64 rows = 0;
        while (!query.Eof()) {
            benchmark::DoNotOptimize(query.Fields(1)->AsString() + u'.' + query.Fields(0)->AsString());
            ++rows;
            query.Next();
        }
        query.Close();
        const std::chrono::duration<double> elapsed = Clock::now() - start;
        if (rows != Objects)
            state.SkipWithError("not every row was fetched");
        state.SetIterationTime(elapsed.count());
        total += elapsed.count() * 1e3;
    }
    g_fetchMs = total / double(state.iterations());
}

BENCHMARK(BM_ExpandCategory)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);
BENCHMARK(BM_FetchRows)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir settings;
    qputenv("ZK_REGISTRY_ROOT", QFile::encodeName(settings.path()));
    TzkApplication app(argc, argv);
    InitializeCore();

    TdsServer server;
    QString error;
    if (!server.loadRules(QStringLiteral(ZK_SOURCE_DIR "/tests/fixtures/demo.rules"), &error)
        || !server.loadRulesText(QString::fromLatin1(Rules)) || !server.start(0, &error)) {
        std::fprintf(stderr, "objtree: the test server did not start: %s\n", qPrintable(error));
        return 1;
    }
    g_server = &server;
    auto main = std::make_unique<TfrmMain>();
    main->SetArguments({QStringLiteral("/U=bench")});
    g_main = main.get();
    g_form = new TfrmObject(main.get(), QStringLiteral("SalesDB"), QStringLiteral("sa"), QStringLiteral("pw"),
                            QStringLiteral("127.0.0.1,%1").arg(server.port()), 0xFFFFE0, false);
    auto *host = new Host(g_form);
    host->show();
    g_memo = host->memo;
    g_memo->ShowData();
    // One untimed round of each side: the first layout of the view and the
    // first run of the statement pay for what every later one reuses.
    tableCategory()->Expand();
    QCoreApplication::processEvents();
    {
        TFDQuery query;
        query.SetConnection(g_form->dmSQLServer->Connection);
        query.Open(ObjTreeObjectListSQL(g_form->DBVer, QStringLiteral("'U'")));
        query.Close();
    }

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("objtree: expand 10k %.0f ms, fetch %.0f ms, ratio %.2f\n", g_expandMs, g_fetchMs,
                g_fetchMs > 0 ? g_expandMs / g_fetchMs : 0.0);
    main.reset();
    FinalizeCore();
    return 0;
}
