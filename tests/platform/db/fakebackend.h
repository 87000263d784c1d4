#pragma once

#include "platform/db/dbbackend.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

// A backend answering from a function, for tests of the connection and
// query logic without a server. A statement containing "waitfor" blocks
// until cancelled (or ten seconds pass).
class FakeBackend : public TDBBackend
{
public:
    std::function<TDBBatch(const TDBRequest &)> answer;
    bool failConnect = false;
    int connects = 0;
    int disconnects = 0;

    QList<TDBRequest> requests() const
    {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }
    QStringList sqlTexts() const
    {
        QStringList list;
        for (const TDBRequest &r : requests())
            list << r.sql;
        return list;
    }

    void Connect(const TFDConnectionParams &) override
    {
        ++connects;
        if (failConnect)
            throw EDBError(TDBErrorKind::Driver, QStringLiteral("logon refused"));
    }
    void Disconnect() override { ++disconnects; }
    TDBBatch Execute(const TDBRequest &request) override
    {
        {
            std::unique_lock lock(m_mutex);
            m_requests.append(request);
            m_cancelled = false;
            if (request.sql.contains(QLatin1String("waitfor"))) {
                m_waiting = true;
                m_cond.wait_for(lock, std::chrono::seconds(10), [this] { return m_cancelled; });
                m_waiting = false;
                TDBBatch b;
                b.cancelled = m_cancelled;
                b.messages.append({0, 0, 16, 0, QStringLiteral("Operation canceled"), QStringLiteral("HY008"), {}});
                return b;
            }
        }
        return answer ? answer(request) : TDBBatch{};
    }
    void Cancel() override
    {
        std::lock_guard lock(m_mutex);
        m_cancelled = true;
        m_cond.notify_all();
    }
    void SetAutoCommit(bool) override {}
    void EndTransaction(bool) override {}
    QString DriverName() const override { return QStringLiteral("Fake"); }
    QStringList InfoReport() const override { return {QStringLiteral("Driver name = Fake")}; }

    static std::shared_ptr<TDBResultSet> table(const QList<TDBColumnDef> &columns, const QList<QVariantList> &rows)
    {
        auto r = std::make_shared<TDBResultSet>(columns);
        for (const QVariantList &row : rows) {
            for (int c = 0; c < columns.size(); ++c)
                r->AppendValue(c, row.value(c));
            r->EndRow();
        }
        return r;
    }
    static TDBMessage error(int number, const QString &text, int line = 1)
    {
        return {number, 1, 16, line, text, QStringLiteral("42000"), {}};
    }
    static TDBMessage info(int number, const QString &text)
    {
        return {number, 1, 0, 1, text, QStringLiteral("01000"), {}};
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_cond;
    QList<TDBRequest> m_requests;
    bool m_cancelled = false;
    bool m_waiting = false;
};
