#pragma once

// The result both grid benchmarks show: eight typed columns made in memory,
// a query open on it, and the measures they take.
#include "platform/db/dbbackend.h"
#include "platform/db/dbconnection.h"
#include "platform/db/dbquery.h"
#include "platform/db/dbsource.h"
#include "platform/db/dbtext.h"

#include <QElapsedTimer>

#include <malloc.h>
#include <unistd.h>

#include <fstream>
#include <memory>

namespace gridbench {

inline std::shared_ptr<TDBResultSet> makeResult(qint64 rows)
{
    auto r = std::make_shared<TDBResultSet>(QList<TDBColumnDef>{
        DescribeColumn("id", "int"), DescribeColumn("big", "bigint"), DescribeColumn("amount", "decimal", 0, 18, 4),
        DescribeColumn("ratio", "float"), DescribeColumn("name", "nvarchar", 40), DescribeColumn("code", "varchar", 20),
        DescribeColumn("stamp", "datetime2", 0, 0, 7), DescribeColumn("flag", "bit")});
    const qint64 base = qint64(dbtext::DaysFromCivil(2024, 1, 1)) * dbtext::TicksPerDay;
    for (qint64 i = 0; i < rows; ++i) {
        r->AppendInt(0, i + 1);
        r->AppendInt(1, 1000000000000 + 7 * i);
        r->AppendScaled(2, 1 + 12345 * i);
        if (i % 7 == 3)
            r->AppendNull(3);
        else
            r->AppendDouble(3, 0.5 + 0.25 * double(i));
        r->AppendText(4, QStringLiteral("名前 %1").arg(i));
        const QByteArray code = "C" + QByteArray::number(i);
        r->AppendLatin1(5, code.constData(), code.size());
        r->AppendTicks(6, base + i * 10000);
        r->AppendBool(7, i % 2);
        r->EndRow();
    }
    return r;
}

class ResultBackend : public TDBBackend
{
public:
    std::shared_ptr<TDBResultSet> result;
    void Connect(const TFDConnectionParams &) override {}
    void Disconnect() override {}
    TDBBatch Execute(const TDBRequest &) override
    {
        TDBBatch b;
        b.results.push_back(result);
        return b;
    }
    void Cancel() override {}
    void SetAutoCommit(bool) override {}
    QString DriverName() const override { return QStringLiteral("bench"); }
    QStringList InfoReport() const override { return {}; }
};

// A query open on a result made in memory.
struct OpenResult
{
    explicit OpenResult(qint64 rows)
    {
        auto b = std::make_unique<ResultBackend>();
        b->result = makeResult(rows);
        con.SetBackend(std::move(b));
        con.Open();
        query.SetConnection(&con);
        query.SetSilent(true);
        query.Open(QStringLiteral("select"));
        source.SetDataSet(&query);
    }
    TFDConnection con;
    TFDQuery query;
    TDataSource source;
};

inline qint64 residentBytes()
{
    malloc_trim(0);
    std::ifstream statm("/proc/self/statm");
    qint64 size = 0, resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

inline double ms(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace gridbench
