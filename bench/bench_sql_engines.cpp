// The SQL text engines on long scripts: FormatSqlText on 5,000 and 10,000
// lines (it must stay linear), ParseSqlTables in lenient mode on 100,000
// lines, and the same 10,000-line script formatted by the npm package
// sql-formatter (T-SQL dialect) for comparison.
//
// sql-formatter runs in a node child process; it is timed inside node around
// the format call only (process start, module loading and file reading are
// excluded), after two warm-up calls, as the median of five calls.

#include "core/zkoption.h"
#include "sqleditor/zksub_format.h"
#include "sqleditor/zksub_parse.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

// Statements of the kinds the editors hold, with comments, literals, joins,
// subqueries and CASE; every one ends with ";" so that sql-formatter reads
// the same script.
const char *const formatTemplates[] = {
    "SELECT o.OrderID, o.CustomerID, c.CompanyName AS Customer, o.Freight * 1.1 AS Total%1\n"
    "  FROM dbo.Orders o\n"
    "  INNER JOIN dbo.Customers c ON c.CustomerID = o.CustomerID\n"
    "  LEFT OUTER JOIN dbo.Shippers s ON s.ShipperID = o.ShipVia\n"
    " WHERE o.OrderDate >= '2020-01-01' AND o.Freight BETWEEN 10 AND 500 OR o.ShipVia IN (1, 2, 3)\n"
    " GROUP BY o.OrderID, o.CustomerID, c.CompanyName, o.Freight\n"
    "HAVING COUNT(*) > 1\n"
    " ORDER BY o.OrderID DESC;\n",
    "-- price change %1\n"
    "UPDATE dbo.Products SET UnitPrice = UnitPrice * 1.05, Note = N'値上げ %1', Counter = Counter + 1\n"
    " WHERE CategoryID = %1 AND Discontinued = 0;\n",
    "INSERT INTO dbo.Log (Msg, At, Level) VALUES ('It''s done %1', GETDATE(), 2);\n",
    "DELETE FROM dbo.Staging WHERE LoadedAt < DATEADD(day, -7, GETDATE()) AND Batch = %1;\n",
    "/* customers without orders */\n"
    "SELECT c.CustomerID, CASE WHEN c.Country = 'Japan' THEN N'国内' ELSE N'海外' END AS Area\n"
    "  FROM dbo.Customers c\n"
    " WHERE NOT EXISTS (SELECT 1 FROM dbo.Orders o WHERE o.CustomerID = c.CustomerID AND o.Freight > %1);\n",
};

// Lenient parsing stops at the first error; these statements parse cleanly
// one after another into the same lists.
const char *const parseTemplates[] = {
    "SELECT a.Col1, b.Col2 x, count(*) n\n"
    "  FROM dbo.TableA a INNER JOIN dbo.TableB%1 b ON a.Id = b.Id\n"
    " WHERE a.Flag = 1 AND b.Name = 'abc %1'\n"
    " ORDER BY a.Col1 DESC\n",
    "UPDATE dbo.TableC SET Col1 = %1, Col2 = 'x'\n"
    " WHERE Id >= 10\n",
    "DELETE FROM dbo.TableE%1\n"
    " WHERE Id = 5\n",
};

template<size_t N>
QString script(const char *const (&templates)[N], int lines)
{
    QString text;
    int count = 0;
    for (int i = 0; count < lines; ++i) {
        const QString part = QString::fromUtf8(templates[i % N]).arg(i);
        const QStringList rows = part.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const QString &row : rows) {
            if (count == lines)
                break;
            text += row;
            text += QLatin1String("\r\n");
            ++count;
        }
    }
    return text;
}

const QString &formatScript(int lines)
{
    static std::map<int, QString> scripts;
    auto it = scripts.find(lines);
    if (it == scripts.end())
        it = scripts.emplace(lines, script(formatTemplates, lines)).first;
    return it->second;
}

void BM_FormatSqlText(benchmark::State &state)
{
    const QString &text = formatScript(int(state.range(0)));
    FormatOption = TFormatOption();
    for (auto _ : state) {
        QString out = FormatSqlText(text);
        benchmark::DoNotOptimize(out);
    }
    state.SetLabel(std::to_string(state.range(0)) + " lines");
}
BENCHMARK(BM_FormatSqlText)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

int parsedTables = 0;

void BM_ParseSqlTablesLenient(benchmark::State &state)
{
    const QString text = script(parseTemplates, int(state.range(0)));
    for (auto _ : state) {
        TzkParseList columns, tables, orderItems;
        QStringList where, group, having;
        QString view;
        const TzkSQLType kind =
            ParseSqlTables(text, columns, tables, orderItems, where, group, having, QString(), view);
        benchmark::DoNotOptimize(kind);
        parsedTables = tables.Count();
    }
    state.SetLabel(std::to_string(state.range(0)) + " lines");
}
BENCHMARK(BM_ParseSqlTablesLenient)->Arg(100000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Remembers the time per iteration of each run.
class Collector : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                ms[run.benchmark_name()] = run.GetAdjustedRealTime(); // unit: milliseconds
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> ms;
};

// Milliseconds of one sql-formatter call on the script, or a negative value
// when node or the package is not there.
double sqlFormatterMs(const QString &text)
{
    const QString package = QStringLiteral(ZK_BINARY_DIR "/bench/sql-formatter/node_modules/sql-formatter");
    if (!QFileInfo::exists(package + QStringLiteral("/package.json"))) {
        std::fprintf(stderr, "sql-formatter is not installed under %s\n", qPrintable(package));
        return -1;
    }
    QTemporaryDir dir;
    QFile sql(dir.filePath(QStringLiteral("script.sql")));
    QFile js(dir.filePath(QStringLiteral("run.cjs")));
    if (!sql.open(QIODevice::WriteOnly) || !js.open(QIODevice::WriteOnly))
        return -1;
    sql.write(text.toUtf8());
    sql.close();
    js.write("const { format } = require(process.argv[2]);\n"
             "const text = require('fs').readFileSync(process.argv[3], 'utf8');\n"
             "const options = { language: 'tsql' };\n"
             "for (let i = 0; i < 2; i++) format(text, options);\n"
             "const runs = [];\n"
             "for (let i = 0; i < 5; i++) {\n"
             "  const t0 = process.hrtime.bigint();\n"
             "  format(text, options);\n"
             "  runs.push(Number(process.hrtime.bigint() - t0) / 1e6);\n"
             "}\n"
             "runs.sort((a, b) => a - b);\n"
             "console.log(runs[2].toFixed(3));\n");
    js.close();
    QProcess node;
    node.start(QStringLiteral("node"), {js.fileName(), package, sql.fileName()});
    if (!node.waitForFinished(600000) || node.exitStatus() != QProcess::NormalExit || node.exitCode() != 0) {
        std::fprintf(stderr, "sql-formatter failed: %s\n", node.readAllStandardError().constData());
        return -1;
    }
    bool ok = false;
    const double ms = QString::fromUtf8(node.readAllStandardOutput()).trimmed().toDouble(&ok);
    return ok ? ms : -1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();

    const double format5k = collector.ms["BM_FormatSqlText/5000/min_time:2.000"];
    const double format10k = collector.ms["BM_FormatSqlText/10000/min_time:2.000"];
    const double parse100k = collector.ms["BM_ParseSqlTablesLenient/100000/min_time:2.000"];
    const double theirs = sqlFormatterMs(formatScript(10000));
    std::printf("parsed tables per run: %d\n", parsedTables);
    if (theirs > 0)
        std::printf("sql-formatter 10k lines: %.1f ms (median of 5 calls inside node)\n", theirs);
    const QString ratio = theirs > 0 ? QString::number(format10k / theirs, 'f', 3) : QStringLiteral("n/a");
    std::printf("sql-engines: format 5k %.1f ms, 10k/5k ratio %.2f, parse 100k %.1f ms, vs sql-formatter ratio %s\n",
                format5k, format5k > 0 ? format10k / format5k : 0.0, parse100k, qPrintable(ratio));
    return 0;
}
