// Opening a million rows of eight typed columns from the TDS test server
// through the database layer, against minimal ODBC fetch loops over the same
// rows in the same run, and the resident memory of the open result against
// the raw size of its values.
#include "platform/db/dbconnection.h"
#include "platform/db/dbquery.h"
#include "tds/tdsserver.h"

#include <benchmark/benchmark.h>

#include <sql.h>
#include <sqlext.h>

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>

namespace {

constexpr qint64 Rows = 1000000;
const char *const Sql = "select * from bench_rows";
const char *const Rules =
    "rule exact: select * from bench_rows\n"
    "  result: id int, big bigint, amount decimal(18,4), ratio float, name nvarchar(40), code varchar(20), "
    "stamp datetime2, flag bit\n"
    "  rows: 1000000 generated: seq, seq(1000000000000, 7), seq(0.0001, 1.2345), seq(0.5, 0.25), "
    "N'名前 {n}', 'C{n}', seq('2024-01-01 00:00:00', 0.001), seq\n";

TdsServer *g_server = nullptr;

double seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// One connection for each side, made once: the test server's connection
// threads are not what is measured.
SQLHDBC g_rawConnection = SQL_NULL_HDBC;

void rawConnect()
{
    SQLHENV env;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &g_rawConnection);
    const QByteArray cs = g_server->connectionString().toUtf8();
    if (!SQL_SUCCEEDED(SQLDriverConnect(g_rawConnection, nullptr, (SQLCHAR *)cs.constData(), SQL_NTS, nullptr, 0,
                                        nullptr, SQL_DRIVER_NOPROMPT)))
        std::abort();
}

// The shortest fetch loop an ODBC program writes: every column bound in its
// natural C type, rows fetched and touched.
qint64 rawFetch(SQLULEN rowset)
{
    SQLHSTMT st;
    SQLAllocHandle(SQL_HANDLE_STMT, g_rawConnection, &st);
    SQLSetStmtAttr(st, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(rowset), 0);
    SQLULEN fetched = 0;
    SQLSetStmtAttr(st, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
    std::vector<SQLINTEGER> id(rowset);
    std::vector<SQLBIGINT> big(rowset);
    std::vector<char> amount(rowset * 24);
    std::vector<double> ratio(rowset);
    std::vector<SQLWCHAR> name(rowset * 41);
    std::vector<char> code(rowset * 61);
    std::vector<SQL_TIMESTAMP_STRUCT> stamp(rowset);
    std::vector<unsigned char> flag(rowset);
    std::vector<SQLLEN> ind(rowset * 8);
    SQLBindCol(st, 1, SQL_C_SLONG, id.data(), 4, &ind[0]);
    SQLBindCol(st, 2, SQL_C_SBIGINT, big.data(), 8, &ind[rowset]);
    SQLBindCol(st, 3, SQL_C_CHAR, amount.data(), 24, &ind[2 * rowset]);
    SQLBindCol(st, 4, SQL_C_DOUBLE, ratio.data(), 8, &ind[3 * rowset]);
    SQLBindCol(st, 5, SQL_C_WCHAR, name.data(), 41 * 2, &ind[4 * rowset]);
    SQLBindCol(st, 6, SQL_C_CHAR, code.data(), 61, &ind[5 * rowset]);
    SQLBindCol(st, 7, SQL_C_TYPE_TIMESTAMP, stamp.data(), sizeof(SQL_TIMESTAMP_STRUCT), &ind[6 * rowset]);
    SQLBindCol(st, 8, SQL_C_BIT, flag.data(), 1, &ind[7 * rowset]);
    if (!SQL_SUCCEEDED(SQLExecDirect(st, (SQLCHAR *)Sql, SQL_NTS)))
        std::abort();
    qint64 rows = 0, sum = 0;
    while (SQL_SUCCEEDED(SQLFetch(st))) {
        for (SQLULEN r = 0; r < fetched; ++r)
            sum += id[r] + flag[r] + stamp[r].second + ind[4 * rowset + r];
        rows += qint64(fetched);
    }
    benchmark::DoNotOptimize(sum);
    while (SQLMoreResults(st) != SQL_NO_DATA) {
    }
    SQLFreeHandle(SQL_HANDLE_STMT, st);
    return rows;
}

TFDConnection *g_connection = nullptr;

void prepare(TFDConnection &con)
{
    con.Params().SetValue("Server", QStringLiteral("127.0.0.1,%1").arg(g_server->port()));
    con.Params().SetValue("User_Name", "sa");
    con.Params().SetValue("Password", "x");
    con.Open();
}

double rawRowByRow()
{
    const auto start = std::chrono::steady_clock::now();
    if (rawFetch(1) != Rows)
        std::abort();
    return seconds(start);
}

double rawRowset()
{
    const auto start = std::chrono::steady_clock::now();
    if (rawFetch(1024) != Rows)
        std::abort();
    return seconds(start);
}

double layerOpen()
{
    const auto start = std::chrono::steady_clock::now();
    TFDQuery q;
    q.SetConnection(g_connection);
    q.Open(QString::fromLatin1(Sql));
    if (q.RecordCount() != Rows)
        std::abort();
    q.Close();
    return seconds(start);
}

void BM_RawOdbcRowByRow(benchmark::State &state)
{
    for (auto _ : state)
        state.SetIterationTime(rawRowByRow());
}

void BM_RawOdbcRowset(benchmark::State &state)
{
    for (auto _ : state)
        state.SetIterationTime(rawRowset());
}

void BM_LayerOpen(benchmark::State &state)
{
    for (auto _ : state)
        state.SetIterationTime(layerOpen());
}

BENCHMARK(BM_RawOdbcRowByRow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RawOdbcRowset)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LayerOpen)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

qint64 residentBytes()
{
    malloc_trim(0);
    std::ifstream statm("/proc/self/statm");
    qint64 size = 0, resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

// The size of the values as SQL Server keeps them: int 4, bigint 8,
// decimal(18,4) 9, float 8, nvarchar 2 per character, varchar 1 per
// character, datetime2(7) 8, bit 1 byte; NULL nothing.
qint64 rawSize(const TDBResultSet &r)
{
    qint64 total = 0;
    for (qint64 p = 0; p < r.RecordCount(); ++p) {
        const TRecordId id = r.RecordId(p);
        for (int c = 0; c < r.ColumnCount(); ++c) {
            if (r.IsNull(c, id))
                continue;
            const TDBColumnDef &def = r.Column(c);
            if (def.typeName == QLatin1String("nvarchar"))
                total += 2 * r.Text(c, id).size();
            else if (def.typeName == QLatin1String("varchar"))
                total += r.Text(c, id).toLatin1().size();
            else if (def.typeName == QLatin1String("decimal"))
                total += 9;
            else if (def.typeName == QLatin1String("bit"))
                total += 1;
            else if (def.typeName == QLatin1String("int"))
                total += 4;
            else
                total += 8; // bigint, float, datetime2(7)
        }
    }
    return total;
}

} // namespace

int main(int argc, char **argv)
{
    TdsServer server;
    QString error;
    if (!server.loadRulesText(QString::fromUtf8(Rules), QStringLiteral("bench"), &error) || !server.start(0, &error)) {
        std::fprintf(stderr, "test server: %s\n", qPrintable(error));
        return 1;
    }
    g_server = &server;
    rawConnect();
    TFDConnection con;
    prepare(con);
    g_connection = &con;

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    // The time ratio from rounds that run the three side by side, so that a
    // change of the machine's load between benchmarks does not tilt it: per
    // round the layer against the faster raw loop; the median round counts.
    constexpr int Rounds = 5;
    std::vector<double> ratios;
    for (int round = 1; round <= Rounds; ++round) {
        const double rowByRow = rawRowByRow();
        const double rowset = rawRowset();
        const double layer = layerOpen();
        ratios.push_back(layer / std::min(rowByRow, rowset));
        std::printf("round %d: raw row by row %.3f s, raw rowset of 1024 %.3f s, layer %.3f s, ratio %.2f\n", round,
                    rowByRow, rowset, layer, ratios.back());
    }
    std::sort(ratios.begin(), ratios.end());
    const double timeRatio = ratios[Rounds / 2];

    // Memory: resident growth while one open result is held.
    TFDQuery q;
    q.SetConnection(&con);
    const qint64 before = residentBytes();
    q.Open(QString::fromLatin1(Sql));
    const qint64 after = residentBytes();
    const qint64 raw = rawSize(*q.Result());
    std::printf("open result of %lld rows: resident growth %.1f MB, store %.1f MB, raw values %.1f MB\n", Rows,
                (after - before) / 1e6, q.Result()->MemoryUsage() / 1e6, raw / 1e6);
    std::printf("db fetch: layer/raw time ratio %.2f, memory/raw ratio %.2f\n", timeRatio,
                double(after - before) / double(raw));
    return 0;
}
