#include "fakebackend.h"

#include "platform/db/dbconnection.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

// AbortJob and Busy are called from other threads (ESC, load tests) while
// the connection's own thread creates, replaces and uses its backend. Run
// under ThreadSanitizer, this shows the two are safe.
TEST(DbConnectionThreads, AbortJobAndBusyFromAnotherThread)
{
    TFDConnection::SetDefaultBackendFactory([] { return std::make_unique<FakeBackend>(); });
    TFDConnection con;
    std::atomic<bool> stop = false;
    std::atomic<int> busySeen = 0;
    std::thread canceller([&] {
        while (!stop.load()) {
            con.AbortJob();
            if (con.Busy())
                ++busySeen;
            std::this_thread::yield();
        }
    });
    for (int i = 0; i < 20; ++i) {
        con.Open(); // the first one creates the backend
        EXPECT_THROW(con.ExecSQL(QStringLiteral("waitfor delay '00:00:10'")), EDBError)
            << "cancelled from the other thread";
        con.ExecSQL(QStringLiteral("select 1"));
        con.Close();
        con.SetBackend(std::make_unique<FakeBackend>());
    }
    stop = true;
    canceller.join();
    TFDConnection::SetDefaultBackendFactory({});
    EXPECT_GT(busySeen.load(), 0);
}
